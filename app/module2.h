#pragma once

class FileRenamer;
struct PlatformServices;

// The start of the program.
namespace Module2 {

// Shows the splash while the main window is built and loaded hidden, then
// shows the main window and returns to the event loop.
void Main(PlatformServices &services);

// The one main window of the run, null before Main.
FileRenamer *MainWindow();

} // namespace Module2
