#pragma once

#include <QString>

class QWidget;

// The value of a control as the settings store keeps it, decided by the
// control's kind ("TextBox", "OptionButton", ...).
QString ControlValueText(const QWidget *control);

// Applies a stored value to a control; a text the control cannot take (a
// missing drive or folder, a bad number) leaves it as it is and gives false.
bool ApplyControlValueText(QWidget *control, const QString &text);

// Kinds whose controls hold no value worth keeping.
bool IsSkippedKind(const QString &kind);
