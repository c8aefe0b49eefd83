#pragma once

#include "platform/drives.h"

#include <QComboBox>
#include <QHash>

// The drive list: each entry's text names a drive, its root is where the
// folder list goes when the drive is picked. It follows the system's drives:
// read at once from the system's list, without asking any volume, and again
// when drives arrive or leave and when the list is dropped down; what only a
// volume can tell (its label, whether it answers at all) comes in later, from
// the background.
class DriveList : public QComboBox {
    Q_OBJECT
public:
    explicit DriveList(QWidget *parent = nullptr);

    // Shows these drives, and only these, from now on: the list no longer
    // follows the system's.
    void setDrives(const QList<Drive> &drives);
    QString drive() const { return currentText(); }
    // Selects the entry that names the same drive; false (and no change)
    // when there is none.
    bool setDrive(const QString &text);
    // The same for a drive that is available: one whose root opens now. A
    // drive without a medium, or one gone since, is left alone.
    bool setAvailableDrive(const QString &text);
    QString root() const;
    // Selects, quietly, the drive that holds the folder; none when no drive
    // does. A folder that opened tells that its volume answers.
    void showDriveOf(const QString &folder);

    void showPopup() override;

signals:
    void driveChanged();

private:
    void refresh();
    void answered(const QString &root, bool answers, const QString &text);
    // The entries again from the drives, keeping the current drive quietly.
    void fill();
    int driveNamed(const QString &text) const;

    QList<Drive> m_drives; // as the system lists them, or as given
    QHash<QString, QString> m_answered; // the text of each root whose volume answered
    bool m_followsSystem = true;
    QString m_folder; // the folder shown last
    DriveWatcher *m_watcher = nullptr;
    DriveQuestions *m_questions = nullptr;
};
