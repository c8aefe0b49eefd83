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

// A volume is known by the serial number of the volume its path lies on,
// asked without opening the folder: a folder held open stays in place after
// another program removes it. Windows marks no file so that it cannot be
// renamed.
MountPlace MountPlaceOf(const QString &folder)
{
    const QString native = QDir::toNativeSeparators(folder);
    wchar_t root[MAX_PATH + 1];
    DWORD serial = 0;
    MountPlace place;
    place.known = GetVolumePathNameW(reinterpret_cast<LPCWSTR>(native.utf16()), root, MAX_PATH + 1)
        && GetVolumeInformationW(root, nullptr, 0, &serial, nullptr, nullptr, nullptr, 0);
    place.device = place.known ? serial : 0;
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
