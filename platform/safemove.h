#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>

#include <map>
#include <utility>

// Where one move of a file to a new name ended.
struct MoveResult {
    bool done = false;
    int code = 0; // the system's error number when not done (errno; GetLastError on Windows)
    QString error; // the reason when not done
    QString strandedAt; // the temporary name the file was left under, if any
};

// Moves one file to a free name on the same volume, never replacing another
// file, by the safest route the volume offers. What a volume offers (the
// no-replace rename, hard links, names that ignore letter case, the
// characters its names may hold) is learned once and kept here, so one
// object serves every file of a batch. A failure never removes the last name
// of a file: every step that reports an error is checked on disk before
// anything is undone.
class SafeMove {
public:
    MoveResult move(const QString &from, const QString &to);

private:
    enum class Route { NoReplace, Link, CheckedRename };
    struct Volume {
        Route route = Route::NoReplace;
        bool fatNames = false; // FAT, exFAT and NTFS refuse < > : " \ | ? * and control characters
        bool ignoresCase = false; // seen to take a case-only rename as a rename of the same file
    };

    Volume *volumeOf(QStringView folder, int *error);
    MoveResult moveBy(Volume &volume, const QString &from, const QString &to);
    MoveResult throughTemporary(Volume &volume, const QString &from, const QString &to);

    std::map<std::pair<quint64, QByteArray>, Volume> m_volumes; // by device number and type
    // The folder of the last move and its volume, trusted for a second.
    QString m_lastFolder;
    Volume *m_lastVolume = nullptr;
    QElapsedTimer m_lastLookup;
};
