#include "platform/trashservice.h"

#include "platform/renameservice.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
#include <unistd.h>
#endif

namespace {

#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)

// The user's home trash, $XDG_DATA_HOME/Trash.
QString homeTrash()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
           + QLatin1String("/Trash");
}

// Qt trashes into the home trash only when that folder can be had; without
// it, it takes a folder relative to the current directory instead. So the
// home trash is made here first, its parents included, owner-only like every
// trash folder.
bool makeHomeTrash(QString *error)
{
    const QString trash = homeTrash();
    if (QFileInfo(trash).isDir())
        return true;
    const QString parent = QFileInfo(trash).absolutePath();
    if (QDir().mkpath(parent)
        && QDir().mkdir(trash, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner))
        return true;
    if (QFileInfo(trash).isDir())
        return true;
    *error = QStringLiteral("The trash folder %1 cannot be created.").arg(QDir::toNativeSeparators(trash));
    return false;
}

// A freedesktop trash folder: the home trash, or the trash at the top of the
// file's own volume ($topdir/.Trash/$uid or $topdir/.Trash-$uid).
bool isTrashFolder(const QFileInfo &folder)
{
    const QString uid = QString::number(::getuid());
    if (folder.fileName() == QLatin1String(".Trash-") + uid)
        return true;
    if (folder.fileName() == uid && QFileInfo(folder.absolutePath()).fileName() == QLatin1String(".Trash"))
        return true;
    const QString home = QFileInfo(homeTrash()).canonicalFilePath();
    return !home.isEmpty() && folder.canonicalFilePath() == home;
}

// A file that reached a freedesktop trash lies in <trash>/files/<name>, with
// its record in <trash>/info/<name>.trashinfo.
QString infoRecordOf(const QString &pathInTrash)
{
    const QFileInfo trashed(pathInTrash);
    const QFileInfo files(trashed.absolutePath());
    return files.absolutePath() + QLatin1String("/info/") + trashed.fileName() + QLatin1String(".trashinfo");
}

// Qt writes the original path into the record as it is, while the trash's
// rule is the file system's bytes escaped as in URLs; a file manager would
// restore a name holding "%" or a line break to the wrong place. The record
// is written again with the path escaped and Qt's deletion time kept.
void writeInfoRecord(const QString &record, const QString &originalPath)
{
    QFile file(record);
    if (!file.open(QIODevice::ReadOnly))
        return;
    QByteArray deletionDate;
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (line.startsWith("DeletionDate="))
            deletionDate = line;
    }
    file.close();
    QSaveFile rewritten(record);
    if (deletionDate.isEmpty() || !rewritten.open(QIODevice::WriteOnly))
        return;
    rewritten.write("[Trash Info]\nPath="
                    + QFile::encodeName(QFileInfo(originalPath).absoluteFilePath()).toPercentEncoding("/")
                    + '\n' + deletionDate + '\n');
    rewritten.commit();
}

bool arrivedInTrash(const QString &pathInTrash)
{
    const QFileInfo trashed(pathInTrash);
    if (!trashed.exists() && !trashed.isSymLink())
        return false;
    const QFileInfo files(trashed.absolutePath());
    if (files.fileName() != QLatin1String("files") || !isTrashFolder(QFileInfo(files.absolutePath())))
        return false;
    return QFileInfo::exists(infoRecordOf(pathInTrash));
}

#endif

} // namespace

bool QtTrashService::moveToTrash(const QString &path, QString *error)
{
    const QFileInfo file(path);
    if (!file.exists() && !file.isSymLink()) {
        *error = QStringLiteral("The file does not exist.");
        return false;
    }
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    if (!makeHomeTrash(error))
        return false;
#endif
    QFile trashFile(path);
    if (!trashFile.moveToTrash()) {
        *error = trashFile.errorString().isEmpty() ? QStringLiteral("The trash cannot be written.")
                                                    : trashFile.errorString();
        return false;
    }
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    const QString pathInTrash = QFileInfo(trashFile.fileName()).absoluteFilePath();
    if (arrivedInTrash(pathInTrash)) {
        writeInfoRecord(infoRecordOf(pathInTrash), path);
        return true;
    }
    // The file went somewhere that is not a trash: put it back, never over a
    // file that has taken its place meanwhile.
    QString reason;
    if (NativeRenameService().rename(pathInTrash, path, &reason)) {
        QFile::remove(infoRecordOf(pathInTrash));
        *error = QStringLiteral("The file did not reach the trash.");
    } else {
        *error = QStringLiteral("The file did not reach the trash and is now %1 (%2).")
                     .arg(QDir::toNativeSeparators(pathInTrash), reason);
    }
    return false;
#else
    return true;
#endif
}
