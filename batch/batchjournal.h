#pragma once

#include "platform/folderreader.h"

#include <QString>
#include <QStringList>
#include <QUuid>

#include <optional>

// One batch as the journal keeps it, so that it can be taken back.
struct JournalBatch {
    enum class Kind { Rename, Delete };

    Kind kind = Kind::Rename;
    // The folder the batch ran in, as the file list showed it.
    QString folder;
    // The counter start's text before the batch.
    QString counterStart;
    // The moves in run order, the k-th from from.at(k) to to.at(k). A rename:
    // the present name and the new name, both within the folder; a delete:
    // the file's name and where it lies in the trash.
    FileNames from;
    FileNames to;
    // How many moves the run carried out; empty when the run never recorded
    // its end (the program was killed, the machine went off).
    std::optional<int> done;
    // A delete: the deletion date each file's trash record holds.
    QStringList deletedAt = {};
    // The batch's own id, which names its temporary names.
    QByteArray id = QUuid::createUuid().toByteArray(QUuid::Id128);

    // The name in the folder through which the k-th move changes the letter
    // case alone where names ignore case. Known ahead, so that a file left
    // there by a run that was killed is found and brought back.
    QString temporaryName(qsizetype k) const;
};

// The journal of batches, one file per folder in the user's application
// data, each holding the folder's last batch. Every write reaches the disk in
// one flush and sync; a batch whose journal cannot be written runs all the
// same and can simply not be taken back.
class BatchJournal {
public:
    // Journals under `location`; by default the application's data folder.
    explicit BatchJournal(QString location = QString());

    // Keeps `batch` as its folder's last batch, in place of the one before.
    bool write(const JournalBatch &batch);
    // Records the end of the batch written last: `done` moves carried out.
    bool recordEnd(int done);
    // The batch written last moved nothing: the folder's batch before it is
    // its last one again.
    void withdraw();
    // The folder's last batch, if one is kept, reads whole and unchanged,
    // holds only what a batch of this folder can hold, and was written for
    // the folder that is at this path now (not another volume or folder
    // mounted or made there since).
    std::optional<JournalBatch> last(const QString &folder) const;
    // The folder's batch is taken back: the journal keeps none for it.
    void forget(const QString &folder);

    // Folders whose last batch is kept, at most; the oldest go first.
    static constexpr int MaxFolders = 64;

private:
    QString fileOf(const QString &folder, const char *suffix) const;
    void keepNewest() const;

    QString m_location;
    // The batch written last, whose end is still to come.
    QString m_folder;
    QByteArray m_id;
};
