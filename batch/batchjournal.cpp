#include "batch/batchjournal.h"

#include "platform/folderidentity.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>
#include <cctype>
#include <string_view>
#include <utility>

// A batch file: a header (the journal's version, the batch's id, kind,
// folder, the folder's identity, the counter start, whether file numbers
// last, the number of moves planned), then blocks of lines: one line per
// move, with the moved file's identity, a correction of a move's place in
// the trash, or the end of the run with the number of moves done. The header
// and each block end with a line "sum": the SHA-256 of the sum before it and
// the lines since, so that a block cut short by a power cut, and everything
// after it, is never taken for part of the batch, and a changed line spoils
// the rest. Every text is UTF-8 with its blanks, control characters and '%'
// percent-encoded, so names with blanks, tabs or line breaks stay whole. The
// batch before the last one of a folder is kept until the last one has moved
// a file.
namespace {

const QByteArray Header = "Quorlane batch journal 3";
// The lines of the header, its sum included.
constexpr int HeaderLines = 9;

// Appends a text with the bytes that would break a line into words, '%',
// blanks and control characters, written as %XX; the rest as it is.
template<typename Bytes> void appendEncodedBytes(QByteArray &out, const Bytes &bytes)
{
    static const char hex[] = "0123456789ABCDEF";
    const qsizetype at = out.size();
    out.resize(at + 3 * bytes.size());
    char *next = out.data() + at;
    for (const auto unit : bytes) {
        const auto byte = static_cast<unsigned char>(unit);
        if (byte <= ' ' || byte == '%' || byte == 0x7f) {
            *next++ = '%';
            *next++ = hex[byte >> 4];
            *next++ = hex[byte & 15];
        } else {
            *next++ = char(byte);
        }
    }
    out.truncate(next - out.constData());
}

void appendEncoded(QByteArray &out, QStringView text)
{
    // Most names are ASCII, whose UTF-8 is the characters themselves.
    const bool ascii = std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
    if (ascii)
        appendEncodedBytes(out, std::u16string_view(text.utf16(), size_t(text.size())));
    else
        appendEncodedBytes(out, text.toUtf8());
}

QString decoded(const QByteArray &text)
{
    return QString::fromUtf8(QByteArray::fromPercentEncoding(text));
}

QByteArray readWhole(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The sum that ends a block: of the sum before it and the block's lines.
QByteArray sumOf(QByteArrayView before, QByteArrayView lines)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(before);
    hash.addData(lines);
    return hash.result().toHex();
}

// A line "key value" (the value may be empty), or nothing.
std::optional<QByteArray> valueOf(const QByteArray &line, QByteArrayView key)
{
    if (!line.startsWith(key) || line.size() == key.size() || line.at(key.size()) != ' ')
        return std::nullopt;
    const QByteArray value = line.mid(key.size() + 1);
    if (value.contains(' '))
        return std::nullopt;
    return value;
}

// A name of a file in the folder itself. Where the separator is '\\', a
// ':' would name a drive or a stream.
bool isPlainName(QStringView name)
{
    const bool windows = QDir::separator() == u'\\';
    return !name.isEmpty() && name != u"." && name != u".." && !name.contains(u'/')
        && !name.contains(QDir::separator()) && !name.contains(QChar(0)) && !(windows && name.contains(u':'));
}

// A new name within the folder; a prefix may name a sub-folder of it.
bool isWithinFolder(QStringView path)
{
    const QString relative = QDir::fromNativeSeparators(path.toString());
    if (QDir::isAbsolutePath(relative))
        return false;
    const QList<QStringView> parts = QStringView(relative).split(u'/');
    return std::all_of(parts.cbegin(), parts.cend(), [](QStringView part) { return isPlainName(part); });
}

bool isHex(QByteArrayView text)
{
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); });
}

// A place in a trash's files/ folder, as the trash gave it.
bool isTrashPlace(QStringView place)
{
    const QString path = place.toString();
    const QFileInfo file(path);
    return QDir::isAbsolutePath(path) && isPlainName(file.fileName())
        && QFileInfo(file.path()).fileName() == QLatin1String("files");
}

bool isDate(const QString &text)
{
    return QDateTime::fromString(text, Qt::ISODate).isValid();
}

void appendMove(QByteArray &lines, const JournalBatch &batch, qsizetype k)
{
    lines += "move ";
    appendEncoded(lines, batch.from.at(k));
    lines += ' ';
    appendEncoded(lines, batch.to.at(k));
    lines += ' ';
    batch.identities.at(size_t(k)).appendTo(lines);
    if (batch.kind == JournalBatch::Kind::Delete) {
        lines += ' ';
        appendEncoded(lines, batch.deletedAt.value(k));
    }
    lines += '\n';
}

// The lines of a block, each checked; false at the first that a batch of
// this kind cannot hold. A place given again rewrites the move's place.
bool readBlock(const QList<QByteArray> &lines, JournalBatch *batch)
{
    const bool rename = batch->kind == JournalBatch::Kind::Rename;
    std::vector<QString> places;
    for (const QByteArray &line : lines) {
        const QList<QByteArray> words = line.split(' ');
        if (words.first() == "end" && words.size() == 2 && !batch->done) {
            bool ok = false;
            const int done = words.at(1).toInt(&ok);
            if (!ok || done < 0 || done > batch->from.size())
                return false;
            batch->done = done;
        } else if (words.first() == "move" && words.size() == (rename ? 4 : 5) && !batch->done
                   && batch->from.size() < batch->planned) {
            const QString from = decoded(words.at(1));
            const QString to = decoded(words.at(2));
            const std::optional<FileIdentity> identity = FileIdentity::fromText(words.at(3));
            if (!isPlainName(from) || !(rename ? isWithinFolder(to) : isTrashPlace(to)) || !identity)
                return false;
            batch->from.append(from);
            batch->to.append(to);
            batch->identities.push_back(*identity);
            if (!rename) {
                batch->deletedAt.append(decoded(words.at(4)));
                if (!isDate(batch->deletedAt.last()))
                    return false;
            }
        } else if (words.first() == "place" && words.size() == 4 && !rename) {
            bool ok = false;
            const qsizetype k = words.at(1).toLongLong(&ok);
            const QString to = decoded(words.at(2));
            const QString date = decoded(words.at(3));
            if (!ok || k < 0 || k >= batch->from.size() || !isTrashPlace(to) || !isDate(date))
                return false;
            // The names are kept one after another, so a new place is
            // written in once the block is read.
            places.resize(size_t(batch->from.size()));
            places[size_t(k)] = to;
            batch->deletedAt[k] = date;
        } else {
            return false;
        }
    }
    if (places.empty())
        return true;
    FileNames to;
    for (qsizetype k = 0; k < batch->to.size(); ++k)
        to.append(size_t(k) < places.size() && !places[size_t(k)].isEmpty() ? QStringView(places[size_t(k)])
                                                                            : batch->to.at(k));
    batch->to = to;
    return true;
}

} // namespace

QString JournalBatch::temporaryName(qsizetype k) const
{
    return QStringLiteral("quorlane-%1-%2.tmp").arg(QString::fromLatin1(id)).arg(k);
}

bool JournalBatch::moved(qsizetype k, const QString &path) const
{
    const std::optional<FileIdentity> now = IdentityOf(path);
    return now && SameFile(identities.at(size_t(k)), *now, numbersLast);
}

BatchJournal::BatchJournal(QString location) : m_location(std::move(location))
{
    if (m_location.isEmpty())
        m_location = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation)
            + QLatin1String("/journal");
}

BatchJournal::~BatchJournal() = default;

QString BatchJournal::fileOf(const QString &folder, const char *suffix) const
{
    const QByteArray key
        = QCryptographicHash::hash(folder.toUtf8(), QCryptographicHash::Sha256).toHex().left(32);
    return m_location + QLatin1Char('/') + QLatin1String(key) + QLatin1String(suffix);
}

// A lock whose program has ended is taken over; one held by a program that
// still runs is never, however long its batch takes.
bool BatchJournal::lock(const QString &folder, QString *error)
{
    if (m_lock && m_folder == folder)
        return true;
    release();
    if (!MakePrivateFolder(m_location)) {
        *error = QStringLiteral("The folder %1 cannot be made.").arg(QDir::toNativeSeparators(m_location));
        return false;
    }
    auto lock = std::make_unique<QLockFile>(fileOf(folder, ".lock"));
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0)) {
        *error = lock->error() == QLockFile::LockFailedError
            ? QStringLiteral("Another Quorlane is renaming or deleting files in this folder; try again when "
                             "it has finished.")
            : QStringLiteral("The lock file %1 cannot be made.")
                  .arg(QDir::toNativeSeparators(fileOf(folder, ".lock")));
        return false;
    }
    m_lock = std::move(lock);
    m_folder = folder;
    return true;
}

void BatchJournal::release()
{
    QString ignored;
    if (m_file.isOpen())
        m_file.close(&ignored);
    m_lock.reset();
}

bool BatchJournal::begin(const JournalBatch &batch, QString *error)
{
    const QByteArray identity = FolderIdentity(batch.folder);
    if (identity.isEmpty()) {
        *error = QStringLiteral("The folder %1 is not there.").arg(QDir::toNativeSeparators(batch.folder));
        return false;
    }
    if (!lock(batch.folder, error))
        return false;
    const QString current = fileOf(batch.folder, ".batch");
    const QString before = fileOf(batch.folder, ".prev");
    QFile::remove(before);
    if (QFileInfo::exists(current) && !QFile::rename(current, before)) {
        *error = QStringLiteral("The journal %1 cannot be renamed.").arg(QDir::toNativeSeparators(current));
        release();
        return false;
    }
    QByteArray header;
    header += Header + "\nid " + batch.id + '\n';
    header += batch.kind == JournalBatch::Kind::Rename ? "kind rename\n" : "kind delete\n";
    header += "folder ";
    appendEncoded(header, batch.folder);
    header += "\nplace ";
    appendEncoded(header, QString::fromUtf8(identity));
    header += "\ncounter ";
    appendEncoded(header, batch.counterStart);
    header += batch.numbersLast ? "\nnumbers lasting\n" : "\nnumbers not-lasting\n";
    header += "moves " + QByteArray::number(batch.planned) + '\n';
    m_sum.clear();
    // The new journal's name is on the disk with its header before any file
    // moves, and so is the old one's new name.
    if (!m_file.create(current, error) || !appendBlock(header, error) || !SyncFolder(m_location)) {
        if (error->isEmpty())
            *error
                = QStringLiteral("The folder %1 cannot be synced.").arg(QDir::toNativeSeparators(m_location));
        QString ignored;
        m_file.close(&ignored);
        QFile::remove(current);
        QFile::rename(before, current);
        release();
        return false;
    }
    keepNewest();
    return true;
}

bool BatchJournal::appendBlock(const QByteArray &lines, QString *error, bool durable)
{
    const QByteArray sum = sumOf(m_sum, lines);
    if (!m_file.append(lines + "sum " + sum + '\n', error) || (durable && !m_file.sync(error)))
        return false;
    m_sum = sum;
    return true;
}

bool BatchJournal::add(const JournalBatch &batch, qsizetype first, qsizetype last, QString *error)
{
    QByteArray lines;
    lines.reserve((last - first) * 96);
    for (qsizetype k = first; k < last; ++k)
        appendMove(lines, batch, k);
    return appendBlock(lines, error);
}

bool BatchJournal::movePlace(const JournalBatch &batch, qsizetype k, QString *error)
{
    QByteArray line = "place " + QByteArray::number(k) + ' ';
    appendEncoded(line, batch.to.at(k));
    line += ' ';
    appendEncoded(line, batch.deletedAt.value(k));
    return appendBlock(line + '\n', error);
}

// A lost end costs nothing but a look at the files, so it waits for no sync
// of its own, and a failure to write it is let be.
void BatchJournal::end(int done)
{
    QString ignored;
    if (m_file.isOpen())
        appendBlock("end " + QByteArray::number(done) + '\n', &ignored, false);
    if (done > 0)
        QFile::remove(fileOf(m_folder, ".prev"));
    release();
}

void BatchJournal::withdraw()
{
    QString ignored;
    if (m_file.isOpen()) {
        m_file.close(&ignored);
        QFile::remove(fileOf(m_folder, ".batch"));
        QFile::rename(fileOf(m_folder, ".prev"), fileOf(m_folder, ".batch"));
    }
    release();
}

void BatchJournal::keepOnly(const JournalBatch &batch)
{
    QString ignored;
    if (batch.from.size() == 0 || !begin(batch, &ignored) || !add(batch, 0, batch.from.size(), &ignored)) {
        release();
        QFile::remove(fileOf(batch.folder, ".batch"));
        QFile::remove(fileOf(batch.folder, ".prev"));
        return;
    }
    end(int(batch.from.size()));
    QFile::remove(fileOf(batch.folder, ".prev"));
}

std::optional<JournalBatch> BatchJournal::last(const QString &folder) const
{
    const QByteArray content = readWhole(fileOf(folder, ".batch"));
    QList<QByteArray> lines = content.split('\n');
    if (lines.size() < HeaderLines + 1 || lines.first() != Header)
        return std::nullopt;
    // header: version, id, kind, folder, place, counter, numbers, moves, sum
    JournalBatch batch;
    const std::optional<QByteArray> id = valueOf(lines.at(1), "id");
    const std::optional<QByteArray> kind = valueOf(lines.at(2), "kind");
    const std::optional<QByteArray> folderLine = valueOf(lines.at(3), "folder");
    const std::optional<QByteArray> place = valueOf(lines.at(4), "place");
    const std::optional<QByteArray> counter = valueOf(lines.at(5), "counter");
    const std::optional<QByteArray> numbers = valueOf(lines.at(6), "numbers");
    const std::optional<QByteArray> planned = valueOf(lines.at(7), "moves");
    bool counted = false;
    if (!id || id->size() != 32 || !isHex(*id) || !kind || (*kind != "rename" && *kind != "delete")
        || !folderLine || decoded(*folderLine) != folder || !place || !counter || !numbers
        || (*numbers != "lasting" && *numbers != "not-lasting") || !planned)
        return std::nullopt;
    batch.id = *id;
    batch.kind = *kind == "rename" ? JournalBatch::Kind::Rename : JournalBatch::Kind::Delete;
    batch.folder = folder;
    batch.counterStart = decoded(*counter);
    batch.numbersLast = *numbers == "lasting";
    batch.planned = planned->toLongLong(&counted);
    if (!counted || batch.planned < 0)
        return std::nullopt;

    // Block after block while each sum holds; the first that does not, cut
    // short by a power cut or changed, ends what is read. A block whose sum
    // holds but whose lines no batch of this folder can hold was made to
    // fit: the whole journal is refused.
    QByteArray sum;
    qsizetype blockStart = 0;
    qsizetype at = 0;
    int blocks = 0;
    for (int i = 0; i < lines.size(); ++i) {
        const qsizetype lineEnd = at + lines.at(i).size() + 1;
        if (lineEnd > content.size())
            break; // a last line without its line break was cut short
        if (lines.at(i).startsWith("sum ")) {
            const QByteArrayView block = QByteArrayView(content).sliced(blockStart, at - blockStart);
            if (lines.at(i).mid(4) != sumOf(sum, block))
                break;
            if (blocks == 0 && i != HeaderLines - 1)
                return std::nullopt;
            if (blocks > 0 && !readBlock(lines.mid(i - block.count('\n'), block.count('\n')), &batch))
                return std::nullopt;
            sum = lines.at(i).mid(4);
            ++blocks;
            blockStart = lineEnd;
        }
        at = lineEnd;
    }
    if (blocks == 0)
        return std::nullopt;
    // Another volume or folder at this path now is not the batch's folder.
    const QByteArray identity = FolderIdentity(folder);
    if (identity.isEmpty() || decoded(*place) != QString::fromUtf8(identity))
        return std::nullopt;
    return batch;
}

// One batch per folder, and only for the folders used last: the journal never
// grows without bound.
void BatchJournal::keepNewest() const
{
    const QFileInfoList batches
        = QDir(m_location).entryInfoList({QStringLiteral("*.batch")}, QDir::Files, QDir::Time);
    for (qsizetype i = MaxFolders; i < batches.size(); ++i) {
        for (const char *suffix : {".batch", ".prev"})
            QFile::remove(batches.at(i).path() + QLatin1Char('/') + batches.at(i).completeBaseName()
                          + QLatin1String(suffix));
    }
}
