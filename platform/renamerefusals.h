#pragma once

#include <QString>

// What the system would refuse of a rename, told by looks that move
// nothing.

// The mounted volume that holds an entry: the system renames nothing from
// one mount to another, even of the same file system (a bind mount).
struct MountPlace {
    bool known = false;
    quint64 device = 0;
    quint64 mount = 0;
    bool operator==(const MountPlace &other) const
    {
        return known == other.known && device == other.device && mount == other.mount;
    }
    bool operator!=(const MountPlace &other) const { return !(*this == other); }
};

// The volume of `folder`, its links followed.
MountPlace MountPlaceOf(const QString &folder);

// What bears on renaming the files of a folder.
struct FolderMarks {
    MountPlace place;
    bool appendOnly = false; // names can be added to it, but none removed or changed
    // The folder is sticky and another user's, and this program may not pass
    // over it (root may): only the owner of a file may rename it.
    bool ownersOnly = false;
};

FolderMarks FolderMarksOf(const QString &folder);

// Why the system would refuse to rename the file at `path`, of a folder with
// these marks: none, the file is marked immutable or append-only, it belongs
// to another user where only owners may rename, or another volume is
// mounted on it.
enum class FileRefusal : quint8 { None, Immutable, AppendOnly, OtherOwner, MountedOn };

FileRefusal FileRefusalOf(const QString &path, const FolderMarks &folder);
