#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

// Reading and writing numbers the way the counter boxes show them.

// The number a text begins with. Blanks, tabs and line feeds are ignored
// wherever they stand; then an optional sign, digits, an optional "." with
// further digits and an optional exponent (E or D) form the number, or &H / &O
// introduce a hexadecimal or octal number. Reading stops at the first character
// that does not fit; a text without a number gives 0. The result may be
// infinite for a huge exponent; it is never NaN.
double TextToNumber(const QString &text);

// The nearest 32-bit integer, an exact half going to the even neighbour.
// Empty when the value lies outside -2147483648..2147483647.
std::optional<qint32> RoundToInt32(double value);

// The counter start of a text: TextToNumber, then RoundToInt32.
std::optional<qint32> StartValueFromText(const QString &text);

// Decimal digits without grouping, with one blank before a value that is not
// negative and "-" before a negative one (7 gives " 7", -7 gives "-7").
QString NumberToText(qint64 value);
