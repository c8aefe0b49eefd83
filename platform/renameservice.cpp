#include "platform/renameservice.h"

#include "platform/folderreader.h"

#include <QFileInfo>

namespace {

// One name in one folder, however the paths spell the folder ("a//b", "a/./b").
bool sameEntry(const QString &a, const QString &b)
{
    if (a == b)
        return true;
    if (QStringView(a).mid(a.lastIndexOf(QLatin1Char('/')) + 1)
        != QStringView(b).mid(b.lastIndexOf(QLatin1Char('/')) + 1))
        return false;
    const QString folder = QFileInfo(a).canonicalPath();
    return !folder.isEmpty() && folder == QFileInfo(b).canonicalPath();
}

} // namespace

MoveResult NativeRenameService::rename(const QString &presentPath, const QString &newPath,
                                       const QString &temporaryPath)
{
    MoveResult result;
    // A NUL ends a path for the system's calls: the file would take the name
    // before it, not the one asked for.
    if (presentPath.contains(QChar(0)) || newPath.contains(QChar(0))) {
        result.error = QStringLiteral("A file name cannot hold the character NUL.");
        return result;
    }
    if (sameEntry(presentPath, newPath)) {
        // Nothing to change, but the file must be there.
        result.done = OnDisk(presentPath);
        if (!result.done)
            result.error = QStringLiteral("No such file");
        return result;
    }
    return m_move.move(presentPath, newPath, temporaryPath);
}

VolumeFacts NativeRenameService::volumeFacts(const QString &folder)
{
    return m_move.facts(folder);
}
