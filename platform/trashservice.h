#pragma once

#include "platform/safemove.h"

#include <QHash>
#include <QString>
#include <QStringList>

// Where a trashed file lies in the trash, and the deletion date its trash
// record holds, which tells this deletion from a later one of the same name.
struct TrashedFile {
    QString place;
    QString deletedAt;
};

// Moves files to the platform's trash (the recycle bin on Windows, the
// desktop trash elsewhere), from which any file manager can restore them. A
// file that cannot be trashed stays where it was; it is never deleted for
// good.
//
// A file goes in steps, so that the records of a block of files reach the
// disk by one sync before any of them moves: `prepare` makes the file's
// record and says where the file will lie, `syncPrepared` makes the records
// prepared so far durable, `complete` moves the file there. The trash of a
// folder is found once and kept until a step fails or `endBatch`.
class TrashService {
public:
    virtual ~TrashService() = default;

    // The file's record, and in `trashed` its place and deletion date;
    // false with the reason when the file cannot go to the trash.
    virtual bool prepare(const QString &path, TrashedFile *trashed, QString *error) = 0;
    // After `complete` failed because the place was taken, or lies on
    // another volume than the file: the record goes, and another one is made
    // and synced.
    virtual bool prepareAnew(const QString &path, TrashedFile *trashed, QString *error) = 0;
    virtual bool syncPrepared(QString *error) = 0;
    // Moves the file to the place prepared for it, never replacing a file.
    // When it fails and the file stays, its record goes too, unless the
    // failure leaves room to prepare anew (the place taken, or another
    // volume: the system's error in `code`).
    virtual MoveResult complete(const QString &path, const TrashedFile &trashed) = 0;
    // A prepared file that will not move: its record goes.
    virtual void unprepare(const TrashedFile &trashed) = 0;
    // The batch is over: the next file finds its trash anew.
    virtual void endBatch() = 0;

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

    // One file to the trash in one go. True when it is in the trash, and
    // `trashed` (when given) says where it lies there; otherwise false with
    // the reason.
    bool moveToTrash(const QString &path, QString *error, TrashedFile *trashed = nullptr);
};

class QtTrashService : public TrashService {
public:
    bool prepare(const QString &path, TrashedFile *trashed, QString *error) override;
    bool prepareAnew(const QString &path, TrashedFile *trashed, QString *error) override;
    bool syncPrepared(QString *error) override;
    MoveResult complete(const QString &path, const TrashedFile &trashed) override;
    void unprepare(const TrashedFile &trashed) override;
    void endBatch() override;
    bool canRestore() const override;
    bool inTrash(const QString &place) const override;
    MoveResult restore(const TrashedFile &trashed, const QString &path) override;

private:
    // A trash folder as found for the files of one folder, the folder its
    // records' paths are relative to (none for the home trash), the folders
    // made for it, and whether it is the home trash on the files' volume.
    struct Trash {
        QString path;
        QString top;
        QStringList made;
        bool home = false;
    };
    // A record made: where it lies, the number in its name, the trash it is
    // in, and the error its move last met.
    struct Record {
        QString path;
        int number = 0;
        QString trash;
        int failedWith = 0;
    };

    bool findTrash(const QString &folder, bool home, QString *error);
    bool makeRecord(const QString &path, int firstNumber, TrashedFile *trashed, QString *error);
    void forgetTrash();

    SafeMove m_move; // what each volume offers, learned once
    QString m_folder; // whose trash is found
    Trash m_trash;
    QString m_unsynced; // a trash with records not yet synced
    QHash<QString, Record> m_records; // by the place prepared
};
