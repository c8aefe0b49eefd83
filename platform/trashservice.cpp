#include "platform/trashservice.h"

#include "platform/durablefile.h"
#include "platform/folderreader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)

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
#ifdef Q_OS_WIN
#include "platform/recyclebin.h"
#endif

namespace {

#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)

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

// A folder of a trash, made owner-only when it is missing; a link to a
// folder is not one. A folder made here is added to `made`.
bool makeTrashFolder(const QString &folder, QStringList *made)
{
    const QByteArray native = QFile::encodeName(folder);
    if (::mkdir(native.constData(), 0700) == 0)
        made->prepend(folder);
    else if (errno != EEXIST)
        return false;
    struct stat st { };
    return ::lstat(native.constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Removes the folders a failed attempt made, the innermost first; a folder
// that holds anything stays.
void removeMade(const QStringList &made)
{
    for (const QString &folder : made)
        ::rmdir(QFile::encodeName(folder).constData());
}

dev_t deviceOf(const QString &path)
{
    struct stat st { };
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_dev : dev_t(-1);
}

bool sameFileSystem(const QString &a, const QString &b)
{
    const dev_t device = deviceOf(a);
    return device != dev_t(-1) && device == deviceOf(b);
}

// The top of a folder's volume: the highest folder above it on the same
// device, within its mount. A btrfs sub-volume that is not mounted on its own
// has a device number of its own, and files cannot leave it by a rename.
QString topOf(const QString &folder)
{
    const QString mount = QStorageInfo(folder).rootPath();
    QString top = QFileInfo(folder).canonicalFilePath();
    if (mount.isEmpty() || top.isEmpty())
        return {};
    const dev_t device = deviceOf(top);
    while (top != mount && top != QLatin1String("/")) {
        const QString parent = QFileInfo(top).path();
        if (deviceOf(parent) != device)
            break;
        top = parent;
    }
    return top;
}

// A trash folder is used only while it is this user's alone: a real folder,
// owned by the user and closed to others, so that no other user of a shared
// volume can read or remove what is trashed. Where files have no owner of
// their own (FAT, exFAT, NTFS), the volume's mount decides for all alike.
bool usersAlone(const QString &folder, bool ownersKept)
{
    struct stat st { };
    return ::lstat(QFile::encodeName(folder).constData(), &st) == 0 && S_ISDIR(st.st_mode)
        && (!ownersKept || (st.st_uid == ::getuid() && (st.st_mode & 077) == 0));
}

// What a volume's trash is, or why none can be had.
struct VolumeTrash {
    QString path;
    QString top;
    QStringList made;
    QString refused;
};

// The trash at the top of a file's volume: $topdir/.Trash/$uid where
// $topdir/.Trash is a real folder with the sticky bit, otherwise
// $topdir/.Trash-$uid; either only while it is the user's alone. Its path is
// empty when neither can be had.
VolumeTrash volumeTrash(const QString &folder)
{
    VolumeTrash trash;
    trash.top = topOf(folder);
    if (trash.top.isEmpty()) {
        trash.refused = QStringLiteral("No trash can be made on the drive of this file.");
        return trash;
    }
    const bool ownersKept = !HasWindowsNames(QStorageInfo(folder).fileSystemType());
    const QString uid = QString::number(::getuid());
    const QString shared = QDir(trash.top).filePath(QStringLiteral(".Trash"));
    const QString sharedOwn = shared + QLatin1Char('/') + uid;
    struct stat st { };
    if (::lstat(QFile::encodeName(shared).constData(), &st) == 0 && S_ISDIR(st.st_mode)
        && (st.st_mode & S_ISVTX) && makeTrashFolder(sharedOwn, &trash.made)
        && usersAlone(sharedOwn, ownersKept)) {
        trash.path = sharedOwn;
        return trash;
    }
    const QString own = QDir(trash.top).filePath(QLatin1String(".Trash-") + uid);
    if (!makeTrashFolder(own, &trash.made))
        trash.refused = QStringLiteral("No trash can be made on the drive of this file.");
    else if (!usersAlone(own, ownersKept))
        trash.refused = QStringLiteral("The trash folder %1 belongs to another user or is open to others.")
                            .arg(QDir::toNativeSeparators(own));
    else
        trash.path = own;
    return trash;
}

// The trash a place in its files/ belongs to: the home trash, or a volume's
// .Trash-$uid or .Trash/$uid, with the top its records are relative to. Its
// path is empty for any other place.
VolumeTrash trashOf(const QString &place)
{
    const QFileInfo file(place);
    const QFileInfo files(file.absolutePath());
    const QString folder = files.absolutePath();
    const QString uid = QString::number(::getuid());
    VolumeTrash trash;
    if (!file.isAbsolute() || files.fileName() != QLatin1String("files") || file.fileName().isEmpty())
        return trash;
    if (folder == QDir::cleanPath(homeTrash())) {
        trash.path = folder;
    } else if (QFileInfo(folder).fileName() == QLatin1String(".Trash-") + uid) {
        trash = {folder, QFileInfo(folder).absolutePath(), {}, {}};
    } else if (QFileInfo(folder).fileName() == uid
               && QFileInfo(QFileInfo(folder).absolutePath()).fileName() == QLatin1String(".Trash")) {
        trash = {folder, QFileInfo(QFileInfo(folder).absolutePath()).absolutePath(), {}, {}};
    }
    return trash;
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

// The path a record holds: relative to the trash's top folder when the file
// lies below it, so that a card mounted elsewhere can still be restored, and
// the whole path otherwise. The file system's bytes, escaped as in URLs.
QByteArray recordedPath(const QString &trashTop, const QFileInfo &file)
{
    QString path = file.absoluteFilePath();
    if (!trashTop.isEmpty()) {
        const QString top = trashTop.endsWith(QLatin1Char('/')) ? trashTop : trashTop + QLatin1Char('/');
        const QString real
            = QFileInfo(file.absolutePath()).canonicalFilePath() + QLatin1Char('/') + file.fileName();
        if (real.startsWith(top))
            path = real.mid(top.size());
    }
    return QFile::encodeName(path).toPercentEncoding("/");
}

QString recordOf(const QString &place)
{
    const QFileInfo file(place);
    return QFileInfo(file.absolutePath()).absolutePath() + QLatin1String("/info/") + file.fileName()
        + QLatin1String(".trashinfo");
}

#endif

} // namespace

namespace {

// Names of one original name that the trash may hold before the next file
// of that name is refused.
constexpr int MaxSameName = 10000;

// Why a file cannot go to the trash before anything is tried: empty when it
// can.
QString refusal(const QString &path)
{
    // A NUL ends a path for the system's calls, which would then act on
    // another file than the one named.
    if (path.contains(QChar(0)))
        return QStringLiteral("A file name cannot hold the character NUL.");
    if (!OnDisk(path))
        return QStringLiteral("The file does not exist.");
    return {};
}

} // namespace

bool TrashService::moveToTrash(const QString &path, QString *error, TrashedFile *trashed)
{
    TrashedFile place;
    MoveResult result;
    if (prepare(path, &place, error)) {
        if (syncPrepared(error)) {
            result = complete(path, place);
            while (!result.done && prepareAnew(path, &place, error))
                result = complete(path, place);
            if (!result.done && error->isEmpty())
                *error = result.error;
        } else {
            unprepare(place);
        }
    }
    endBatch();
    if (result.done && trashed)
        *trashed = place;
    return result.done;
}

#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)

// Qt's own move loops for ever when the trash's record cannot be made (a
// long name, a trash that cannot be written), so the trash is written here
// by its rules: the home trash for a file on its file system, the trash at
// the top of the file's volume for any other, and for a file on another
// mount of the home's file system (a bind mount), which the system refuses
// to move between mounts. Its order: the record first, under a name no other
// record has, then the file takes that name in files/ without replacing
// anything.
bool QtTrashService::prepare(const QString &path, TrashedFile *trashed, QString *error)
{
    *error = refusal(path);
    if (!error->isEmpty())
        return false;
    const QString folder = QFileInfo(path).absolutePath();
    if (!findTrash(folder, false, error))
        return false;
    if (makeRecord(path, 1, trashed, error))
        return true;
    forgetTrash();
    return false;
}

// The trash for the files of `folder`, found once: the home trash where the
// folder lies on the home's file system (unless `volume`), else the trash at
// the top of its volume. Its files/ and info/ are made when missing.
bool QtTrashService::findTrash(const QString &folder, bool volume, QString *error)
{
    if (folder == m_folder && !m_trash.path.isEmpty() && !(volume && m_trash.home))
        return true;
    forgetTrash();
    if (!makeHomeTrash(error))
        return false;
    if (!volume && sameFileSystem(folder, homeTrash())) {
        m_trash = {homeTrash(), QString(), {}, true};
    } else {
        VolumeTrash found = volumeTrash(folder);
        if (found.path.isEmpty()) {
            removeMade(found.made);
            *error = found.refused;
            return false;
        }
        m_trash = {found.path, found.top, found.made, false};
    }
    if (!makeTrashFolder(m_trash.path + QLatin1String("/files"), &m_trash.made)
        || !makeTrashFolder(m_trash.path + QLatin1String("/info"), &m_trash.made)) {
        *error = QStringLiteral("The trash folder %1 cannot be written.")
                     .arg(QDir::toNativeSeparators(m_trash.path));
        forgetTrash();
        return false;
    }
    m_folder = folder;
    return true;
}

// A failed attempt leaves no folder behind that it made and left empty.
void QtTrashService::forgetTrash()
{
    removeMade(m_trash.made);
    m_trash = {};
    m_folder.clear();
}

// The record is made so that it fails when another record has its name;
// the name goes on with "-2", "-3", ... from `firstNumber`.
bool QtTrashService::makeRecord(const QString &path, int firstNumber, TrashedFile *trashed, QString *error)
{
    const QFileInfo file(path);
    const QString deletedAt = QDateTime::currentDateTime().toString(Qt::ISODate);
    const QByteArray record = "[Trash Info]\nPath=" + recordedPath(m_trash.top, file)
        + "\nDeletionDate=" + deletedAt.toLatin1() + '\n';
    for (int number = firstNumber; number <= MaxSameName; ++number) {
        const QString name = nameInTrash(file.fileName(), number);
        const QString recordPath
            = m_trash.path + QLatin1String("/info/") + name + QLatin1String(".trashinfo");
        const QByteArray native = QFile::encodeName(recordPath);
        const int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0 && errno == EEXIST)
            continue;
        if (fd < 0) {
            *error = QStringLiteral("The trash folder %1 cannot be written (%2).")
                         .arg(QDir::toNativeSeparators(m_trash.path), systemError(errno));
            return false;
        }
        const bool written = writeAll(fd, record);
        const int writeError = errno;
        if (::close(fd) != 0 || !written) {
            const int closeError = errno;
            ::unlink(native.constData());
            *error = systemError(written ? closeError : writeError);
            return false;
        }
        const QString place = m_trash.path + QLatin1String("/files/") + name;
        *trashed = {place, deletedAt};
        m_records.insert(place, {recordPath, number, m_trash.path, 0});
        m_unsynced = m_trash.path;
        return true;
    }
    *error = QStringLiteral("The trash holds too many files of this name.");
    return false;
}

bool QtTrashService::syncPrepared(QString *error)
{
    if (m_unsynced.isEmpty() || SyncVolume(m_unsynced)) {
        m_unsynced.clear();
        return true;
    }
    *error
        = QStringLiteral("The trash's records cannot be written to the disk (%1).").arg(systemError(errno));
    return false;
}

// A failure removes the record again, unless the file did reach files/, or
// the failure leaves room to prepare anew.
MoveResult QtTrashService::complete(const QString &path, const TrashedFile &trashed)
{
    MoveResult result = m_move.move(path, trashed.place);
    const auto record = m_records.find(trashed.place);
    if (record == m_records.end() || result.done) {
        if (record != m_records.end())
            m_records.erase(record);
        return result;
    }
    record->failedWith = result.code;
    if (result.code == EEXIST || (result.code == EXDEV && m_trash.home))
        return result;
    if (!OnDisk(trashed.place))
        ::unlink(QFile::encodeName(record->path).constData());
    m_records.erase(record);
    forgetTrash();
    return result;
}

bool QtTrashService::prepareAnew(const QString &path, TrashedFile *trashed, QString *error)
{
    const Record record = m_records.take(trashed->place);
    if (record.path.isEmpty() || (record.failedWith != EEXIST && record.failedWith != EXDEV))
        return false;
    ::unlink(QFile::encodeName(record.path).constData());
    const bool made = record.failedWith == EEXIST
        ? makeRecord(path, record.number + 1, trashed, error)
        : findTrash(QFileInfo(path).absolutePath(), true, error) && makeRecord(path, 1, trashed, error);
    if (made && syncPrepared(error))
        return true;
    if (made)
        unprepare(*trashed);
    forgetTrash();
    return false;
}

void QtTrashService::unprepare(const TrashedFile &trashed)
{
    const Record record = m_records.take(trashed.place);
    if (!record.path.isEmpty())
        ::unlink(QFile::encodeName(record.path).constData());
}

// Records of files that never moved go with the batch.
void QtTrashService::endBatch()
{
    for (const Record &record : std::as_const(m_records))
        ::unlink(QFile::encodeName(record.path).constData());
    m_records.clear();
    forgetTrash();
}

#elif defined(Q_OS_WIN)

// The Recycle Bin keeps its records to itself: a file is checked before it
// goes, and moved in one step.
bool QtTrashService::prepare(const QString &path, TrashedFile *trashed, QString *error)
{
    *error = refusal(path);
    *trashed = {}; // only the Recycle Bin knows where it keeps the file
    return error->isEmpty();
}

bool QtTrashService::prepareAnew(const QString &, TrashedFile *, QString *)
{
    return false;
}

bool QtTrashService::syncPrepared(QString *)
{
    return true;
}

MoveResult QtTrashService::complete(const QString &path, const TrashedFile &)
{
    MoveResult result;
    result.done = MoveToRecycleBin(path, &result.error);
    return result;
}

void QtTrashService::unprepare(const TrashedFile &)
{
}

void QtTrashService::endBatch()
{
}

#else

bool QtTrashService::prepare(const QString &path, TrashedFile *trashed, QString *error)
{
    *error = refusal(path);
    *trashed = {};
    return error->isEmpty();
}

bool QtTrashService::prepareAnew(const QString &, TrashedFile *, QString *)
{
    return false;
}

bool QtTrashService::syncPrepared(QString *)
{
    return true;
}

MoveResult QtTrashService::complete(const QString &path, const TrashedFile &)
{
    MoveResult result;
    QFile trashFile(path);
    result.done = trashFile.moveToTrash();
    if (!result.done)
        result.error = trashFile.errorString().isEmpty() ? QStringLiteral("The trash cannot be written.")
                                                         : trashFile.errorString();
    return result;
}

void QtTrashService::unprepare(const TrashedFile &)
{
}

void QtTrashService::endBatch()
{
}

#endif

#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)

bool QtTrashService::canRestore() const
{
    return true;
}

bool QtTrashService::inTrash(const QString &place) const
{
    return !trashOf(place).path.isEmpty();
}

// The record of a file in files/ is info/<its name>.trashinfo beside it. It
// must still name the file's place and the deletion kept when it was trashed:
// otherwise the file there now is another one, or a file another program
// gave back left its place to a later deletion.
MoveResult QtTrashService::restore(const TrashedFile &trashed, const QString &path)
{
    MoveResult result;
    const VolumeTrash trash = trashOf(trashed.place);
    QFile record(recordOf(trashed.place));
    const QByteArray expected = "[Trash Info]\nPath=" + recordedPath(trash.top, QFileInfo(path))
        + "\nDeletionDate=" + trashed.deletedAt.toLatin1() + '\n';
    if (trash.path.isEmpty() || trashed.deletedAt.isEmpty() || !record.open(QIODevice::ReadOnly)
        || record.readAll() != expected) {
        result.error = QStringLiteral("The trash no longer holds this file");
        return result;
    }
    record.close();
    result = m_move.move(trashed.place, path);
    if (result.done)
        record.remove();
    return result;
}

#else

// The recycle bin offers no way back to a program: a file manager restores.
bool QtTrashService::canRestore() const
{
    return false;
}

bool QtTrashService::inTrash(const QString &) const
{
    return false;
}

MoveResult QtTrashService::restore(const TrashedFile &, const QString &)
{
    MoveResult result;
    result.error = QStringLiteral("The recycle bin gives files back only through the file manager.");
    return result;
}

#endif
