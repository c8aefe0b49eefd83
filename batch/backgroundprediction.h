#pragma once

#include "batch/stopprediction.h"

#include <QObject>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

// Predicts where the run would stop on a thread of its own, one batch at a
// time: a newer batch drops the one under way, and only the newest batch's
// stop is reported, on the thread that made the object.
class BackgroundPrediction : public QObject {
    Q_OBJECT
public:
    explicit BackgroundPrediction(QObject *parent = nullptr);
    ~BackgroundPrediction() override;

    void start(StopBatch batch);
    // Drops the batch under way: nothing is reported.
    void cancel();
    // Cancels, and forgets what was read of the folder.
    void drop();

signals:
    void predicted(const PredictedStop &stop);

private:
    void work();

    std::mutex m_lock;
    std::condition_variable m_wake;
    std::optional<StopBatch> m_pending;
    bool m_forget = false;
    bool m_quit = false;
    std::atomic<quint64> m_latest{0}; // the number of the newest batch
    StopPrediction m_prediction; // the worker's own
    std::thread m_worker;
};
