#include "platform/settingsstore.h"

#include <QFile>
#include <QFileInfo>
#include <QSettings>

class QtSettingsStore::Open {
public:
    Open(const QString &app, const QString &iniFile)
        : app(app), settings(iniFile.isEmpty() ? new QSettings(QSettings::NativeFormat, QSettings::UserScope,
                                                               QStringLiteral("Quorlane"), app)
                                               : new QSettings(iniFile, QSettings::IniFormat))
    {
    }
    ~Open() { delete settings; }

    QString app;
    QSettings *settings;
};

QtSettingsStore::~QtSettingsStore()
{
    qDeleteAll(m_open);
}

QtSettingsStore::Open &QtSettingsStore::open(const QString &app)
{
    for (Open *entry : std::as_const(m_open)) {
        if (entry->app == app)
            return *entry;
    }
    m_open.append(new Open(app, m_iniFile));
    return *m_open.last();
}

QString QtSettingsStore::read(const QString &app, const QString &section, const QString &key,
                              const QString &defaultText)
{
    QSettings &settings = *open(app).settings;
    // A store that cannot be read or is corrupt gives every default.
    if (settings.status() != QSettings::NoError)
        return defaultText;
    const QVariant value = settings.value(section + QLatin1Char('/') + key);
    if (!value.isValid() || !value.canConvert<QString>())
        return defaultText;
    return value.toString();
}

void QtSettingsStore::write(const QString &app, const QString &section, const QString &key,
                            const QString &text)
{
    open(app).settings->setValue(section + QLatin1Char('/') + key, text);
}

namespace {
QByteArray contentsOf(const QString &fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
} // namespace

bool QtSettingsStore::flush(QString *error)
{
    bool ok = true;
    for (Open *entry : std::as_const(m_open)) {
        QSettings &settings = *entry->settings;
        const QByteArray before = contentsOf(settings.fileName());
        settings.sync();
        // A file that could not be parsed reports a format error from then
        // on, also after the written values have replaced it; they were kept
        // when the file changed (it is replaced whole or not at all).
        const bool kept = settings.status() == QSettings::NoError
            || (settings.status() == QSettings::FormatError && contentsOf(settings.fileName()) != before);
        if (!kept) {
            ok = false;
            if (error)
                *error = QFileInfo(settings.fileName()).absoluteFilePath();
        }
    }
    return ok;
}
