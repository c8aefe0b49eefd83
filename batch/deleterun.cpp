// The deletion run: the selected files go to the Recycle Bin (the desktop
// trash), one at a time, after one question for the whole batch.
#include "platform/platformservices.h"
#include "window/filelist.h"
#include "window/filerenamer.h"
#include "window/previewlist.h"

#include <QDir>

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
    // Where each file went is kept, so that the batch can come back, where
    // the platform can bring it back; elsewhere the folder's last rename
    // stays the one to take back.
    JournalBatch batch{JournalBatch::Kind::Delete, folder, QString(), {}, {}, std::nullopt};
    for (int k = 0; k < rows.count(); ++k) {
        const QString name = File1->list(rows.row(k));
        TrashedFile trashed;
        if (DelToRecycBin(FullPath(folder, name), &trashed)) {
            batch.from.append(name);
            batch.to.append(trashed.place);
            batch.deletedAt.append(trashed.deletedAt);
        }
    }
    if (batch.from.size() > 0 && m_services.trash->canRestore()) {
        batch.done = int(batch.from.size());
        m_journal.write(batch);
    }
    m_services.pointer->set(Pointer::Arrow);
    File1->refresh();
    List1->clear();
}

// A file that cannot go to the trash is named with the reason, and the run
// goes on with the next file. The message says the file stays where it is
// only when it is still there.
bool FileRenamer::DelToRecycBin(const QString &path, TrashedFile *trashed)
{
    QString error;
    if (m_services.trash->moveToTrash(path, &error, trashed))
        return true;
    m_services.pointer->set(Pointer::Arrow);
    const QString text = OnDisk(path)
        ? QStringLiteral("This file could not be sent to the Recycle Bin and stays where it is:\r%1\r%2")
        : QStringLiteral("This file could not be sent to the Recycle Bin:\r%1\r%2");
    m_services.messageBox->show(text.arg(QDir::toNativeSeparators(path), error), MsgBox::Ok,
                                QStringLiteral("Quorlane"));
    m_services.pointer->set(Pointer::Busy);
    return false;
}
