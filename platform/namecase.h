#pragma once

#include <QString>
#include <QStringView>

#include <array>
#include <memory>

// How a volume whose names ignore letter case tells that two names are one.
enum class CaseRule : quint8 {
    // As the system compares names: through its own upper case of each
    // UTF-16 unit on Windows, by Unicode case folding elsewhere.
    System,
    // Only the letters a to z are one with A to Z.
    Ascii,
    // Each UTF-16 unit through the volume's up-case table, as exFAT does.
    UpCase,
};

// The upper case of every UTF-16 unit, as an exFAT volume stores it.
using UpCaseTable = std::array<char16_t, 65536>;

// The up-case table mkfs.exfat writes, which is the one the exFAT format
// recommends and what cards formatted elsewhere carry as well.
const UpCaseTable &DefaultExFatUpCase();

// The up-case table stored on the exFAT volume of `device`, read from the
// device; null where the device cannot be read or holds no exFAT volume, or
// where its table is damaged.
std::shared_ptr<const UpCaseTable> ReadExFatUpCase(const QString &device);

// A name as a volume that ignores letter case by `rule` compares it: two
// names are one where their keys are equal. `table` is the volume's own
// up-case table for CaseRule::UpCase; exFAT's default where there is none.
QString CaseKey(QStringView name, CaseRule rule, const UpCaseTable *table = nullptr);
