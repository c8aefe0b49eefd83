#include "app/module2.h"

#include "app/splash.h"
#include "platform/platformservices.h"
#include "window/dirlist.h"
#include "window/filerenamer.h"

#include <QScreen>

namespace {
FileRenamer *TheMainWindow = nullptr;
} // namespace

FileRenamer *Module2::MainWindow()
{
    return TheMainWindow;
}

void Module2::Main(PlatformServices &services, const QString &startFolder)
{
    Splash *splash = Splash::showModeless(*services.lifecycle);
    services.lifecycle->repaintNow(splash);

    TheMainWindow = new FileRenamer(services);
    TheMainWindow->Form_Load();
    // The start folder is opened once the load has run as always, as if the
    // user had opened it: the drive list and the file list follow it. One
    // that cannot be opened is reported over the window, which starts as it
    // would without it.
    const bool startFolderOpened = startFolder.isEmpty() || TheMainWindow->Dir1->setPath(startFolder);

    services.lifecycle->unload(splash);

    if (const QScreen *screen = TheMainWindow->screen())
        TheMainWindow->move(screen->availableGeometry().center() - TheMainWindow->rect().center());
    if (auto *box = dynamic_cast<QtMessageBoxService *>(services.messageBox.get()))
        box->setParentWindow(TheMainWindow);
    services.lifecycle->showModeless(TheMainWindow);
    if (!startFolderOpened)
        TheMainWindow->showDirOpenFailed(startFolder);
}
