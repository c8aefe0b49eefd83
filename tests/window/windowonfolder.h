#pragma once

// The main window, loaded, shown and active, on a folder of files of its own
// and with a settings file of its own: where the navigation and wiring tests
// drive the real widgets.

#include "support/testservices.h"
#include "window/dirlist.h"
#include "window/filelist.h"
#include "window/filerenamer.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

// Files named `names` in `folder` (made when missing), each holding its name.
inline bool makeFiles(const QString &folder, const QStringList &names)
{
    if (!QDir().mkpath(folder))
        return false;
    for (const QString &name : names) {
        QFile file(QDir(folder).filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(name.toUtf8()) < 0)
            return false;
    }
    return true;
}

struct WindowOnFolder {
    QTemporaryDir home;
    QTemporaryDir folder;
    RecordingMessageBox *box = nullptr;
    std::unique_ptr<PlatformServices> services;
    std::unique_ptr<FileRenamer> w;

    // True when the window shows the folder holding `files`.
    bool openWindow(const QStringList &files)
    {
        if (!home.isValid() || !folder.isValid() || !makeFiles(folder.path(), files))
            return false;
        services = MakeTestServices(home.filePath(QStringLiteral("settings.ini")), &box);
        w = std::make_unique<FileRenamer>(*services);
        w->Form_Load();
        w->show();
        w->activateWindow();
        if (!QTest::qWaitForWindowActive(w.get()))
            return false;
        w->Dir1->setPath(folder.path());
        return w->File1->path() == folder.path();
    }

    QString sub(const QString &name) const { return folder.filePath(name); }
    QStringList filesOnDisk() const { return QDir(folder.path()).entryList(QDir::Files, QDir::Name); }
};
