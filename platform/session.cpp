#include "platform/session.h"

#ifdef Q_OS_WIN
#include <QAbstractNativeEventFilter>
#include <QCoreApplication>

#include <windows.h>

// Windows asks each top-level window whether the session may end, then tells
// it that it ends.
struct SessionEnd::Native : QAbstractNativeEventFilter {
    SessionEnd *owner = nullptr;

    bool nativeEventFilter(const QByteArray &type, void *message, qintptr *) override
    {
        const auto *msg = static_cast<const MSG *>(message);
        if (type == "windows_generic_MSG" && msg->message == WM_ENDSESSION && msg->wParam)
            emit owner->sessionEnding();
        return false;
    }
};

SessionEnd::SessionEnd(QObject *parent) : QObject(parent), m_native(std::make_unique<Native>())
{
    m_native->owner = this;
    QCoreApplication::instance()->installNativeEventFilter(m_native.get());
}

SessionEnd::~SessionEnd()
{
    if (QCoreApplication *app = QCoreApplication::instance())
        app->removeNativeEventFilter(m_native.get());
}

// The handle stays open until the program ends, which closes it.
void AnnounceRunning()
{
    CreateMutexW(nullptr, FALSE, L"Global\\QuorlaneRunning");
}

#else

struct SessionEnd::Native { };

SessionEnd::SessionEnd(QObject *parent) : QObject(parent)
{
}

SessionEnd::~SessionEnd() = default;

void AnnounceRunning()
{
}

#endif
