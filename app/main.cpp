#include "app/module2.h"
#include "app/splash.h"
#include "platform/platformservices.h"
#include "platform/session.h"
#include "window/filerenamer.h"

#include <QApplication>
#include <QIcon>
#include <cstdio>

namespace {
// Qt aborts without a display; say what to do instead.
bool displayAvailable()
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || !qEnvironmentVariableIsEmpty("DISPLAY")
        || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
#else
    return true;
#endif
}
} // namespace

int main(int argc, char *argv[])
{
    if (!displayAvailable()) {
        std::fputs("quorlane: no display found; set DISPLAY, or QT_QPA_PLATFORM=offscreen\n", stderr);
        return 1;
    }
    AnnounceRunning();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorlane"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/assets/quorlane.png")));

    // quorlane [FOLDER]: the folder a file manager opens the program on.
    const QStringList arguments = QApplication::arguments();
    PlatformServices services;
    Module2::Main(services, arguments.value(1));
    const int result = QApplication::exec();
    delete Splash::instance();
    delete Module2::MainWindow();
    return result;
}
