#include "platform/folderreader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#if defined(Q_OS_LINUX)
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#else
#include <QDirIterator>
#endif
#ifdef Q_OS_WIN
#include "platform/windowspath.h"

#include <windows.h>
#else
#include <unistd.h>
#endif

qsizetype FileNames::indexOf(QStringView name) const
{
    for (qsizetype i = 0; i < size(); ++i) {
        if (at(i) == name)
            return i;
    }
    return -1;
}

QStringList FileNames::toStringList() const
{
    QStringList names;
    names.reserve(size());
    for (qsizetype i = 0; i < size(); ++i)
        names.append(at(i).toString());
    return names;
}

QSet<QString> ListEveryName(const QString &folder)
{
    const QStringList names
        = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    return QSet<QString>(names.cbegin(), names.cend());
}

#if defined(Q_OS_LINUX)

namespace {

// An entry's name as the program spells it; empty for bytes that are not
// valid in the encoding, which decode to replacement characters, so that the
// name would stand for another file.
QString decodedName(const char *raw)
{
    const QString name = QFile::decodeName(raw);
    return name.contains(QChar::ReplacementCharacter) && QFile::encodeName(name) != raw ? QString() : name;
}

bool isAscii(const char *name)
{
    for (; *name; ++name) {
        if (static_cast<unsigned char>(*name) >= 0x80)
            return false;
    }
    return true;
}

} // namespace

// Read with the directory's own entry types, so that only links and entries
// of unknown type need a look at the file itself. An ASCII name needs no
// decoder.
FolderListing ListFolder(const QString &folder)
{
    FolderListing listing;
    DIR *dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return listing;
    listing.read = true;
    const int dirFd = ::dirfd(dir);
    while (const dirent *entry = ::readdir(dir)) {
        const char *raw = entry->d_name;
        if (raw[0] == '.')
            continue;
        unsigned char type = entry->d_type;
        if (type == DT_LNK || type == DT_UNKNOWN) {
            struct stat info { };
            type = ::fstatat(dirFd, raw, &info, 0) != 0 ? DT_UNKNOWN
                : S_ISREG(info.st_mode)                 ? DT_REG
                : S_ISDIR(info.st_mode)                 ? DT_DIR
                                                        : DT_UNKNOWN;
        }
        if (type == DT_REG && isAscii(raw))
            listing.files.append(QLatin1StringView(raw));
        else if (type == DT_REG || type == DT_DIR) {
            const QString name = decodedName(raw);
            if (name.isEmpty())
                continue;
            if (type == DT_REG)
                listing.files.append(name);
            else
                listing.folders.append(name);
        }
    }
    ::closedir(dir);
    return listing;
}

FileNames ListEveryEntry(const QString &folder)
{
    FileNames names;
    DIR *dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return names;
    while (const dirent *entry = ::readdir(dir)) {
        const char *raw = entry->d_name;
        if (raw[0] == '.' && (raw[1] == 0 || (raw[1] == '.' && raw[2] == 0)))
            continue;
        if (const QString name = decodedName(raw); !name.isEmpty())
            names.append(name);
    }
    ::closedir(dir);
    return names;
}

#else

#ifdef Q_OS_WIN

// Each entry's marks come with the folder's own listing, one request for
// many names on a share: folders and files marked hidden or system are left
// out.
FolderListing ListFolder(const QString &folder)
{
    FolderListing listing;
    QString pattern = ExactWindowsPath(folder);
    pattern += pattern.endsWith(QLatin1Char('\\')) ? QLatin1String("*")
                                                   : QLatin1String("\\*"); // a root ends in one
    WIN32_FIND_DATAW entry;
    const HANDLE search = FindFirstFileExW(reinterpret_cast<LPCWSTR>(pattern.utf16()), FindExInfoBasic,
                                           &entry, FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE)
        return listing;
    listing.read = true;
    do {
        const QStringView name(reinterpret_cast<const char16_t *>(entry.cFileName));
        if (entry.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM))
            continue;
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            listing.files.append(name);
        else if (name != u"." && name != u"..")
            listing.folders.append(name.toString());
    } while (FindNextFileW(search, &entry));
    FindClose(search);
    return listing;
}

#else

FolderListing ListFolder(const QString &folder)
{
    FolderListing listing;
    listing.read = QFileInfo(folder).isDir();
    QDirIterator it(folder, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        if (it.fileInfo().isHidden())
            continue;
        if (it.fileInfo().isDir())
            listing.folders.append(it.fileName());
        else
            listing.files.append(it.fileName());
    }
    return listing;
}

#endif

FileNames ListEveryEntry(const QString &folder)
{
    FileNames names;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        names.append(it.fileName());
    }
    return names;
}

#endif

FileNames ListFileNames(const QString &folder)
{
    return ListFolder(folder).files;
}

#ifdef Q_OS_WIN
// Qt looks at a path that has lost a dot at the end of its name, and so
// perhaps at another file: the exact name is looked up.
bool OnDisk(const QString &path)
{
    return GetFileAttributesW(reinterpret_cast<LPCWSTR>(ExactWindowsPath(path).utf16()))
        != INVALID_FILE_ATTRIBUTES;
}
#else
bool OnDisk(const QString &path)
{
    const QFileInfo file(path);
    return file.exists() || file.isSymLink();
}
#endif

#ifdef Q_OS_WIN
// The read-only mark of a Windows folder does not keep names out of it.
bool FolderTakesNames(const QString &)
{
    return true;
}
#else
bool FolderTakesNames(const QString &folder)
{
    return ::access(QFile::encodeName(folder).constData(), W_OK | X_OK) == 0;
}
#endif
