#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

// The counter text of a value under a pattern such as "000" or " 00".
// Each "0" of the pattern is a digit position filled with a zero when the
// number has fewer digits; each "#" is a digit position left out when unused.
// The digits fill the positions from the right; a number with more digits
// than positions is written in full, the extra digits and the minus sign of a
// negative value standing at the first position. Every other character of the
// pattern (the leading blank included) is written unchanged where it stands.
// A pattern without digit positions is followed by the digits; an empty
// pattern gives the number-to-text form (" 7", "-7").
QString CounterText(qint32 value, const QString &pattern);

// One pattern's digit positions, found once for the counter texts of many
// values.
class CounterPattern {
public:
    explicit CounterPattern(const QString &pattern = QString());
    // CounterText(value, pattern), appended to `text`.
    void appendTo(QString &text, qint32 value) const;

private:
    QString m_pattern;
    QList<qsizetype> m_positions;
};
