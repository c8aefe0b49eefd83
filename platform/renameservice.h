#pragma once

#include "platform/safemove.h"

#include <QString>

// Renames one file, never replacing another file: the call fails when a
// different file already has the new name, when the new path is on another
// file system (no copying), when either path holds a NUL character, when the
// drive cannot hold the new name, or when the file system refuses it. A
// change of letter case alone succeeds also where names ignore case.
class RenameService {
public:
    virtual ~RenameService() = default;
    // Done, or the reason it is not, and where the file was left when it is
    // under neither name. A change of letter case alone goes through
    // `temporaryPath` where names ignore case, when one is given.
    virtual MoveResult rename(const QString &presentPath, const QString &newPath,
                              const QString &temporaryPath = QString())
        = 0;
    // What a rename into `folder` would refuse; nothing is moved.
    virtual VolumeFacts volumeFacts(const QString &folder) = 0;
};

class NativeRenameService : public RenameService {
public:
    MoveResult rename(const QString &presentPath, const QString &newPath,
                      const QString &temporaryPath = QString()) override;
    VolumeFacts volumeFacts(const QString &folder) override;

private:
    SafeMove m_move; // what each volume offers, learned once
};
