#pragma once

class QWidget;

// Moves the keyboard focus to a control.
class KeyboardFocus {
public:
    virtual ~KeyboardFocus() = default;
    virtual void moveTo(QWidget *control) = 0;
};

class QtKeyboardFocus : public KeyboardFocus {
public:
    void moveTo(QWidget *control) override;
};
