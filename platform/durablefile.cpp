#include "platform/durablefile.h"

#include <QDir>
#include <QFileInfo>

#ifdef Q_OS_WIN
#include <io.h>
#include <windows.h>
#else
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

constexpr QFileDevice::Permissions Private = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

#ifdef Q_OS_WIN
bool syncHandle(int fd)
{
    return FlushFileBuffers(reinterpret_cast<HANDLE>(_get_osfhandle(fd)));
}
#else
bool syncHandle(int fd)
{
    return ::fdatasync(fd) == 0;
}
#endif

} // namespace

// Unbuffered, so that a write the disk refuses fails at once.
bool DurableFile::create(const QString &path, QString *error)
{
    m_file.setFileName(path);
    if (m_file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered, Private))
        return true;
    return failed(error);
}

bool DurableFile::append(QByteArrayView data, QString *error)
{
    if (m_file.write(data.data(), data.size()) == data.size())
        return true;
    return failed(error);
}

bool DurableFile::sync(QString *error)
{
    if (syncHandle(m_file.handle()))
        return true;
#ifdef Q_OS_WIN
    *error = qt_error_string(int(GetLastError()));
#else
    *error = QString::fromLocal8Bit(std::strerror(errno));
#endif
    return false;
}

bool DurableFile::close(QString *error)
{
    m_file.close();
    if (m_file.error() == QFileDevice::NoError)
        return true;
    return failed(error);
}

bool DurableFile::failed(QString *error)
{
    *error = m_file.errorString();
    return false;
}

#ifdef Q_OS_WIN

// A folder on Windows is this user's by the access its parents give, and
// its names reach the disk with the file system's own log.
bool MakePrivateFolder(const QString &folder)
{
    return QDir().mkpath(folder);
}

bool SyncFolder(const QString &)
{
    return true;
}

// Windows syncs a whole volume only for administrators; each file is synced
// on its own instead.
bool SyncVolume(const QString &)
{
    return true;
}

#else

bool MakePrivateFolder(const QString &folder)
{
    const QFileInfo info(folder);
    if (info.isDir())
        return true;
    if (!MakePrivateFolder(info.absolutePath()))
        return false;
    return QDir().mkdir(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner)
        || QFileInfo(folder).isDir();
}

bool SyncFolder(const QString &folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

bool SyncVolume(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::syncfs(fd) == 0;
    ::close(fd);
    return synced;
}

#endif
