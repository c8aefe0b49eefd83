#pragma once

#include <QString>

// Renames one file, atomically and never replacing another file: the call
// fails when a different file already has the new name, when the new path is
// on another file system (no copying), when either path holds a NUL
// character, or when the file system refuses it. A change of letter case
// alone succeeds also where names ignore case.
class RenameService {
public:
    virtual ~RenameService() = default;
    // True on success; otherwise false with the reason in `error`.
    virtual bool rename(const QString &presentPath, const QString &newPath, QString *error) = 0;
};

class NativeRenameService : public RenameService {
public:
    bool rename(const QString &presentPath, const QString &newPath, QString *error) override;
};
