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
    if (pattern.isEmpty())
        return NumberToText(value);

    // Widened first, so that the magnitude of -2147483648 can be taken.
    const qint64 wide = value;
    const bool negative = wide < 0;
    const QString digits = QString::number(negative ? -wide : wide);

    QList<qsizetype> positions;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        if (isDigitPosition(pattern.at(i)))
            positions.append(i);
    }

    const QLatin1Char minus('-');
    if (positions.isEmpty())
        return negative ? pattern + minus + digits : pattern + digits;

    // The digit that each position receives, counted from the right; the
    // first position also takes every digit that finds no position of its own.
    const qsizetype count = positions.size();
    const qsizetype extra = digits.size() > count ? digits.size() - count : 0;
    const qsizetype shortBy = count > digits.size() ? count - digits.size() : 0;

    QString text;
    text.reserve(pattern.size() + digits.size() + 1);
    qsizetype next = 0; // index in `positions`
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern.at(i);
        if (next >= count || positions.at(next) != i) {
            text.append(c);
            continue;
        }
        if (next == 0 && negative)
            text.append(minus);
        if (next < shortBy) {
            if (c == u'0')
                text.append(QLatin1Char('0'));
        } else if (next == 0) {
            text.append(QStringView(digits).left(extra + 1));
        } else {
            text.append(digits.at(next - shortBy + extra));
        }
        ++next;
    }
    return text;
}
