#include "rules/renamerules.h"

#include <algorithm>

namespace {

// Every occurrence of the matcher's text in `base`, left to right and never
// overlapping, written as `replaceWith`; an empty text to look for changes
// nothing.
void AppendEdited(QString &out, QStringView base, const QStringMatcher &remove, const QString &replaceWith)
{
    const qsizetype length = remove.pattern().size();
    qsizetype from = 0;
    if (length > 0) {
        for (qsizetype at = remove.indexIn(base, from); at >= 0; at = remove.indexIn(base, from)) {
            out.append(base.mid(from, at - from));
            out.append(replaceWith);
            from = at + length;
        }
    }
    out.append(base.mid(from));
}

// The place of the last `c` in `text`, or -1; names are short, and a plain
// loop finds it fastest.
qsizetype LastOf(QStringView text, char16_t c)
{
    for (qsizetype i = text.size() - 1; i >= 0; --i) {
        if (text[i] == c)
            return i;
    }
    return -1;
}

// Where the file's own name starts in a new name or path: after the last
// separator (either separator on Windows).
qsizetype NameStart(QStringView path)
{
    qsizetype start = LastOf(path, u'/') + 1;
#ifdef Q_OS_WIN
    start = std::max(start, LastOf(path, u'\\') + 1);
#endif
    return start;
}

// Outside Turkish and Azerbaijani, with their dotted and dotless i, the
// locale's mapping takes the letters of ASCII to their other case and leaves
// every other ASCII character alone; a text of ASCII alone is mapped so in
// place, without the locale's tables. False, and nothing changed, otherwise.
bool MapAsciiInPlace(QString &text, qsizetype from, CaseMode mode, const QLocale &locale)
{
    const QLocale::Language language = locale.language();
    if (language == QLocale::Turkish || language == QLocale::Azerbaijani)
        return false;
    const QStringView tail = QStringView(text).mid(from);
    if (!std::all_of(tail.begin(), tail.end(), [](QChar c) { return c.unicode() < 0x80; }))
        return false;
    const char16_t first = mode == CaseMode::Upper ? u'a' : u'A';
    const int shift = mode == CaseMode::Upper ? -32 : 32;
    for (qsizetype i = from; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c >= first && c <= first + 25)
            text[i] = QChar(char16_t(c + shift));
    }
    return true;
}

} // namespace

EditedName EditName(const QString &presentName, const QString &remove, const QString &replaceWith)
{
    EditedName edited;
    const qsizetype dot = presentName.lastIndexOf(QLatin1Char('.'));
    if (dot >= 0)
        edited.extension = presentName.mid(dot);
    AppendEdited(edited.base, QStringView(presentName).left(dot < 0 ? presentName.size() : dot),
                 QStringMatcher(remove), replaceWith);
    return edited;
}

QString ApplyCase(const QString &text, CaseMode mode, const QLocale &locale)
{
    if (mode == CaseMode::Unchanged)
        return text;
    QString mapped = text;
    if (MapAsciiInPlace(mapped, 0, mode, locale))
        return mapped;
    return mode == CaseMode::Upper ? locale.toUpper(text) : locale.toLower(text);
}

QString ApplyCaseToName(const QString &path, CaseMode mode, const QLocale &locale)
{
    if (mode == CaseMode::Unchanged)
        return path;
    const qsizetype nameStart = NameStart(path);
    return path.left(nameStart) + ApplyCase(path.mid(nameStart), mode, locale);
}

QString AssembleName(const RenameRules &rules, const QString &presentName, qint32 counter)
{
    RenameRules unchanged = rules;
    unchanged.caseMode = CaseMode::Unchanged;
    return NameComposer(unchanged, QLocale::c()).compose(presentName, counter);
}

QString ComposeName(const RenameRules &rules, const QString &presentName, qint32 counter,
                    const QLocale &locale)
{
    return NameComposer(rules, locale).compose(presentName, counter);
}

NameComposer::NameComposer(const RenameRules &rules, const QLocale &locale)
    : m_rules(rules), m_locale(locale), m_remove(rules.remove, Qt::CaseSensitive),
      m_counter(rules.counterFormat)
{
}

QString NameComposer::compose(QStringView presentName, qint32 counter) const
{
    QString name;
    compose(presentName, counter, name);
    return name;
}

void NameComposer::compose(QStringView presentName, qint32 counter, QString &name) const
{
    const qsizetype dot = LastOf(presentName, u'.');
    name.resize(0);
    name.append(m_rules.prefix);
    if (m_rules.prefixMode != PrefixMode::Replace)
        AppendEdited(name, presentName.left(dot < 0 ? presentName.size() : dot), m_remove,
                     m_rules.replaceWith);
    if (m_rules.includeCount)
        m_counter.appendTo(name, counter);
    if (dot >= 0)
        name.append(presentName.mid(dot));
    if (m_rules.caseMode == CaseMode::Unchanged)
        return;
    const qsizetype nameStart = NameStart(name);
    if (!MapAsciiInPlace(name, nameStart, m_rules.caseMode, m_locale))
        name = name.left(nameStart) + ApplyCase(name.mid(nameStart), m_rules.caseMode, m_locale);
}
