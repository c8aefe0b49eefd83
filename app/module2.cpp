#include "app/module2.h"

#include "app/splash.h"
#include "platform/platformservices.h"
#include "window/filerenamer.h"

#include <QScreen>

namespace {
FileRenamer *TheMainWindow = nullptr;
} // namespace

FileRenamer *Module2::MainWindow()
{
    return TheMainWindow;
}

void Module2::Main(PlatformServices &services)
{
    Splash *splash = Splash::showModeless(*services.lifecycle);
    services.lifecycle->repaintNow(splash);

    TheMainWindow = new FileRenamer(services);
    TheMainWindow->Form_Load();

    services.lifecycle->unload(splash);

    if (const QScreen *screen = TheMainWindow->screen())
        TheMainWindow->move(screen->availableGeometry().center() - TheMainWindow->rect().center());
    if (auto *box = dynamic_cast<QtMessageBoxService *>(services.messageBox.get()))
        box->setParentWindow(TheMainWindow);
    services.lifecycle->showModeless(TheMainWindow);
}
