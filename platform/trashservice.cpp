#include "platform/trashservice.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
// A file that reached a freedesktop trash has its info record beside it:
// <trash>/files/<name> and <trash>/info/<name>.trashinfo.
bool arrivedInTrash(const QString &pathInTrash)
{
    const QFileInfo trashed(pathInTrash);
    if (!trashed.exists() && !trashed.isSymLink())
        return false;
    const QDir filesDir = trashed.dir();
    if (filesDir.dirName() != QLatin1String("files"))
        return false;
    const QString info = QFileInfo(filesDir.absolutePath()).dir().absoluteFilePath(
        QLatin1String("info/") + trashed.fileName() + QLatin1String(".trashinfo"));
    return QFileInfo::exists(info);
}
#else
bool arrivedInTrash(const QString &)
{
    return true;
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
    // Without the trash's parent folder the move would land in a folder under
    // the current directory instead of the trash.
    QDir().mkpath(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
#endif
    QString pathInTrash;
    QFile trashFile(path);
    if (!trashFile.moveToTrash()) {
        *error = trashFile.errorString().isEmpty() ? QStringLiteral("The trash cannot be written.")
                                                    : trashFile.errorString();
        return false;
    }
    pathInTrash = trashFile.fileName();
    if (arrivedInTrash(pathInTrash))
        return true;
    // The file went somewhere that is not a trash: put it back.
    QFile::rename(pathInTrash, path);
    *error = QStringLiteral("The file did not reach the trash.");
    return false;
}
