#pragma once

#include <QByteArrayView>
#include <QFile>
#include <QString>

// A record that a later step relies on is on the disk before that step: a
// file written to its end, every write checked (a full disk shows there or
// at the sync, never later), and made durable by one sync for a block of
// writes. It is this user's alone.
class DurableFile {
public:
    // Makes `path`, which must not exist yet; false with the reason otherwise.
    bool create(const QString &path, QString *error);
    bool append(QByteArrayView data, QString *error);
    // What was written so far is on the disk.
    bool sync(QString *error);
    bool close(QString *error);
    bool isOpen() const { return m_file.isOpen(); }

private:
    bool failed(QString *error);

    QFile m_file;
};

// Makes `folder` and the folders above it that are missing, for this user
// alone; true when it is there.
bool MakePrivateFolder(const QString &folder);

// The names in `folder` are on the disk: a file made or renamed there
// survives a power cut.
bool SyncFolder(const QString &folder);

// Everything written to the volume that holds `path` is on the disk, by one
// sync of the volume.
bool SyncVolume(const QString &path);
