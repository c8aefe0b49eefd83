#include "rules/counterformat.h"

#include "rules/numbertext.h"

#include <QList>

namespace {

bool isDigitPosition(QChar c)
{
    return c == u'0' || c == u'#';
}

} // namespace

QString CounterText(qint32 value, const QString &pattern)
{
    QString text;
    CounterPattern(pattern).appendTo(text, value);
    return text;
}

CounterPattern::CounterPattern(const QString &pattern) : m_pattern(pattern)
{
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        if (isDigitPosition(pattern.at(i)))
            m_positions.append(i);
    }
}

void CounterPattern::appendTo(QString &text, qint32 value) const
{
    if (m_pattern.isEmpty()) {
        text += NumberToText(value);
        return;
    }

    // Widened first, so that the magnitude of -2147483648 can be taken; the
    // digits are written from the right end of the buffer.
    const qint64 wide = value;
    const bool negative = wide < 0;
    char buffer[20];
    qsizetype size = 0;
    for (qint64 rest = negative ? -wide : wide; size == 0 || rest > 0; rest /= 10)
        buffer[sizeof buffer - ++size] = char('0' + rest % 10);
    const char *digits = buffer + sizeof buffer - size;

    const QLatin1Char minus('-');
    if (m_positions.isEmpty()) {
        text += m_pattern;
        if (negative)
            text += minus;
        text += QLatin1String(digits, size);
        return;
    }

    // The digit that each position receives, counted from the right; the
    // first position also takes every digit that finds no position of its own.
    const qsizetype count = m_positions.size();
    const qsizetype extra = size > count ? size - count : 0;
    const qsizetype shortBy = count > size ? count - size : 0;
    qsizetype next = 0; // index in `m_positions`
    for (qsizetype i = 0; i < m_pattern.size(); ++i) {
        const QChar c = m_pattern.at(i);
        if (next >= count || m_positions.at(next) != i) {
            text.append(c);
            continue;
        }
        if (next == 0 && negative)
            text.append(minus);
        if (next < shortBy) {
            if (c == u'0')
                text.append(QLatin1Char('0'));
        } else if (next == 0) {
            text.append(QLatin1String(digits, extra + 1));
        } else {
            text.append(QLatin1Char(digits[next - shortBy + extra]));
        }
        ++next;
    }
}
