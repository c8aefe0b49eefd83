#include "platform/safemove.h"

#include "platform/folderreader.h"

#include <QFile>

#include <QUuid>

#ifdef Q_OS_WIN
#include "platform/windowspath.h"

#include <QDir>
#include <QElapsedTimer>
#include <QThread>

#include <windows.h>

#include <algorithm>
#else
#include <QDirIterator>
#include <QFileInfo>
#include <QStorageInfo>

#include <algorithm>
#include <blkid.h>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <linux/fs.h>
#include <optional>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#endif

namespace {

MoveResult moved()
{
    MoveResult result;
    result.done = true;
    return result;
}

// A free name for the middle step of a change of letter case: `given`, or a
// new one in the folder of `to` (which ends before `nameStart`).
QString temporaryFor(const QString &to, qsizetype nameStart, const QString &given)
{
    if (!given.isEmpty())
        return given;
    return to.left(nameStart) + QLatin1String("quorlane-") + QUuid::createUuid().toString(QUuid::Id128)
        + QLatin1String(".tmp");
}

} // namespace

bool HasWindowsNames(const QByteArray &fileSystemType)
{
    static const QByteArrayList types
        = {"vfat",    "msdos",      "exfat",        "ntfs",         "ntfs3",
           "fuseblk", "fuse.exfat", "fuse.fusefat", "fuse.ntfs-3g", "fuse.exfat-fuse"};
    return types.contains(fileSystemType);
}

qsizetype FatRefusedCharacterAt(QStringView name)
{
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name.at(i);
        if (c.unicode() < 0x20 || QStringView(u"<>:\"\\|?*").contains(c))
            return i;
    }
    return -1;
}

WindowsName WindowsNameFate(QStringView name)
{
    if (name.endsWith(QLatin1Char('.')) || name.endsWith(QLatin1Char(' ')))
        return WindowsName::EndDropped;
    // The part before the first dot, without the blanks at its end.
    QStringView stem
        = name.left(name.indexOf(QLatin1Char('.')) < 0 ? name.size() : name.indexOf(QLatin1Char('.')));
    while (stem.endsWith(QLatin1Char(' ')))
        stem.chop(1);
    const bool numbered = stem.size() == 4 && stem.at(3) >= QLatin1Char('1') && stem.at(3) <= QLatin1Char('9')
        && (stem.startsWith(u"COM", Qt::CaseInsensitive) || stem.startsWith(u"LPT", Qt::CaseInsensitive));
    for (const char16_t *device : {u"CON", u"PRN", u"AUX", u"NUL"}) {
        if (numbered || stem.compare(QStringView(device), Qt::CaseInsensitive) == 0)
            return WindowsName::Device;
    }
    return WindowsName::Kept;
}

qsizetype VolumeFacts::refusedAt(QStringView name) const
{
    const qsizetype refused = fatNames ? FatRefusedCharacterAt(name) : name.indexOf(QChar(0));
    if (!asciiNames)
        return refused;
    for (qsizetype i = 0; i < (refused < 0 ? name.size() : refused); ++i) {
        if (name.at(i).unicode() > 0x7f)
            return i;
    }
    return refused;
}

QString VolumeFacts::nameKey(QStringView name) const
{
    return ignoresCase ? CaseKey(name, caseRule, upCase.get()) : name.toString();
}

bool VolumeFacts::sameName(QStringView a, QStringView b) const
{
    return a == b || (ignoresCase && nameKey(a) == nameKey(b));
}

bool VolumeFacts::operator==(const VolumeFacts &other) const
{
    const bool sameTable = upCase == other.upCase || (upCase && other.upCase && *upCase == *other.upCase);
    return ignoresCase == other.ignoresCase && caseRule == other.caseRule && sameTable
        && fatNames == other.fatNames && asciiNames == other.asciiNames
        && backslashSeparates == other.backslashSeparates && lengthInUtf16 == other.lengthInUtf16
        && windowsNames == other.windowsNames && longestName == other.longestName
        && longestPath == other.longestPath && entryMarks == other.entryMarks
        && renamesMoveTime == other.renamesMoveTime && room == other.room;
}

// A UTF-16 unit takes at most three bytes encoded, so a short name needs no
// encoding to tell.
bool VolumeFacts::tooLong(QStringView name) const
{
    if (lengthInUtf16 || name.size() * 3 <= longestName)
        return name.size() > longestName;
    return QFile::encodeName(name.toString()).size() > longestName;
}

#ifdef Q_OS_WIN

namespace {

// Why Windows would refuse the name, or change it behind the program's back
// (a trailing dot or blank is dropped, a device name opens the device), so
// that the file would not get the name the preview shows; empty when the
// name is fine. Both separators end a folder's name.
QString windowsNameProblem(const QString &path)
{
    const QStringView name = QStringView(path).mid(
        std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\'))) + 1);
    if (FatRefusedCharacterAt(name) >= 0)
        return QStringLiteral("A file name on Windows cannot hold < > : \" | ? * or a control character.");
    switch (WindowsNameFate(name)) {
    case WindowsName::EndDropped:
        return QStringLiteral("A file name on Windows cannot end in a dot or a blank.");
    case WindowsName::Device:
        return QStringLiteral("CON, PRN, AUX, NUL, COM1 to COM9 and LPT1 to LPT9 name devices on Windows, "
                              "also with an extension, and no file can have them.");
    case WindowsName::Kept:
        break;
    }
    return QString();
}

// The exact name, which keeps a dot or blank at the end and any length.
std::wstring native(const QString &path)
{
    return ExactWindowsPath(path).toStdWString();
}

// Without MOVEFILE_REPLACE_EXISTING an existing target makes the call fail;
// without MOVEFILE_COPY_ALLOWED a move to another volume fails. A file held
// for a moment by another program (a virus scanner, the indexer, a sync
// client) is tried again for about a second.
MoveResult moveFile(const QString &from, const QString &to)
{
    const std::wstring source = native(from);
    const std::wstring target = native(to);
    QElapsedTimer held;
    held.start();
    for (;;) {
        if (MoveFileExW(source.c_str(), target.c_str(), 0))
            return moved();
        const DWORD error = GetLastError();
        if ((error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION) || held.elapsed() >= 1000) {
            MoveResult result;
            result.code = int(error);
            result.error = qt_error_string(result.code);
            return result;
        }
        QThread::msleep(50);
    }
}

// The name of the file at `path` in the letters its folder lists it with;
// empty when there is none.
QString spelledOnDisk(const QString &path)
{
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW(native(path).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return QString();
    FindClose(search);
    return QString::fromWCharArray(found.cFileName);
}

} // namespace

MoveResult SafeMove::move(const QString &from, const QString &to, const QString &temporary)
{
    const QString problem = windowsNameProblem(to);
    if (!problem.isEmpty()) {
        MoveResult refused;
        refused.code = ERROR_INVALID_NAME;
        refused.error = problem;
        return refused;
    }
    MoveResult result = moveFile(from, to);
    // A change of letter case alone is a rename of the file onto itself,
    // which some volumes (and Wine) take as done while the name stays as it
    // was; then the file goes through a free temporary name, and back to its
    // present name if the second step fails. Only then is the folder asked
    // how it spells the name.
    const auto slashIn = [](const QString &path) {
        return std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    };
    const qsizetype slash = slashIn(to);
    const QString newName = to.mid(slash + 1);
    const QString presentName = from.mid(slashIn(from) + 1);
    if (!result.done || presentName == newName || presentName.compare(newName, Qt::CaseInsensitive) != 0
        || ExactWindowsPath(from.left(slashIn(from)))
                .compare(ExactWindowsPath(to.left(slash)), Qt::CaseInsensitive)
            != 0)
        return result;
    const QString spelled = spelledOnDisk(to);
    if (spelled == newName || spelled.compare(newName, Qt::CaseInsensitive) != 0)
        return result;
    const QString through = temporaryFor(to, slash + 1, temporary);
    result = moveFile(to, through);
    if (!result.done)
        return result;
    result = moveFile(through, to);
    if (!result.done && !moveFile(through, from).done)
        result.strandedAt = through;
    return result;
}

// Names on Windows ignore letter case and never hold the characters FAT
// refuses, on every volume.
VolumeFacts SafeMove::facts(const QString &folder)
{
    VolumeFacts facts;
    facts.ignoresCase = facts.fatNames = facts.backslashSeparates = facts.lengthInUtf16 = facts.windowsNames
        = true;
    wchar_t root[MAX_PATH + 1];
    DWORD longest = 0;
    if (GetVolumePathNameW(native(folder).c_str(), root, MAX_PATH + 1)
        && GetVolumeInformationW(root, nullptr, 0, nullptr, &longest, nullptr, nullptr, 0))
        facts.longestName = int(longest);
    return facts;
}

#else

namespace {

MoveResult failed(int code)
{
    MoveResult result;
    result.code = code;
    result.error = QString::fromLocal8Bit(std::strerror(code));
    return result;
}

// 0 when nothing has the name, EEXIST when something has, otherwise the
// error that keeps us from knowing. The file system is asked afresh: a FUSE
// volume whose names ignore case keeps a name it has once answered for as
// long as its cache lasts, even after the file moved away.
int absence(const QString &path)
{
    struct statx st { };
    if (::statx(AT_FDCWD, QFile::encodeName(path).constData(), AT_SYMLINK_NOFOLLOW | AT_STATX_FORCE_SYNC,
                STATX_TYPE, &st)
        == 0)
        return EEXIST;
    return errno == ENOENT ? 0 : errno;
}

// Which file a name belongs to, looked at afresh.
struct Identity {
    bool known = false;
    quint32 deviceMajor = 0;
    quint32 deviceMinor = 0;
    quint64 inode = 0;
    bool operator==(const Identity &other) const
    {
        return known && other.known && deviceMajor == other.deviceMajor && deviceMinor == other.deviceMinor
            && inode == other.inode;
    }
};

// Before a move the file's number is taken as the system knows it, which
// asks a network or FUSE volume nothing more; after a failure the volume is
// asked afresh.
Identity identityOf(const QString &path, int sync = AT_STATX_FORCE_SYNC)
{
    struct statx st { };
    if (::statx(AT_FDCWD, QFile::encodeName(path).constData(), AT_SYMLINK_NOFOLLOW | sync, STATX_INO, &st)
        != 0)
        return {};
    return {true, st.stx_dev_major, st.stx_dev_minor, st.stx_ino};
}

// Two names of one file; only where hard links work do its numbers say so.
bool sameFile(const QString &a, const QString &b)
{
    struct stat sa { };
    struct stat sb { };
    return ::lstat(QFile::encodeName(a).constData(), &sa) == 0
        && ::lstat(QFile::encodeName(b).constData(), &sb) == 0 && sa.st_dev == sb.st_dev
        && sa.st_ino == sb.st_ino;
}

QString folderOf(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash <= 0 ? QStringLiteral("/") : path.left(slash);
}

QString nameOf(const QString &path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

// The new name is made as a second name of the file, which the system
// refuses when the name is taken, and only then is the present name removed.
// A link refused because the name is taken is never taken for a link made,
// even when that name is a second name of the same file already: the move
// fails, and both names stay.
MoveResult linkThenUnlink(const QString &from, const QString &to, bool *linked)
{
    const QByteArray src = QFile::encodeName(from);
    const QByteArray dst = QFile::encodeName(to);
    if (::link(src.constData(), dst.constData()) != 0) {
        const int error = errno;
        // A link reported failed for another reason that was made all the
        // same counts as made.
        if (error == EEXIST || !sameFile(from, to))
            return failed(error);
    }
    *linked = true;
    if (::unlink(src.constData()) == 0)
        return moved();
    MoveResult result = failed(errno);
    if (absence(from) == 0)
        return moved(); // removed all the same
    // The present name is still there: the new one goes again, but only
    // while the present name is confirmed to be the same file.
    if (sameFile(from, to) && (::unlink(dst.constData()) == 0 || absence(to) == 0))
        return result;
    result.error += QStringLiteral("; the file also has the name %1").arg(to);
    return result;
}

// A link refused as not permitted or not supported means the volume makes
// none (as FAT through FUSE).
bool refusesLinks(int error)
{
    return error == EPERM || error == EOPNOTSUPP || error == ENOSYS;
}

// A move reported failed counts as done only when the present name is gone
// and the new one belongs to the very file that had it before the call. A
// file that another program removed, beside one that already had the new
// name, is no move; where a volume numbers its files anew on every look, or
// where nothing was taken before the call (a local volume, whose failures
// never take place), a reported failure stays one.
bool tookPlace(const Identity &before, const QString &from, const QString &to)
{
    return before.known && absence(from) == 0 && identityOf(to) == before;
}

// Where a file system has neither the no-replace rename nor hard links, the
// new name is checked free and then the file renamed. A file that another
// program makes under that name between the two steps is replaced; such a
// file system offers nothing safer.
MoveResult checkedRename(const QString &from, const QString &to, bool repliesTrue)
{
    if (const int taken = absence(to))
        return failed(taken);
    const Identity before = repliesTrue ? Identity() : identityOf(from, AT_STATX_DONT_SYNC);
    if (::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
        return moved();
    const int error = errno;
    return tookPlace(before, from, to) ? moved() : failed(error);
}

} // namespace

// A batch moves file after file into one folder, whose volume is looked up
// again after a second without a move, or after a failure, so that a card
// put in at the same place later is taken for what it is: a card cannot be
// taken out between two moves without failing the second. A batch on a slow
// share is not slowed by looks at a volume that keeps answering.
SafeMove::Volume *SafeMove::volumeOf(QStringView folder, int *error)
{
    if (m_lastVolume && folder == m_lastFolder && m_lastLookup.elapsed() < 1000)
        return m_lastVolume;
    // Only the device number is wanted, which needs no fresh look at the
    // folder; a network or FUSE volume would be asked for it on every file.
    const QString path = folder.toString();
    struct statx st { };
    if (::statx(AT_FDCWD, QFile::encodeName(path).constData(), AT_STATX_DONT_SYNC, STATX_TYPE, &st) != 0) {
        *error = errno;
        return nullptr;
    }
    // A device number is given again to the next volume mounted after one
    // is taken away, so what was learned holds only for the same type.
    const quint64 device = (quint64(st.stx_dev_major) << 32) | st.stx_dev_minor;
    const QByteArray type = QStorageInfo(path).fileSystemType();
    auto found = m_volumes.find({device, type});
    if (found == m_volumes.end()) {
        // Only a network or FUSE volume reports a failure for a move it
        // carried out (a reply lost, a request sent twice).
        static const QByteArrayList localTypes = {"ext2", "ext3", "ext4",  "xfs",   "btrfs", "tmpfs",
                                                  "f2fs", "vfat", "msdos", "exfat", "ntfs3", "jfs"};
        found = m_volumes.emplace(std::make_pair(device, type), Volume()).first;
        found->second.fatNames = HasWindowsNames(type);
        found->second.repliesTrue = localTypes.contains(type);
    }
    m_lastFolder = path;
    m_lastVolume = &found->second;
    m_lastLookup.start();
    return m_lastVolume;
}

MoveResult SafeMove::moveBy(Volume &volume, const QString &from, const QString &to)
{
    if (volume.route == Route::NoReplace) {
        const Identity before = volume.repliesTrue ? Identity() : identityOf(from, AT_STATX_DONT_SYNC);
        if (::renameat2(AT_FDCWD, QFile::encodeName(from).constData(), AT_FDCWD,
                        QFile::encodeName(to).constData(), RENAME_NOREPLACE)
            == 0)
            return moved();
        const int error = errno;
        if (error != EINVAL && error != ENOSYS)
            return tookPlace(before, from, to) ? moved() : failed(error);
        // Refused by this file system: this file tries a hard link, and what
        // it finds decides the route of every later file of the volume. A
        // link refused as not permitted means none are (as on FAT through
        // FUSE).
        bool linked = false;
        MoveResult result = linkThenUnlink(from, to, &linked);
        if (linked)
            volume.route = Route::Link;
        if (linked || !refusesLinks(result.code))
            return result;
        volume.route = Route::CheckedRename;
    } else if (volume.route == Route::Link) {
        bool linked = false;
        MoveResult result = linkThenUnlink(from, to, &linked);
        if (linked || !refusesLinks(result.code))
            return result;
        // Links worked on the volume this was learned on, not on this one
        // (a card given the device number and type of a stick taken out):
        // what it offers is learned again.
        volume.route = Route::NoReplace;
        return moveBy(volume, from, to);
    }
    return checkedRename(from, to, volume.repliesTrue);
}

// Where names ignore letter case the new spelling names the file itself, so
// the file goes through a free temporary name, visible like the file, and
// back to its present name if the second step fails.
MoveResult SafeMove::throughTemporary(Volume &volume, const QString &from, const QString &to,
                                      QString temporary)
{
    temporary = temporaryFor(to, to.lastIndexOf(QLatin1Char('/')) + 1, temporary);
    MoveResult result = moveBy(volume, from, temporary);
    if (!result.done)
        return result;
    result = moveBy(volume, temporary, to);
    if (!result.done && !moveBy(volume, temporary, from).done)
        result.strandedAt = temporary;
    return result;
}

MoveResult SafeMove::move(const QString &from, const QString &to, const QString &temporary)
{
    const std::lock_guard<std::mutex> hold(m_lock);
    const qsizetype slash = to.lastIndexOf(QLatin1Char('/'));
    const QStringView folder = slash <= 0 ? QStringView(u"/") : QStringView(to).left(slash);
    const QStringView newName = QStringView(to).mid(slash + 1);
    int error = 0;
    Volume *found = volumeOf(folder, &error);
    if (!found)
        return failed(error);
    Volume &volume = *found;
    if (volume.fatNames && FatRefusedCharacterAt(newName) >= 0) {
        MoveResult refused = failed(EINVAL);
        refused.error = QStringLiteral("This drive cannot hold a name with < > : \" \\ | ? * or a control "
                                       "character.");
        return refused;
    }
    MoveResult result = moveBy(volume, from, to);
    if (!result.done)
        m_lastVolume = nullptr;
    else
        m_lastLookup.start();
    if (result.code != EEXIST)
        return result;
    // The new name is taken. When it differs from the present one only in
    // letter case, it may be the file itself: so it is where the folder's
    // own listing shows the present spelling and not the new one (the file's
    // numbers cannot tell, as some file systems give each spelling its own).
    const QString presentName = nameOf(from);
    const QString folderPath = folder.toString();
    if (!volume.typeLearned)
        learnType(volume, folderPath);
    if (folderOf(from) != folder || presentName == newName || !sameIgnoringCase(volume, presentName, newName))
        return result;
    if (!volume.ignoresCase) {
        const QSet<QString> listed = ListEveryName(folderPath);
        if (!listed.contains(presentName) || listed.contains(newName.toString()))
            return result;
        volume.ignoresCase = true;
    }
    return throughTemporary(volume, from, to, temporary);
}

namespace {

bool isAsciiLetter(QChar c)
{
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
        || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'));
}

// The name with its letters a to z and A to Z in the other case: every
// volume that ignores case takes it for the same name, whatever else it
// folds.
QString swappedAscii(const QString &name)
{
    QString swapped = name;
    for (QChar &c : swapped) {
        if (isAsciiLetter(c))
            c = QChar(c.unicode() ^ 0x20);
    }
    return swapped;
}

// Whether `swapped`, another spelling of an entry of `folder`, names that
// entry: something answers to it, and the folder's own listing does not hold
// it. Nothing where the volume gave no answer.
std::optional<bool> answersToOtherSpelling(const QString &folder, const QString &swapped)
{
    const int found = absence(folder + QLatin1Char('/') + swapped);
    if (found != 0 && found != EEXIST)
        return std::nullopt;
    return found == EEXIST && ListEveryEntry(folder).indexOf(swapped) < 0;
}

// A folder marked to fold the case of its names (ext4, f2fs and tmpfs
// offer it folder by folder).
bool caseFolded(const QString &folder)
{
#ifdef FS_CASEFOLD_FL
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    int flags = 0;
    const bool folded = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 && (flags & FS_CASEFOLD_FL);
    ::close(fd);
    return folded;
#else
    Q_UNUSED(folder);
    return false;
#endif
}

// Whether names in the folder ignore case, told by looks that move nothing:
// the folder's own mark where the volume has one; otherwise the first name
// with a letter a to z, looked up with those letters in the other case; for
// a folder without such a name, its own name so looked up in its parent on
// the same volume. Only letters every such volume folds are asked, so an
// exotic first name (ı, µ, the Kelvin sign) cannot tell the volume wrong.
// Nothing where nothing tells.
std::optional<bool> namesIgnoreCase(const QString &folder, bool markedFolders)
{
    if (markedFolders && caseFolded(folder))
        return true;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        const QString name = it.fileName();
        const QString swapped = swappedAscii(name);
        if (swapped != name)
            return answersToOtherSpelling(folder, swapped);
    }
    const QFileInfo info(QFileInfo(folder).canonicalFilePath());
    const QString own = info.fileName();
    const QString swapped = swappedAscii(own);
    struct stat inside { };
    struct stat parent { };
    if (own.isEmpty() || swapped == own
        || ::stat(QFile::encodeName(info.filePath()).constData(), &inside) != 0
        || ::stat(QFile::encodeName(info.path()).constData(), &parent) != 0 || inside.st_dev != parent.st_dev)
        return std::nullopt;
    return answersToOtherSpelling(info.path(), swapped);
}

// The file system a device holds, from the system's record of its devices,
// which needs no right to read the device.
QByteArray typeOnDevice(const QByteArray &device)
{
    QByteArray type;
    blkid_cache cache = nullptr;
    if (blkid_get_cache(&cache, nullptr) != 0)
        return type;
    if (char *value = blkid_get_tag_value(cache, "TYPE", device.constData())) {
        type = value;
        ::free(value);
    }
    blkid_put_cache(cache);
    return type;
}

// Whether free space is left for a folder to grow.
bool full(const QString &folder)
{
    struct statvfs space { };
    return ::statvfs(QFile::encodeName(folder).constData(), &space) == 0 && space.f_bavail == 0;
}

} // namespace

// An exFAT card compares names by the up-case table it stores, read from the
// device where it can be read, else by the table mkfs.exfat writes. FAT
// through FUSE refuses every name that is not ASCII and folds a to z only.
// Through FUSE an exFAT card may be mounted under the generic type of a
// volume on a block device.
void SafeMove::learnType(Volume &volume, const QString &folder)
{
    const QStorageInfo storage(folder);
    const QByteArray type = storage.fileSystemType();
    const QByteArray device = storage.device();
    volume.typeLearned = true;
    volume.exFat = type == "exfat" || type == "fuse.exfat" || type == "fuse.exfat-fuse";
    if ((volume.exFat || type == "fuseblk") && device.startsWith("/dev/")) {
        volume.upCase = ReadExFatUpCase(QFile::decodeName(device));
        volume.exFat = volume.exFat || volume.upCase || typeOnDevice(device) == "exfat";
    }
    // exFAT through FUSE writes a renamed entry anew, and leaves the time of
    // its folder as it was.
    if (volume.exFat)
        volume.whenFull = type == "exfat" ? FolderRoom::LongerNames : FolderRoom::EveryName;
    volume.renamesMoveTime = !volume.exFat || type == "exfat";
    volume.asciiNames = type == "fuse.fusefat";
    volume.foldsCase = volume.exFat || volume.asciiNames;
    volume.caseRule = volume.exFat ? CaseRule::UpCase
        : volume.asciiNames        ? CaseRule::Ascii
                                   : CaseRule::System;
    static const QByteArrayList markedTypes = {"ext2", "ext3", "ext4", "xfs", "btrfs", "f2fs", "tmpfs"};
    volume.entryMarks = markedTypes.contains(type);
}

bool SafeMove::sameIgnoringCase(const Volume &volume, QStringView a, QStringView b)
{
    return CaseKey(a, volume.caseRule, volume.upCase.get())
        == CaseKey(b, volume.caseRule, volume.upCase.get());
}

VolumeFacts SafeMove::facts(const QString &folder)
{
    const std::lock_guard<std::mutex> hold(m_lock);
    VolumeFacts facts;
    int error = 0;
    Volume *volume = volumeOf(folder, &error);
    if (!volume)
        return facts;
    if (!volume->typeLearned)
        learnType(*volume, folder);
    volume->ignoresCase = volume->ignoresCase || volume->foldsCase;
    facts.fatNames = facts.lengthInUtf16 = volume->fatNames;
    facts.asciiNames = volume->asciiNames;
    facts.ignoresCase = volume->ignoresCase;
    if (!volume->ignoresCase && !volume->keepsCase) {
        const std::optional<bool> told = namesIgnoreCase(folder, volume->entryMarks);
        facts.ignoresCase = told.value_or(false);
        volume->keepsCase = told == false && !volume->entryMarks;
    }
    facts.caseRule = volume->caseRule;
    facts.upCase = volume->upCase;
    const long longest = ::pathconf(QFile::encodeName(folder).constData(), _PC_NAME_MAX);
    if (longest > 0)
        facts.longestName = int(std::min<long>(longest, std::numeric_limits<int>::max()));
    // PATH_MAX counts the byte that ends a path.
    facts.longestPath = PATH_MAX - 1;
    facts.entryMarks = volume->entryMarks;
    facts.renamesMoveTime = volume->renamesMoveTime;
    if (volume->whenFull != FolderRoom::Unbounded && full(folder))
        facts.room = volume->whenFull;
    return facts;
}

#endif
