#include "platform/namecase.h"

#include <QFile>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

#include <algorithm>
#include <vector>

namespace {

// The units whose upper case is another unit, in runs: the first unit, how
// many, what the upper case adds to each, and the step from one to the next.
struct UpCaseRun {
    char16_t first;
    quint16 count;
    qint32 difference;
    quint8 step;
};

// The table mkfs.exfat (exfatprogs 1.2) writes, as scripts/exfat_upcase.py
// prints it from a freshly formatted image: 874 units in 119 runs, every
// other unit its own upper case.
constexpr UpCaseRun DefaultRuns[] = {
    {0x0061, 26, -32, 1},  {0x00e0, 23, -32, 1},   {0x00f8, 7, -32, 1},   {0x00ff, 1, 121, 1},
    {0x0101, 24, -1, 2},   {0x0133, 3, -1, 2},     {0x013a, 8, -1, 2},    {0x014b, 23, -1, 2},
    {0x017a, 3, -1, 2},    {0x0180, 1, 195, 1},    {0x0183, 2, -1, 2},    {0x0188, 1, -1, 1},
    {0x018c, 1, -1, 1},    {0x0192, 1, -1, 1},     {0x0195, 1, 97, 1},    {0x0199, 1, -1, 1},
    {0x019a, 1, 163, 1},   {0x019e, 1, 130, 1},    {0x01a1, 3, -1, 2},    {0x01a8, 1, -1, 1},
    {0x01ad, 1, -1, 1},    {0x01b0, 1, -1, 1},     {0x01b4, 2, -1, 2},    {0x01b9, 1, -1, 1},
    {0x01bd, 1, -1, 1},    {0x01bf, 1, 56, 1},     {0x01c6, 1, -2, 1},    {0x01c9, 1, -2, 1},
    {0x01cc, 1, -2, 1},    {0x01ce, 8, -1, 2},     {0x01dd, 1, -79, 1},   {0x01df, 9, -1, 2},
    {0x01f3, 1, -2, 1},    {0x01f5, 1, -1, 1},     {0x01f9, 20, -1, 2},   {0x0223, 9, -1, 2},
    {0x023a, 1, 10795, 1}, {0x023c, 1, -1, 1},     {0x023e, 1, 10792, 1}, {0x0242, 1, -1, 1},
    {0x0247, 5, -1, 2},    {0x0253, 1, -210, 1},   {0x0254, 1, -206, 1},  {0x0256, 2, -205, 1},
    {0x0259, 1, -202, 1},  {0x025b, 1, -203, 1},   {0x0260, 1, -205, 1},  {0x0263, 1, -207, 1},
    {0x0268, 1, -209, 1},  {0x0269, 1, -211, 1},   {0x026b, 1, 10743, 1}, {0x026f, 1, -211, 1},
    {0x0272, 1, -213, 1},  {0x0275, 1, -214, 1},   {0x027d, 1, 10727, 1}, {0x0280, 1, -218, 1},
    {0x0283, 1, -218, 1},  {0x0288, 1, -218, 1},   {0x0289, 1, -69, 1},   {0x028a, 2, -217, 1},
    {0x028c, 1, -71, 1},   {0x0292, 1, -219, 1},   {0x037b, 3, 130, 1},   {0x03ac, 1, -38, 1},
    {0x03ad, 3, -37, 1},   {0x03b1, 17, -32, 1},   {0x03c2, 1, -31, 1},   {0x03c3, 9, -32, 1},
    {0x03cc, 1, -64, 1},   {0x03cd, 2, -63, 1},    {0x03d9, 12, -1, 2},   {0x03f2, 1, 7, 1},
    {0x03f8, 1, -1, 1},    {0x03fb, 1, -1, 1},     {0x0430, 32, -32, 1},  {0x0450, 16, -80, 1},
    {0x0461, 17, -1, 2},   {0x048b, 27, -1, 2},    {0x04c2, 7, -1, 2},    {0x04cf, 1, -15, 1},
    {0x04d1, 34, -1, 2},   {0x0561, 38, -48, 1},   {0x1d7d, 1, 3814, 1},  {0x1e01, 75, -1, 2},
    {0x1ea1, 45, -1, 2},   {0x1f00, 8, 8, 1},      {0x1f10, 6, 8, 1},     {0x1f20, 8, 8, 1},
    {0x1f30, 8, 8, 1},     {0x1f40, 6, 8, 1},      {0x1f51, 4, 8, 2},     {0x1f60, 8, 8, 1},
    {0x1f70, 2, 74, 1},    {0x1f72, 4, 86, 1},     {0x1f76, 2, 100, 1},   {0x1f78, 2, 128, 1},
    {0x1f7a, 2, 112, 1},   {0x1f7c, 2, 126, 1},    {0x1f80, 8, 8, 1},     {0x1f90, 8, 8, 1},
    {0x1fa0, 8, 8, 1},     {0x1fb0, 2, 8, 1},      {0x1fb3, 1, 9, 1},     {0x1fcc, 1, -9, 1},
    {0x1fd0, 2, 8, 1},     {0x1fe0, 2, 8, 1},      {0x1fe5, 1, 7, 1},     {0x1ffc, 1, -9, 1},
    {0x214e, 1, -28, 1},   {0x2170, 16, -16, 1},   {0x2184, 1, -1, 1},    {0x24d0, 26, -26, 1},
    {0x2c30, 47, -48, 1},  {0x2c61, 1, -1, 1},     {0x2c68, 3, -1, 2},    {0x2c76, 1, -1, 1},
    {0x2c81, 50, -1, 2},   {0x2d00, 38, -7264, 1}, {0xff41, 26, -32, 1},
};

UpCaseTable Identity()
{
    UpCaseTable table{};
    for (size_t unit = 0; unit < table.size(); ++unit)
        table[unit] = char16_t(unit);
    return table;
}

QString Mapped(QStringView name, const UpCaseTable &table)
{
    QString key(name.size(), Qt::Uninitialized);
    QChar *out = key.data();
    for (const QChar c : name)
        *out++ = QChar(table[c.unicode()]);
    return key;
}

#ifdef Q_OS_WIN
// The system's upper case of each unit, as CompareStringOrdinal compares
// names that ignore case: asked of the system once for every unit that is
// not half of a surrogate pair.
const UpCaseTable &SystemUpCase()
{
    static const UpCaseTable table = [] {
        UpCaseTable upper = Identity();
        std::vector<wchar_t> units;
        for (char32_t unit = 1; unit < 0x10000; ++unit) {
            if (unit < 0xd800 || unit > 0xdfff)
                units.push_back(wchar_t(unit));
        }
        std::vector<wchar_t> mapped(units.size());
        const int written
            = LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, units.data(), int(units.size()),
                            mapped.data(), int(mapped.size()), nullptr, nullptr, 0);
        if (written == int(units.size())) {
            for (size_t i = 0; i < units.size(); ++i)
                upper[size_t(units[i])] = char16_t(mapped[i]);
        }
        return upper;
    }();
    return table;
}
#endif

} // namespace

const UpCaseTable &DefaultExFatUpCase()
{
    static const UpCaseTable table = [] {
        UpCaseTable upper = Identity();
        for (const UpCaseRun &run : DefaultRuns) {
            for (int i = 0; i < run.count; ++i) {
                const int unit = run.first + i * run.step;
                upper[size_t(unit)] = char16_t(unit + run.difference);
            }
        }
        return upper;
    }();
    return table;
}

QString CaseKey(QStringView name, CaseRule rule, const UpCaseTable *table)
{
    switch (rule) {
    case CaseRule::Ascii: {
        QString key = name.toString();
        for (QChar &c : key) {
            if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
                c = QChar(c.unicode() - 32);
        }
        return key;
    }
    case CaseRule::UpCase:
        return Mapped(name, table ? *table : DefaultExFatUpCase());
    case CaseRule::System:
        break;
    }
#ifdef Q_OS_WIN
    return Mapped(name, SystemUpCase());
#else
    return name.toString().toCaseFolded();
#endif
}

namespace {

// Reads what an exFAT volume keeps of its up-case table: the boot sector's
// layout, the root folder's entry for the table, the table through the
// chain of its clusters.
class ExFatReader {
public:
    explicit ExFatReader(const QString &device) : m_device(device) { }

    std::shared_ptr<const UpCaseTable> upCase()
    {
        if (!m_device.open(QIODevice::ReadOnly) || !readBootSector())
            return nullptr;
        // The entry of the table is among the first of the root folder; a
        // type of 0 ends the folder.
        const QByteArray root = readChain(m_rootCluster, 64 * 1024);
        for (qsizetype at = 0; at + 32 <= root.size() && quint8(root[at]) != 0; at += 32) {
            if (quint8(root[at]) != 0x82)
                continue;
            const auto checksum = number<quint32>(root, at + 4);
            const auto first = number<quint32>(root, at + 20);
            const auto length = number<quint64>(root, at + 24);
            if (length == 0 || length > 2 * 65536 + 1024 || length % 2 != 0)
                return nullptr;
            const QByteArray stored = readChain(first, qsizetype(length));
            if (stored.size() != qsizetype(length) || checksumOf(stored) != checksum)
                return nullptr;
            return unpacked(stored);
        }
        return nullptr;
    }

private:
    template<typename T> static T number(const QByteArray &bytes, qsizetype at)
    {
        T value = 0;
        for (size_t i = sizeof(T); i-- > 0;)
            value = T(value << 8) | T(quint8(bytes[at + qsizetype(i)]));
        return value;
    }

    bool readBootSector()
    {
        const QByteArray boot = m_device.read(512);
        if (boot.size() != 512 || boot.mid(3, 8) != "EXFAT   ")
            return false;
        const int sectorShift = quint8(boot[108]);
        const int clusterShift = quint8(boot[109]);
        if (sectorShift < 9 || sectorShift > 12 || sectorShift + clusterShift > 25)
            return false;
        m_sector = qint64(1) << sectorShift;
        m_cluster = m_sector << clusterShift;
        m_fatOffset = qint64(number<quint32>(boot, 80)) * m_sector;
        m_heapOffset = qint64(number<quint32>(boot, 88)) * m_sector;
        m_clusterCount = number<quint32>(boot, 92);
        m_rootCluster = number<quint32>(boot, 96);
        return true;
    }

    bool valid(quint32 cluster) const { return cluster >= 2 && cluster < m_clusterCount + 2; }

    // `length` bytes from the chain of clusters that starts at `first`. A
    // cluster whose FAT entry is free ends a chain laid out in one piece.
    QByteArray readChain(quint32 first, qsizetype length)
    {
        QByteArray data;
        quint32 cluster = first;
        while (valid(cluster) && data.size() < length) {
            if (!m_device.seek(m_heapOffset + qint64(cluster - 2) * m_cluster))
                break;
            const QByteArray part = m_device.read(std::min<qint64>(m_cluster, length - data.size()));
            if (part.isEmpty())
                break;
            data += part;
            if (!m_device.seek(m_fatOffset + qint64(cluster) * 4))
                break;
            const QByteArray entry = m_device.read(4);
            if (entry.size() != 4)
                break;
            const auto next = number<quint32>(entry, 0);
            cluster = next == 0 ? cluster + 1 : next;
        }
        return data;
    }

    static quint32 checksumOf(const QByteArray &bytes)
    {
        quint32 sum = 0;
        for (const char byte : bytes)
            sum = ((sum & 1) ? 0x80000000u : 0u) + (sum >> 1) + quint8(byte);
        return sum;
    }

    // The stored table, where 0xFFFF and a count stand for that many units
    // that are their own upper case.
    static std::shared_ptr<const UpCaseTable> unpacked(const QByteArray &stored)
    {
        auto table = std::make_shared<UpCaseTable>(Identity());
        size_t unit = 0;
        for (qsizetype at = 0; at + 1 < stored.size() && unit < table->size(); at += 2) {
            const auto value = number<quint16>(stored, at);
            if (value == 0xffff && at + 3 < stored.size()) {
                at += 2;
                unit += number<quint16>(stored, at);
                continue;
            }
            (*table)[unit++] = char16_t(value);
        }
        return table;
    }

    QFile m_device;
    qint64 m_sector = 0;
    qint64 m_cluster = 0;
    qint64 m_fatOffset = 0;
    qint64 m_heapOffset = 0;
    quint32 m_clusterCount = 0;
    quint32 m_rootCluster = 0;
};

} // namespace

std::shared_ptr<const UpCaseTable> ReadExFatUpCase(const QString &device)
{
    if (device.isEmpty())
        return nullptr;
    return ExFatReader(device).upCase();
}
