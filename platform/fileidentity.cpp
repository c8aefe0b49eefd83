#include "platform/fileidentity.h"

#include "platform/safemove.h"

#include <QDir>
#include <QFile>
#include <QList>
#include <QStorageInfo>

#ifdef Q_OS_WIN
#include "platform/windowspath.h"

#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#endif

QByteArray FileIdentity::toText() const
{
    return (link ? "l" : "") + QByteArray::number(number) + '.' + QByteArray::number(size) + '.'
        + QByteArray::number(modified);
}

std::optional<FileIdentity> FileIdentity::fromText(const QByteArray &text)
{
    FileIdentity identity;
    identity.link = text.startsWith('l');
    const QList<QByteArray> parts = text.mid(identity.link ? 1 : 0).split('.');
    bool numbered = false;
    bool sized = false;
    bool timed = false;
    if (parts.size() != 3)
        return std::nullopt;
    identity.number = parts.at(0).toULongLong(&numbered);
    identity.size = parts.at(1).toLongLong(&sized);
    identity.modified = parts.at(2).toLongLong(&timed);
    if (!numbered || !sized || !timed || identity.size < 0)
        return std::nullopt;
    return identity;
}

bool SameFile(const FileIdentity &recorded, const FileIdentity &now, bool numbersLast)
{
    return recorded.link == now.link && recorded.size == now.size && recorded.modified == now.modified
        && (!numbersLast || recorded.number == now.number);
}

#ifdef Q_OS_WIN

namespace {

qint64 nanosecondsSinceEpoch(const FILETIME &time)
{
    // FILETIME counts 100 ns from 1601; the epoch is 11,644,473,600 s later.
    const qint64 ticks = (qint64(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    return (ticks - 116444736000000000LL) * 100;
}

} // namespace

// The file is opened for no access at all, which any other program's use of
// it allows; a link (a reparse point) is looked at, not followed.
std::optional<FileIdentity> IdentityOf(const QString &path)
{
    const HANDLE handle = CreateFileW(reinterpret_cast<LPCWSTR>(ExactWindowsPath(path).utf16()), 0,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                                      nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = GetFileInformationByHandle(handle, &info);
    CloseHandle(handle);
    if (!known)
        return std::nullopt;
    FileIdentity identity;
    identity.number = (quint64(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    identity.size = (qint64(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    identity.modified = nanosecondsSinceEpoch(info.ftLastWriteTime);
    identity.link = info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT;
    return identity;
}

// NTFS and ReFS keep a file's index for good; FAT and exFAT give none that
// lasts.
bool NumbersLast(const QString &folder)
{
    const QByteArray type = QStorageInfo(folder).fileSystemType().toUpper();
    return type == "NTFS" || type == "REFS";
}

#else

std::optional<FileIdentity> IdentityOf(const QString &path)
{
    struct statx st { };
    if (::statx(AT_FDCWD, QFile::encodeName(path).constData(), AT_SYMLINK_NOFOLLOW,
                STATX_TYPE | STATX_INO | STATX_SIZE | STATX_MTIME, &st)
        != 0)
        return std::nullopt;
    FileIdentity identity;
    identity.number = st.stx_ino;
    identity.size = qint64(st.stx_size);
    identity.modified = qint64(st.stx_mtime.tv_sec) * 1000000000 + st.stx_mtime.tv_nsec;
    identity.link = S_ISLNK(st.stx_mode);
    return identity;
}

bool NumbersLast(const QString &folder)
{
    const QByteArray type = QStorageInfo(folder).fileSystemType();
    return !type.startsWith("fuse") && !HasWindowsNames(type);
}

#endif
