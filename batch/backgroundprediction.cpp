#include "batch/backgroundprediction.h"

BackgroundPrediction::BackgroundPrediction(QObject *parent) : QObject(parent), m_worker([this] { work(); })
{
}

BackgroundPrediction::~BackgroundPrediction()
{
    {
        const std::lock_guard<std::mutex> hold(m_lock);
        m_quit = true;
        ++m_latest;
    }
    m_wake.notify_one();
    m_worker.join();
}

void BackgroundPrediction::start(StopBatch batch)
{
    {
        const std::lock_guard<std::mutex> hold(m_lock);
        m_pending = std::move(batch);
        ++m_latest;
    }
    m_wake.notify_one();
}

void BackgroundPrediction::cancel()
{
    const std::lock_guard<std::mutex> hold(m_lock);
    m_pending.reset();
    ++m_latest;
}

void BackgroundPrediction::drop()
{
    {
        const std::lock_guard<std::mutex> hold(m_lock);
        m_pending.reset();
        m_forget = true;
        ++m_latest;
    }
    m_wake.notify_one();
}

// A batch and its number change together, under the lock, so a batch is
// never taken for a newer one.
void BackgroundPrediction::work()
{
    for (;;) {
        std::unique_lock<std::mutex> hold(m_lock);
        m_wake.wait(hold, [this] { return m_quit || m_forget || m_pending; });
        if (m_quit)
            return;
        if (m_forget) {
            m_forget = false;
            m_prediction.forget();
        }
        if (!m_pending)
            continue;
        const StopBatch batch = std::move(*m_pending);
        m_pending.reset();
        const quint64 number = m_latest;
        hold.unlock();

        const PredictedStop stop = m_prediction.predict(batch, [&] { return m_latest != number; });
        if (m_latest != number)
            continue;
        QMetaObject::invokeMethod(
            this,
            [this, stop, number] {
                if (m_latest == number)
                    emit predicted(stop);
            },
            Qt::QueuedConnection);
    }
}
