#pragma once

#include "benchkit.h"

// 8. Rename_Click over 10,000 files of an exFAT card through FUSE against a
// bare rename() loop on the same card. The card takes neither the no-replace
// flag nor hard links, so the run checks each new name free before it
// renames. Needs root, /dev/fuse and a loop device.
QList<Row> CardRenameRows();
