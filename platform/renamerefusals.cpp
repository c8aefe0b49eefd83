#include "platform/renamerefusals.h"

#include <QFile>

#ifdef Q_OS_WIN
#include <QDir>

#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#ifdef Q_OS_WIN

// A volume is known by its serial number; Windows marks no file so that it
// cannot be renamed.
MountPlace MountPlaceOf(const QString &folder)
{
    const HANDLE handle = CreateFileW(reinterpret_cast<LPCWSTR>(QDir::toNativeSeparators(folder).utf16()), 0,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return {};
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = GetFileInformationByHandle(handle, &info);
    CloseHandle(handle);
    MountPlace place;
    place.known = known;
    place.device = known ? info.dwVolumeSerialNumber : 0;
    return place;
}

FolderMarks FolderMarksOf(const QString &folder)
{
    FolderMarks marks;
    marks.place = MountPlaceOf(folder);
    return marks;
}

FileRefusal FileRefusalOf(const QString &, const FolderMarks &)
{
    return FileRefusal::None;
}

#else

namespace {

// Asks what the system keeps at hand, not a network or FUSE volume afresh.
bool look(const QString &path, int flags, unsigned mask, struct statx *st)
{
    return ::statx(AT_FDCWD, QFile::encodeName(path).constData(), flags | AT_STATX_DONT_SYNC, mask, st) == 0;
}

MountPlace placeOf(const struct statx &st)
{
    MountPlace place;
    place.known = true;
    place.device = (quint64(st.stx_dev_major) << 32) | st.stx_dev_minor;
    // Without the mount's number, the device tells the volumes apart but
    // not two mounts of one.
    place.mount = (st.stx_mask & STATX_MNT_ID) ? st.stx_mnt_id : 0;
    return place;
}

} // namespace

MountPlace MountPlaceOf(const QString &folder)
{
    struct statx st { };
    return look(folder, 0, STATX_MNT_ID, &st) ? placeOf(st) : MountPlace();
}

FolderMarks FolderMarksOf(const QString &folder)
{
    FolderMarks marks;
    struct statx st { };
    if (!look(folder, 0, STATX_MODE | STATX_UID | STATX_MNT_ID, &st))
        return marks;
    marks.place = placeOf(st);
    marks.appendOnly
        = (st.stx_attributes_mask & STATX_ATTR_APPEND) && (st.stx_attributes & STATX_ATTR_APPEND);
    const uid_t self = ::geteuid();
    marks.ownersOnly = (st.stx_mode & S_ISVTX) && st.stx_uid != self && self != 0;
    return marks;
}

FileRefusal FileRefusalOf(const QString &path, const FolderMarks &folder)
{
    struct statx st { };
    if (!look(path, AT_SYMLINK_NOFOLLOW, STATX_UID | STATX_MNT_ID, &st))
        return FileRefusal::None;
    const auto marked = [&st](quint64 attribute) {
        return (st.stx_attributes_mask & attribute) && (st.stx_attributes & attribute);
    };
    if (marked(STATX_ATTR_IMMUTABLE))
        return FileRefusal::Immutable;
    if (marked(STATX_ATTR_APPEND))
        return FileRefusal::AppendOnly;
    if (folder.ownersOnly && st.stx_uid != ::geteuid())
        return FileRefusal::OtherOwner;
    if (folder.place.known && placeOf(st) != folder.place)
        return FileRefusal::MountedOn;
    return FileRefusal::None;
}

#endif
