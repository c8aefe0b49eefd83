#pragma once

#include "platform/safemove.h"

#include <QString>

// Moves one file to the platform's trash (the recycle bin on Windows, the
// desktop trash elsewhere), from which any file manager can restore it. A file
// that cannot be trashed stays where it was; it is never deleted for good.
class TrashService {
public:
    virtual ~TrashService() = default;
    // True when the file is in the trash; otherwise false with the reason.
    virtual bool moveToTrash(const QString &path, QString *error) = 0;
};

class QtTrashService : public TrashService {
public:
    bool moveToTrash(const QString &path, QString *error) override;

private:
    SafeMove m_move; // what each volume offers, learned once
};
