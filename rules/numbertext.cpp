#include "rules/numbertext.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

namespace {

// Exponents are clamped far beyond what a double can hold, so that the
// arithmetic on them can never overflow while the value still ends up
// infinite (or zero) exactly as the unclamped exponent would make it.
constexpr qint64 ExponentLimit = 1000000000;

bool isSkipped(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n';
}

int digitValue(QChar c, int radix)
{
    const char16_t u = c.unicode();
    int v = -1;
    if (u >= u'0' && u <= u'9')
        v = u - u'0';
    else if (u >= u'a' && u <= u'f')
        v = u - u'a' + 10;
    else if (u >= u'A' && u <= u'F')
        v = u - u'A' + 10;
    return v < radix ? v : -1;
}

bool isDecimalDigit(QChar c)
{
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

// &H and &O numbers are read as non-negative values; a value too large for
// 64 bits stays at the largest one, which no counter can take anyway.
double readRadix(const QString &text, qsizetype pos, int radix)
{
    const quint64 max = std::numeric_limits<quint64>::max();
    quint64 value = 0;
    for (; pos < text.size(); ++pos) {
        const int d = digitValue(text.at(pos), radix);
        if (d < 0)
            break;
        const auto r = static_cast<quint64>(radix);
        const auto ud = static_cast<quint64>(d);
        value = value > (max - ud) / r ? max : value * r + ud;
    }
    return static_cast<double>(value);
}

double readDecimal(const QString &text)
{
    qsizetype pos = 0;
    const qsizetype size = text.size();

    bool negative = false;
    if (pos < size && (text.at(pos) == u'+' || text.at(pos) == u'-')) {
        negative = text.at(pos) == u'-';
        ++pos;
    }

    // The digits go into the copy without the ".", the fraction digits being
    // counted off the exponent instead: the copy then holds no decimal
    // separator, and strtod reads it the same way under every C locale.
    std::string mantissa;
    for (; pos < size && isDecimalDigit(text.at(pos)); ++pos)
        mantissa.push_back(static_cast<char>(text.at(pos).unicode()));
    qint64 fractionDigits = 0;
    if (pos < size && text.at(pos) == u'.') {
        ++pos;
        for (; pos < size && isDecimalDigit(text.at(pos)); ++pos) {
            mantissa.push_back(static_cast<char>(text.at(pos).unicode()));
            ++fractionDigits;
        }
    }
    if (mantissa.empty())
        return 0.0;

    // An exponent letter counts only when digits follow it (after an
    // optional sign); otherwise reading stops before the letter.
    qint64 exponent = 0;
    if (pos < size) {
        const char16_t e = text.at(pos).unicode();
        if (e == u'E' || e == u'e' || e == u'D' || e == u'd') {
            qsizetype p = pos + 1;
            bool expNegative = false;
            if (p < size && (text.at(p) == u'+' || text.at(p) == u'-')) {
                expNegative = text.at(p) == u'-';
                ++p;
            }
            if (p < size && isDecimalDigit(text.at(p))) {
                for (; p < size && isDecimalDigit(text.at(p)); ++p) {
                    if (exponent < ExponentLimit)
                        exponent = exponent * 10 + (text.at(p).unicode() - u'0');
                }
                if (expNegative)
                    exponent = -exponent;
            }
        }
    }

    qint64 scale = exponent - fractionDigits;
    if (scale > ExponentLimit)
        scale = ExponentLimit;
    else if (scale < -ExponentLimit)
        scale = -ExponentLimit;

    std::string ascii;
    ascii.reserve(mantissa.size() + 16);
    if (negative)
        ascii.push_back('-');
    ascii += mantissa;
    ascii.push_back('e');
    ascii += std::to_string(scale);

    // An out-of-range value comes back as infinity or zero with ERANGE set;
    // both are the values wanted, so errno is not consulted.
    const int savedErrno = errno;
    const double value = std::strtod(ascii.c_str(), nullptr);
    errno = savedErrno;
    return value;
}

} // namespace

double TextToNumber(const QString &text)
{
    QString compact;
    compact.reserve(text.size());
    for (const QChar c : text) {
        if (!isSkipped(c))
            compact.append(c);
    }

    if (compact.size() >= 2 && compact.at(0) == u'&') {
        const char16_t kind = compact.at(1).unicode();
        if (kind == u'H' || kind == u'h')
            return readRadix(compact, 2, 16);
        if (kind == u'O' || kind == u'o')
            return readRadix(compact, 2, 8);
    }
    return readDecimal(compact);
}

std::optional<qint32> RoundToInt32(double value)
{
    if (!std::isfinite(value))
        return std::nullopt;

    // The fraction of a double is exactly representable, so the comparison
    // with one half is exact; the rounding does not depend on the FPU mode.
    const double below = std::floor(value);
    const double fraction = value - below;
    double rounded = below;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(below, 2.0) != 0.0))
        rounded = below + 1.0;

    if (rounded < -2147483648.0 || rounded > 2147483647.0)
        return std::nullopt;
    return static_cast<qint32>(rounded);
}

std::optional<qint32> StartValueFromText(const QString &text)
{
    return RoundToInt32(TextToNumber(text));
}

QString NumberToText(qint64 value)
{
    const QString digits = QString::number(value);
    return value < 0 ? digits : QLatin1Char(' ') + digits;
}
