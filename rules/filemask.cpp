#include "rules/filemask.h"

namespace {

// Length in UTF-16 units of the character at `pos`, so that "?" and the
// backtracking of "*" step over a surrogate pair as one character.
qsizetype charLength(QStringView s, qsizetype pos)
{
    if (pos + 1 < s.size() && s.at(pos).isHighSurrogate() && s.at(pos + 1).isLowSurrogate())
        return 2;
    return 1;
}

// Glob match of a whole name. On a mismatch only the most recent "*" is
// widened by one character: an earlier "*" can never help where a later one
// failed, so the work stays within name length times mask length.
bool wildcardMatch(QStringView mask, QStringView name)
{
    qsizetype m = 0;
    qsizetype n = 0;
    qsizetype starMask = -1; // mask position just after the last "*" seen
    qsizetype starName = 0; // name position that "*" was last tried up to

    while (n < name.size()) {
        if (m < mask.size() && mask.at(m) == u'*') {
            starMask = ++m;
            starName = n;
            continue;
        }
        if (m < mask.size()) {
            const qsizetype nameLen = charLength(name, n);
            if (mask.at(m) == u'?') {
                ++m;
                n += nameLen;
                continue;
            }
            const qsizetype maskLen = charLength(mask, m);
            if (maskLen == nameLen && mask.mid(m, maskLen) == name.mid(n, nameLen)) {
                m += maskLen;
                n += nameLen;
                continue;
            }
        }
        if (starMask < 0)
            return false;
        starName += charLength(name, starName);
        n = starName;
        m = starMask;
    }
    while (m < mask.size() && mask.at(m) == u'*')
        ++m;
    return m == mask.size();
}

bool matchesOne(QStringView mask, QStringView name)
{
    const bool hasExtension = name.contains(u'.');

    // "x." stands for the names without an extension that match x.
    if (mask.endsWith(u'.'))
        return !hasExtension && wildcardMatch(mask.chopped(1), name);

    if (wildcardMatch(mask, name))
        return true;

    // "x.*" also takes a name without an extension that matches x.
    return !hasExtension && mask.endsWith(u".*") && wildcardMatch(mask.chopped(2), name);
}

bool matchesEveryName(QStringView mask)
{
    return mask == u"*" || mask == u"*.*";
}

} // namespace

QString FilterToPattern(const QString &filterText)
{
    if (filterText.isEmpty())
        return QStringLiteral("*.*");

    const QString separator = QStringLiteral(";*.");
    QString pattern = filterText;
    pattern.replace(QLatin1Char(' '), separator);
    pattern.replace(QLatin1Char(','), separator);
    return QStringLiteral("*.") + pattern;
}

MaskMatcher::MaskMatcher(const QString &pattern)
{
    const QStringList parts = pattern.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (const QString &part : parts) {
        const QString folded = part.toCaseFolded();
        if (matchesEveryName(folded))
            m_matchesAll = true;
        m_masks.append(folded);
    }
}

bool MaskMatcher::matchesFolded(const QString &foldedName) const
{
    if (m_matchesAll)
        return true;
    for (const QString &mask : m_masks) {
        if (matchesOne(mask, foldedName))
            return true;
    }
    return false;
}
