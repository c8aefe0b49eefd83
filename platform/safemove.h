#pragma once

#include "platform/namecase.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>

#include <map>
#include <memory>
#include <mutex>
#include <utility>

// FAT, exFAT and NTFS-like volumes: their names refuse < > : " \ | ? * and
// control characters, and their files have no owner or permissions of their
// own, only those the whole volume was mounted with.
bool HasWindowsNames(const QByteArray &fileSystemType);

// Where one move of a file to a new name ended.
struct MoveResult {
    bool done = false;
    int code = 0; // the system's error number when not done (errno; GetLastError on Windows)
    QString error; // the reason when not done
    QString strandedAt; // the temporary name the file was left under, if any
};

// How a full volume keeps names out of a folder. An exFAT card without a free
// cluster cannot grow a folder, so a name needs free entries of 32 bytes in
// its folder: two for the file and one for every 15 UTF-16 units of its name.
enum class FolderRoom : quint8 {
    Unbounded, // the volume has room, or how it keeps names is not known
    LongerNames, // a name that needs more entries than the file has takes free ones
    EveryName, // every new name takes free entries, the old ones freed after it (exFAT through FUSE)
};

// What a rename onto a volume would refuse, known before anything is moved.
struct VolumeFacts {
    bool ignoresCase = false; // names that differ only in letter case name one file
    CaseRule caseRule = CaseRule::System; // which names are one where case is ignored
    std::shared_ptr<const UpCaseTable> upCase; // the volume's own table, where it was read
    bool fatNames = false; // names cannot hold < > : " \ | ? * or control characters
    bool asciiNames = false; // names hold ASCII characters only
    bool backslashSeparates = false; // "\" parts a path as "/" does
    bool lengthInUtf16 = false; // the longest name counts UTF-16 units, else the bytes of the encoded name
    bool windowsNames = false; // Windows keeps the names of WindowsNameFate from files
    int longestName = 255;
    int longestPath = 0; // the bytes of the longest path the system takes; 0 where it sets none
    bool entryMarks = false; // files and folders may be marked immutable or append-only
    bool renamesMoveTime = true; // a rename in a folder moves the folder's modification time
    FolderRoom room = FolderRoom::Unbounded;

    // The place of the first character of `name` the volume cannot hold (NUL
    // on every volume), or -1.
    qsizetype refusedAt(QStringView name) const;
    bool tooLong(QStringView name) const;
    // A name as the volume compares names: two names are one file's where
    // their keys are equal.
    QString nameKey(QStringView name) const;
    bool sameName(QStringView a, QStringView b) const;
    bool operator==(const VolumeFacts &other) const;
    bool operator!=(const VolumeFacts &other) const { return !(*this == other); }
};

// The place of the first character of `name` that FAT, exFAT and NTFS names
// cannot hold, or -1.
qsizetype FatRefusedCharacterAt(QStringView name);

// What Windows does with a file name: keeps it, drops the dot or blank at its
// end, or opens a device (CON, PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9,
// also with an extension), so that no file gets the name.
enum class WindowsName { Kept, EndDropped, Device };
WindowsName WindowsNameFate(QStringView name);

// Moves one file to a free name on the same volume, never replacing another
// file, by the safest route the volume offers. What a volume offers (the
// no-replace rename, hard links, names that ignore letter case, the
// characters its names may hold) is learned once and kept here, so one
// object serves every file of a batch. A failure never removes the last name
// of a file: every step that reports an error is checked on disk before
// anything is undone. A batch may move its files on a thread of its own.
class SafeMove {
public:
    // `temporary`, when given, is the name a change of letter case alone
    // goes through where names ignore case; it lies in the folder of `to`
    // and is free. Given ahead, a file left there by a run that was killed
    // can be found again.
    MoveResult move(const QString &from, const QString &to, const QString &temporary = QString());
    // What a move into `folder` would refuse: what was learned of its volume,
    // and where the case of names is not known yet, a look that moves nothing.
    VolumeFacts facts(const QString &folder);

private:
    enum class Route { NoReplace, Link, CheckedRename };
    struct Volume {
        Route route = Route::NoReplace;
        bool fatNames = false; // FAT, exFAT and NTFS refuse < > : " \ | ? * and control characters
        bool ignoresCase = false; // seen to take a case-only rename as a rename of the same file
        // Seen to tell a name from its other spelling, on a volume whose
        // folders carry no case-folding mark and so answer alike.
        bool keepsCase = false;
        bool repliesTrue = false; // a local file system: a move reported failed never took place
        // What its type and device tell, learned once: whether names ignore
        // case whatever the folder, and how they are compared then.
        bool typeLearned = false;
        bool foldsCase = false;
        bool exFat = false;
        bool asciiNames = false;
        bool entryMarks = false;
        FolderRoom whenFull = FolderRoom::Unbounded;
        bool renamesMoveTime = true;
        CaseRule caseRule = CaseRule::System;
        std::shared_ptr<const UpCaseTable> upCase;
    };

    Volume *volumeOf(QStringView folder, int *error);
    static void learnType(Volume &volume, const QString &folder);
    static bool sameIgnoringCase(const Volume &volume, QStringView a, QStringView b);
    MoveResult moveBy(Volume &volume, const QString &from, const QString &to);
    MoveResult throughTemporary(Volume &volume, const QString &from, const QString &to, QString temporary);

    std::mutex m_lock; // over what is learned of the volumes
    std::map<std::pair<quint64, QByteArray>, Volume> m_volumes; // by device number and type
    // The folder of the last move and its volume, trusted for a second after
    // the last look or move.
    QString m_lastFolder;
    Volume *m_lastVolume = nullptr;
    QElapsedTimer m_lastLookup;
};
