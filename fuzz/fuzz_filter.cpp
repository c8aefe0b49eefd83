#include "fuzzinput.h"
#include "rules/filemask.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString filter = FuzzText(data, size);
    const QString pattern = FilterToPattern(filter);
    if (filter.isEmpty() ? pattern != QLatin1String("*.*") : !pattern.startsWith(QLatin1String("*.")))
        std::abort();
    if (pattern.contains(QLatin1Char(',')) || pattern.contains(QLatin1Char(' ')))
        std::abort();
    MaskMatcher matcher(pattern);
    matcher.matches(filter);
    return 0;
}
