#include "platform/drives.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

namespace {

bool hasDriveLetter(const QString &text)
{
    return text.size() >= 2 && text.at(0).isLetter() && text.at(1) == QLatin1Char(':');
}

#ifndef Q_OS_WIN
// Volumes a person would never pick as a place for files.
bool isSystemVolume(const QStorageInfo &volume)
{
    static const QList<QByteArray> systemTypes
        = {"proc",     "sysfs",   "devtmpfs",    "devpts", "cgroup",     "cgroup2",  "securityfs",
           "pstore",   "debugfs", "tracefs",     "mqueue", "hugetlbfs",  "bpf",      "fusectl",
           "configfs", "autofs",  "binfmt_misc", "nsfs",   "rpc_pipefs", "efivarfs", "squashfs"};
    if (systemTypes.contains(volume.fileSystemType()))
        return true;
    const QString root = volume.rootPath();
    for (const char *prefix : {"/proc", "/sys", "/dev", "/run", "/snap", "/boot"}) {
        const QString p = QLatin1String(prefix);
        if ((root == p || root.startsWith(p + QLatin1Char('/')))
            && !root.startsWith(QLatin1String("/run/media")))
            return true;
    }
    return false;
}
#endif

} // namespace

QList<Drive> ListDrives()
{
    QList<Drive> drives;
#ifdef Q_OS_WIN
    for (const QFileInfo &drive : QDir::drives()) {
        const QString root = QDir::toNativeSeparators(drive.absoluteFilePath());
        QString text = root.left(2).toLower();
        const QStorageInfo volume(root);
        if (volume.isValid() && volume.isReady() && !volume.name().isEmpty())
            text += QLatin1String(" [") + volume.name() + QLatin1Char(']');
        drives.append({text, root});
    }
#else
    for (const QStorageInfo &volume : QStorageInfo::mountedVolumes()) {
        if (!volume.isValid() || !volume.isReady() || isSystemVolume(volume))
            continue;
        const QString root = volume.rootPath();
        const QFileInfo rootInfo(root);
        if (!rootInfo.isDir() || !rootInfo.isReadable()) // a file mounted over a file is no drive
            continue;
        bool seen = false;
        for (const Drive &d : std::as_const(drives))
            seen = seen || d.root == root;
        if (!seen)
            drives.append({root, root});
    }
    if (drives.isEmpty())
        drives.append({QStringLiteral("/"), QStringLiteral("/")});
    std::sort(drives.begin(), drives.end(), [](const Drive &a, const Drive &b) { return a.root < b.root; });
#endif
    return drives;
}

int DriveIndexOf(const QList<Drive> &drives, const QString &path)
{
#ifdef Q_OS_WIN
    constexpr Qt::CaseSensitivity pathCase = Qt::CaseInsensitive;
#else
    constexpr Qt::CaseSensitivity pathCase = Qt::CaseSensitive;
#endif
    // Roots and folders may be written with either separator.
    const QString folder = QDir::fromNativeSeparators(path);
    int best = -1;
    for (int i = 0; i < drives.size(); ++i) {
        const QString root = QDir::fromNativeSeparators(drives.at(i).root);
        const bool contains = folder.compare(root, pathCase) == 0
            || folder.startsWith(root.endsWith(QLatin1Char('/')) ? root : root + QLatin1Char('/'), pathCase);
        if (contains && (best < 0 || root.size() > drives.at(best).root.size()))
            best = i;
    }
    return best;
}

QString DriveRootOfText(const QString &text)
{
    if (hasDriveLetter(text))
        return text.left(2) + QLatin1Char('\\');
    return text;
}

bool SameDrive(const QString &a, const QString &b)
{
    if (hasDriveLetter(a) && hasDriveLetter(b))
        return a.left(2).compare(b.left(2), Qt::CaseInsensitive) == 0;
    return a == b;
}
