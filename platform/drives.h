#pragma once

#include <QList>
#include <QString>

// A drive the user can pick: drive letters on Windows, mounted volumes
// elsewhere. `text` is what the drive list shows and stores; `root` the folder
// the drive opens at.
struct Drive {
    QString text;
    QString root;
};

QList<Drive> ListDrives();

// The drive whose root holds `path`: the longest root that contains it.
int DriveIndexOf(const QList<Drive> &drives, const QString &path);

// The root of a drive text: the first two characters and a separator for a
// drive letter ("c: [System]" gives "c:\"), else the text itself.
QString DriveRootOfText(const QString &text);

// Whether two drive texts name the same drive: where drives are letters the
// letter and colon decide, in any letter case, so a renamed volume label is
// still the same drive; other drives are named by their whole text.
bool SameDrive(const QString &a, const QString &b);
