#include "platform/windowlifecycle.h"

#include <QApplication>
#include <QEventLoop>
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
    for (QWidget *window : windows) {
        window->blockSignals(true);
        window->hide();
    }
    QCoreApplication::exit(0);
}
