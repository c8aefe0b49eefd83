// The rename run: every selected file gets its new name on disk, in list
// order, and the counter start moves on so that the next batch continues the
// numbering. No file is ever replaced: the platform's rename refuses a name
// that another file has. The files move off the interface thread; ahead of
// them, block by block, they are looked at and written to the journal on a
// thread of its own, each block on the disk before any of its files moves,
// so that the batch can be taken back whatever stops it.
#include "batch/batchrunner.h"
#include "platform/platformservices.h"
#include "rules/numbertext.h"
#include "window/filelist.h"
#include "window/filerenamer.h"
#include "window/previewlist.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHash>
#include <QLineEdit>

#include <condition_variable>
#include <limits>
#include <mutex>
#include <thread>

namespace {

// The files of the first block, which doubles up to the most a block takes,
// and how long a block may take to look at its files. A volume that takes
// longer than SlowLookNs to look at a file is a network one, where a block's
// files should move within a second of being looked at, while the system
// still knows them; each look there is a round trip of its own.
constexpr int FirstBlockFiles = 256;
constexpr int BlockFiles = 65536;
constexpr int BlockMs = 100;
constexpr qint64 SlowLookNs = 100000;

qsizetype lastSeparator(QStringView name)
{
    qsizetype at = name.lastIndexOf(u'/');
    if (QDir::separator() == u'\\')
        at = std::max(at, name.lastIndexOf(u'\\'));
    return at;
}

// The new name as the journal keeps it: its folder part as the real folder
// it leads to, where that lies within the batch's folder, so that taking the
// batch back follows no link that was not there when it ran. Each folder
// part is looked up once.
class RealFolders {
public:
    explicit RealFolders(const QString &folder)
        : m_folder(folder), m_real(QFileInfo(folder).canonicalFilePath() + QLatin1Char('/'))
    {
    }

    // The name as the journal keeps it; a bare name is itself.
    QStringView of(const QString &newName)
    {
        const qsizetype at = lastSeparator(newName);
        if (at < 0)
            return newName;
        const QString part = newName.left(at);
        auto known = m_parts.constFind(part);
        if (known == m_parts.cend()) {
            const QString real = QFileInfo(FullPath(m_folder, part)).canonicalFilePath();
            known = m_parts.insert(part, real.startsWith(m_real) ? real.mid(m_real.size()) : part);
        }
        m_name = *known + QLatin1Char('/') + newName.mid(at + 1);
        return m_name;
    }

private:
    QString m_folder;
    QString m_real;
    QHash<QString, QString> m_parts;
    QString m_name; // the last name with a folder part
};

// Whether a new name changes the letter case of the present one alone,
// which where names ignore case goes through a temporary name.
bool caseOnly(QStringView present, QStringView wanted)
{
    return present.size() == wanted.size() && present != wanted
        && present.compare(wanted, Qt::CaseInsensitive) == 0;
}

// Looks at a batch's files and writes them to the journal, block by block,
// on a thread of its own ahead of the moves: a move waits only where its
// block is not on the disk yet. On a network volume, where a look waits for
// the folder as a move does, the mover looks at the next block itself before
// it moves a block: one thread asking spares the hand-over of the folder
// between two at each request. A file that is gone ends the journal there;
// its move then fails.
class JournalAhead {
public:
    JournalAhead(BatchJournal &journal, JournalBatch &batch)
        : m_journal(journal), m_batch(batch), m_identities(batch.folder)
    {
        m_batch.identities.resize(size_t(batch.planned)); // filled in by index, never moved
        m_thread = std::thread([this] { work(); });
    }
    ~JournalAhead() { finish(); }
    JournalAhead(const JournalAhead &) = delete;
    JournalAhead &operator=(const JournalAhead &) = delete;

    // Whether the k-th move is on the disk in the journal, once its block is
    // written or the journal ends before it.
    bool ready(qsizetype k)
    {
        std::unique_lock<std::mutex> hold(m_lock);
        for (;;) {
            if (m_moverLooks && k >= m_lookAt && m_looked < m_batch.planned && !m_lookEnded) {
                const qsizetype first = m_looked;
                hold.unlock();
                const Looked looked = look(first, BlockFiles);
                hold.lock();
                m_lookAt = first;
                m_looked = looked.last;
                m_lookEnded = looked.ended;
                m_changed.notify_all();
                continue;
            }
            if (m_journaled > k || m_ended)
                return m_journaled > k;
            m_changed.wait(hold);
        }
    }
    // Ends the journaling once the moves are over: why the journal ended
    // before the batch's end, when it could not be written.
    QString finish()
    {
        {
            const std::lock_guard<std::mutex> hold(m_lock);
            m_stop = true;
            m_changed.notify_all();
        }
        if (m_thread.joinable())
            m_thread.join();
        return m_error;
    }

private:
    void work()
    {
        qsizetype size = FirstBlockFiles;
        for (qsizetype first = 0; first < m_batch.planned;) {
            qsizetype last = first;
            if (moverLooks()) {
                std::unique_lock<std::mutex> hold(m_lock);
                m_changed.wait(hold, [&] { return m_looked > first || m_lookEnded || m_stop; });
                last = m_looked;
            } else {
                QElapsedTimer looking;
                looking.start();
                last = look(first, size).last;
                // The mover looks at the next block while this one is written.
                if (looking.nsecsElapsed() > SlowLookNs * (last - first)) {
                    const std::lock_guard<std::mutex> hold(m_lock);
                    m_moverLooks = true;
                    m_lookAt = first;
                    m_looked = last;
                    m_changed.notify_all();
                }
            }
            const bool written = last > first && m_journal.add(m_batch, first, last, &m_error);
            const std::lock_guard<std::mutex> hold(m_lock);
            if (written)
                m_journaled = last;
            m_ended = !written || (last < m_batch.planned && m_stop);
            m_changed.notify_all();
            if (m_ended)
                return;
            first = last;
            size = std::min<qsizetype>(2 * size, BlockFiles);
        }
        const std::lock_guard<std::mutex> hold(m_lock);
        m_ended = true;
        m_changed.notify_all();
    }

    struct Looked {
        qsizetype last; // the end of what was looked at
        bool ended; // at a file that is gone, or at a stop
    };
    // Looks at the files from `first` on, at most `size` of them and for
    // BlockMs at most.
    Looked look(qsizetype first, qsizetype size)
    {
        QElapsedTimer looking;
        looking.start();
        for (qsizetype last = first; last < m_batch.planned && last - first < size; ++last) {
            if (stopped())
                return {last, true};
            if (looking.elapsed() >= BlockMs)
                return {last, false};
            const std::optional<FileIdentity> identity = m_identities.of(m_batch.from.at(last));
            if (!identity)
                return {last, true};
            m_batch.identities[size_t(last)] = *identity;
        }
        return {std::min(first + size, m_batch.planned), false};
    }

    bool moverLooks()
    {
        const std::lock_guard<std::mutex> hold(m_lock);
        return m_moverLooks;
    }

    bool stopped()
    {
        const std::lock_guard<std::mutex> hold(m_lock);
        return m_stop;
    }

    BatchJournal &m_journal;
    JournalBatch &m_batch;
    const FolderIdentities m_identities;
    std::mutex m_lock;
    std::condition_variable m_changed;
    qsizetype m_journaled = 0;
    bool m_ended = false;
    bool m_stop = false;
    // Once the volume shows itself a network one, the mover looks: a block
    // from m_looked on, as it comes to the block that begins at m_lookAt.
    bool m_moverLooks = false;
    qsizetype m_lookAt = 0;
    qsizetype m_looked = 0;
    bool m_lookEnded = false;
    QString m_error;
    std::thread m_thread;
};

} // namespace

void FileRenamer::Rename_Click()
{
    CountSelected();
    if (m_selectedCount == 0) {
        m_services.messageBox->show(QStringLiteral("First select the files."),
                                    MsgBox::Ok | MsgBox::IconExclamation, QStringLiteral("Quorlane"));
        return;
    }
    const int answer = m_services.messageBox->show(
        QStringLiteral("The File names will be permanently renamed.\rAre you sure ?") + StopWarning(),
        MsgBox::OkCancel | MsgBox::IconQuestion, QStringLiteral("Quorlane"));
    if (answer == MsgBox::AnswerCancel)
        return;

    List1->clear();
    m_services.pointer->set(Pointer::Busy);

    // What stopped the run, when more than the fixed text can say, is told
    // on a line of its own: a file left under a temporary name, a journal
    // that cannot be written, a stop the user asked for.
    auto fail = [this](const QString &detail = QString()) {
        File1->refresh();
        m_services.pointer->set(Pointer::Arrow); // no hourglass over the message
        QString text = QStringLiteral("File already exists !");
        if (!detail.isEmpty())
            text += QLatin1Char('\r') + detail;
        m_services.messageBox->show(text, MsgBox::Ok, QStringLiteral("Quorlane"));
        m_services.pointer->set(Pointer::Arrow);
    };

    const std::optional<qint32> start = StartValueFromText(CounterStart->text());
    const SelectedRows rows = File1->selectedRows();
    // A batch whose numbers would run past the 32-bit range is refused before
    // any file is touched, so it never stops halfway for that reason.
    if (!start || qint64(*start) + rows.count() > std::numeric_limits<qint32>::max()) {
        fail();
        return;
    }

    const RenameRules rules = ReadRules();
    const QString folder = File1->path();
    FormatCounter(*start); // the counter boxes follow the tick
    // Every new name is composed before the first file is touched, so that
    // the journal holds the whole batch; a batch whose journal cannot be
    // written does not start.
    JournalBatch batch{JournalBatch::Kind::Rename, folder, CounterStart->text(), {}, {}, std::nullopt};
    batch.planned = rows.count();
    batch.numbersLast = NumbersLast(folder);
    const FileNames &names = File1->fileNames();
    const NameComposer composer(rules, QLocale());
    RealFolders real(folder);
    QString newName;
    batch.from.reserve(rows.count(), names.characters());
    batch.to.reserve(rows.count(), names.characters());
    for (int k = 0; k < rows.count(); ++k) {
        const QStringView present = names.at(rows.row(k));
        batch.from.append(present);
        composer.compose(present, *start + k, newName);
        batch.to.append(real.of(newName));
    }
    QString error;
    if (!m_journal.begin(batch, &error)) {
        fail(QStringLiteral("Nothing was renamed: ") + error);
        return;
    }

    MoveResult failure;
    const auto ahead = std::make_unique<JournalAhead>(m_journal, batch);
    BatchRunner runner(this, *m_services.progress);
    const int done = runner.run(QStringLiteral("Renaming %1 of %2"), rows.count(), [&](int k) {
        if (!ahead->ready(k))
            return false;
        const QStringView present = batch.from.at(k);
        const QStringView wanted = batch.to.at(k);
        failure
            = RenameOneFile(FullPath(folder, present), FullPath(folder, wanted),
                            caseOnly(present, wanted) ? FullPath(folder, batch.temporaryName(k)) : QString());
        return failure.done;
    });
    const QString journalError = ahead->finish();

    if (done < rows.count()) {
        // A batch that moved nothing leaves the folder's batch before it the
        // one to take back.
        if (done == 0 && failure.strandedAt.isEmpty())
            m_journal.withdraw();
        else
            m_journal.end(done);
        const QString file = QDir::toNativeSeparators(FullPath(folder, batch.from.at(done)));
        if (!failure.strandedAt.isEmpty())
            fail(QLatin1String("The file is now ") + QDir::toNativeSeparators(failure.strandedAt));
        else if (!journalError.isEmpty())
            fail(QStringLiteral("The run stopped before %1: %2").arg(file, journalError));
        else if (runner.stopped())
            fail(QStringLiteral("Stopped at your request before %1.").arg(file));
        else
            fail();
        return;
    }
    m_journal.end(done);
    m_counter = *start + done;

    File1->refresh();
    CounterStart->setText(NumberToText(m_counter));
    m_services.pointer->set(Pointer::Arrow);
    if (Prefixtext->isEnabled())
        m_services.focus->moveTo(Prefixtext);
}

// The new path already has the letter case of the current mode: the case is
// part of the composition, the same for the preview and the run.
MoveResult FileRenamer::RenameOneFile(const QString &presentPath, const QString &newPath,
                                      const QString &temporaryPath)
{
    return m_services.rename->rename(presentPath, newPath, temporaryPath);
}
