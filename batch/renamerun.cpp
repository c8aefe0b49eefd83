// The rename run: every selected file gets its new name on disk, in list
// order, and the counter start moves on so that the next batch continues the
// numbering. No file is ever replaced: the platform's rename refuses a name
// that another file has.
#include "platform/platformservices.h"
#include "rules/numbertext.h"
#include "window/filelist.h"
#include "window/filerenamer.h"
#include "window/previewlist.h"

#include <QDir>
#include <QLineEdit>

#include <limits>

void FileRenamer::Rename_Click()
{
    CountSelected();
    if (m_selectedCount == 0) {
        m_services.messageBox->show(QStringLiteral("First select the files."),
                                    MsgBox::Ok | MsgBox::IconExclamation, QStringLiteral("Quorlane"));
        return;
    }
    const int answer = m_services.messageBox->show(
        QStringLiteral("The File names will be permanently renamed.\rAre you sure ?") + StopWarning(),
        MsgBox::OkCancel | MsgBox::IconQuestion, QStringLiteral("Quorlane"));
    if (answer == MsgBox::AnswerCancel)
        return;

    List1->clear();
    m_services.pointer->set(Pointer::Busy);

    // A file left under a temporary name is named, so that the user finds it.
    auto fail = [this](const QString &strandedAt = QString()) {
        File1->refresh();
        m_services.pointer->set(Pointer::Arrow); // no hourglass over the message
        QString text = QStringLiteral("File already exists !");
        if (!strandedAt.isEmpty())
            text += QLatin1String("\rThe file is now ") + QDir::toNativeSeparators(strandedAt);
        m_services.messageBox->show(text, MsgBox::Ok, QStringLiteral("Quorlane"));
        m_services.pointer->set(Pointer::Arrow);
    };

    const std::optional<qint32> start = StartValueFromText(CounterStart->text());
    const SelectedRows rows = File1->selectedRows();
    // A batch whose numbers would run past the 32-bit range is refused before
    // any file is touched, so it never stops halfway for that reason.
    if (!start || qint64(*start) + rows.count() > std::numeric_limits<qint32>::max()) {
        fail();
        return;
    }

    const RenameRules rules = ReadRules();
    const QString folder = File1->path();
    FormatCounter(*start); // the counter boxes follow the tick
    // Every new name is composed before the first file is touched, so that
    // the journal holds the whole batch and it can be taken back. A batch
    // whose journal cannot be written runs all the same.
    JournalBatch batch{JournalBatch::Kind::Rename, folder, CounterStart->text(), {}, {}, std::nullopt};
    const FileNames &names = File1->fileNames();
    const QLocale locale;
    for (int k = 0; k < rows.count(); ++k) {
        const QStringView present = names.at(rows.row(k));
        batch.from.append(present);
        batch.to.append(ComposeName(rules, present.toString(), *start + k, locale));
    }
    const bool journaled = m_journal.write(batch);

    m_counter = *start;
    for (int k = 0; k < rows.count(); ++k) {
        const MoveResult result
            = RenameOneFile(FullPath(folder, batch.from.at(k)), FullPath(folder, batch.to.at(k)),
                            FullPath(folder, batch.temporaryName(k)));
        if (!result.done) {
            // A batch that moved nothing leaves the folder's batch before it
            // the one to take back.
            if (journaled && k == 0 && result.strandedAt.isEmpty())
                m_journal.withdraw();
            else if (journaled)
                m_journal.recordEnd(k);
            fail(result.strandedAt);
            return;
        }
        ++m_counter;
    }
    if (journaled)
        m_journal.recordEnd(rows.count());

    File1->refresh();
    CounterStart->setText(NumberToText(m_counter));
    m_services.pointer->set(Pointer::Arrow);
    if (Prefixtext->isEnabled())
        m_services.focus->moveTo(Prefixtext);
}

// The new path already has the letter case of the current mode: the case is
// part of the composition, the same for the preview and the run.
MoveResult FileRenamer::RenameOneFile(const QString &presentPath, const QString &newPath,
                                      const QString &temporaryPath)
{
    return m_services.rename->rename(presentPath, newPath, temporaryPath);
}
