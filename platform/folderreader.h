#pragma once

#include <QStringList>

// The names of a folder's ordinary files, in the order the file system gives
// them: no sub-folders, no hidden files (dot files here, hidden or system
// files on Windows), and no name that the file system's encoding cannot carry
// back to the same file. A link to an ordinary file counts as one.
QStringList ListFileNames(const QString &folder);
