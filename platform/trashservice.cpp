#include "platform/trashservice.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
#include "platform/renameservice.h"

#include <QDateTime>
#include <QStandardPaths>
#include <QStorageInfo>

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)

// Names of one original name that the trash may hold before the next file of
// that name is refused.
constexpr int MaxSameName = 10000;

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// The user's home trash, $XDG_DATA_HOME/Trash.
QString homeTrash()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QLatin1String("/Trash");
}

// The home trash is made here first, its parents included, owner-only like
// every trash folder; without it no file is trashed, not even into a folder
// relative to the current directory.
bool makeHomeTrash(QString *error)
{
    const QString trash = homeTrash();
    if (QFileInfo(trash).isDir())
        return true;
    const QString parent = QFileInfo(trash).absolutePath();
    if (QDir().mkpath(parent) && QDir().mkdir(trash, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner))
        return true;
    if (QFileInfo(trash).isDir())
        return true;
    *error = QStringLiteral("The trash folder %1 cannot be created.").arg(QDir::toNativeSeparators(trash));
    return false;
}

// A folder of a trash, made owner-only when it is missing.
bool makeTrashFolder(const QString &folder)
{
    const QByteArray native = QFile::encodeName(folder);
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat st { };
    return ::stat(native.constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool sameFileSystem(const QString &a, const QString &b)
{
    struct stat sa { };
    struct stat sb { };
    return ::stat(QFile::encodeName(a).constData(), &sa) == 0
        && ::stat(QFile::encodeName(b).constData(), &sb) == 0 && sa.st_dev == sb.st_dev;
}

// The trash at the top of the volume of a file that does not share the home
// trash's file system: $topdir/.Trash/$uid where $topdir/.Trash is a real
// folder with the sticky bit, otherwise $topdir/.Trash-$uid. Empty when
// neither can be had.
QString volumeTrash(const QString &folder)
{
    const QString top = QStorageInfo(folder).rootPath();
    if (top.isEmpty())
        return {};
    const QString uid = QString::number(::getuid());
    const QString shared = QDir(top).filePath(QStringLiteral(".Trash"));
    struct stat st { };
    if (::lstat(QFile::encodeName(shared).constData(), &st) == 0 && S_ISDIR(st.st_mode)
        && (st.st_mode & S_ISVTX)) {
        QString own = shared + QLatin1Char('/') + uid;
        if (makeTrashFolder(own) && !QFileInfo(own).isSymLink())
            return own;
    }
    QString own = QDir(top).filePath(QLatin1String(".Trash-") + uid);
    if (makeTrashFolder(own) && !QFileInfo(own).isSymLink())
        return own;
    return {};
}

// The name a file takes in the trash: its own name, followed by "-2", "-3",
// ... for later files of that name, cut so that its record's name (the name
// and ".trashinfo") stays within the file system's limit.
QString nameInTrash(const QString &name, int number)
{
    const QString suffix = number > 1 ? QStringLiteral("-%1").arg(number) : QString();
    const QString recordSuffix = suffix + QLatin1String(".trashinfo");
    QString base = name;
    while (!base.isEmpty() && QFile::encodeName(base + recordSuffix).size() > NAME_MAX)
        base.chop(base.size() > 1 && base.back().isLowSurrogate() ? 2 : 1);
    return base + suffix;
}

bool writeAll(int fd, const QByteArray &data)
{
    qsizetype done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.constData() + done, size_t(data.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

// The freedesktop trash's order: the record is made first, under a name that
// no other record has (made so that it fails when one exists), then the file
// takes that name in files/ without replacing anything. Every failure removes
// the record again and leaves the file where it was. The record's path is the
// file system's bytes, escaped as in URLs.
bool moveIntoTrash(const QString &trash, const QString &path, QString *error)
{
    const QString files = trash + QLatin1String("/files");
    const QString info = trash + QLatin1String("/info");
    if (!makeTrashFolder(files) || !makeTrashFolder(info)) {
        *error
            = QStringLiteral("The trash folder %1 cannot be written.").arg(QDir::toNativeSeparators(trash));
        return false;
    }
    const QFileInfo file(path);
    const QByteArray record
        = "[Trash Info]\nPath=" + QFile::encodeName(file.absoluteFilePath()).toPercentEncoding("/")
        + "\nDeletionDate=" + QDateTime::currentDateTime().toString(Qt::ISODate).toLatin1() + '\n';
    for (int number = 1; number <= MaxSameName; ++number) {
        const QString name = nameInTrash(file.fileName(), number);
        const QByteArray recordPath
            = QFile::encodeName(info + QLatin1Char('/') + name + QLatin1String(".trashinfo"));
        const int fd = ::open(recordPath.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0 && errno == EEXIST)
            continue;
        if (fd < 0) {
            *error = QStringLiteral("The trash folder %1 cannot be written (%2).")
                         .arg(QDir::toNativeSeparators(trash), systemError(errno));
            return false;
        }
        const bool written = writeAll(fd, record);
        const int writeError = errno;
        if (::close(fd) != 0 || !written) {
            const int closeError = errno;
            ::unlink(recordPath.constData());
            *error = systemError(written ? closeError : writeError);
            return false;
        }
        const QString target = files + QLatin1Char('/') + name;
        QString reason;
        if (NativeRenameService().rename(path, target, &reason))
            return true;
        ::unlink(recordPath.constData());
        const QFileInfo taken(target);
        if (!taken.exists() && !taken.isSymLink()) {
            *error = reason;
            return false;
        }
    }
    *error = QStringLiteral("The trash holds too many files of this name.");
    return false;
}

#endif

} // namespace

bool QtTrashService::moveToTrash(const QString &path, QString *error)
{
    // A NUL ends a path for the system's calls, which would then act on
    // another file than the one named.
    if (path.contains(QChar(0))) {
        *error = QStringLiteral("A file name cannot hold the character NUL.");
        return false;
    }
    const QFileInfo file(path);
    if (!file.exists() && !file.isSymLink()) {
        *error = QStringLiteral("The file does not exist.");
        return false;
    }
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    // Qt's own move loops for ever when the trash's record cannot be made
    // (a long name, a trash that cannot be written), so the trash is written
    // here by its rules: the home trash for a file on its file system, the
    // trash at the top of the file's volume for any other.
    if (!makeHomeTrash(error))
        return false;
    const QString folder = file.absolutePath();
    QString trash = homeTrash();
    if (!sameFileSystem(folder, trash)) {
        trash = volumeTrash(folder);
        if (trash.isEmpty()) {
            *error = QStringLiteral("No trash can be made on the drive of this file.");
            return false;
        }
    }
    return moveIntoTrash(trash, path, error);
#else
    QFile trashFile(path);
    if (trashFile.moveToTrash())
        return true;
    *error = trashFile.errorString().isEmpty() ? QStringLiteral("The trash cannot be written.")
                                               : trashFile.errorString();
    return false;
#endif
}
