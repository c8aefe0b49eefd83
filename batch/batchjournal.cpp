#include "batch/batchjournal.h"

#include "platform/folderidentity.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QUuid>

#include <algorithm>
#include <cctype>
#include <string_view>
#include <utility>

// A batch file: a header line, the batch's id, kind, folder, the folder's
// identity and the counter start, one line per move, a line with the number
// of moves, and last the SHA-256 sum of all before it, so that a file cut
// short or changed is never taken for a batch. Every text is UTF-8 with its
// blanks, control characters and '%' percent-encoded, so names with blanks,
// tabs or line breaks stay whole. The end of the run is a small file of its
// own naming the batch's id. The batch before the last one of a folder is
// kept until the last one has moved a file.
namespace {

const QByteArray Header = "Quorlane batch journal 2";

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

// Writes the whole file or nothing; QSaveFile syncs it to the disk before it
// takes the file's name.
bool writeWhole(const QString &path, const QByteArray &content)
{
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size() && file.commit();
}

QByteArray readWhole(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray sumOf(QByteArrayView content)
{
    return QCryptographicHash::hash(content, QCryptographicHash::Sha256).toHex();
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

// The moves of a batch as its lines hold them: two words each for a rename,
// three for a delete (the deletion date last).
bool readMoves(const QList<QByteArray> &lines, JournalBatch *batch)
{
    const bool rename = batch->kind == JournalBatch::Kind::Rename;
    for (const QByteArray &line : lines) {
        const QList<QByteArray> words = line.split(' ');
        if (words.size() != (rename ? 3 : 4) || words.first() != "move")
            return false;
        const QString from = decoded(words.at(1));
        const QString to = decoded(words.at(2));
        if (!isPlainName(from) || !(rename ? isWithinFolder(to) : isTrashPlace(to)))
            return false;
        batch->from.append(from);
        batch->to.append(to);
        if (!rename) {
            batch->deletedAt.append(decoded(words.at(3)));
            if (!QDateTime::fromString(batch->deletedAt.last(), Qt::ISODate).isValid())
                return false;
        }
    }
    return true;
}

} // namespace

QString JournalBatch::temporaryName(qsizetype k) const
{
    return QStringLiteral("quorlane-%1-%2.tmp").arg(QString::fromLatin1(id)).arg(k);
}

BatchJournal::BatchJournal(QString location) : m_location(std::move(location))
{
    if (m_location.isEmpty())
        m_location = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation)
            + QLatin1String("/journal");
}

QString BatchJournal::fileOf(const QString &folder, const char *suffix) const
{
    const QByteArray key
        = QCryptographicHash::hash(folder.toUtf8(), QCryptographicHash::Sha256).toHex().left(32);
    return m_location + QLatin1Char('/') + QLatin1String(key) + QLatin1String(suffix);
}

bool BatchJournal::write(const JournalBatch &batch)
{
    // The end of an earlier batch must never count for this one; the batch
    // before stays at hand until this one has moved a file.
    m_id.clear();
    // A batch that runs without its journal leaves the batch before
    // describing files it may have moved: that one is dropped.
    const QByteArray identity = FolderIdentity(batch.folder);
    if (identity.isEmpty() || !QDir().mkpath(m_location)) {
        forget(batch.folder);
        return false;
    }
    QFile::remove(fileOf(batch.folder, ".prev"));
    QFile::remove(fileOf(batch.folder, ".prevend"));
    QFile::rename(fileOf(batch.folder, ".batch"), fileOf(batch.folder, ".prev"));
    QFile::rename(fileOf(batch.folder, ".end"), fileOf(batch.folder, ".prevend"));
    QFile::remove(fileOf(batch.folder, ".end"));
    m_folder = batch.folder;
    m_id = batch.id;
    const bool rename = batch.kind == JournalBatch::Kind::Rename;
    QByteArray content;
    content.reserve(3 * (batch.from.characters() + batch.to.characters()) + 8 * batch.from.size() + 1024);
    content += Header + "\nid " + m_id + '\n';
    content += rename ? "kind rename\n" : "kind delete\n";
    content += "folder ";
    appendEncoded(content, batch.folder);
    content += "\nplace ";
    appendEncoded(content, QString::fromUtf8(identity));
    content += "\ncounter ";
    appendEncoded(content, batch.counterStart);
    for (qsizetype k = 0; k < batch.from.size(); ++k) {
        content += "\nmove ";
        appendEncoded(content, batch.from.at(k));
        content += ' ';
        appendEncoded(content, batch.to.at(k));
        if (!rename) {
            content += ' ';
            appendEncoded(content, batch.deletedAt.value(k));
        }
    }
    content += "\nmoves " + QByteArray::number(batch.from.size()) + '\n';
    content += "sum " + sumOf(content) + '\n';
    if (!writeWhole(fileOf(batch.folder, ".batch"), content)) {
        m_id.clear();
        forget(batch.folder);
        return false;
    }
    keepNewest();
    if (batch.done)
        return recordEnd(*batch.done);
    return true;
}

bool BatchJournal::recordEnd(int done)
{
    if (m_id.isEmpty() || !writeWhole(fileOf(m_folder, ".end"), m_id + ' ' + QByteArray::number(done) + '\n'))
        return false;
    QFile::remove(fileOf(m_folder, ".prev"));
    QFile::remove(fileOf(m_folder, ".prevend"));
    return true;
}

// The batch before comes back as the folder's last one, if there is one.
void BatchJournal::withdraw()
{
    if (m_id.isEmpty())
        return;
    m_id.clear();
    QFile::remove(fileOf(m_folder, ".end"));
    QFile::remove(fileOf(m_folder, ".batch"));
    QFile::rename(fileOf(m_folder, ".prevend"), fileOf(m_folder, ".end"));
    QFile::rename(fileOf(m_folder, ".prev"), fileOf(m_folder, ".batch"));
}

std::optional<JournalBatch> BatchJournal::last(const QString &folder) const
{
    const QByteArray content = readWhole(fileOf(folder, ".batch"));
    const qsizetype sumAt = content.lastIndexOf("\nsum ") + 1;
    if (sumAt <= 0 || content.mid(sumAt) != "sum " + sumOf(QByteArrayView(content).first(sumAt)) + '\n')
        return std::nullopt;
    // header, id, kind, folder, place, counter, the moves, their number
    const QList<QByteArray> lines = content.left(sumAt - 1).split('\n');
    if (lines.size() < 7 || lines.first() != Header)
        return std::nullopt;
    JournalBatch batch;
    const std::optional<QByteArray> id = valueOf(lines.at(1), "id");
    const std::optional<QByteArray> kind = valueOf(lines.at(2), "kind");
    const std::optional<QByteArray> folderLine = valueOf(lines.at(3), "folder");
    const std::optional<QByteArray> place = valueOf(lines.at(4), "place");
    const std::optional<QByteArray> counter = valueOf(lines.at(5), "counter");
    const std::optional<QByteArray> count = valueOf(lines.last(), "moves");
    if (!id || id->size() != 32 || !isHex(*id) || !kind || (*kind != "rename" && *kind != "delete")
        || !folderLine || decoded(*folderLine) != folder || !place || !counter || !count)
        return std::nullopt;
    batch.id = *id;
    batch.kind = *kind == "rename" ? JournalBatch::Kind::Rename : JournalBatch::Kind::Delete;
    batch.folder = folder;
    batch.counterStart = decoded(*counter);
    bool numbered = false;
    if (!readMoves(lines.mid(6, lines.size() - 7), &batch)
        || count->toLongLong(&numbered) != batch.from.size() || !numbered)
        return std::nullopt;
    // Another volume or folder at this path now is not the batch's folder.
    const QByteArray identity = FolderIdentity(folder);
    if (identity.isEmpty() || decoded(*place) != QString::fromUtf8(identity))
        return std::nullopt;

    // No end: the run never recorded it. An end of another batch, or one out
    // of range, is a damaged journal.
    if (!QFileInfo::exists(fileOf(folder, ".end")))
        return batch;
    const QList<QByteArray> end = readWhole(fileOf(folder, ".end")).split(' ');
    bool ok = false;
    const int done = end.size() == 2 && end.at(0) == batch.id && end.at(1).endsWith('\n')
        ? end.at(1).chopped(1).toInt(&ok)
        : -1;
    if (!ok || done < 0 || done > batch.from.size())
        return std::nullopt;
    batch.done = done;
    return batch;
}

void BatchJournal::forget(const QString &folder)
{
    for (const char *suffix : {".batch", ".end", ".prev", ".prevend"})
        QFile::remove(fileOf(folder, suffix));
}

// One batch per folder, and only for the folders used last: the journal never
// grows without bound.
void BatchJournal::keepNewest() const
{
    const QFileInfoList batches
        = QDir(m_location).entryInfoList({QStringLiteral("*.batch")}, QDir::Files, QDir::Time);
    for (qsizetype i = MaxFolders; i < batches.size(); ++i) {
        for (const char *suffix : {".batch", ".end", ".prev", ".prevend"})
            QFile::remove(batches.at(i).path() + QLatin1Char('/') + batches.at(i).completeBaseName()
                          + QLatin1String(suffix));
    }
}
