#pragma once

// What the tests hand the main window: every platform service real, except
// the answers to modal message boxes, which are scripted and recorded.

#include "platform/platformservices.h"

#include <QDir>
#include <QFile>
#include <QList>
#include <QString>
#include <memory>

struct ShownMessage {
    QString text;
    int flags = 0;
    QString title;
};

class RecordingMessageBox : public MessageBoxService {
public:
    // Answers given in turn; OK (1) once they run out.
    QList<int> answers;
    QList<ShownMessage> shown;

    int show(const QString &text, int flags, const QString &title = QString()) override
    {
        shown.append({text, flags, title});
        return answers.isEmpty() ? MsgBox::AnswerOk : answers.takeFirst();
    }
};

// Real services with a settings file of the test's own and recorded message
// boxes. `box` points into the returned services.
inline std::unique_ptr<PlatformServices> MakeTestServices(const QString &settingsFile,
                                                          RecordingMessageBox **box)
{
    auto services = std::make_unique<PlatformServices>();
    auto recording = std::make_unique<RecordingMessageBox>();
    *box = recording.get();
    services->messageBox = std::move(recording);
    services->settings = std::make_unique<QtSettingsStore>(settingsFile);
    return services;
}

// The data folder, where the trash lives. Under Wine the Recycle Bin is the
// freedesktop trash of the XDG_DATA_HOME that Wine was started with, a
// folder of the build's own (wine_run.sh): Wine takes no other, and a
// Windows path set here would make it fall back to the Linux user's own.
inline void UseDataHome(const QString &folder)
{
#ifdef Q_OS_WIN
    Q_UNUSED(folder);
#else
    qputenv("XDG_DATA_HOME", QFile::encodeName(folder));
#endif
}

// Keeps the test away from the user's own folders: home, data (the trash
// lives there) and configuration go under `home`, which also becomes the
// current folder, where a new window opens.
inline bool IsolateUserFolders(const QString &home)
{
    qputenv("HOME", QFile::encodeName(home));
    UseDataHome(home + QLatin1String("/share"));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home + QLatin1String("/config")));
    return QDir::setCurrent(home);
}
