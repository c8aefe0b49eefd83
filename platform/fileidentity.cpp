#include "platform/fileidentity.h"

#include "platform/safemove.h"

#include <QDir>
#include <QFile>
#include <QList>
#include <QStorageInfo>

#include <charconv>
#include <iterator>

#ifdef Q_OS_WIN
#include "platform/windowspath.h"

#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

QByteArray FileIdentity::toText() const
{
    QByteArray text;
    appendTo(text);
    return text;
}

void FileIdentity::appendTo(QByteArray &text) const
{
    char digits[24];
    const auto append = [&](auto value) {
        text.append(digits, std::to_chars(std::begin(digits), std::end(digits), value).ptr - digits);
    };
    if (link)
        text += 'l';
    append(number);
    text += '.';
    append(size);
    text += '.';
    append(modified);
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
    const HANDLE handle
        = CreateFileW(reinterpret_cast<LPCWSTR>(ExactWindowsPath(path).utf16()), 0,
                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                      FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
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

FolderIdentities::FolderIdentities(const QString &folder) : m_folder(folder)
{
}

FolderIdentities::~FolderIdentities() = default;

std::optional<FileIdentity> FolderIdentities::of(QStringView name) const
{
    const bool root = m_folder.endsWith(QLatin1Char('/')) || m_folder.endsWith(QLatin1Char('\\'));
    return IdentityOf(m_folder + (root ? QString() : QStringLiteral("\\")) + name.toString());
}

// NTFS and ReFS keep a file's index for good; FAT and exFAT give none that
// lasts.
bool NumbersLast(const QString &folder)
{
    const QByteArray type = QStorageInfo(folder).fileSystemType().toUpper();
    return type == "NTFS" || type == "REFS";
}

#else

namespace {

std::optional<FileIdentity> identityAt(int folder, const char *path)
{
    struct statx st { };
    if (::statx(folder, path, AT_SYMLINK_NOFOLLOW, STATX_TYPE | STATX_INO | STATX_SIZE | STATX_MTIME, &st)
        != 0)
        return std::nullopt;
    FileIdentity identity;
    identity.number = st.stx_ino;
    identity.size = qint64(st.stx_size);
    identity.modified = qint64(st.stx_mtime.tv_sec) * 1000000000 + st.stx_mtime.tv_nsec;
    identity.link = S_ISLNK(st.stx_mode);
    return identity;
}

} // namespace

std::optional<FileIdentity> IdentityOf(const QString &path)
{
    return identityAt(AT_FDCWD, QFile::encodeName(path).constData());
}

// Each name is looked up in the folder alone, not along the whole path.
FolderIdentities::FolderIdentities(const QString &folder)
    : m_folder(folder),
      m_handle(::open(QFile::encodeName(folder).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC))
{
}

FolderIdentities::~FolderIdentities()
{
    if (m_handle >= 0)
        ::close(m_handle);
}

std::optional<FileIdentity> FolderIdentities::of(QStringView name) const
{
    if (m_handle < 0)
        return IdentityOf(m_folder + (m_folder.endsWith(QLatin1Char('/')) ? QString() : QStringLiteral("/"))
                          + name.toString());
    return identityAt(m_handle, QFile::encodeName(name.toString()).constData());
}

bool NumbersLast(const QString &folder)
{
    const QByteArray type = QStorageInfo(folder).fileSystemType();
    return !type.startsWith("fuse") && !HasWindowsNames(type);
}

#endif
