#pragma once

#include <QObject>
#include <QString>

#include <atomic>
#include <functional>

class QWidget;
class RunProgress;

// Runs the files of a batch one after the other off the interface thread,
// so that a slow volume never freezes the window: it keeps painting and
// takes no input, but Escape or its close button, either of which stops the
// run after the file in hand. A run that lasts more than half a second shows
// how far it is ("Renaming 2 of 5").
class BatchRunner : public QObject {
    Q_OBJECT
public:
    BatchRunner(QWidget *window, RunProgress &progress);

    // Runs `step(k)` for k from 0 to `count` - 1, in order, off the
    // interface thread, until a step returns false or the user stops the
    // run; returns the number of steps that returned true. `doing` shows the
    // progress with %1 for the file in hand and %2 for `count`.
    int run(const QString &doing, int count, const std::function<bool(int)> &step);
    // Whether the user stopped the last run before its end.
    bool stopped() const { return m_stoppedByUser; }
    // Runs `work` on the interface thread and waits for it; for a step that
    // has to ask or tell the user something.
    void onWindow(const std::function<void()> &work);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showProgress(int done, int count);

    QWidget *m_window;
    RunProgress &m_progress;
    QString m_doing;
    std::atomic<bool> m_stop{false}; // asked for by the user
    bool m_stoppedByUser = false; // the run ended for it
};
