#pragma once

#include "benchkit.h"

// 8. Rename_Click over 10,000 files of an exFAT card through FUSE against a
// bare rename() loop on the same card. The card takes neither the no-replace
// flag nor hard links, so the run checks each new name free before it
// renames. Needs root, /dev/fuse and a loop device.
QList<Row> CardRenameRows();

// 10. A network share: our FUSE layer adds 2 ms to every request over a
// plain folder of 1,000 files. Opening the folder, Rename_Click and
// Delete_Click against the least work that gives the same result, perl
// rename as the peer, the window's longest wait during those runs, and
// Rename to its question. Needs root and /dev/fuse.
QList<Row> ShareRows();
