#include "platform/folderidentity.h"

#include "platform/safemove.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>

#ifdef Q_OS_WIN
#include "platform/windowspath.h"

#include <windows.h>
#else
#include <blkid.h>
#include <sys/stat.h>
#endif

#ifdef Q_OS_WIN

QByteArray FolderIdentity(const QString &folder)
{
    const HANDLE handle = CreateFileW(reinterpret_cast<LPCWSTR>(ExactWindowsPath(folder).utf16()), 0,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return {};
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = GetFileInformationByHandle(handle, &info);
    CloseHandle(handle);
    if (!known)
        return {};
    return "volume " + QByteArray::number(quint32(info.dwVolumeSerialNumber), 16) + " folder "
        + QByteArray::number((quint64(info.nFileIndexHigh) << 32) | info.nFileIndexLow, 16);
}

#else

namespace {

// The file system's id on its device: from the system's own list of
// devices by id where there is one, otherwise read from the device where it
// can be read.
QByteArray VolumeId(const QByteArray &device)
{
    if (!device.startsWith("/dev/"))
        return {};
    const QString node = QFileInfo(QFile::decodeName(device)).canonicalFilePath();
    const QFileInfoList known
        = QDir(QStringLiteral("/dev/disk/by-uuid")).entryInfoList(QDir::AllEntries | QDir::System);
    for (const QFileInfo &link : known) {
        if (link.canonicalFilePath() == node)
            return QFile::encodeName(link.fileName());
    }
    QByteArray id;
    if (blkid_probe probe = blkid_new_probe_from_filename(device.constData())) {
        blkid_probe_enable_superblocks(probe, 1);
        blkid_probe_set_superblocks_flags(probe, BLKID_SUBLKS_UUID);
        const char *uuid = nullptr;
        if (blkid_do_safeprobe(probe) == 0 && blkid_probe_lookup_value(probe, "UUID", &uuid, nullptr) == 0)
            id = uuid;
        blkid_free_probe(probe);
    }
    return id;
}

} // namespace

QByteArray FolderIdentity(const QString &folder)
{
    struct stat st { };
    if (::stat(QFile::encodeName(folder).constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return {};
    const QStorageInfo volume(folder);
    const QByteArray type = volume.fileSystemType();
    const QByteArray id = VolumeId(volume.device());
    QByteArray identity
        = type + (id.isEmpty() ? " device " + QByteArray::number(quint64(st.st_dev)) : " volume " + id);
    // FUSE and FAT-like volumes number a folder anew when it is looked up again.
    if (!type.startsWith("fuse") && !HasWindowsNames(type))
        identity += " folder " + QByteArray::number(quint64(st.st_ino));
    return identity;
}

#endif
