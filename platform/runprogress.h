#pragma once

#include <QString>

class QWidget;

// How far a long run is, where the user looks for it: in the window's title
// and, on Windows, on its taskbar button.
class RunProgress {
public:
    virtual ~RunProgress() = default;
    // `text` tells what is done ("Renaming 2 of 5"); `done` of `total` fills
    // the taskbar button.
    virtual void show(QWidget *window, const QString &text, int done, int total) = 0;
    // The window's own title again, and no progress.
    virtual void clear(QWidget *window) = 0;
};

class QtRunProgress : public RunProgress {
public:
    void show(QWidget *window, const QString &text, int done, int total) override;
    void clear(QWidget *window) override;

private:
    QString m_title; // the window's own, while a run shows its progress
};
