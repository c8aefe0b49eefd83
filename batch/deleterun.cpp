// The deletion run: the selected files go to the Recycle Bin (the desktop
// trash), one at a time, after one question for the whole batch. They go off
// the interface thread, block by block: the trash records of a block are
// made and synced once, the block is written to the journal, and only then
// do its files move, so that whatever stops the run, every file that went
// can be taken back, or a record that survived names it.
#include "batch/batchrunner.h"
#include "platform/platformservices.h"
#include "window/filelist.h"
#include "window/filerenamer.h"
#include "window/previewlist.h"

#include <QDir>
#include <QElapsedTimer>

#include <vector>

namespace {

// Files one block prepares at most, and how long it may take: a block's
// files move within a second of being looked at.
constexpr int BlockFiles = 4096;
constexpr int BlockMs = 200;

} // namespace

void FileRenamer::Delete_Click()
{
    CountSelected();
    const int answer = m_services.messageBox->show(
        QStringLiteral("Are you sure you want to send %1 file(s) to the Recycle Bin ?").arg(m_selectedCount),
        MsgBox::OkCancel | MsgBox::IconQuestion, QStringLiteral("Quorlane"));
    if (answer == MsgBox::AnswerCancel)
        return;

    const QString folder = File1->path();
    m_services.pointer->set(Pointer::Busy);
    // The list is not re-read during the walk, so the indexes stay valid
    // while the files leave the folder.
    const SelectedRows rows = File1->selectedRows();
    const auto tell = [this](const QString &text) {
        m_services.pointer->set(Pointer::Arrow);
        m_services.messageBox->show(text, MsgBox::Ok, QStringLiteral("Quorlane"));
        m_services.pointer->set(Pointer::Busy);
    };
    // Where each file goes is journaled ahead, where the platform can bring
    // it back; elsewhere the folder's last rename stays the one to take back.
    // The journal begins with the first file that can go.
    const bool journaled = m_services.trash->canRestore();
    bool begun = false;
    JournalBatch batch{JournalBatch::Kind::Delete, folder, QString(), {}, {}, std::nullopt};
    batch.planned = rows.count();
    batch.numbersLast = NumbersLast(folder);
    QString error;

    std::vector<TrashedFile> places(size_t(rows.count()));
    std::vector<QString> refused(size_t(rows.count())); // why a file cannot go, found while preparing
    std::vector<int> moveOf(size_t(rows.count()), -1); // its move in the journal
    const FileNames names = File1->fileNames();
    const auto pathOf = [&](int k) { return FullPath(folder, names.at(rows.row(k))); };
    QString journalError;
    int prepared = 0;
    int sent = 0;
    BatchRunner runner(this, *m_services.progress);
    const int walked = runner.run(
        QStringLiteral("Sending %1 of %2 to the Recycle Bin"), rows.count(), [&](int k) {
            if (k == prepared) {
                // The next block: the records of its files, one sync for all,
                // and the block in the journal, before the first of them moves.
                QElapsedTimer preparing;
                preparing.start();
                const qsizetype first = batch.from.size();
                while (prepared < rows.count() && prepared - k < BlockFiles
                       && preparing.elapsed() < BlockMs) {
                    const QString path = pathOf(prepared);
                    const std::optional<FileIdentity> identity = IdentityOf(path);
                    TrashedFile &place = places[size_t(prepared)];
                    QString &why = refused[size_t(prepared)];
                    if (!identity)
                        why = QStringLiteral("The file does not exist.");
                    else if (m_services.trash->prepare(path, &place, &why)) {
                        moveOf[size_t(prepared)] = int(batch.from.size());
                        batch.from.append(names.at(rows.row(prepared)));
                        batch.to.append(place.place);
                        batch.deletedAt.append(place.deletedAt);
                        batch.identities.push_back(*identity);
                    }
                    ++prepared;
                }
                const bool some = batch.from.size() > first;
                begun = begun || (journaled && some && m_journal.begin(batch, &journalError));
                const bool synced = journalError.isEmpty() && m_services.trash->syncPrepared(&journalError)
                    && (!journaled || !some || m_journal.add(batch, first, batch.from.size(), &journalError));
                if (!synced) {
                    for (int j = k; j < prepared; ++j)
                        m_services.trash->unprepare(places[size_t(j)]);
                    return false;
                }
            }
            const QString path = pathOf(k);
            if (moveOf[size_t(k)] < 0) {
                runner.onWindow([&] { NotSentToRecycleBin(path, refused[size_t(k)]); });
                return true;
            }
            const QString planned = places[size_t(k)].place;
            if (!DelToRecycBin(path, &places[size_t(k)], &error)) {
                runner.onWindow([&] { NotSentToRecycleBin(path, error); });
                return true;
            }
            ++sent;
            // Another place than the one journaled: the file is there already,
            // and its record there names it.
            if (begun && places[size_t(k)].place != planned) {
                batch.to = [&] {
                    FileNames to;
                    for (qsizetype m = 0; m < batch.to.size(); ++m)
                        to.append(m == moveOf[size_t(k)] ? QStringView(places[size_t(k)].place)
                                                         : batch.to.at(m));
                    return to;
                }();
                batch.deletedAt[moveOf[size_t(k)]] = places[size_t(k)].deletedAt;
                m_journal.movePlace(batch, moveOf[size_t(k)], &error);
            }
            return true;
        });
    m_services.trash->endBatch();
    if (begun && sent == 0)
        m_journal.withdraw();
    else if (begun)
        m_journal.end(sent);
    const QString file = walked < rows.count() ? QDir::toNativeSeparators(pathOf(walked)) : QString();
    if (runner.stopped())
        tell(QStringLiteral("Stopped at your request before %1: %2 of %3 files were sent to the Recycle Bin; "
                            "the others stay where they are.")
                 .arg(file)
                 .arg(sent)
                 .arg(rows.count()));
    else if (walked < rows.count() && sent == 0)
        tell(QStringLiteral("Nothing was sent to the Recycle Bin: ") + journalError);
    else if (walked < rows.count())
        tell(QStringLiteral("Sending files to the Recycle Bin stopped before %1, and the others stay where "
                            "they are:\r%2")
                 .arg(file, journalError));
    m_services.pointer->set(Pointer::Arrow);
    File1->refresh();
    List1->clear();
}

// One file, its trash record made, goes to the trash; where its place was
// taken meanwhile (or lies on another volume), another one is prepared.
bool FileRenamer::DelToRecycBin(const QString &path, TrashedFile *trashed, QString *error)
{
    MoveResult result = m_services.trash->complete(path, *trashed);
    while (!result.done && m_services.trash->prepareAnew(path, trashed, error))
        result = m_services.trash->complete(path, *trashed);
    if (!result.done && !result.error.isEmpty())
        *error = result.error;
    return result.done;
}

// A file that cannot go to the trash is named with the reason, and the run
// goes on with the next file. The message says the file stays where it is
// only when it is still there.
void FileRenamer::NotSentToRecycleBin(const QString &path, const QString &error)
{
    m_services.pointer->set(Pointer::Arrow);
    const QString text = OnDisk(path)
        ? QStringLiteral("This file could not be sent to the Recycle Bin and stays where it is:\r%1\r%2")
        : QStringLiteral("This file could not be sent to the Recycle Bin:\r%1\r%2");
    m_services.messageBox->show(text.arg(QDir::toNativeSeparators(path), error), MsgBox::Ok,
                                QStringLiteral("Quorlane"));
    m_services.pointer->set(Pointer::Busy);
}
