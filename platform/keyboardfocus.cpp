#include "platform/keyboardfocus.h"

#include <QWidget>

void QtKeyboardFocus::moveTo(QWidget *control)
{
    control->setFocus(Qt::OtherFocusReason);
}
