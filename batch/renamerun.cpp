// The rename run: every selected file gets its new name on disk, in list
// order, and the counter start moves on so that the next batch continues the
// numbering. No file is ever replaced: the platform's rename refuses a name
// that another file has. The files move off the interface thread, block by
// block, each block written to the journal and on the disk before any of its
// files moves, so that the batch can be taken back whatever stops it.
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

#include <limits>

namespace {

// Files whose identities one block takes at most, and how long it may take
// to look at them: a block's files move within a second of being looked at,
// while a network volume still knows them.
constexpr int BlockFiles = 65536;
constexpr int BlockMs = 200;

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

    QString of(const QString &newName)
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
        return *known + QLatin1Char('/') + newName.mid(at + 1);
    }

private:
    QString m_folder;
    QString m_real;
    QHash<QString, QString> m_parts;
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
    const QLocale locale;
    RealFolders real(folder);
    for (int k = 0; k < rows.count(); ++k) {
        const QStringView present = names.at(rows.row(k));
        batch.from.append(present);
        batch.to.append(real.of(ComposeName(rules, present.toString(), *start + k, locale)));
    }
    QString error;
    if (!m_journal.begin(batch, &error)) {
        fail(QStringLiteral("Nothing was renamed: ") + error);
        return;
    }

    MoveResult failure;
    QString journalError;
    int journaled = 0;
    BatchRunner runner(this, *m_services.progress);
    const int done = runner.run(QStringLiteral("Renaming %1 of %2"), rows.count(), [&](int k) {
        if (k == journaled) {
            // The next block: its files as they are now, on the disk in the
            // journal before the first of them moves. A file that is gone
            // ends the block; its move then fails.
            QElapsedTimer looking;
            looking.start();
            while (journaled < rows.count() && journaled - k < BlockFiles && looking.elapsed() < BlockMs) {
                const std::optional<FileIdentity> identity = IdentityOf(FullPath(folder, batch.from.at(journaled)));
                if (!identity)
                    break;
                batch.identities.push_back(*identity);
                ++journaled;
            }
            if (journaled > k && !m_journal.add(batch, k, journaled, &journalError))
                return false;
        }
        // A file that is gone is not looked for under its name again.
        if (k == journaled)
            return false;
        failure = RenameOneFile(FullPath(folder, batch.from.at(k)), FullPath(folder, batch.to.at(k)),
                                FullPath(folder, batch.temporaryName(k)));
        return failure.done;
    });

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
