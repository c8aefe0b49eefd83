// Taking a batch back: the last rename or delete of the folder shown, as the
// journal keeps it. Files move back last first, by the same never-replacing
// move as the runs, and only a file that is the very one the batch moved: a
// file another program put under its new name, or one reached through a
// folder that is a link now, stays where it is. One message at the end names
// every file that stayed; those still away are offered again.
#include "batch/batchrunner.h"
#include "platform/platformservices.h"
#include "window/filelist.h"
#include "window/filerenamer.h"
#include "window/previewlist.h"

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>

namespace {

// Files named in the message, at most; the rest are counted.
constexpr int MaxNamed = 10;

// A change of the letter case alone, which names one file where names ignore
// case: the folder's own listing tells which spelling is there.
bool caseOnly(QStringView present, QStringView wanted)
{
    return present != wanted && present.compare(wanted, Qt::CaseInsensitive) == 0;
}

// The first folder part of a new name that is a link now, if any.
QString linkIn(const QString &folder, QStringView newName)
{
    const QList<QStringView> parts = newName.split(u'/');
    QString path = folder;
    for (qsizetype i = 0; i + 1 < parts.size(); ++i) {
        path = FullPath(path, parts.at(i));
        if (QFileInfo(path).isSymLink())
            return QDir::toNativeSeparators(path);
    }
    return {};
}

} // namespace

// A delete batch is taken back only where the platform can restore, and
// only from places in this user's trash folders.
std::optional<JournalBatch> FileRenamer::UndoableBatch() const
{
    std::optional<JournalBatch> batch = m_journal.last(File1->path());
    if (!batch || batch->kind == JournalBatch::Kind::Rename)
        return batch;
    if (!m_services.trash->canRestore())
        return std::nullopt;
    for (qsizetype k = 0; k < batch->to.size(); ++k) {
        if (!m_services.trash->inTrash(batch->to.at(k).toString()))
            return std::nullopt;
    }
    return batch;
}

// As the run recorded at its end; for a run that never did (the program was
// killed, the machine went off), as the files themselves show it. A rename
// stops at its first failure, so the files it moved are the first ones of
// the batch: the last move whose file is at its new name tells how many. A
// delete goes on past a failure: each file in the trash counts.
int FileRenamer::MovesDone(const JournalBatch &batch) const
{
    if (batch.done)
        return *batch.done;
    if (batch.kind == JournalBatch::Kind::Delete) {
        int inTrash = 0;
        for (qsizetype k = 0; k < batch.from.size(); ++k)
            inTrash += batch.moved(k, batch.to.at(k).toString()) ? 1 : 0;
        return inTrash;
    }
    std::optional<QSet<QString>> listed;
    for (qsizetype k = batch.from.size() - 1; k >= 0; --k) {
        const QStringView present = batch.from.at(k);
        const QStringView wanted = batch.to.at(k);
        bool moved = batch.moved(k, FullPath(batch.folder, wanted));
        if (moved && caseOnly(present, wanted)) {
            if (!listed)
                listed = ListEveryName(batch.folder);
            moved = listed->contains(wanted.toString()) && !listed->contains(present.toString());
        }
        if (moved)
            return int(k) + 1;
    }
    return 0;
}

// A run stops at its first failure, so only the move after the last one done
// can have left its file under its temporary name: between the two steps of
// a change of letter case where names ignore it, when the run was killed or
// the step back failed.
QString FileRenamer::StrandedAt(const JournalBatch &batch, int done) const
{
    if (batch.kind != JournalBatch::Kind::Rename || done >= batch.from.size())
        return {};
    const QString temporary = FullPath(batch.folder, batch.temporaryName(done));
    return batch.moved(done, temporary) ? temporary : QString();
}

QString FileRenamer::UndoText(const JournalBatch &batch, int files)
{
    const QString counted = files == 1 ? QStringLiteral("1 file") : QStringLiteral("%1 files").arg(files);
    return batch.kind == JournalBatch::Kind::Rename
        ? QStringLiteral("Undo rename of %1").arg(counted)
        : QStringLiteral("Restore %1 from the trash").arg(counted);
}

void FileRenamer::UndoLastBatch()
{
    const std::optional<JournalBatch> found = UndoableBatch();
    if (!found)
        return;
    const JournalBatch &batch = *found;
    const bool rename = batch.kind == JournalBatch::Kind::Rename;
    const QString &folder = batch.folder;
    QString error;
    if (!m_journal.lock(folder, &error)) {
        m_services.messageBox->show(error, MsgBox::Ok | MsgBox::IconExclamation, QStringLiteral("Quorlane"));
        return;
    }
    m_services.pointer->set(Pointer::Busy);
    // A rename takes back its first moves, the one left halfway too; a
    // delete every move, each checked.
    const int done = rename ? MovesDone(batch) : int(batch.from.size());
    const QString stranded = StrandedAt(batch, done);
    const int count = rename ? done + (stranded.isEmpty() ? 0 : 1) : done;
    QStringList stayed;
    std::vector<bool> away(size_t(batch.from.size()), false); // still away after the undo
    std::optional<QSet<QString>> listed;
    BatchRunner runner(this, *m_services.progress);
    // Where the k-th move left its file, as a path and as the journal names
    // it: the file left halfway is at its temporary name.
    const auto newNameOf = [&](int k) {
        return !stranded.isEmpty() && k == done ? batch.temporaryName(k) : batch.to.at(k).toString();
    };
    const auto placeOf = [&](int k) { return rename ? FullPath(folder, newNameOf(k)) : newNameOf(k); };
    const int walked = runner.run(QStringLiteral("Undoing %1 of %2"), count, [&](int step) {
        const int k = count - 1 - step;
        const QString path = FullPath(folder, batch.from.at(k));
        const QString place = placeOf(k);
        const QString link = rename ? linkIn(folder, batch.to.at(k)) : QString();
        QString reason;
        if (!link.isEmpty()) {
            reason = QStringLiteral("the folder %1 is a link now").arg(link);
        } else if (!batch.moved(k, place)) {
            // A file already back under its name is left as it is.
            if (batch.moved(k, path))
                return true;
            reason = OnDisk(place) ? QStringLiteral("this is not the file the batch moved")
                                   : QStringLiteral("the file is no longer there");
        } else if (rename && place != stranded && caseOnly(batch.from.at(k), batch.to.at(k))) {
            if (!listed)
                listed = ListEveryName(folder);
            if (!listed->contains(batch.to.at(k).toString()))
                return true; // its present spelling is back
        }
        if (reason.isEmpty()) {
            const MoveResult result = rename
                ? m_services.rename->rename(place, path)
                : m_services.trash->restore({place, batch.deletedAt.value(k)}, path);
            if (result.done)
                return true;
            away[size_t(k)] = batch.moved(k, place);
            reason = OnDisk(path) && OnDisk(place)
                ? QStringLiteral("%1 is taken by another file").arg(batch.from.at(k))
                : result.error;
            if (!result.strandedAt.isEmpty())
                reason += QLatin1String("; the file is now ") + QDir::toNativeSeparators(result.strandedAt);
        }
        stayed.append(QDir::toNativeSeparators(place) + QLatin1String(": ") + reason);
        return true;
    });
    if (walked < count)
        stayed.append(
            QStringLiteral("Stopped at your request: %1 of %2 files went back.").arg(walked).arg(count));

    // What is still away stays offered: those that could not go back, and
    // those a stop left; a file left halfway is offered by the temporary
    // name it has.
    JournalBatch remaining{batch.kind, folder, batch.counterStart, {}, {}, std::nullopt};
    remaining.numbersLast = batch.numbersLast;
    for (int k = 0; k < count; ++k) {
        const bool left = k < count - walked && batch.moved(k, placeOf(k));
        if (!away[size_t(k)] && !left)
            continue;
        remaining.from.append(batch.from.at(k));
        remaining.to.append(newNameOf(k));
        remaining.identities.push_back(batch.identities.at(size_t(k)));
        if (!rename)
            remaining.deletedAt.append(batch.deletedAt.value(k));
    }
    remaining.planned = remaining.from.size();
    m_journal.keepOnly(remaining);

    File1->refresh();
    if (rename)
        CounterStart->setText(batch.counterStart);
    List1->clear();
    m_services.pointer->set(Pointer::Arrow);
    if (stayed.isEmpty())
        return;
    QString text = rename ? QStringLiteral("These files could not go back to their names:")
                          : QStringLiteral("These files could not come back from the trash:");
    for (const QString &line : stayed.mid(0, MaxNamed))
        text += QLatin1Char('\r') + line;
    if (stayed.size() > MaxNamed)
        text += QStringLiteral("\rand %1 more").arg(stayed.size() - MaxNamed);
    m_services.messageBox->show(text, MsgBox::Ok | MsgBox::IconExclamation, QStringLiteral("Quorlane"));
}
