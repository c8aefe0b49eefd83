#pragma once

// One run of the program over a settings file, and what a previous run left
// in that file: for the tests of the remembered values and of the load.

#include "support/testservices.h"
#include "window/filerenamer.h"

#include <QColor>
#include <QComboBox>
#include <QFile>
#include <QMap>
#include <QSettings>
#include <QTemporaryDir>
#include <memory>

const QColor White(255, 255, 255);
const QColor Grey(224, 224, 224);

// The counter patterns the load puts in the combo box, in their order.
const QStringList CounterPatterns = {
    QStringLiteral("0"),     QStringLiteral("00"),     QStringLiteral("000"),    QStringLiteral("0000"),
    QStringLiteral("00000"), QStringLiteral("000000"), QStringLiteral(" 0"),     QStringLiteral(" 00"),
    QStringLiteral(" 000"),  QStringLiteral(" 0000"),  QStringLiteral(" 00000"), QStringLiteral(" 000000")};

// The window built and loaded with a settings file, then shown.
struct Run {
    std::unique_ptr<PlatformServices> services;
    RecordingMessageBox *box = nullptr;
    std::unique_ptr<FileRenamer> w;

    explicit Run(const QString &settingsFile)
    {
        services = MakeTestServices(settingsFile, &box);
        w = std::make_unique<FileRenamer>(*services);
        w->Form_Load();
        w->show();
    }
};

// What a previous run would have left in the store. It is written elsewhere
// and copied in, so that the program finds it on disk and not in a cache of
// this process.
inline bool writeStore(const QString &settingsFile, const QMap<QString, QString> &values)
{
    QTemporaryDir scratchDir;
    const QString scratch = scratchDir.filePath(QStringLiteral("scratch.ini"));
    {
        QSettings settings(scratch, QSettings::IniFormat);
        settings.beginGroup(QStringLiteral("Values"));
        for (auto it = values.cbegin(); it != values.cend(); ++it)
            settings.setValue(it.key(), it.value());
        settings.endGroup();
        settings.sync();
        if (settings.status() != QSettings::NoError)
            return false;
    }
    QFile::remove(settingsFile);
    return QFile::copy(scratch, settingsFile);
}

// The background a control shows in its present state.
inline QColor background(const QWidget *control)
{
    return control->palette().color(control->isEnabled() ? QPalette::Active : QPalette::Disabled,
                                    QPalette::Base);
}

inline QStringList comboEntries(const QComboBox *combo)
{
    QStringList entries;
    for (int i = 0; i < combo->count(); ++i)
        entries.append(combo->itemText(i));
    return entries;
}
