#include "batch/batchjournal.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QUuid>

#include <algorithm>
#include <string_view>
#include <utility>

// A batch file: a header line, the batch's id, kind, folder and counter
// start, one line per move, and a last line with the number of moves, so that
// a file cut short is never taken for a batch. Every text is UTF-8 with its
// blanks, control characters and '%' percent-encoded, so names with blanks,
// tabs or line breaks stay whole. The end of the
// run is a small file of its own naming the batch's id.
namespace {

const QByteArray Header = "Quorlane batch journal 1";

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

} // namespace

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
    // The end of an earlier batch must never count for this one.
    m_id.clear();
    QFile::remove(fileOf(batch.folder, ".end"));
    if (!QDir().mkpath(m_location))
        return false;
    m_folder = batch.folder;
    m_id = QUuid::createUuid().toByteArray(QUuid::Id128);
    QByteArray content;
    content.reserve(3 * (batch.from.characters() + batch.to.characters()) + 8 * batch.from.size() + 1024);
    content += Header + "\nid " + m_id + '\n';
    content += batch.kind == JournalBatch::Kind::Rename ? "kind rename\n" : "kind delete\n";
    content += "folder ";
    appendEncoded(content, batch.folder);
    content += "\ncounter ";
    appendEncoded(content, batch.counterStart);
    for (qsizetype k = 0; k < batch.from.size(); ++k) {
        content += "\nmove ";
        appendEncoded(content, batch.from.at(k));
        content += ' ';
        appendEncoded(content, batch.to.at(k));
    }
    content += "\nmoves " + QByteArray::number(batch.from.size()) + '\n';
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
    return !m_id.isEmpty()
        && writeWhole(fileOf(m_folder, ".end"), m_id + ' ' + QByteArray::number(done) + '\n');
}

std::optional<JournalBatch> BatchJournal::last(const QString &folder) const
{
    const QList<QByteArray> lines = readWhole(fileOf(folder, ".batch")).split('\n');
    if (lines.size() < 7 || lines.first() != Header)
        return std::nullopt;
    JournalBatch batch;
    QByteArray id;
    qsizetype counted = -1;
    for (const QByteArray &line : lines.mid(1)) {
        const QList<QByteArray> words = line.split(' ');
        const QByteArray &key = words.first();
        if (key == "id" && words.size() == 2)
            id = words.at(1);
        else if (key == "kind" && words.size() == 2)
            batch.kind = words.at(1) == "delete" ? JournalBatch::Kind::Delete : JournalBatch::Kind::Rename;
        else if (key == "folder" && words.size() == 2)
            batch.folder = decoded(words.at(1));
        else if (key == "counter" && words.size() == 2)
            batch.counterStart = decoded(words.at(1));
        else if (key == "move" && words.size() == 3) {
            batch.from.append(decoded(words.at(1)));
            batch.to.append(decoded(words.at(2)));
        } else if (key == "moves" && words.size() == 2)
            counted = words.at(1).toLongLong();
    }
    // A file of another folder with the same key, or one cut short.
    if (batch.folder != folder || counted != batch.from.size() || id.isEmpty())
        return std::nullopt;

    const QList<QByteArray> end = readWhole(fileOf(folder, ".end")).trimmed().split(' ');
    bool ok = false;
    const int done = end.size() == 2 && end.at(0) == id ? end.at(1).toInt(&ok) : 0;
    if (ok && done >= 0 && done <= batch.from.size())
        batch.done = done;
    return batch;
}

void BatchJournal::forget(const QString &folder)
{
    QFile::remove(fileOf(folder, ".batch"));
    QFile::remove(fileOf(folder, ".end"));
}

// One batch per folder, and only for the folders used last: the journal never
// grows without bound.
void BatchJournal::keepNewest() const
{
    const QFileInfoList batches
        = QDir(m_location).entryInfoList({QStringLiteral("*.batch")}, QDir::Files, QDir::Time);
    for (qsizetype i = MaxFolders; i < batches.size(); ++i) {
        QFile::remove(batches.at(i).filePath());
        QFile::remove(batches.at(i).path() + QLatin1Char('/') + batches.at(i).completeBaseName()
                      + QLatin1String(".end"));
    }
}
