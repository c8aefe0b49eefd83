#pragma once

#include <QList>
#include <QString>

// A per-user store of text values addressed by application name, section and
// key.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // The stored text, or `defaultText` when there is no such entry or the
    // store cannot be read.
    virtual QString read(const QString &app, const QString &section, const QString &key,
                         const QString &defaultText)
        = 0;
    virtual void write(const QString &app, const QString &section, const QString &key, const QString &text)
        = 0;
    // Puts the written entries into lasting storage. False, with a reason,
    // when they could not be kept.
    virtual bool flush(QString *error) = 0;
};

// The platform's per-user store: the registry on Windows, a file under the
// user's configuration folder elsewhere. Given a file, an ini file there.
class QtSettingsStore : public SettingsStore {
public:
    QtSettingsStore() = default;
    explicit QtSettingsStore(const QString &iniFile) : m_iniFile(iniFile) { }
    ~QtSettingsStore() override;

    QString read(const QString &app, const QString &section, const QString &key,
                 const QString &defaultText) override;
    void write(const QString &app, const QString &section, const QString &key, const QString &text) override;
    bool flush(QString *error) override;

private:
    class Open;
    Open &open(const QString &app);

    QString m_iniFile;
    QList<Open *> m_open;
};
