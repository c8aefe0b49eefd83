#pragma once

#include <QString>

class FileRenamer;
struct PlatformServices;

// The start of the program.
namespace Module2 {

// Shows the splash while the main window is built and loaded hidden, then
// shows the main window and returns to the event loop. A start folder (from
// the command line, as a file manager's "Open with" passes it) takes the place
// of the restored folder; empty leaves the start as it is.
void Main(PlatformServices &services, const QString &startFolder = QString());

// The one main window of the run, null before Main.
FileRenamer *MainWindow();

} // namespace Module2
