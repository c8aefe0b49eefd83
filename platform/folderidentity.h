#pragma once

#include <QByteArray>
#include <QString>

// What tells a folder from another one found later at the same path: its
// volume, by the file system's own id where it has one (so that a card put in
// again is known, and a second card with the same folders is not) and by its
// device number where it has none, and the folder's own number where the
// volume keeps it for good. Empty when the folder cannot be looked at.
QByteArray FolderIdentity(const QString &folder);
