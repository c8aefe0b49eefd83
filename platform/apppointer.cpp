#include "platform/apppointer.h"

#include <QCursor>
#include <QGuiApplication>

QtAppPointer::~QtAppPointer()
{
    if (m_current != 0 && QGuiApplication::instance())
        QGuiApplication::restoreOverrideCursor();
}

void QtAppPointer::set(int pointer)
{
    // One override at most stays on the application's stack: the next value
    // replaces it instead of piling up.
    const QCursor cursor(pointer == Pointer::Busy ? Qt::WaitCursor : Qt::ArrowCursor);
    if (m_current == 0)
        QGuiApplication::setOverrideCursor(cursor);
    else
        QGuiApplication::changeOverrideCursor(cursor);
    m_current = pointer == Pointer::Busy ? Pointer::Busy : Pointer::Arrow;
}
