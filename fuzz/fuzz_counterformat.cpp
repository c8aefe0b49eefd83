#include "fuzzinput.h"
#include "rules/counterformat.h"

#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 4)
        return 0;
    qint32 value;
    std::memcpy(&value, data, sizeof value);
    const QString pattern = FuzzText(data + 4, size - 4);
    const QString text = CounterText(value, pattern);
    // The number is never cut: its digits all appear.
    const QString digits = QString::number(qAbs(qint64(value)));
    if (!text.contains(digits.right(1)))
        std::abort();
    return 0;
}
