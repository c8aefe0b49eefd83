#include "batch/stopprediction.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QStorageInfo>
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

size_t hashOf(QStringView name, int folder, const VolumeFacts &facts)
{
    return facts.ignoresCase ? qHash(QStringView(facts.nameKey(name)), size_t(folder))
                             : qHash(name, size_t(folder));
}

// Whether two volumes take the same names for one.
bool comparesAlike(const VolumeFacts &a, const VolumeFacts &b)
{
    return a.ignoresCase == b.ignoresCase
        && (!a.ignoresCase
            || (a.caseRule == b.caseRule
                && (a.upCase == b.upCase || (a.upCase && b.upCase && *a.upCase == *b.upCase))));
}

// When the folder's entries last changed, as far as its file system tells.
QDateTime changedAt(const QString &folder)
{
    return QFileInfo(folder).lastModified();
}

// How far apart two changes of a folder may lie and still leave it the same
// modification time: a time without a fraction of a second is taken to move
// in whole seconds (in two on FAT); others move with the system's coarse
// clock, a few milliseconds.
qint64 granularityMs(const QDateTime &changed)
{
    return changed.time().msec() == 0 ? 2000 : 20;
}

// The folder's time, taken before it is read, so that a change while it is
// read shows in the time later. Where a rename leaves that time as it was,
// no reading is trusted for long.
FolderReading readingOf(const QString &folder, const VolumeFacts &facts)
{
    FolderReading reading;
    reading.folder = folder;
    reading.changed = changedAt(folder);
    reading.settled = facts.renamesMoveTime && reading.changed.isValid()
        && reading.changed.msecsTo(QDateTime::currentDateTime()) >= granularityMs(reading.changed);
    return reading;
}

// The 32-byte entries an exFAT folder gives a name: two for the file, one
// for every 15 UTF-16 units of the name.
qint64 exFatEntriesOf(QStringView name)
{
    return 2 + (name.size() + 14) / 15;
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
        : names(batch.names), facts(batch.facts), reading(readingOf(batch.folder, batch.facts)),
          marks(FolderMarksOf(batch.folder))
    {
        const FileNames listed = ListEveryEntry(reading.folder);
        onDisk.assign(size_t(names.size()), false);
        refusals.assign(size_t(names.size()), 0);
        NameTable rows(names.size());
        for (qsizetype row = 0; row < names.size(); ++row)
            rows.insert(hashOf(names.at(row), 0, facts), int(row));
        // An entry is the file list's entry of its very spelling, else one
        // the volume takes for the same name: another program may have
        // changed the letter case alone since the list was read.
        std::vector<std::pair<qsizetype, size_t>> unmatched;
        for (qsizetype i = 0; i < listed.size(); ++i) {
            const QStringView entry = listed.at(i);
            const size_t hash = hashOf(entry, 0, facts);
            const int row = rows.find(hash, [&](int value) { return names.at(value) == entry; });
            if (row >= 0)
                onDisk[size_t(row)] = true;
            else
                unmatched.emplace_back(i, hash);
        }
        for (const auto &[i, hash] : unmatched) {
            const QStringView entry = listed.at(i);
            const int row = !facts.ignoresCase ? -1 : rows.find(hash, [&](int value) {
                return !onDisk[size_t(value)] && facts.sameName(names.at(value), entry);
            });
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
            table.insert(hashOf(names.at(row), 0, facts), int(row));
        for (qsizetype i = 0; i < others.size(); ++i)
            table.insert(hashOf(others.at(i), 0, facts), -2 - int(i));
    }

    bool fits(const StopBatch &batch) const
    {
        return batch.folder == reading.folder && batch.names.isSharedWith(names)
            && comparesAlike(batch.facts, facts) && reading.holds();
    }

    QStringView nameOf(int value) const { return value >= 0 ? names.at(value) : others.at(-2 - value); }

    // Why the system would refuse to rename the file of a row, looked at
    // once. Each line has a row of its own, so the lines screened at once
    // never look at the same row.
    FileRefusal refusalOf(int row) const
    {
        quint8 &known = refusals[size_t(row)];
        if (known == 0)
            known = quint8(FileRefusalOf(joined(reading.folder, names.at(row).toString()), marks)) + 1;
        return FileRefusal(known - 1);
    }

    const FileNames names;
    const VolumeFacts facts;
    const FolderReading reading;
    const FolderMarks marks;
    FileNames others;
    std::vector<bool> onDisk; // by row of the file list
    NameTable table;

private:
    mutable std::vector<quint8> refusals; // by row: 0 not looked at, else the FileRefusal after 1
};

bool FolderReading::holds() const
{
    return settled && !folder.isEmpty() && changedAt(folder) == changed;
}

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
        : m_batch(batch), m_index(index), m_composer(batch.rules, batch.locale), m_facts(batch.facts),
          m_folderKey(m_facts.nameKey(QFileInfo(batch.folder).canonicalFilePath())),
          m_writable(FolderTakesNames(batch.folder)),
          m_lookAtFiles(m_facts.entryMarks || index.marks.ownersOnly),
          m_folderBytes(QFile::encodeName(joined(batch.folder, QString())).size()),
          m_claims(batch.rows.count())
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
            if (std::optional<QString> refused = folderRefuses(0))
                return refused;
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
            return {hashOf(newName, 0, m_facts), LineKey::Own};
        if (newName.contains(QChar(0)) || separatorIn(newName) >= 0 || !plain(newName)
            || needsCloserLook(line, present, newName))
            return {};
        return {hashOf(newName, 0, m_facts), LineKey::Bare};
    }

    // A name the volume can hold, as far as the name alone tells.
    bool plain(QStringView name) const
    {
        return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..")
            && m_facts.refusedAt(name) < 0 && !m_facts.tooLong(name)
            && (!m_facts.windowsNames || WindowsNameFate(name) == WindowsName::Kept);
    }

    // What the second pass looks at in full: a path near the system's
    // limit, a file the system may refuse to rename, a full card.
    bool needsCloserLook(int line, QStringView present, QStringView newName) const
    {
        if (m_facts.room != FolderRoom::Unbounded)
            return true;
        if (m_facts.longestPath > 0
            && m_folderBytes + 3 * std::max(present.size(), newName.size()) > m_facts.longestPath)
            return true;
        return m_lookAtFiles && m_index.refusalOf(m_batch.rows.row(line)) != FileRefusal::None;
    }

    // A name that Windows would not give the file as it reads.
    std::optional<QString> windowsChanges(QStringView name) const
    {
        if (!m_facts.windowsNames)
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

    // The run names both paths in full, and the system takes none longer
    // than its limit, whatever each name's own length.
    std::optional<QString> pathTooLong(QStringView present, QStringView newName) const
    {
        if (m_facts.longestPath <= 0
            || m_folderBytes + 3 * std::max(present.size(), newName.size()) <= m_facts.longestPath)
            return std::nullopt;
        if (m_folderBytes + QFile::encodeName(present.toString()).size() > m_facts.longestPath)
            return QStringLiteral("the path of the file is too long for the system");
        if (m_folderBytes + QFile::encodeName(newName.toString()).size() > m_facts.longestPath)
            return QStringLiteral("the new path is too long for the system");
        return std::nullopt;
    }

    // What keeps the folder (0 for the batch's own) from losing or taking
    // the line's name: the file leaves one folder and joins another, and
    // both change.
    std::optional<QString> folderRefuses(int folder) const
    {
        if (!m_writable)
            return cannotChange(0);
        if (m_index.marks.appendOnly)
            return QStringLiteral("the folder is marked append-only");
        if (folder == 0)
            return std::nullopt;
        const SubFolder &sub = m_subFolders.at(size_t(folder - 1));
        if (!sub.writable)
            return cannotChange(folder);
        if (sub.otherVolume)
            return QStringLiteral("the folder %1 is on another drive").arg(sub.name);
        return std::nullopt;
    }

    std::optional<QString> fileRefuses(int row) const
    {
        if (!m_lookAtFiles)
            return std::nullopt;
        switch (m_index.refusalOf(row)) {
        case FileRefusal::Immutable:
            return QStringLiteral("the file is marked immutable");
        case FileRefusal::AppendOnly:
            return QStringLiteral("the file is marked append-only");
        case FileRefusal::OtherOwner:
            return QStringLiteral("the file belongs to another user, and in this folder only its owner may "
                                  "rename it");
        case FileRefusal::MountedOn:
            return QStringLiteral("another drive is mounted on the file");
        case FileRefusal::None:
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
        const size_t hash = hashOf(name, folder, m_facts);
        // A new name that is the file's own, in its own folder, asks nothing
        // of the volume.
        if (folder != 0 || name != present) {
            if (name.isEmpty())
                return QStringLiteral("the new name is empty");
            if (name == QLatin1String(".") || name == QLatin1String(".."))
                return QStringLiteral("a file cannot be named %1").arg(name);
            if (const qsizetype at = m_facts.refusedAt(name); at >= 0)
                return cannotHold(name.at(at));
            if (std::optional<QString> changed = windowsChanges(name))
                return changed;
            if (m_facts.tooLong(name))
                return QStringLiteral("the new name is too long for this drive");
            if (std::optional<QString> tooLong = pathTooLong(present, newName))
                return tooLong;
            if (std::optional<QString> refused = folderRefuses(folder))
                return refused;
            if (std::optional<QString> refused = fileRefuses(row))
                return refused;
            if (std::optional<QString> held = holder(line, hash, folder, separator < 0))
                return held;
            if (!roomFor(line, present, name, folder))
                return QStringLiteral("the drive is full, and the folder has no room for the new name");
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
            if (path[i] == u'/' || (path[i] == u'\\' && m_facts.backslashSeparates))
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
                && m_facts.sameName(targetOf(line), QStringView(other).mid(separator + 1));
        });
        if (earlier >= 0)
            return QStringLiteral("the same new name as %1").arg(presentName(earlier));
        m_claims.insert(hash, line);
        return std::nullopt;
    }

    // Who has the name before this line: a file the lines before have not
    // renamed away, or an entry of another folder. A file may take its own
    // name in other letters where case is ignored, but only by a bare name.
    // Every entry the volume takes for the name is asked, not just the first.
    // The new name is composed again only where a name is found with its
    // hash.
    std::optional<QString> holder(int line, size_t hash, int folder, bool bare)
    {
        if (folder != 0) {
            const SubFolder &sub = m_subFolders.at(size_t(folder - 1));
            const int entry = sub.table.find(
                hash, [&](int value) { return m_facts.sameName(targetOf(line), sub.names.at(value)); });
            if (entry >= 0)
                return alreadyThere(sub.names.at(entry), sub.name);
            return std::nullopt;
        }
        const int entry = m_index.table.find(hash, [&](int value) {
            if (!m_facts.sameName(targetOf(line), m_index.nameOf(value)))
                return false;
            const int renamedAt = value >= 0 ? m_batch.rows.rank(value) : -1;
            return !((renamedAt >= 0 && renamedAt < line) || (renamedAt == line && bare));
        });
        if (entry == -1)
            return std::nullopt;
        return alreadyThere(m_index.nameOf(entry));
    }

    // Where a full exFAT card cannot grow the folder, whether its free
    // entries take the new name; the entries are then counted as taken, and
    // the file's old ones as free. A change of letter case alone goes first
    // to the run's temporary name ("quorlane-", 32 hex digits, "-", the
    // line, ".tmp"). Whether free entries lie together, as a name needs
    // them, is not known without reading the card.
    bool roomFor(int line, QStringView present, QStringView name, int folder)
    {
        if (m_facts.room == FolderRoom::Unbounded)
            return true;
        const qint64 had = exFatEntriesOf(present);
        if (folder == 0 && m_facts.sameName(present, name)) {
            const qint64 through
                = exFatEntriesOf(QStringLiteral("quorlane-%1-%2.tmp").arg(QString(32, u'0')).arg(line));
            return moves(had, through, 0) && moves(through, exFatEntriesOf(name), 0);
        }
        return moves(had, exFatEntriesOf(name), folder);
    }

    // One move of a file whose name takes `had` entries to a name that takes
    // `needed` in `folder`.
    bool moves(qint64 had, qint64 needed, int folder)
    {
        countFreeEntries(folder);
        countFreeEntries(0);
        qint64 &own = m_freeEntries[0];
        if (m_facts.room == FolderRoom::LongerNames && folder == 0 && needed <= had) {
            own += had - needed;
            return true;
        }
        qint64 &free = m_freeEntries[size_t(folder)];
        if (free < needed)
            return false;
        free -= needed;
        own += had;
        return true;
    }

    // Counts the free entries of a folder once: its size in entries, less
    // those its names take (and, at the card's top, its label, allocation
    // bitmap and up-case table).
    void countFreeEntries(int folder)
    {
        if (m_freeEntries.size() <= size_t(folder))
            m_freeEntries.resize(size_t(folder) + 1, -1);
        qint64 &free = m_freeEntries[size_t(folder)];
        if (free >= 0)
            return;
        const QString path = folder == 0 ? m_batch.folder : m_subFolders.at(size_t(folder - 1)).path;
        free = QFileInfo(path).size() / 32;
        const QString canonical = QFileInfo(path).canonicalFilePath();
        if (QStorageInfo(canonical).rootPath() == canonical)
            free -= 3;
        const auto take = [&free](const FileNames &names) {
            for (qsizetype i = 0; i < names.size(); ++i)
                free -= exFatEntriesOf(names.at(i));
        };
        if (folder == 0) {
            for (qsizetype row = 0; row < m_batch.names.size(); ++row) {
                if (m_index.onDisk[size_t(row)])
                    free -= exFatEntriesOf(m_batch.names.at(row));
            }
            take(m_index.others);
        } else {
            take(m_subFolders.at(size_t(folder - 1)).names);
        }
        free = std::max<qint64>(free, 0);
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
            const QString key = m_facts.nameKey(canonical);
            folder = key == m_folderKey ? 0 : m_folderIds.value(key, -1);
            if (folder < 0) {
                folder = int(m_subFolders.size()) + 1;
                m_subFolders.emplace_back(canonical, folder, m_facts, m_index.marks.place);
                m_folderIds.insert(key, folder);
            }
        }
        m_folderOf.insert(part, folder);
        return folder;
    }

    // Another folder a new name leads into, with its entries; named as its
    // own name reads, whichever way the new name leads there ("..", a link).
    struct SubFolder {
        SubFolder(const QString &canonical, int folder, const VolumeFacts &facts,
                  const MountPlace &batchPlace)
            : path(canonical), names(ListEveryEntry(canonical)), table(names.size()),
              writable(FolderTakesNames(canonical))
        {
            const QString own = QFileInfo(canonical).fileName();
            name = own.isEmpty() ? QDir::toNativeSeparators(canonical) : own;
            const MountPlace place = MountPlaceOf(canonical);
            otherVolume = place.known && batchPlace.known && place != batchPlace;
            for (qsizetype i = 0; i < names.size(); ++i)
                table.insert(hashOf(names.at(i), folder, facts), int(i));
        }
        QString path;
        FileNames names;
        NameTable table;
        bool writable;
        bool otherVolume = false;
        QString name;
    };

    const StopBatch &m_batch;
    const FolderIndex &m_index;
    const NameComposer m_composer;
    QString m_newName; // of line m_newNameLine, in one text used again
    int m_newNameLine = -1;
    int m_first = 0; // the first line of the block screened
    std::vector<LineKey> m_keys;
    const VolumeFacts &m_facts;
    const QString m_folderKey;
    const bool m_writable; // whether names can be added to and taken from the batch's folder
    const bool m_lookAtFiles; // whether the system may refuse to rename a file for its own marks
    const qsizetype m_folderBytes; // of the batch folder's path, with the separator before a name
    NameTable m_claims;
    QHash<QString, int> m_folderOf; // by the folder part as the new name writes it
    QHash<QString, int> m_folderIds; // by the canonical path as the volume compares it
    std::vector<SubFolder> m_subFolders; // folder 1, 2, ...
    std::vector<qint64> m_freeEntries; // by folder, where a full card counts them; -1 not counted yet
};
StopPrediction::StopPrediction() = default;
StopPrediction::~StopPrediction() = default;

PredictedStop StopPrediction::predict(const StopBatch &batch, const std::function<bool()> &dropped)
{
    const int count = batch.rows.count();
    if (count == 0)
        return {};
    const auto stopAt = [&batch](int line, const QString &reason, const FolderReading &reading = {}) {
        return PredictedStop{line, batch.names.at(batch.rows.row(line)).toString(), reason, reading};
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
                return stopAt(line, *reason, m_folder->reading);
        }
    }
    return PredictedStop{-1, {}, {}, m_folder->reading};
}

void StopPrediction::forget()
{
    m_folder.reset();
}
