#include "fuzzinput.h"
#include "rules/renamerules.h"

#include <cstdlib>
#include <cstring>

// Every rule value at once: the first bytes choose the modes, the counter and
// its switch; the rest is split into name, prefix, pattern, remove and
// replacement.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 7)
        return 0;
    RenameRules rules;
    rules.prefixMode = PrefixMode(data[0] % 3);
    rules.caseMode = CaseMode(data[1] % 3);
    rules.includeCount = data[2] & 1;
    qint32 counter;
    std::memcpy(&counter, data + 3, sizeof counter);
    const QStringList pieces = FuzzPieces(data + 7, size - 7, 5);
    const QString &name = pieces.at(0);
    rules.prefix = pieces.at(1);
    rules.counterFormat = pieces.at(2);
    rules.remove = pieces.at(3);
    rules.replaceWith = pieces.at(4);

    const QString assembled = AssembleName(rules, name, counter);
    if (!assembled.startsWith(rules.prefix))
        std::abort();
    const EditedName edited = EditName(name, rules.remove, rules.replaceWith);
    if (!assembled.endsWith(edited.extension))
        std::abort();
    ComposeName(rules, name, counter, QLocale(QLocale::Turkish));
    return 0;
}
