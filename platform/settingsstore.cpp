#include "platform/settingsstore.h"

#include <QFileInfo>
#include <QSettings>

class QtSettingsStore::Open
{
public:
    Open(const QString &app, const QString &iniFile)
        : app(app),
          settings(iniFile.isEmpty() ? new QSettings(QSettings::NativeFormat, QSettings::UserScope,
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

bool QtSettingsStore::flush(QString *error)
{
    bool ok = true;
    for (Open *entry : std::as_const(m_open)) {
        entry->settings->sync();
        if (entry->settings->status() != QSettings::NoError) {
            ok = false;
            if (error)
                *error = QFileInfo(entry->settings->fileName()).absoluteFilePath();
        }
    }
    return ok;
}
