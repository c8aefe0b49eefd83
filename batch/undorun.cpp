// Taking a batch back: the last rename or delete of the folder shown, as the
// journal keeps it. Files move back last first, by the same never-replacing
// move as the runs; a file whose name another file took meanwhile stays
// where it is, and one message at the end names every such file.
#include "platform/platformservices.h"
#include "window/filelist.h"
#include "window/filerenamer.h"
#include "window/previewlist.h"

#include <QDir>
#include <QLineEdit>

namespace {

// Files named in the message, at most; the rest are counted.
constexpr int MaxNamed = 10;

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
// killed, the machine went off), as the disk shows it. A run stops at its
// first failure, so the files it moved are the first ones of the batch: the
// last move whose new name is there and whose present name is not tells how
// many. Where names ignore letter case, a new name that differs from the
// present one only in case is looked for in the folder's own listing.
int FileRenamer::MovesDone(const JournalBatch &batch) const
{
    if (batch.done)
        return *batch.done;
    std::optional<QSet<QString>> listed;
    for (qsizetype k = batch.from.size() - 1; k >= 0; --k) {
        const QStringView present = batch.from.at(k);
        const QStringView wanted = batch.to.at(k);
        bool moved = false;
        if (present != wanted && present.compare(wanted, Qt::CaseInsensitive) == 0) {
            if (!listed)
                listed = ListEveryName(batch.folder);
            moved = listed->contains(wanted.toString()) && !listed->contains(present.toString());
        } else {
            moved = OnDisk(FullPath(batch.folder, wanted)) && !OnDisk(FullPath(batch.folder, present));
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
    return OnDisk(temporary) ? temporary : QString();
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
    const std::optional<JournalBatch> batch = UndoableBatch();
    if (!batch)
        return;
    const bool rename = batch->kind == JournalBatch::Kind::Rename;
    const QString &folder = batch->folder;
    m_services.pointer->set(Pointer::Busy);
    QStringList stayed;
    const int done = MovesDone(*batch);
    const QString stranded = StrandedAt(*batch, done);
    for (int k = stranded.isEmpty() ? done - 1 : done; k >= 0; --k) {
        const QString path = FullPath(folder, batch->from.at(k));
        const QString place = k == done ? stranded
            : rename                    ? FullPath(folder, batch->to.at(k))
                                        : batch->to.at(k).toString();
        const MoveResult result = rename
            ? m_services.rename->rename(place, path)
            : m_services.trash->restore({place, batch->deletedAt.value(k)}, path);
        if (result.done)
            continue;
        QString reason = OnDisk(path) && OnDisk(place)
            ? QStringLiteral("%1 is taken by another file").arg(batch->from.at(k))
            : result.error;
        if (!result.strandedAt.isEmpty())
            reason += QLatin1String("; the file is now ") + QDir::toNativeSeparators(result.strandedAt);
        stayed.append(QDir::toNativeSeparators(place) + QLatin1String(": ") + reason);
    }
    m_journal.forget(folder);

    File1->refresh();
    if (rename)
        CounterStart->setText(batch->counterStart);
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
