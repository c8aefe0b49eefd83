#pragma once

#include <QList>
#include <QObject>
#include <QSet>
#include <QString>

#include <memory>
#include <mutex>

// A drive the user can pick: drive letters on Windows, mounted volumes
// elsewhere. `text` is what the drive list shows and stores; `root` the folder
// the drive opens at.
struct Drive {
    QString text;
    QString root;
};

// The drives as the system lists them, read without asking any volume
// anything, so that a volume that does not answer (a share whose server is
// gone, a card reader without a card) holds nothing up: the drive letters on
// Windows, the mount table elsewhere. Each drive's text is the plain one,
// without what only its volume can tell.
QList<Drive> ListDrives();

// Whether the drive list shows a drive before its volume has answered: a
// drive letter is a drive even without a medium (picking it then says so),
// while a mounted volume is shown once it has answered.
bool ShownBeforeAnswer();

// The drive whose root holds `path`: the longest root that contains it.
int DriveIndexOf(const QList<Drive> &drives, const QString &path);

// The root of a drive text: the first two characters and a separator for a
// drive letter ("c: [System]" gives "c:\"), else the text itself.
QString DriveRootOfText(const QString &text);

// Whether two drive texts name the same drive: where drives are letters the
// letter and colon decide, in any letter case, so a renamed volume label is
// still the same drive; other drives are named by their whole text.
bool SameDrive(const QString &a, const QString &b);

// Tells when drives arrive or leave: a change of the mount table, or on
// Windows a device or share that arrives or is removed.
class DriveWatcher : public QObject {
    Q_OBJECT
public:
    explicit DriveWatcher(QObject *parent = nullptr);
    ~DriveWatcher() override;

signals:
    void drivesChanged();

private:
    struct Native;
    std::unique_ptr<Native> m_native;
};

// Asks volumes, each on a thread of its own, whether they answer and what
// their drive's entry reads then ("c: [System]" where a volume has a label).
// A volume that never answers holds only its own thread, which the end of the
// program takes with it.
class DriveQuestions : public QObject {
    Q_OBJECT
public:
    explicit DriveQuestions(QObject *parent = nullptr);
    ~DriveQuestions() override;

    // Asks the drive's volume, unless a question to it is still open.
    void ask(const Drive &drive);

signals:
    // The volume at `root` answered (`text` is its entry), or refused: it is
    // gone, or no place for files (a file mounted over a file).
    void answered(const QString &root, bool answers, const QString &text);

private:
    // What a thread that outlives this object finds: nobody to tell.
    struct Inbox {
        std::mutex mutex;
        DriveQuestions *receiver = nullptr;
    };
    void finish(const QString &root, bool answers, const QString &text);

    std::shared_ptr<Inbox> m_inbox;
    QSet<QString> m_open; // roots asked and not answered yet
};
