// The file browser: drive, folder, file filter and selection.
#include "platform/platformservices.h"
#include "rules/filemask.h"
#include "window/dirlist.h"
#include "window/drivelist.h"
#include "window/filelist.h"
#include "window/filerenamer.h"
#include "window/previewlist.h"

#include <QDir>
#include <QLineEdit>

// The folder list always goes to the root of the chosen drive.
void FileRenamer::Drive1_Change()
{
    if (!Dir1->setPath(Drive1->root())) {
        m_services.messageBox->show(QStringLiteral("Sorry, Drive not found!"), MsgBox::Ok | MsgBox::IconStop,
                                    QStringLiteral("Quorlane"));
        return;
    }
    List1->clear();
}

// The drive list shows the volume that holds the open folder, quietly: a
// drive change would move the folder list to that volume's root.
void FileRenamer::Dir1_Change()
{
    Drive1->showDriveOf(Dir1->path());
    File1->setPath(Dir1->path(), Dir1->files());
    CountSelected();
    List1->clear();
}

void FileRenamer::showDirOpenFailed(const QString &folder)
{
    m_services.messageBox->show(QStringLiteral("Sorry, the folder cannot be opened:\r")
                                    + QDir::toNativeSeparators(folder),
                                MsgBox::Ok | MsgBox::IconStop, QStringLiteral("Quorlane"));
}

void FileRenamer::File1_MouseUp()
{
    CountSelected();
    RefreshPreview();
}

void FileRenamer::FileTypeText1_Change()
{
    File1->setPattern(FilterToPattern(FileTypeText1->text()));
    RefreshPreview();
    CountSelected();
}

void FileRenamer::SelectAll_Click()
{
    File1->setAllSelected(true);
    CountSelected();
    RefreshPreview();
}

void FileRenamer::SelectNone_Click()
{
    File1->setAllSelected(false);
    CountSelected();
    RefreshPreview();
}

// Every reader of the count calls this first.
void FileRenamer::CountSelected()
{
    m_selectedCount = File1->selectedCount();
}
