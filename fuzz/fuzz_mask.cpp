#include "fuzzinput.h"
#include "rules/filemask.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QStringList pieces = FuzzPieces(data, size, 2);
    const MaskMatcher matcher(pieces.at(0));
    // Letters match without regard to case.
    if (matcher.matches(pieces.at(1)) != matcher.matches(pieces.at(1).toCaseFolded()))
        std::abort();
    // Every name matches "*.*", no name matches the empty pattern.
    if (!MaskMatcher(QStringLiteral("*.*")).matches(pieces.at(1))
        || MaskMatcher(QString()).matches(pieces.at(1)))
        std::abort();
    return 0;
}
