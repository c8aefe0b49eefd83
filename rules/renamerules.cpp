#include "rules/renamerules.h"

#include "rules/counterformat.h"

#include <algorithm>

EditedName EditName(const QString &presentName, const QString &remove, const QString &replaceWith)
{
    EditedName edited;
    const qsizetype dot = presentName.lastIndexOf(QLatin1Char('.'));
    if (dot < 0) {
        edited.base = presentName;
    } else {
        edited.base = presentName.left(dot);
        edited.extension = presentName.mid(dot);
    }

    // QString::replace with an empty text to look for would put the
    // replacement between every two characters; an empty remove means no edit.
    if (!remove.isEmpty())
        edited.base.replace(remove, replaceWith, Qt::CaseSensitive);
    return edited;
}

QString ApplyCase(const QString &text, CaseMode mode, const QLocale &locale)
{
    switch (mode) {
    case CaseMode::Upper:
        return locale.toUpper(text);
    case CaseMode::Lower:
        return locale.toLower(text);
    case CaseMode::Unchanged:
        break;
    }
    return text;
}

QString ApplyCaseToName(const QString &path, CaseMode mode, const QLocale &locale)
{
    if (mode == CaseMode::Unchanged)
        return path;
    qsizetype nameStart = path.lastIndexOf(QLatin1Char('/')) + 1;
#ifdef Q_OS_WIN
    nameStart = std::max(nameStart, path.lastIndexOf(QLatin1Char('\\')) + 1);
#endif
    return path.left(nameStart) + ApplyCase(path.mid(nameStart), mode, locale);
}

QString AssembleName(const RenameRules &rules, const QString &presentName, qint32 counter)
{
    const EditedName edited = EditName(presentName, rules.remove, rules.replaceWith);
    const QString counterText = rules.includeCount ? CounterText(counter, rules.counterFormat) : QString();

    QString name = rules.prefix;
    if (rules.prefixMode != PrefixMode::Replace)
        name += edited.base;
    name += counterText;
    name += edited.extension;
    return name;
}

QString ComposeName(const RenameRules &rules, const QString &presentName, qint32 counter,
                    const QLocale &locale)
{
    return ApplyCaseToName(AssembleName(rules, presentName, counter), rules.caseMode, locale);
}
