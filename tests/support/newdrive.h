#pragma once

// A drive that arrives while a test runs and leaves again, as a stick put in
// and pulled out: on Linux `target` bind-mounted over itself, on Windows a
// drive letter for it. A target that is a file makes a drive that is listed
// but cannot be opened, as a card reader without a card.

#include <QDir>
#include <QProcess>
#include <QString>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <unistd.h>
#endif

class NewDrive {
public:
    explicit NewDrive(const QString &target) : m_target(target)
    {
#ifdef Q_OS_WIN
        const DWORD taken = GetLogicalDrives();
        for (int i = 25; i >= 3 && m_root.isEmpty(); --i) {
            if (taken & (DWORD(1) << i))
                continue;
            const QString letter = QString(QChar(u'A' + i)) + QLatin1Char(':');
            if (DefineDosDeviceW(0, reinterpret_cast<LPCWSTR>(letter.utf16()),
                                 reinterpret_cast<LPCWSTR>(QDir::toNativeSeparators(target).utf16())))
                m_root = letter + QLatin1Char('\\');
        }
#else
        if (::geteuid() == 0 && QProcess::execute(QStringLiteral("mount"), {"--bind", target, target}) == 0)
            m_root = target;
#endif
    }

    ~NewDrive()
    {
        remove();
    }
    NewDrive(const NewDrive &) = delete;
    NewDrive &operator=(const NewDrive &) = delete;

    // Empty when this machine cannot add a drive (Linux without root).
    QString root() const
    {
        return m_root;
    }
    // How the drive list names it before its volume has answered.
    QString text() const
    {
#ifdef Q_OS_WIN
        return m_root.left(2).toLower();
#else
        return m_root;
#endif
    }

    void remove()
    {
        if (m_root.isEmpty())
            return;
#ifdef Q_OS_WIN
        DefineDosDeviceW(DDD_REMOVE_DEFINITION, reinterpret_cast<LPCWSTR>(m_root.left(2).utf16()), nullptr);
#else
        QProcess::execute(QStringLiteral("umount"), {m_target});
#endif
        m_root.clear();
    }

private:
    QString m_target;
    QString m_root;
};
