#pragma once

#include <QWidget>

class WindowLifecycle;

// The splash window, shown while the main window loads and again as the
// about box. There is at most one; closing it destroys it.
class Splash : public QWidget {
    Q_OBJECT
public:
    // Shows the one splash window, creating it first when there is none; an
    // open one is brought to the front.
    static Splash *showModeless(WindowLifecycle &lifecycle);
    // The open splash window, or null.
    static Splash *instance();
    ~Splash() override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Splash();
};
