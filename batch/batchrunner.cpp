#include "batch/batchrunner.h"

#include "platform/runprogress.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLocale>
#include <QTimer>
#include <QWidget>

#include <thread>

namespace {

// A run this short shows no progress.
constexpr int QuietMs = 500;
constexpr int ProgressEveryMs = 100;

bool isInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
    case QEvent::InputMethod:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::Drop:
        return true;
    default:
        return false;
    }
}

} // namespace

BatchRunner::BatchRunner(QWidget *window, RunProgress &progress) : m_window(window), m_progress(progress)
{
}

int BatchRunner::run(const QString &doing, int count, const std::function<bool(int)> &step)
{
    m_doing = doing;
    m_stop = false;
    m_stoppedByUser = false;
    std::atomic<int> done{0};
    QEventLoop loop;
    QTimer progress;
    QElapsedTimer running;
    running.start();
    connect(&progress, &QTimer::timeout, this, [&] {
        if (running.elapsed() >= QuietMs)
            showProgress(done, count);
    });
    progress.start(ProgressEveryMs);
    qApp->installEventFilter(this);

    std::thread worker([&] {
        for (int k = 0; k < count && step(k); ++k) {
            done = k + 1;
            // The file in hand is done before a stop is taken.
            if (m_stop && k + 1 < count) {
                m_stoppedByUser = true;
                break;
            }
        }
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();

    qApp->removeEventFilter(this);
    progress.stop();
    m_progress.clear(m_window);
    return done;
}

void BatchRunner::onWindow(const std::function<void()> &work)
{
    QMetaObject::invokeMethod(this, work, Qt::BlockingQueuedConnection);
}

void BatchRunner::showProgress(int done, int count)
{
    const QLocale locale;
    m_progress.show(m_window, m_doing.arg(locale.toString(std::min(done + 1, count)), locale.toString(count)),
                    done, count);
}

// Input to the window goes nowhere while the run lasts, but Escape and the
// close button stop it; a message box the run shows is another window and
// takes its answer.
bool BatchRunner::eventFilter(QObject *watched, QEvent *event)
{
    const auto *widget = qobject_cast<QWidget *>(watched);
    const bool ofWindow = widget && (widget == m_window || m_window->isAncestorOf(widget));
    if (ofWindow && event->type() == QEvent::Close) {
        m_stop = true;
        event->ignore();
        return true;
    }
    const bool shortcut = event->type() == QEvent::Shortcut || event->type() == QEvent::ShortcutOverride;
    if ((!ofWindow && !shortcut) || !isInput(event->type()))
        return false;
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape)
        m_stop = true;
    return true;
}
