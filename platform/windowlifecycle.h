#pragma once

class QWidget;

// Top-level windows of the program: shown without blocking, drawn at once,
// destroyed, and the end of the program.
class WindowLifecycle {
public:
    virtual ~WindowLifecycle() = default;
    // Makes the window visible and returns at once; a window already shown is
    // brought to the front.
    virtual void showModeless(QWidget *window) = 0;
    // Draws the window completely before returning, also before the event
    // loop runs.
    virtual void repaintNow(QWidget *window) = 0;
    // Closes and destroys the window.
    virtual void unload(QWidget *window) = 0;
    // Destroys every top-level window without running further handlers and
    // leaves the event loop, so that the process exits.
    virtual void endProgram() = 0;
};

class QtWindowLifecycle : public WindowLifecycle {
public:
    void showModeless(QWidget *window) override;
    void repaintNow(QWidget *window) override;
    void unload(QWidget *window) override;
    void endProgram() override;
};
