#include "batch/stopprediction.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QThread>

#include <algorithm>
#include <limits>
#include <thread>
#include <vector>

namespace {

// Names by their hash, probed in turn from the place the hash's low bits
// give; a slot keeps the high bits as a tag. The names are kept elsewhere: a
// slot holds a number that says where (-1 marks an empty slot), and as two
// names may share a slot's bits, the caller compares the names it is shown.
// Small slots keep a million names in few cache lines. A table is made for
// the number of names it will hold: it cannot place its slots again, as only
// the caller has the names to hash.
class NameTable {
public:
    explicit NameTable(qsizetype entries = 0)
    {
        size_t capacity = 16;
        while (capacity < 2 * size_t(entries))
            capacity *= 2;
        m_slots.resize(capacity);
        m_mask = capacity - 1;
    }

    void insert(size_t hash, int value)
    {
        size_t i = hash & m_mask;
        while (m_slots[i].value != -1)
            i = (i + 1) & m_mask;
        m_slots[i] = {tagOf(hash), value};
    }

    // The value of the first slot of this hash that `match` takes, or -1.
    template<typename Match> int find(size_t hash, const Match &match) const
    {
        const quint32 tag = tagOf(hash);
        for (size_t i = hash & m_mask;; i = (i + 1) & m_mask) {
            const Slot &slot = m_slots[i];
            if (slot.value == -1)
                return -1;
            if (slot.tag == tag && match(slot.value))
                return slot.value;
        }
    }

private:
    struct Slot {
        quint32 tag = 0;
        int value = -1;
    };

    static quint32 tagOf(size_t hash) { return quint32(quint64(hash) >> 32); }

    std::vector<Slot> m_slots;
    size_t m_mask = 0;
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
// sub-folders, files the filter leaves out) by their name. A value below -1
// stands for another entry: -2 for the first.
class StopPrediction::FolderIndex {
public:
    explicit FolderIndex(const StopBatch &batch)
        : folder(batch.folder), names(batch.names), ignoresCase(batch.facts.ignoresCase),
          changed(changedAt(batch.folder))
    {
        const FileNames listed = ListEveryEntry(folder);
        onDisk.assign(size_t(names.size()), false);
        NameTable rows(names.size());
        for (qsizetype row = 0; row < names.size(); ++row)
            rows.insert(hashOf(names.at(row), 0, ignoresCase), int(row));
        for (qsizetype i = 0; i < listed.size(); ++i) {
            const QStringView entry = listed.at(i);
            const int row = rows.find(hashOf(entry, 0, ignoresCase),
                                      [&](int value) { return names.at(value) == entry; });
            if (row >= 0)
                onDisk[size_t(row)] = true;
            else
                others.append(entry);
        }
        if (others.size() == 0) {
            table = std::move(rows);
            return;
        }
        table = NameTable(names.size() + others.size());
        for (qsizetype row = 0; row < names.size(); ++row)
            table.insert(hashOf(names.at(row), 0, ignoresCase), int(row));
        for (qsizetype i = 0; i < others.size(); ++i)
            table.insert(hashOf(others.at(i), 0, ignoresCase), -2 - int(i));
    }

    bool fits(const StopBatch &batch) const
    {
        return batch.folder == folder && batch.names.isSharedWith(names)
            && batch.facts.ignoresCase == ignoresCase && changedAt(folder) == changed;
    }

    QStringView nameOf(int value) const { return value >= 0 ? names.at(value) : others.at(-2 - value); }

    const QString folder;
    const FileNames names;
    const bool ignoresCase;
    const QDateTime changed;
    FileNames others;
    std::vector<bool> onDisk; // by row of the file list
    NameTable table;
};

// What the first pass finds of a line's new name: a bare name (no folder
// part) the volume can hold, with its hash; the file's own name, unchanged;
// or anything else, which the second pass looks at in full.
struct LineKey {
    enum Shape : quint8 { Full, Bare, Own };
    size_t hash = 0;
    Shape shape = Full;
};

// The lines of one batch. A first pass composes the new names of a block of
// lines on every core and keeps what the second needs of each; the second
// takes the lines in order, with the new names claimed so far and the
// folders the new names lead into. A new name is composed again only where
// a name is found with its hash.
class StopPrediction::Job {
public:
    Job(const StopBatch &batch, const FolderIndex &index)
        : m_batch(batch), m_index(index), m_composer(batch.rules, batch.locale),
          m_ignoresCase(batch.facts.ignoresCase),
          m_folderKey(keyOf(QFileInfo(batch.folder).canonicalFilePath(), m_ignoresCase)),
          m_writable(FolderTakesNames(batch.folder)), m_claims(batch.rows.count())
    {
    }

    QStringView presentName(int line) const { return m_batch.names.at(m_batch.rows.row(line)); }

    // The first pass over the lines from `first` to before `last`; false
    // when dropped.
    bool screen(int first, int last, const std::function<bool()> &dropped)
    {
        const auto isDropped = [&dropped] { return dropped && dropped(); };
        m_first = first;
        m_keys.assign(size_t(last - first), LineKey());
        const int parts = last - first < 8192 ? 1 : std::max(1, QThread::idealThreadCount());
        const auto work = [&](int part) {
            const NameComposer composer(m_batch.rules, m_batch.locale);
            QString name;
            const int from = first + (last - first) * part / parts;
            const int to = first + (last - first) * (part + 1) / parts;
            for (int line = from; line < to && !(line % 1024 == 0 && isDropped()); ++line)
                m_keys[size_t(line - first)] = screened(line, composer, name);
        };
        std::vector<std::thread> helpers;
        for (int part = 1; part < parts; ++part)
            helpers.emplace_back(work, part);
        work(0);
        for (std::thread &helper : helpers)
            helper.join();
        return !isDropped();
    }

    // Why the run cannot rename the file of this line, once the lines before
    // it are renamed; nothing when it can.
    std::optional<QString> problemOf(int line)
    {
        const LineKey key = m_keys[size_t(line - m_first)];
        if (key.shape == LineKey::Full)
            return fullProblemOf(line);
        const int row = m_batch.rows.row(line);
        if (!m_index.onDisk[size_t(row)])
            return QStringLiteral("%1 is no longer in the folder").arg(m_batch.names.at(row));
        if (key.shape == LineKey::Bare) {
            if (!m_writable)
                return cannotChange(0);
            if (std::optional<QString> held = holder(line, key.hash, 0, true))
                return held;
        }
        return claim(line, key.hash, 0);
    }

private:
    LineKey screened(int line, const NameComposer &composer, QString &newName) const
    {
        const QStringView present = presentName(line);
        composer.compose(present, *m_batch.start + line, newName);
        if (newName == present)
            return {hashOf(newName, 0, m_ignoresCase), LineKey::Own};
        if (newName.contains(QChar(0)) || separatorIn(newName) >= 0 || !plain(newName))
            return {};
        return {hashOf(newName, 0, m_ignoresCase), LineKey::Bare};
    }

    // A name the volume can hold, as far as the name alone tells.
    bool plain(QStringView name) const
    {
        return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..")
            && m_batch.facts.refusedAt(name) < 0 && !m_batch.facts.tooLong(name)
            && (!m_batch.facts.windowsNames || WindowsNameFate(name) == WindowsName::Kept);
    }

    // A name that Windows would not give the file as it reads.
    std::optional<QString> windowsChanges(QStringView name) const
    {
        if (!m_batch.facts.windowsNames)
            return std::nullopt;
        switch (WindowsNameFate(name)) {
        case WindowsName::EndDropped:
            return QStringLiteral("Windows cannot hold a name that ends in a dot or a blank");
        case WindowsName::Device: {
            const qsizetype dot = name.indexOf(QLatin1Char('.'));
            return QStringLiteral("Windows keeps the name %1 for a device")
                .arg(name.left(dot < 0 ? name.size() : dot).trimmed());
        }
        case WindowsName::Kept:
            break;
        }
        return std::nullopt;
    }

    std::optional<QString> fullProblemOf(int line)
    {
        const int row = m_batch.rows.row(line);
        const QStringView present = m_batch.names.at(row);
        const QString &newName = newNameOf(line);
        if (newName.contains(QChar(0)))
            return cannotHold(QChar(0));
        const qsizetype separator = separatorIn(newName);
        const QStringView name = QStringView(newName).mid(separator + 1);
        const int folder = separator < 0 ? 0 : folderOf(newName.left(separator));
        if (folder < 0)
            return QStringLiteral("there is no folder %1")
                .arg(QDir::toNativeSeparators(newName.left(separator)));
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
            if (std::optional<QString> changed = windowsChanges(name))
                return changed;
            if (m_batch.facts.tooLong(name))
                return QStringLiteral("the new name is too long for this drive");
            // The file leaves one folder and joins another: both change.
            if (!m_writable)
                return cannotChange(0);
            if (folder != 0 && !m_subFolders.at(size_t(folder - 1)).writable)
                return cannotChange(folder);
            if (std::optional<QString> held = holder(line, hash, folder, separator < 0))
                return held;
        }
        return claim(line, hash, folder);
    }

    QString cannotChange(int folder) const
    {
        return folder == 0
            ? QStringLiteral("the folder cannot be changed")
            : QStringLiteral("the folder %1 cannot be changed").arg(m_subFolders.at(size_t(folder - 1)).name);
    }

    // The new name of a line, composed again only for another line.
    const QString &newNameOf(int line)
    {
        if (line != m_newNameLine) {
            m_composer.compose(presentName(line), *m_batch.start + line, m_newName);
            m_newNameLine = line;
        }
        return m_newName;
    }

    // The new name of a line without its folder part.
    QStringView targetOf(int line)
    {
        const QString &newName = newNameOf(line);
        return QStringView(newName).mid(separatorIn(newName) + 1);
    }

    qsizetype separatorIn(QStringView path) const
    {
        for (qsizetype i = path.size() - 1; i >= 0; --i) {
            if (path[i] == u'/' || (path[i] == u'\\' && m_batch.facts.backslashSeparates))
                return i;
        }
        return -1;
    }

    // The line's new name, unless an earlier line claimed it already.
    std::optional<QString> claim(int line, size_t hash, int folder)
    {
        const int earlier = m_claims.find(hash, [&](int claimed) {
            const QString other = m_composer.compose(presentName(claimed), *m_batch.start + claimed);
            const qsizetype separator = separatorIn(other);
            return (separator < 0 ? 0 : folderOf(other.left(separator))) == folder
                && sameName(targetOf(line), QStringView(other).mid(separator + 1), m_ignoresCase);
        });
        if (earlier >= 0)
            return QStringLiteral("the same new name as %1").arg(presentName(earlier));
        m_claims.insert(hash, line);
        return std::nullopt;
    }

    // Who has the name before this line: a file the lines before have not
    // renamed away, or an entry of another folder. A file may take its own
    // name in other letters where case is ignored, but only by a bare name.
    std::optional<QString> holder(int line, size_t hash, int folder, bool bare)
    {
        if (folder != 0) {
            const SubFolder &sub = m_subFolders.at(size_t(folder - 1));
            const int entry = sub.table.find(hash, [&](int value) {
                return sameName(targetOf(line), sub.names.at(value), m_ignoresCase);
            });
            if (entry >= 0)
                return alreadyThere(sub.names.at(entry), sub.name);
            return std::nullopt;
        }
        const int entry = m_index.table.find(
            hash, [&](int value) { return sameName(targetOf(line), m_index.nameOf(value), m_ignoresCase); });
        if (entry == -1)
            return std::nullopt;
        const int renamedAt = entry >= 0 ? m_batch.rows.rank(entry) : -1;
        const bool free = (renamedAt >= 0 && renamedAt < line) || (renamedAt == line && bare);
        if (free)
            return std::nullopt;
        return alreadyThere(m_index.nameOf(entry));
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
                folder = int(m_subFolders.size()) + 1;
                m_subFolders.emplace_back(canonical, folder, m_ignoresCase);
                m_folderIds.insert(key, folder);
            }
        }
        m_folderOf.insert(part, folder);
        return folder;
    }

    // Another folder a new name leads into, with its entries; named as its
    // own name reads, whichever way the new name leads there ("..", a link).
    struct SubFolder {
        SubFolder(const QString &path, int folder, bool ignoresCase)
            : names(ListEveryEntry(path)), table(names.size()), writable(FolderTakesNames(path))
        {
            const QString own = QFileInfo(path).fileName();
            name = own.isEmpty() ? QDir::toNativeSeparators(path) : own;
            for (qsizetype i = 0; i < names.size(); ++i)
                table.insert(hashOf(names.at(i), folder, ignoresCase), int(i));
        }
        FileNames names;
        NameTable table;
        bool writable;
        QString name;
    };

    const StopBatch &m_batch;
    const FolderIndex &m_index;
    const NameComposer m_composer;
    QString m_newName; // of line m_newNameLine, in one text used again
    int m_newNameLine = -1;
    int m_first = 0; // the first line of the block screened
    std::vector<LineKey> m_keys;
    const bool m_ignoresCase;
    const QString m_folderKey;
    const bool m_writable; // whether names can be added to and taken from the batch's folder
    NameTable m_claims;
    QHash<QString, int> m_folderOf; // by the folder part as the new name writes it
    QHash<QString, int> m_folderIds; // by the canonical path as the volume compares it
    std::vector<SubFolder> m_subFolders; // folder 1, 2, ...
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
    // The lines go in blocks, so that a stop early in a large batch spares the
    // composing of the rest.
    Job job(batch, *m_folder);
    constexpr int Block = 65536;
    for (int first = 0; first < count; first += Block) {
        const int last = std::min(count, first + Block);
        if (!job.screen(first, last, dropped))
            return {};
        for (int line = first; line < last; ++line) {
            if (const std::optional<QString> reason = job.problemOf(line))
                return stopAt(line, *reason);
        }
    }
    return {};
}

void StopPrediction::forget()
{
    m_folder.reset();
}
