#pragma once

#include "platform/safemove.h"

#include <QString>

// Moves one file to the platform's trash (the recycle bin on Windows, the
// desktop trash elsewhere), from which any file manager can restore it. A file
// that cannot be trashed stays where it was; it is never deleted for good.
class TrashService {
public:
    virtual ~TrashService() = default;
    // True when the file is in the trash, and `placeInTrash` (when given)
    // says where it lies there; otherwise false with the reason.
    virtual bool moveToTrash(const QString &path, QString *error, QString *placeInTrash = nullptr) = 0;
    // Whether this platform lets the program take a file back itself.
    virtual bool canRestore() const = 0;
    // Moves a file from its place in the trash back to `path`, never
    // replacing a file that has that name now, and drops its trash record.
    virtual MoveResult restore(const QString &placeInTrash, const QString &path) = 0;
};

class QtTrashService : public TrashService {
public:
    bool moveToTrash(const QString &path, QString *error, QString *placeInTrash = nullptr) override;
    bool canRestore() const override;
    MoveResult restore(const QString &placeInTrash, const QString &path) override;

private:
    SafeMove m_move; // what each volume offers, learned once
};
