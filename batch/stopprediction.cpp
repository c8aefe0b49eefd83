#include "batch/stopprediction.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <limits>
#include <vector>

namespace {

// Names by their hash, probed in turn from the hash's place. The names are
// kept elsewhere: a slot holds a number that says where (-1 marks an empty
// slot), and as two names may share a hash, the caller compares the names of
// the slots it is shown.
struct Slot {
    size_t hash = 0;
    int value = -1;
    int folder = 0;
};

class NameTable {
public:
    explicit NameTable(qsizetype entries = 0) { reserve(entries); }

    void insert(size_t hash, int value, int folder)
    {
        reserve(m_used + 1);
        place({hash, value, folder});
        ++m_used;
    }

    // The first slot of this hash that `match` takes, or null.
    template<typename Match> const Slot *find(size_t hash, const Match &match) const
    {
        for (size_t i = hash & m_mask;; i = (i + 1) & m_mask) {
            const Slot &slot = m_slots[i];
            if (slot.value == -1)
                return nullptr;
            if (slot.hash == hash && match(slot))
                return &slot;
        }
    }

private:
    // At least half the slots stay empty.
    void reserve(qsizetype entries)
    {
        size_t capacity = 16;
        while (capacity < 2 * size_t(entries))
            capacity *= 2;
        if (capacity <= m_slots.size())
            return;
        std::vector<Slot> old(capacity);
        old.swap(m_slots);
        m_mask = capacity - 1;
        for (const Slot &slot : old) {
            if (slot.value != -1)
                place(slot);
        }
    }

    void place(const Slot &slot)
    {
        size_t i = slot.hash & m_mask;
        while (m_slots[i].value != -1)
            i = (i + 1) & m_mask;
        m_slots[i] = slot;
    }

    std::vector<Slot> m_slots;
    size_t m_mask = 0;
    qsizetype m_used = 0;
};

// A name as the volume compares names.
QString keyOf(QStringView name, bool ignoresCase)
{
    return ignoresCase ? name.toString().toCaseFolded() : name.toString();
}

size_t hashOf(QStringView name, int folder, bool ignoresCase)
{
    return ignoresCase ? qHash(QStringView(keyOf(name, true)), size_t(folder)) : qHash(name, size_t(folder));
}

bool sameName(QStringView a, QStringView b, bool ignoresCase)
{
    return ignoresCase ? keyOf(a, true) == keyOf(b, true) : a == b;
}

// When the folder's entries last changed, as far as its file system tells.
QDateTime changedAt(const QString &folder)
{
    return QFileInfo(folder).lastModified();
}

QString joined(const QString &folder, const QString &path)
{
    return folder.endsWith(QLatin1Char('/')) ? folder + path : folder + QLatin1Char('/') + path;
}

QString cannotHold(QChar c)
{
    return c.unicode() < 0x20 ? QStringLiteral("this drive cannot hold a name with a control character")
                              : QStringLiteral("this drive cannot hold a name with %1").arg(c);
}

// Another folder is named as its own name reads, whichever way the new
// name leads there ("..", a link).
QString alreadyThere(QStringView name, const QString &otherFolder = QString())
{
    return otherFolder.isEmpty() ? QStringLiteral("%1 is already in the folder").arg(name)
                                 : QStringLiteral("%1 is already in the folder %2").arg(name, otherFolder);
}

} // namespace

// Every entry of the batch's folder: the file list's entries by their row,
// which tells which line renames them, and the others (hidden files,
// sub-folders, files the filter leaves out) by their name.
class StopPrediction::FolderIndex {
public:
    explicit FolderIndex(const StopBatch &batch)
        : folder(batch.folder), names(batch.names), ignoresCase(batch.facts.ignoresCase),
          changed(changedAt(batch.folder))
    {
        const FileNames listed = ListEveryEntry(folder);
        table = NameTable(names.size() + listed.size());
        onDisk.assign(size_t(names.size()), false);
        for (qsizetype row = 0; row < names.size(); ++row)
            table.insert(hashOf(names.at(row), 0, ignoresCase), int(row), 0);
        for (qsizetype i = 0; i < listed.size(); ++i) {
            const QStringView entry = listed.at(i);
            const size_t hash = hashOf(entry, 0, ignoresCase);
            const Slot *row = table.find(
                hash, [&](const Slot &slot) { return slot.value >= 0 && names.at(slot.value) == entry; });
            if (row) {
                onDisk[size_t(row->value)] = true;
                continue;
            }
            table.insert(hash, -2 - int(others.size()), 0);
            others.append(entry);
        }
    }

    bool fits(const StopBatch &batch) const
    {
        return batch.folder == folder && batch.names.isSharedWith(names)
            && batch.facts.ignoresCase == ignoresCase && changedAt(folder) == changed;
    }

    // The entry that has this name, or null.
    const Slot *find(QStringView name, size_t hash) const
    {
        return table.find(hash, [&](const Slot &slot) { return sameName(name, nameOf(slot), ignoresCase); });
    }

    QStringView nameOf(const Slot &slot) const
    {
        return slot.value >= 0 ? names.at(slot.value) : others.at(-2 - slot.value);
    }

    const QString folder;
    const FileNames names;
    const bool ignoresCase;
    const QDateTime changed;
    FileNames others;
    std::vector<bool> onDisk; // by row of the file list
    NameTable table;
};

// The lines of one batch, taken in order: the new names claimed so far, and
// the folders the new names lead into with their entries.
class StopPrediction::Job {
public:
    Job(const StopBatch &batch, const FolderIndex &index)
        : m_batch(batch), m_index(index), m_ignoresCase(batch.facts.ignoresCase),
          m_folderKey(keyOf(QFileInfo(batch.folder).canonicalFilePath(), m_ignoresCase)),
          m_claims(batch.rows.count())
    {
    }

    QStringView presentName(int line) const { return m_batch.names.at(m_batch.rows.row(line)); }

    // Why the run cannot rename the file of this line, once the lines before
    // it are renamed; nothing when it can.
    std::optional<QString> problemOf(int line)
    {
        const int row = m_batch.rows.row(line);
        const QStringView present = m_batch.names.at(row);
        const QString newName = composed(line);
        if (newName.contains(QChar(0)))
            return cannotHold(QChar(0));
        const qsizetype separator = separatorIn(newName);
        const QString folderPart = newName.left(std::max<qsizetype>(separator, 0));
        const QStringView name = QStringView(newName).mid(separator + 1);
        const int folder = separator < 0 ? 0 : folderOf(folderPart);
        if (folder < 0)
            return QStringLiteral("there is no folder %1").arg(QDir::toNativeSeparators(folderPart));
        if (!m_index.onDisk[size_t(row)])
            return QStringLiteral("%1 is no longer in the folder").arg(present);
        const size_t hash = hashOf(name, folder, m_ignoresCase);
        // A new name that is the file's own, in its own folder, asks nothing
        // of the volume.
        if (folder != 0 || name != present) {
            if (name.isEmpty())
                return QStringLiteral("the new name is empty");
            if (name == QLatin1String(".") || name == QLatin1String(".."))
                return QStringLiteral("a file cannot be named %1").arg(name);
            if (const qsizetype at = m_batch.facts.refusedAt(name); at >= 0)
                return cannotHold(name.at(at));
            if (m_batch.facts.tooLong(name))
                return QStringLiteral("the new name is too long for this drive");
            if (std::optional<QString> held = holder(line, name, hash, folder, separator < 0))
                return held;
        }
        const Slot *earlier = m_claims.find(hash, [&](const Slot &slot) {
            return slot.folder == folder && sameName(name, nameIn(composed(slot.value)), m_ignoresCase);
        });
        if (earlier)
            return QStringLiteral("the same new name as %1").arg(presentName(earlier->value));
        m_claims.insert(hash, line, folder);
        return std::nullopt;
    }

private:
    QString composed(int line) const
    {
        return ComposeName(m_batch.rules, presentName(line).toString(), *m_batch.start + line, m_batch.locale);
    }

    qsizetype separatorIn(QStringView path) const
    {
        const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
        return m_batch.facts.backslashSeparates ? std::max(slash, path.lastIndexOf(QLatin1Char('\\'))) : slash;
    }

    QString nameIn(const QString &path) const { return path.mid(separatorIn(path) + 1); }

    // Who has the name before this line: a file the lines before have not
    // renamed away, or an entry of another folder. A file may take its own
    // name in other letters where case is ignored, but only by a bare name.
    std::optional<QString> holder(int line, QStringView name, size_t hash, int folder, bool bare)
    {
        if (folder != 0) {
            const Slot *entry = m_subEntries.find(hash, [&](const Slot &slot) {
                return slot.folder == folder && sameName(name, m_subNames.at(slot.value), m_ignoresCase);
            });
            if (entry)
                return alreadyThere(m_subNames.at(entry->value), m_folderNames.at(folder - 1));
            return std::nullopt;
        }
        const Slot *entry = m_index.find(name, hash);
        if (!entry)
            return std::nullopt;
        const int renamedAt = entry->value >= 0 ? m_batch.rows.rank(entry->value) : -1;
        const bool free = (renamedAt >= 0 && renamedAt < line) || (renamedAt == line && bare);
        if (free)
            return std::nullopt;
        return alreadyThere(m_index.nameOf(*entry));
    }

    // The folder a folder part leads to: 0 for the batch's own, -1 where
    // there is none. The entries of each other folder are read once.
    int folderOf(const QString &part)
    {
        const auto known = m_folderOf.constFind(part);
        if (known != m_folderOf.cend())
            return *known;
        const QFileInfo info(joined(m_batch.folder, part));
        const QString canonical = info.isDir() ? info.canonicalFilePath() : QString();
        int folder = -1;
        if (!canonical.isEmpty()) {
            const QString key = keyOf(canonical, m_ignoresCase);
            folder = key == m_folderKey ? 0 : m_folderIds.value(key, -1);
            if (folder < 0) {
                folder = int(m_folderIds.size()) + 1;
                m_folderIds.insert(key, folder);
                const QString own = QFileInfo(canonical).fileName();
                m_folderNames.append(own.isEmpty() ? QDir::toNativeSeparators(canonical) : own);
                const FileNames entries = ListEveryEntry(canonical);
                for (qsizetype i = 0; i < entries.size(); ++i) {
                    m_subEntries.insert(hashOf(entries.at(i), folder, m_ignoresCase), int(m_subNames.size()),
                                        folder);
                    m_subNames.append(entries.at(i));
                }
            }
        }
        m_folderOf.insert(part, folder);
        return folder;
    }

    const StopBatch &m_batch;
    const FolderIndex &m_index;
    const bool m_ignoresCase;
    const QString m_folderKey;
    NameTable m_claims;
    QHash<QString, int> m_folderOf; // by the folder part as the new name writes it
    QHash<QString, int> m_folderIds; // by the canonical path as the volume compares it
    QStringList m_folderNames; // of folder 1, 2, ...
    FileNames m_subNames;
    NameTable m_subEntries;
};

StopPrediction::StopPrediction() = default;
StopPrediction::~StopPrediction() = default;

PredictedStop StopPrediction::predict(const StopBatch &batch, const std::function<bool()> &dropped)
{
    const int count = batch.rows.count();
    if (count == 0)
        return {};
    const auto stopAt = [&batch](int line, const QString &reason) {
        return PredictedStop{line, batch.names.at(batch.rows.row(line)).toString(), reason};
    };
    // The run refuses, before it touches any file, a batch whose numbers
    // would leave the counter's range.
    if (!batch.start || qint64(*batch.start) + count > std::numeric_limits<qint32>::max())
        return stopAt(0, QStringLiteral("the counter is out of range"));
    // What is read of the folder serves every later batch of the same list,
    // so its reading is not cut short by a newer batch.
    if (!m_folder || !m_folder->fits(batch)) {
        m_folder.reset();
        m_folder = std::make_unique<FolderIndex>(batch);
    }
    Job job(batch, *m_folder);
    for (int line = 0; line < count; ++line) {
        if (line % 1024 == 0 && dropped && dropped())
            return {};
        if (const std::optional<QString> reason = job.problemOf(line))
            return stopAt(line, *reason);
    }
    return {};
}

void StopPrediction::forget()
{
    m_folder.reset();
}
