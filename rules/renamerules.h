#pragma once

#include "rules/counterformat.h"

#include <QLocale>
#include <QString>
#include <QStringMatcher>
#include <QtGlobal>

enum class PrefixMode { Replace = 0, Before = 1, None = 2 };
enum class CaseMode { Unchanged = 0, Upper = 1, Lower = 2 };

// The rule values as the main window's controls show them.
struct RenameRules {
    PrefixMode prefixMode = PrefixMode::Replace;
    QString prefix;
    bool includeCount = false;
    QString counterFormat;
    QString remove;
    QString replaceWith;
    CaseMode caseMode = CaseMode::Unchanged;

    bool operator==(const RenameRules &other) const
    {
        return prefixMode == other.prefixMode && prefix == other.prefix && includeCount == other.includeCount
            && counterFormat == other.counterFormat && remove == other.remove
            && replaceWith == other.replaceWith && caseMode == other.caseMode;
    }
    bool operator!=(const RenameRules &other) const { return !(*this == other); }
};

struct EditedName {
    QString base; // before the last ".", after the remove/replace edit
    QString extension; // from the last "." on, the "." included; may be empty
};

// Splits a bare file name at its last "." and replaces every occurrence of
// `remove` in the base name by `replaceWith` (exact, left to right, never
// overlapping). An empty `remove` leaves the base name as it is.
EditedName EditName(const QString &presentName, const QString &remove, const QString &replaceWith);

// The whole text in upper or lower case by the locale's letter mapping.
QString ApplyCase(const QString &text, CaseMode mode, const QLocale &locale);

// The letter case of a new name or path: only the file's own name, after the
// last separator, changes. A folder part (a prefix may name a sub-folder)
// keeps its letters, since where names keep their case a folder in other
// letters is another folder. The preview and the rename run both use this.
QString ApplyCaseToName(const QString &path, CaseMode mode, const QLocale &locale);

// The new name before the letter-case step: prefix, edited base name (not in
// mode Replace), counter text (empty when the counter is off), extension.
QString AssembleName(const RenameRules &rules, const QString &presentName, qint32 counter);

// The new name of one file: AssembleName, then the letter case of its own
// name (ApplyCaseToName).
QString ComposeName(const RenameRules &rules, const QString &presentName, qint32 counter,
                    const QLocale &locale);

// ComposeName for many files under one set of rules: what the rules alone
// decide (the text to look for, the counter's digit positions) is worked out
// once, and a name can be written into a text that is used again.
class NameComposer {
public:
    NameComposer(const RenameRules &rules, const QLocale &locale);
    QString compose(QStringView presentName, qint32 counter) const;
    // The same name, written over `name`.
    void compose(QStringView presentName, qint32 counter, QString &name) const;

private:
    RenameRules m_rules;
    QLocale m_locale;
    QStringMatcher m_remove;
    CounterPattern m_counter;
};
