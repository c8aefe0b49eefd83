#include "window/drivelist.h"

DriveList::DriveList(QWidget *parent) : QComboBox(parent)
{
    setDrives(ListDrives());
    connect(this, &QComboBox::currentIndexChanged, this, &DriveList::driveChanged);
}

void DriveList::setDrives(const QList<Drive> &drives)
{
    const QSignalBlocker quiet(this);
    clear();
    for (const Drive &d : drives)
        addItem(d.text, d.root);
}

bool DriveList::setDrive(const QString &text)
{
    for (int i = 0; i < count(); ++i) {
        if (SameDrive(itemText(i), text)) {
            setCurrentIndex(i);
            return true;
        }
    }
    return false;
}

QString DriveList::root() const
{
    const QVariant root = currentData();
    return root.isValid() ? root.toString() : DriveRootOfText(currentText());
}

void DriveList::showDriveOf(const QString &folder)
{
    QList<Drive> drives;
    for (int i = 0; i < count(); ++i)
        drives.append({itemText(i), itemData(i).toString()});
    const int index = DriveIndexOf(drives, folder);
    if (index >= 0) {
        const QSignalBlocker quiet(this);
        setCurrentIndex(index);
    }
}
