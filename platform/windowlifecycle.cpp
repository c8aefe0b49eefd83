#include "platform/windowlifecycle.h"

#include <QApplication>
#include <QEventLoop>
#include <QThread>
#include <QWidget>

void QtWindowLifecycle::showModeless(QWidget *window)
{
    window->show();
    window->raise();
    window->activateWindow();
}

void QtWindowLifecycle::repaintNow(QWidget *window)
{
    // A new window must be mapped before it can be drawn; user input stays
    // queued until the event loop runs.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    window->repaint();
}

void QtWindowLifecycle::unload(QWidget *window)
{
    window->hide();
    delete window;
}

void QtWindowLifecycle::endProgram()
{
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows)
        window->hide(); // hiding runs no handler of the program
    // Only a running event loop can be left. Asked outside one, exit() would
    // make every event loop started afterwards return at once, so a modal box
    // shown later would not wait for its answer.
    if (QThread::currentThread()->loopLevel() > 0)
        QCoreApplication::exit(0);
}
