#pragma once

#include <QString>
#include <QStringList>

// The file list's pattern for the text of the extension box: every blank and
// then every comma becomes ";*.", "*." goes in front, and the empty text gives
// "*.*" (a text of blanks is not empty).
QString FilterToPattern(const QString &filterText);

// Masks separated by ";" with "*" (any run, also none) and "?" (exactly one
// character), letters matched without regard to case. A mask ending in ".*"
// also matches a name without an extension when the part before ".*" matches
// it, so "*.*" matches every name; a mask ending in "." matches only names
// without an extension whose name matches the part before the "." (so "*." is
// exactly the names without one). An empty mask matches nothing.
class MaskMatcher {
public:
    explicit MaskMatcher(const QString &pattern);

    // `foldedName` is the name after QString::toCaseFolded(), so that a caller
    // that already folds names for sorting does not fold them twice.
    bool matchesFolded(const QString &foldedName) const;
    bool matches(const QString &name) const { return matchesFolded(name.toCaseFolded()); }

private:
    QStringList m_masks; // case-folded, empty masks dropped
    bool m_matchesAll = false;
};
