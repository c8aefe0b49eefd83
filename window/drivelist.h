#pragma once

#include "platform/drives.h"

#include <QComboBox>

// The drive list: each entry's text names a drive, its root is where the
// folder list goes when the drive is picked.
class DriveList : public QComboBox {
    Q_OBJECT
public:
    explicit DriveList(QWidget *parent = nullptr);

    void setDrives(const QList<Drive> &drives);
    QString drive() const { return currentText(); }
    // Selects the entry that names the same drive; false (and no change)
    // when there is none.
    bool setDrive(const QString &text);
    QString root() const;
    // Selects the drive that holds the folder.
    void showDriveOf(const QString &folder);

signals:
    void driveChanged();
};
