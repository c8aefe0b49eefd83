#pragma once

#include "benchkit.h"
#include "testservices.h"

#include "window/filerenamer.h"

#include <QTemporaryDir>
#include <memory>

// The main window as the program shows it, with a settings file of its own
// and every message box answered OK, opened on `folder` (none when empty).
struct BenchWindow {
    explicit BenchWindow(const QString &folder);
    FileRenamer *operator->() const { return window.get(); }

    QTemporaryDir settingsDir;
    RecordingMessageBox *box = nullptr;
    std::unique_ptr<PlatformServices> services;
    std::unique_ptr<FileRenamer> window;
};

// Waits for the stop of the preview's lines to be known, then lets the window
// paint its marks.
void AwaitStop(const FileRenamer &w);

// Rename pressed once the preview has foretold where the run stops, the
// batch, the folder and the volume unchanged since: the question takes that
// stop without reading the folder again; it is answered Cancel. Every file
// of the window's folder is selected; the target is 20 ms.
Row RenameQuestionCurrentRow(BenchWindow &w, int count, const QString &title);
