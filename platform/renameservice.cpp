#include "platform/renameservice.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

#ifdef Q_OS_WIN

QString lastErrorText()
{
    return qt_error_string(int(GetLastError()));
}

bool moveNoReplace(const QString &from, const QString &to, QString *error)
{
    // Without MOVEFILE_REPLACE_EXISTING an existing target makes the call
    // fail; without MOVEFILE_COPY_ALLOWED a move to another volume fails.
    if (MoveFileExW(reinterpret_cast<LPCWSTR>(from.utf16()), reinterpret_cast<LPCWSTR>(to.utf16()), 0))
        return true;
    *error = lastErrorText();
    return false;
}

bool sameFile(const QString &a, const QString &b)
{
    // NTFS and FAT ignore letter case by default; two paths that differ only
    // in case name one file there.
    return QFileInfo::exists(b) && a.compare(b, Qt::CaseInsensitive) == 0;
}

#else

bool moveNoReplace(const QString &from, const QString &to, QString *error)
{
    const QByteArray src = QFile::encodeName(from);
    const QByteArray dst = QFile::encodeName(to);
    if (::renameat2(AT_FDCWD, src.constData(), AT_FDCWD, dst.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno == EINVAL || errno == ENOSYS) {
        // A file system without the no-replace flag: a hard link fails when
        // the target exists, so it never replaces either.
        if (::link(src.constData(), dst.constData()) == 0) {
            if (::unlink(src.constData()) == 0)
                return true;
            const int unlinkError = errno;
            ::unlink(dst.constData());
            *error = QString::fromLocal8Bit(std::strerror(unlinkError));
            return false;
        }
    }
    *error = QString::fromLocal8Bit(std::strerror(errno));
    return false;
}

bool sameFile(const QString &a, const QString &b)
{
    struct stat sa { };
    struct stat sb { };
    if (::lstat(QFile::encodeName(a).constData(), &sa) != 0
        || ::lstat(QFile::encodeName(b).constData(), &sb) != 0)
        return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

#endif

} // namespace

bool NativeRenameService::rename(const QString &presentPath, const QString &newPath, QString *error)
{
    // A NUL ends a path for the system's calls: the file would take the name
    // before it, not the one asked for.
    if (presentPath.contains(QChar(0)) || newPath.contains(QChar(0))) {
        *error = QStringLiteral("A file name cannot hold the character NUL.");
        return false;
    }
    QString reason;
    if (presentPath == newPath) {
        // Nothing to change, but the file must be there.
        if (QFileInfo::exists(presentPath) || QFileInfo(presentPath).isSymLink())
            return true;
        *error = QStringLiteral("No such file");
        return false;
    }
    if (moveNoReplace(presentPath, newPath, &reason))
        return true;
    // Refused: only when both paths name one file (a change of letter case
    // where names ignore case) is there another way.
    if (!sameFile(presentPath, newPath)) {
        *error = reason;
        return false;
    }

    // Go through a free temporary name in the same folder and return to
    // the present name if the second step fails.
    const QFileInfo present(presentPath);
    const QString temporary = present.absolutePath() + QLatin1String("/.quorlane-")
        + QUuid::createUuid().toString(QUuid::Id128) + QLatin1String(".tmp");
    if (!moveNoReplace(presentPath, temporary, &reason)) {
        *error = reason;
        return false;
    }
    if (moveNoReplace(temporary, newPath, &reason))
        return true;
    // A hidden name would hide the file from the list: say where it is when
    // it cannot go back.
    QString backReason;
    if (moveNoReplace(temporary, presentPath, &backReason))
        *error = reason;
    else
        *error = QStringLiteral("%1; the file is now %2 (%3)")
                     .arg(reason, QDir::toNativeSeparators(temporary), backReason);
    return false;
}
