#include "fuzzinput.h"
#include "rules/numbertext.h"

#include <cmath>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = FuzzText(data, size);
    const double number = TextToNumber(text);
    if (std::isnan(number))
        std::abort();
    const std::optional<qint32> start = StartValueFromText(text);
    if (start) {
        // A value that fits is written back and read again unchanged.
        if (StartValueFromText(NumberToText(*start)) != start)
            std::abort();
    }
    return 0;
}
