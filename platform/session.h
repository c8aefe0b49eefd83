#pragma once

#include <QObject>

#include <memory>

// Tells when the system ends the user's session (log-off, a restart for
// updates) while the program runs. Windows ends the program right after it
// has told, without closing its windows, so whatever closing the window
// keeps must be kept then. Elsewhere the end of a session closes the windows
// as the user would.
class SessionEnd : public QObject {
    Q_OBJECT
public:
    explicit SessionEnd(QObject *parent = nullptr);
    ~SessionEnd() override;

signals:
    // Sent while the system waits: the program ends when the handlers return.
    void sessionEnding();

private:
    struct Native;
    std::unique_ptr<Native> m_native;
};

// Marks the program as running, for as long as it runs, so that its
// installer and uninstaller can tell and ask the user to close it: on
// Windows a named mutex, "Global\QuorlaneRunning"; nothing elsewhere.
void AnnounceRunning();
