// The rename run: every selected file gets its new name on disk, in list
// order, and the counter start moves on so that the next batch continues the
// numbering. No file is ever replaced: the platform's rename refuses a name
// that another file has.
#include "platform/platformservices.h"
#include "rules/numbertext.h"
#include "window/filelist.h"
#include "window/filerenamer.h"
#include "window/previewlist.h"

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
        QStringLiteral("The File names will be permanently renamed.\rAre you sure ?"),
        MsgBox::OkCancel | MsgBox::IconQuestion, QStringLiteral("Quorlane"));
    if (answer == MsgBox::AnswerCancel)
        return;

    List1->clear();
    m_services.pointer->set(Pointer::Busy);

    auto fail = [this] {
        File1->refresh();
        m_services.pointer->set(Pointer::Arrow); // no hourglass over the message
        m_services.messageBox->show(QStringLiteral("File already exists !"), MsgBox::Ok,
                                    QStringLiteral("Quorlane"));
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
    m_counter = *start;
    FormatCounter(m_counter); // the counter boxes follow the tick
    for (int k = 0; k < rows.count(); ++k) {
        const QString present = File1->list(rows.row(k));
        const QString newName = AssembleName(rules, present, m_counter);
        QString error;
        if (!RenameOneFile(FullPath(folder, present), FullPath(folder, newName), &error)) {
            fail();
            return;
        }
        ++m_counter;
    }

    File1->refresh();
    CounterStart->setText(NumberToText(m_counter));
    m_services.pointer->set(Pointer::Arrow);
    if (Prefixtext->isEnabled())
        m_services.focus->moveTo(Prefixtext);
}

// The letter case of the current mode changes the file's own name only, by
// the same rule as the preview's.
bool FileRenamer::RenameOneFile(const QString &presentPath, const QString &newPath, QString *error)
{
    const QString target = ApplyCaseToName(newPath, CaseMode(SelectedOption(Option2)), QLocale());
    return m_services.rename->rename(presentPath, target, error);
}
