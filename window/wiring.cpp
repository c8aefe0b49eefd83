// Which notification of which control runs which handler, and the handlers
// of the rule controls. A write from code raises the same notification as the
// user's action, only a real change raises anything, and the handler runs
// inside the write; Qt's signals used here behave exactly so.
#include "platform/platformservices.h"
#include "platform/session.h"
#include "window/dirlist.h"
#include "window/drivelist.h"
#include "window/filelist.h"
#include "window/filerenamer.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QSignalBlocker>

void FileRenamer::wireEvents()
{
    // Only the member that becomes selected raises the array's click; the
    // one deselected with it raises nothing.
    connect(m_option1Group, &QButtonGroup::idToggled, this, [this](int index, bool checked) {
        if (checked)
            Option1_Click(index);
    });
    connect(m_option2Group, &QButtonGroup::idToggled, this, [this](int index, bool checked) {
        if (checked)
            Option2_Click(index);
    });
    connect(IncludeCountCheck, &QCheckBox::toggled, this, &FileRenamer::IncludeCountCheck_Click);
    // Picking an entry of the list, by mouse or keyboard; typing raises nothing.
    connect(CounterFormatCombo, &QComboBox::activated, this, &FileRenamer::CounterFormatCombo_Click);
    // The combo box takes a typed text that equals an entry other than its
    // current one for a pick of that entry once the box loses the focus or
    // Enter is pressed. Moving its current entry to the typed one, quietly,
    // leaves nothing to pick: typing stays typing.
    connect(CounterFormatCombo->lineEdit(), &QLineEdit::textEdited, this, [this](const QString &text) {
        const int entry = CounterFormatCombo->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (entry >= 0 && entry != CounterFormatCombo->currentIndex()) {
            const QSignalBlocker quiet(CounterFormatCombo);
            CounterFormatCombo->setCurrentIndex(entry);
        }
    });
    connect(Prefixtext, &QLineEdit::textChanged, this, &FileRenamer::Prefixtext_Change);
    connect(Prefixtext, &QLineEdit::returnPressed, this, [this] { Prefixtext_KeyPress(13); });
    connect(CounterStart, &QLineEdit::textChanged, this, &FileRenamer::CounterStart_Change);
    connect(RemoveText, &QLineEdit::textChanged, this, &FileRenamer::RemoveText_Change);
    connect(ReplaceText, &QLineEdit::textChanged, this, &FileRenamer::ReplaceText_Change);
    connect(Drive1, &DriveList::driveChanged, this, &FileRenamer::Drive1_Change);
    connect(Dir1, &DirList::pathChanged, this, &FileRenamer::Dir1_Change);
    connect(Dir1, &DirList::openFailed, this, &FileRenamer::showDirOpenFailed);
    connect(File1, &FileList::mouseReleased, this, &FileRenamer::File1_MouseUp);
    connect(FileTypeText1, &QLineEdit::textChanged, this, &FileRenamer::FileTypeText1_Change);
    connect(SelectAll, &QPushButton::clicked, this, &FileRenamer::SelectAll_Click);
    connect(SelectNone, &QPushButton::clicked, this, &FileRenamer::SelectNone_Click);
    connect(Rename, &QPushButton::clicked, this, &FileRenamer::Rename_Click);
    connect(Delete, &QPushButton::clicked, this, &FileRenamer::Delete_Click);
    // The file list's menu and Ctrl+Z while it has the focus take the last
    // batch back; in a text box Ctrl+Z stays the box's own undo.
    File1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(File1, &QWidget::customContextMenuRequested, this, &FileRenamer::File1_ContextMenu);
    auto *undo = new QShortcut(QKeySequence::Undo, File1, nullptr, nullptr, Qt::WidgetShortcut);
    connect(undo, &QShortcut::activated, this, &FileRenamer::UndoLastBatch);
    // The values are kept when the system ends the session as when the
    // window closes; nobody is there to be told that they could not be.
    connect(new SessionEnd(this), &SessionEnd::sessionEnding, this, [this] {
        QString where;
        SaveControls(&where);
    });
}

// The menu is shown without waiting for it: its entry runs when picked.
void FileRenamer::File1_ContextMenu(const QPoint &position)
{
    const std::optional<JournalBatch> batch = UndoableBatch();
    const int done = batch ? MovesDone(*batch) : 0;
    const int files = batch ? done + int(!StrandedAt(*batch, done).isEmpty()) : 0;
    auto *menu = new QMenu(File1);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    QAction *undo = menu->addAction(files > 0 ? UndoText(*batch, files) : QStringLiteral("Undo"));
    undo->setShortcut(QKeySequence::Undo);
    undo->setEnabled(files > 0);
    connect(undo, &QAction::triggered, this, &FileRenamer::UndoLastBatch);
    menu->popup(File1->viewport()->mapToGlobal(position));
}

// Every change of the prefix mode starts with the counter switched off; the
// rebuild may switch it on again for a prefix that replaces several names.
void FileRenamer::Option1_Click(int)
{
    SetSwitchedOn(Prefixtext, true);
    if (Option1[2]->isChecked())
        SetSwitchedOn(Prefixtext, false); // the next rebuild empties it
    IncludeCountCheck->setChecked(false);
    RefreshPreview();
}

void FileRenamer::Option2_Click(int)
{
    RefreshPreview();
}

void FileRenamer::IncludeCountCheck_Click()
{
    FormatCounter(0);
    RefreshPreview();
}

void FileRenamer::CounterFormatCombo_Click()
{
    IncludeCountCheck_Click();
}

void FileRenamer::Prefixtext_Change()
{
    RefreshPreview();
}

void FileRenamer::Prefixtext_KeyPress(int keyAscii)
{
    if (keyAscii == 13)
        Rename_Click();
}

void FileRenamer::CounterStart_Change()
{
    RefreshPreview();
}

void FileRenamer::RemoveText_Change()
{
    RefreshPreview();
}

void FileRenamer::ReplaceText_Change()
{
    RefreshPreview();
}
