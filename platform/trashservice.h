#pragma once

#include "platform/safemove.h"

#include <QString>

// Where a trashed file lies in the trash, and the deletion date its trash
// record holds, which tells this deletion from a later one of the same name.
struct TrashedFile {
    QString place;
    QString deletedAt;
};

// Moves one file to the platform's trash (the recycle bin on Windows, the
// desktop trash elsewhere), from which any file manager can restore it. A file
// that cannot be trashed stays where it was; it is never deleted for good.
class TrashService {
public:
    virtual ~TrashService() = default;
    // True when the file is in the trash, and `trashed` (when given) says
    // where it lies there; otherwise false with the reason.
    virtual bool moveToTrash(const QString &path, QString *error, TrashedFile *trashed = nullptr) = 0;
    // Whether this platform lets the program take a file back itself.
    virtual bool canRestore() const = 0;
    // Whether a path is a place in the files of one of this user's trash
    // folders, the only places a file is taken back from.
    virtual bool inTrash(const QString &place) const = 0;
    // Moves a trashed file back to `path`, never replacing a file that has
    // that name now, and drops its trash record; only while that record still
    // names `path` and this deletion, so that a file another program gave
    // back, or whose place a later deletion took, is never moved.
    virtual MoveResult restore(const TrashedFile &trashed, const QString &path) = 0;
};

class QtTrashService : public TrashService {
public:
    bool moveToTrash(const QString &path, QString *error, TrashedFile *trashed = nullptr) override;
    bool canRestore() const override;
    bool inTrash(const QString &place) const override;
    MoveResult restore(const TrashedFile &trashed, const QString &path) override;

private:
    SafeMove m_move; // what each volume offers, learned once
};
