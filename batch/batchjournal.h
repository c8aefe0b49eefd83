#pragma once

#include "platform/durablefile.h"
#include "platform/fileidentity.h"
#include "platform/folderreader.h"

#include <QLockFile>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <memory>
#include <optional>
#include <vector>

// One batch as the journal keeps it, so that it can be taken back.
struct JournalBatch {
    enum class Kind { Rename, Delete };

    Kind kind = Kind::Rename;
    // The folder the batch ran in, as the file list showed it.
    QString folder;
    // The counter start's text before the batch.
    QString counterStart;
    // The moves in run order, the k-th from from.at(k) to to.at(k). A rename:
    // the present name and the new name, both within the folder, the new
    // name's folder part as the real folder it led to; a delete: the file's
    // name and where it lies in the trash.
    FileNames from;
    FileNames to;
    // How many moves the run carried out; empty when the run never recorded
    // its end (the program was killed, the machine went off).
    std::optional<int> done;
    // A delete: the deletion date each file's trash record holds.
    QStringList deletedAt = {};
    // The batch's own id, which names its temporary names.
    QByteArray id = QUuid::createUuid().toByteArray(QUuid::Id128);
    // Each moved file as it was when it moved, by move.
    std::vector<FileIdentity> identities = {};
    // Whether the folder's volume keeps file numbers for good.
    bool numbersLast = true;
    // The moves the run set out to make; the journal holds those of them it
    // reached.
    qsizetype planned = 0;

    // The name in the folder through which the k-th move changes the letter
    // case alone where names ignore case. Known ahead, so that a file left
    // there by a run that was killed is found and brought back.
    QString temporaryName(qsizetype k) const;
    // Whether the file at `path` now is the one the k-th move moved.
    bool moved(qsizetype k, const QString &path) const;
};

// The journal of batches, one file per folder in the user's application
// data, each holding the folder's last batch; this user's alone. A batch is
// written ahead of its moves: its header first, then its moves block by
// block, each block on the disk before any of its files moves. A folder's
// journal is locked for the length of a batch, so two batches in one folder
// never run at once.
class BatchJournal {
public:
    // Journals under `location`; by default the application's data folder.
    explicit BatchJournal(QString location = QString());
    ~BatchJournal();

    // Starts keeping `batch` (its folder, kind, counter start, id and
    // planned moves; no moves yet) as its folder's last batch, in place of
    // the one before, which stays at hand until this one has moved a file.
    // False with the reason when the journal cannot be written or another
    // batch holds the folder: then nothing may move.
    bool begin(const JournalBatch &batch, QString *error);
    // Adds the moves from `first` to before `last` of the batch begun, and
    // makes them durable.
    bool add(const JournalBatch &batch, qsizetype first, qsizetype last, QString *error);
    // The k-th move of the delete begun goes to another place in the trash.
    bool movePlace(const JournalBatch &batch, qsizetype k, QString *error);
    // Records the end of the batch begun: `done` moves carried out. The lock
    // is let go.
    void end(int done);
    // The batch begun moved nothing: the folder's batch before it is its last
    // one again.
    void withdraw();

    // Takes the folder's lock for an undo; false with the reason when another
    // batch holds it. `end`, `withdraw` and `keepOnly` let it go.
    bool lock(const QString &folder, QString *error);
    // After an undo, `batch` (whole, its moves all done) is the folder's last
    // batch: what is still away; no moves, and the journal keeps none.
    void keepOnly(const JournalBatch &batch);

    // The folder's last batch, if one is kept, reads whole and unchanged,
    // holds only what a batch of this folder can hold, and was written for
    // the folder that is at this path now (not another volume or folder
    // mounted or made there since).
    std::optional<JournalBatch> last(const QString &folder) const;

    // Folders whose last batch is kept, at most; the oldest go first.
    static constexpr int MaxFolders = 64;

private:
    QString fileOf(const QString &folder, const char *suffix) const;
    // Lines and their sum after the file's end; on the disk unless not `durable`.
    bool appendBlock(const QByteArray &lines, QString *error, bool durable = true);
    void release();
    void keepNewest() const;

    QString m_location;
    // The batch begun, whose end is still to come.
    QString m_folder;
    DurableFile m_file;
    QByteArray m_sum; // the sum that ends what the file holds so far
    std::unique_ptr<QLockFile> m_lock;
};
