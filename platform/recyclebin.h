#pragma once

#include <QString>

// Moves one file to the Windows Recycle Bin, never deleting it for good: a
// file the Recycle Bin cannot take (a drive without one, a file larger than
// it holds) stays where it is, and so does a file whose path the shell would
// take for another file's. True when the file is in the Recycle Bin, else
// false with the reason. Windows only.
bool MoveToRecycleBin(const QString &path, QString *error);
