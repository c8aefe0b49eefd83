#include "rules/counterformat.h"
#include "window/filerenamer.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

// The counter boxes follow the tick of "Include Count" each time the counter
// text is made.
QString FileRenamer::FormatCounter(qint32 value)
{
    const bool on = IncludeCountCheck->isChecked();
    SetSwitchedOn(CounterFormatCombo, on);
    SetSwitchedOn(CounterStart, on);
    return on ? CounterText(value, CounterFormatCombo->currentText()) : QString();
}
