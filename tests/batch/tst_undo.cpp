// Taking a batch back over real files, the real trash and the journal in a
// data folder of the test's own: every file ends under its first name, by
// content, unless another file took that name meanwhile.
#include "support/foldersnapshot.h"
#include "support/realvolume.h"
#include "window/previewlist.h"

#include "platform/trashservice.h"

#include <QAction>
#include <QCryptographicHash>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QUrl>
#ifdef Q_OS_UNIX
#include <csignal>
#include <unistd.h>
#endif

namespace {

const QByteArray Other = "another file's content\n";

// Picks the file list's menu entry, as a user does with the right button.
QString PickMenuEntry(FileRenamer &w)
{
    const QPoint onList = w.File1->viewport()->rect().center();
    QTest::mouseClick(w.File1->viewport(), Qt::RightButton, Qt::NoModifier, onList);
    // Qt sends the menu request of a right click through its own event.
    QContextMenuEvent request(QContextMenuEvent::Mouse, onList, w.File1->viewport()->mapToGlobal(onList));
    QApplication::sendEvent(w.File1->viewport(), &request);
    auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    if (!menu || menu->actions().size() != 1)
        return QStringLiteral("no menu");
    QAction *entry = menu->actions().first();
    QString text = entry->text() + (entry->isEnabled() ? QString() : QStringLiteral(" (greyed)"));
    if (entry->isEnabled())
        entry->trigger();
    menu->close();
    return text;
}

// The one journal file of a pattern below a data folder.
QString JournalFile(const QString &data, const QString &pattern)
{
    QDirIterator it(data, {pattern}, QDir::Files, QDirIterator::Subdirectories);
    return it.hasNext() ? it.next() : QString();
}

// Changes the one place of the batch file that holds `was` into `now`; with
// `summed` every sum is made to fit again, as a hand that knows the format
// would: a block's sum is the SHA-256 of the sum before it and the block's
// lines.
bool EditJournal(const QString &batch, const QString &was, const QString &now, bool summed)
{
    QFile file(batch);
    if (!file.open(QIODevice::ReadWrite))
        return false;
    QByteArray content = file.readAll();
    const QByteArray from = QFile::encodeName(was);
    const qsizetype at = content.indexOf(from);
    if (at < 0 || content.indexOf(from, at + 1) >= 0)
        return false;
    content.replace(from, QFile::encodeName(now));
    if (summed) {
        QByteArray resummed;
        QByteArray sum;
        qsizetype blockStart = 0;
        for (const QByteArray &line : content.split('\n')) {
            if (!line.startsWith("sum ")) {
                resummed += line.isEmpty() ? QByteArray() : line + '\n';
                continue;
            }
            sum = QCryptographicHash::hash(sum + resummed.mid(blockStart), QCryptographicHash::Sha256)
                      .toHex();
            resummed += "sum " + sum + '\n';
            blockStart = resummed.size();
        }
        content = resummed;
    }
    return file.seek(0) && file.resize(0) && file.write(content) == content.size();
}

// A run killed after its last move: the journal without its end.
bool DropEnd(const QString &batch)
{
    QFile file(batch);
    if (!file.open(QIODevice::ReadWrite))
        return false;
    const QByteArray content = file.readAll();
    const qsizetype end = content.lastIndexOf("\nend ");
    return end > 0 && file.resize(end + 1);
}

// The run that the parent kills: Before with the prefix "x" over every
// file, or every name in lower case. Its own folder lies in the parent's
// current one, which the parent removes; its journal goes where the
// parent's data folder says.
int RenameInChild(const QString &folder, const QString &rule)
{
    WindowSession s({}, QStringLiteral("unused"), true, QDir::currentPath());
    s.w->Dir1->setPath(folder);
    s.apply(rule == QLatin1String("lower") ? MakeRules(2, "", false, "1", 2) : MakeRules(1, "x", false, "1"));
    s.w->SelectAll_Click();
    if (rule == QLatin1String("delete"))
        s.w->Delete_Click();
    else
        s.w->Rename_Click();
    return 0;
}

// Everything written so far is on the disks; a process held where it is, as
// when the power goes. Disk images are cut from their power on Linux only.
void SyncDisks()
{
#ifdef Q_OS_UNIX
    ::sync();
#endif
}
void Freeze(const QProcess &process)
{
#ifdef Q_OS_UNIX
    ::kill(pid_t(process.processId()), SIGSTOP);
#else
    Q_UNUSED(process);
#endif
}

} // namespace

class TestUndo : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void undo_data();
    void undo();
    void undoAfterKilledRun_data();
    void undoAfterKilledRun();
    void secondBatchInFolderRefused();
    void undoAfterPowerCut_data();
    void undoAfterPowerCut();

private:
    QTemporaryDir m_home;
    std::unique_ptr<QTemporaryDir> m_data;
};

void TestUndo::initTestCase()
{
    QVERIFY(m_home.isValid());
    QVERIFY(IsolateUserFolders(m_home.path()));
}

// Each row has a data folder of its own: the trash and the journal. On
// Windows the journal is the build's Wine prefix's, emptied for each row.
void TestUndo::init()
{
    m_data = std::make_unique<QTemporaryDir>(m_home.filePath(QStringLiteral("data-XXXXXX")));
    QVERIFY(m_data->isValid());
    UseDataHome(m_data->filePath(QStringLiteral("share")));
    QDir(QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation)).removeRecursively();
}

void TestUndo::undo_data()
{
    QTest::addColumn<bool>("deleting");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("selected");
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QString>("meanwhile"); // what another program or the user does around the batch
    QTest::addColumn<Moves>("stays"); // files that keep their new names
    QTest::addColumn<QString>("how"); // "ctrl-z", "ctrl-z-in-prefix" or the menu entry picked
    QTest::addColumn<QString>("message"); // part of the undo's message; empty: none
    QTest::addColumn<int>("again"); // files offered to take back afterwards

    const QStringList abc = {"a.txt", "b.txt", "c.txt"};
    const QStringList ac = {"a.txt", "c.txt"};
    const Moves renamed = {{"a.txt", "xa.txt"}, {"b.txt", "xb.txt"}, {"c.txt", "xc.txt"}};
    const QString menu = QStringLiteral("Undo rename of 3 files");
    const QString greyed = QStringLiteral("Undo (greyed)");
    const QString gone = QStringLiteral(": the file is no longer there");
    const QString other = QStringLiteral(": this is not the file the batch moved");
    const auto row
        = [](const char *name, bool deleting, const QStringList &files, const QStringList &selected,
             const QString &meanwhile, const Moves &stays, const QString &how,
             const QString &message = QString(), int again = 0, const QString &prefix = "x") {
              QTest::newRow(name) << deleting << files << selected << prefix << meanwhile << stays << how
                                  << message << again;
          };
    // The journal keeps names with blanks, '%', line breaks and letters
    // beyond ASCII whole.
#ifdef Q_OS_WIN
    // Windows names hold no control characters.
    const QStringList odd = {"a b.txt", "b%41.txt", "c;d,e.txt", QStringLiteral("d é€😀.txt")};
#else
    const QStringList odd = {"a b.txt", "b%41.txt", "c\nd\t.txt", QStringLiteral("d é€😀.txt")};
#endif
    row("undo/rename/whole-batch-odd-names-from-menu", false, odd, odd, "", {}, "Undo rename of 4 files");
    row("undo/rename/stopped-at-second-file", false, {"a.txt", "b.txt", "xb.txt"}, abc.mid(0, 2), "", {},
        "Undo rename of 1 file");
    // The run stops at the file that is gone; xb.txt is no file of the batch.
    row("undo/rename/file-removed-before-the-run-beside-its-new-name", false, {"a.txt", "b.txt", "xb.txt"},
        abc.mid(0, 2), "remove b.txt", {}, "Undo rename of 1 file");
    // What could not go back is offered again.
    row("undo/rename/name-taken-meanwhile", false, abc, abc, "take b.txt", {{"b.txt", "xb.txt"}}, menu,
        "b.txt is taken by another file", 1);
    row("undo/rename/batch-that-moves-nothing-keeps-the-one-before", false,
        {"a.txt", "b.txt", "c.txt", "xxa.txt"}, abc, "rename xa.txt", {}, menu);
    row("undo/rename/ctrl-z-in-prefix-box-is-the-box-own", false, abc, abc, "", renamed, "ctrl-z-in-prefix");
    // Another program put another file under a new name, and a link under
    // another: both stay, and only the batch's own file goes back.
    row("undo/rename/another-file-under-the-new-name", false, abc, abc, "impostors", {}, menu,
        "xa.txt" + other);
    // A run killed after its second move; since, c.txt went and an
    // unrelated xc.txt came.
    row("undo/rename/killed-run-counted-by-the-files", false, abc, abc, "kill, unrelated xc.txt", {},
        "Undo rename of 2 files");
#ifndef Q_OS_WIN // links made by a program on Windows are shortcut files
    // The sub-folder the batch moved the files into is a link to another
    // folder now, which has an a.txt of its own.
    row("undo/rename/sub-folder-replaced-by-a-link", false, abc + QStringList{"sub/keep.txt"}, ac, "link sub",
        {{"a.txt", "sub/a.txt"}, {"c.txt", "sub/c.txt"}}, "Undo rename of 2 files", "is a link now", 0,
        "sub/");
#endif
    row("undo/rename/journal-line-changed", false, abc, abc, "journal xb.txt xc.txt", renamed, greyed);
    row("undo/rename/journal-name-outside-the-folder", false, abc, abc, "journal-summed xb.txt ../xb.txt",
        renamed, greyed);
    row("undo/rename/journal-end-out-of-range", false, abc, abc, "journal-summed end%203 end%204", renamed,
        greyed);
    row("undo/rename/another-folder-at-the-same-path", false, abc, abc, "replace folder", renamed, greyed);
    row("undo/rename/whole-batch-on-a-slow-share", false, abc, abc, "slow share", {}, menu);
    // A card keeps no lasting number of its folder: the folder is taken for
    // the batch's, but none of its files for the batch's files.
    row("undo/rename/another-folder-at-the-same-path-on-a-card", false, abc, abc, "replace folder on card",
        renamed, menu, "xa.txt" + other);
    // The journal cannot be written: the batch moves nothing.
    row("undo/rename/unwritable-journal-moves-nothing", false, abc, abc, "", {}, greyed);
    row("undo/rename/journal-on-a-full-disk-moves-nothing", false, abc, abc, "full disk", {}, greyed);
    row("undo/delete/restore-from-trash", true, abc, ac, "", {}, "Restore 2 files from the trash");
    row("undo/delete/name-taken-meanwhile", true, abc, ac, "take c.txt", {}, "ctrl-z",
        "c.txt is taken by another file", 1);
    // Another tool gave a.txt back under another name, and a file of
    // another folder took its place in the trash: that file stays there.
    row("undo/delete/place-in-trash-taken-by-another-file", true, abc, ac, "restore a.txt elsewhere", {},
        "ctrl-z", "files/a.txt" + other);
    row("undo/delete/trash-emptied-and-name-made-anew", true, abc, ac, "empty trash", {}, "ctrl-z",
        "files/a.txt" + gone);
    row("undo/delete/journal-place-outside-the-trash", true, abc, ac,
        "journal-summed /share/Trash/files/c.txt /elsewhere/files/c.txt", {}, greyed);
}

void TestUndo::undo()
{
    QFETCH(bool, deleting);
    QFETCH(QStringList, files);
    QFETCH(QStringList, selected);
    QFETCH(QString, prefix);
    QFETCH(QString, meanwhile);
    QFETCH(Moves, stays);
    QFETCH(QString, how);
    QFETCH(QString, message);
    QFETCH(int, again);
#ifdef Q_OS_WIN
    if (deleting)
        QSKIP("The Recycle Bin gives files back through Explorer only.");
#endif

    const QTemporaryDir &data = *m_data;
    // A journal that cannot be written: a file has its folder's name, or
    // the data folder lies on a full disk.
    std::unique_ptr<RealVolume> full;
    if (meanwhile == QLatin1String("full disk")) {
        if (const QString lacking = RealVolume::missing(RealVolume::Kind::Tmpfs); !lacking.isEmpty())
            QSKIP(qPrintable(QLatin1String("This test needs ") + lacking));
        full = std::make_unique<RealVolume>(RealVolume::Kind::Tmpfs);
        QVERIFY(full->ok());
        qputenv("XDG_DATA_HOME", QFile::encodeName(full->path() + QLatin1String("/share")));
    }
    const QString appData = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    const bool unwritable = how == QLatin1String("Undo (greyed)") && (meanwhile.isEmpty() || full);
    if (unwritable && full) {
        QVERIFY(QDir().mkpath(appData + QLatin1String("/journal")));
        QFile filler(full->path() + QLatin1String("/filler"));
        QVERIFY(filler.open(QIODevice::WriteOnly));
        while (filler.write(QByteArray(1 << 16, 'x')) > 0) { }
    } else if (unwritable) {
        QVERIFY(QDir().mkpath(appData) && WriteFile(appData + QLatin1String("/journal"), "x"));
    }
    // The folder on a card, or on a share where every request waits: the
    // run finds it a network one after its first files.
    std::unique_ptr<RealVolume> volume;
    const bool share = meanwhile == QLatin1String("slow share");
    if (meanwhile.endsWith(QLatin1String("on card")) || share) {
        const RealVolume::Kind kind = share ? RealVolume::Kind::FaultyFolder : RealVolume::Kind::ExFat;
        if (const QString lacking = RealVolume::missing(kind); !lacking.isEmpty())
            QSKIP(qPrintable(QLatin1String("This test needs ") + lacking));
        volume = std::make_unique<RealVolume>(kind);
        QVERIFY(volume->ok());
    }
    WindowSession s(files, QStringLiteral("photos"), true, volume ? volume->path() : QDir::tempPath());
    QVERIFY(QTest::qWaitForWindowActive(s.w.get()));
    s.w->Option1[1]->setChecked(true);
    QTest::keyClicks(s.w->Prefixtext, prefix);
    QVERIFY(s.select(selected));
    if (share) {
        // The system forgets the names it has looked up, as it does on a
        // share after a moment: the run's own looks are requests again.
        QFile drop(QStringLiteral("/proc/sys/vm/drop_caches"));
        QVERIFY(volume->arm("delay 60") && drop.open(QIODevice::WriteOnly) && drop.write("2") == 1);
    }
    const QString trash = data.filePath(QStringLiteral("share/Trash/"));
    const QStringList action = meanwhile.split(QLatin1Char(' '));
    FolderFiles expected = Moved(s.before, stays);
    if (action.first() == QLatin1String("remove")) {
        QVERIFY(QFile::remove(s.path(action.at(1))));
        expected.remove(action.at(1));
    } else if (action.first() == QLatin1String("kill,")) {
        // xc.txt is there before the run, so that the run stops at c.txt.
        expected.insert(QStringLiteral("xc.txt"), Other);
        QVERIFY(WriteFile(s.path(QStringLiteral("xc.txt")), Other));
    }
    QTest::mouseClick(deleting ? s.w->Delete : s.w->Rename, Qt::LeftButton);
    if (unwritable)
        QVERIFY2(
            s.shownTexts().last().startsWith(QLatin1String("File already exists !\rNothing was renamed: ")),
            qPrintable(s.shownTexts().last()));
    FolderFiles inTrash;
    const QString journal = JournalFile(appData, "*.batch");
#ifndef Q_OS_WIN // permission bits: the journal is this user's alone
    const QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup
        | QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
    for (const QString &path : {journal, QFileInfo(journal).path()})
        QVERIFY2(journal.isEmpty() || !(QFileInfo(path).permissions() & others), qPrintable(path));
#endif
    if (action.first() == QLatin1String("take")) {
        QVERIFY(WriteFile(s.path(action.at(1)), Other));
        expected.insert(action.at(1), Other);
        inTrash.insert(action.at(1), ContentOf(action.at(1)));
    } else if (action.first() == QLatin1String("rename")) {
        // A second batch that fails at its first file: xxa.txt is there.
        QVERIFY(s.select({action.at(1)}));
        QTest::mouseClick(s.w->Rename, Qt::LeftButton);
        QCOMPARE(s.shownTexts().last(), QStringLiteral("File already exists !"));
    } else if (action.first() == QLatin1String("impostors")) {
        // xa.txt moved away and an unrelated file written in its place;
        // xb.txt replaced by a link to a file elsewhere.
        const QString elsewhere = m_home.filePath(QStringLiteral("elsewhere.txt"));
        QVERIFY(QFile::rename(s.path("xa.txt"), m_home.filePath(QStringLiteral("xa-away.txt"))));
        QVERIFY(WriteFile(s.path("xa.txt"), Other));
        expected = {{"xa.txt", Other}, {"b.txt", ContentOf("b.txt")}, {"c.txt", ContentOf("c.txt")}};
#ifndef Q_OS_WIN
        QVERIFY(WriteFile(elsewhere, "elsewhere\n"));
        QVERIFY(QFile::remove(s.path("xb.txt")) && QFile::link(elsewhere, s.path("xb.txt")));
        expected.remove(QStringLiteral("b.txt"));
        expected.insert(QStringLiteral("xb.txt"), "elsewhere\n");
#endif
    } else if (action.first() == QLatin1String("kill,")) {
        QVERIFY(DropEnd(journal));
        QVERIFY(QFile::remove(s.path(QStringLiteral("c.txt"))));
        expected.remove(QStringLiteral("c.txt"));
    } else if (action.first() == QLatin1String("link")) {
        // The other folder has an a.txt of its own, which must stay there.
        const QString otherFolder = m_home.filePath(QStringLiteral("other"));
        QVERIFY(QDir().mkpath(otherFolder) && WriteFile(otherFolder + "/a.txt", Other));
        QVERIFY(QDir().rename(s.path(action.at(1)), s.path(action.at(1) + "-moved")));
        QVERIFY(QFile::link(otherFolder, s.path(action.at(1))));
        expected = Snapshot(s.folder);
    } else if (action.first() == QLatin1String("restore")) {
        QVERIFY(QFile::rename(trash + "files/a.txt", s.path("a (restored).txt")));
        QVERIFY(QFile::remove(trash + "info/a.txt.trashinfo"));
        expected.insert(QStringLiteral("a (restored).txt"), expected.take(QStringLiteral("a.txt")));
        QVERIFY(WriteFile(m_home.filePath(QStringLiteral("a.txt")), Other));
        QString error;
        QVERIFY2(QtTrashService().moveToTrash(m_home.filePath(QStringLiteral("a.txt")), &error),
                 qPrintable(error));
        inTrash.insert(QStringLiteral("a.txt"), Other);
    } else if (action.first() == QLatin1String("empty")) {
        QVERIFY(QDir(trash).removeRecursively());
        QVERIFY(WriteFile(s.path("a.txt"), Other));
        expected.insert(QStringLiteral("a.txt"), Other);
        expected.remove(QStringLiteral("c.txt"));
    } else if (action.first().startsWith(QLatin1String("journal"))) {
        QVERIFY(EditJournal(journal, QUrl::fromPercentEncoding(action.at(1).toLatin1()),
                            QUrl::fromPercentEncoding(action.at(2).toLatin1()),
                            action.first().endsWith("-summed")));
        if (deleting) {
            inTrash = Snapshot(trash + "files");
            for (const QString &name : std::as_const(selected))
                expected.remove(name);
        }
    } else if (action.first() == QLatin1String("replace")) {
        // The same names in a new folder at the same path, as on a second card.
        QVERIFY(ChangedByAnotherProgram([&] { return QDir().rename(s.folder, s.folder + "-first"); }));
        QVERIFY(QDir().mkpath(s.folder));
        for (auto it = expected.begin(); it != expected.end(); ++it) {
            *it = Other;
            QVERIFY(WriteFile(s.path(it.key()), Other));
        }
    }
    const int messagesOfRun = int(s.box->shown.size());

    if (how.startsWith(QLatin1String("ctrl-z"))) {
        QWidget *box = how == QLatin1String("ctrl-z") ? static_cast<QWidget *>(s.w->File1) : s.w->Prefixtext;
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(s.w->Prefixtext->text(), box == s.w->Prefixtext ? QString() : prefix);
    } else {
        QCOMPARE(PickMenuEntry(*s.w), how);
    }

    QCOMPARE(Snapshot(s.folder), expected);
    const QStringList messages = s.shownTexts().mid(messagesOfRun);
    QCOMPARE(messages.size(), message.isEmpty() ? 0 : 1);
    if (!message.isEmpty())
        QVERIFY2(messages.first().contains(message), qPrintable(messages.first()));
    if (deleting) {
        // Only what could not come back is still in the trash, with its record.
        QCOMPARE(Snapshot(trash + "files"), inTrash);
        QCOMPARE(QDir(trash + "info").entryList(QDir::Files).size(), inTrash.size());
    }
    if (stays.isEmpty() || !message.isEmpty()) {
        // Counter start as before, list read again, preview empty; what is
        // still away is offered again.
        QCOMPARE(s.w->CounterStart->text(), QStringLiteral("1"));
        QCOMPARE(s.w->File1->selectedCount(), 0);
        QCOMPARE(s.w->List1->model()->rowCount(), 0);
        const std::optional<JournalBatch> next = s.w->UndoableBatch();
        QCOMPARE(next ? s.w->MovesDone(*next) : 0, again);
    }
}

// A run killed partway never records its end: the disk tells which files it
// renamed, and where names ignore case, which file it left under the
// temporary name between the two steps of a change of letter case. The fault
// layer holds the chosen move until the kill.
void TestUndo::undoAfterKilledRun_data()
{
    QTest::addColumn<RealVolume::Kind>("kind");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("rule");
    QTest::addColumn<QByteArray>("plan");
    QTest::addColumn<QString>("held"); // names that are there while the move is held
    QTest::addColumn<int>("heldCount");
    QTest::addColumn<QString>("entry");

    QTest::newRow("killed/links/400th-move-held")
        << RealVolume::Kind::FaultyFolder << 10000 << "x" << QByteArray("link 400 hang") << "x*" << 399
        << "Undo rename of 399 files";
    // The second file's second step: dsc_1.jpg is done, DSC_2.JPG is under
    // the temporary name.
    QTest::newRow("killed/card/between-the-steps-of-a-case-change")
        << RealVolume::Kind::FaultyExFat << 3 << "lower" << QByteArray("rename 4 hang") << "quorlane-*.tmp"
        << 1 << "Undo rename of 2 files";
}

void TestUndo::undoAfterKilledRun()
{
    QFETCH(RealVolume::Kind, kind);
    QFETCH(int, count);
    QFETCH(QString, rule);
    QFETCH(QByteArray, plan);
    QFETCH(QString, held);
    QFETCH(int, heldCount);
    QFETCH(QString, entry);
    if (const QString lacking = RealVolume::missing(kind); !lacking.isEmpty())
        QSKIP(qPrintable(QLatin1String("This test needs ") + lacking));
    const RealVolume volume(kind);
    QVERIFY(volume.ok());
    const QString folder = volume.path() + QLatin1String("/photos");
    const QString below = volume.backing(folder);
    QVERIFY(QDir().mkpath(below));
    for (int i = 0; i < count; ++i) {
        const QString name = QStringLiteral("IMG_%1.JPG").arg(i, 5, 10, QLatin1Char('0'));
        QVERIFY(WriteFile(below + QLatin1Char('/') + name, ContentOf(name)));
    }
    const FolderFiles before = Snapshot(below);
    QVERIFY(volume.arm(plan));

    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--rename-child"), folder, rule});
    QVERIFY(child.waitForStarted());
    // The names are looked at once the move is held, not before: an earlier
    // move can leave the same names for a moment. Once the moves before the
    // held one are over, no file has two names.
    QTRY_VERIFY_WITH_TIMEOUT(volume.holding(), 120000);
    QCOMPARE(QDir(below).entryList({held}, QDir::Files).size(), heldCount);
    QCOMPARE(QDir(below).entryList(QDir::Files).size(), count);
    // The killed run ends once its call comes back, failed, from the layer.
    child.kill();
    QVERIFY(volume.release());
    QVERIFY(child.waitForFinished());

    WindowSession s({}, QStringLiteral("unused"));
    s.w->Dir1->setPath(folder);
    QCOMPARE(PickMenuEntry(*s.w), entry);
    QCOMPARE(Snapshot(below), before);
    QVERIFY(s.box->shown.isEmpty());
}

// Two batches in one folder never run at once. Another Quorlane's batch
// holds the folder's journal while the fault layer the journal lies on holds
// the write of its first lines; a batch started meanwhile in the folder is
// refused, and moves nothing.
void TestUndo::secondBatchInFolderRefused()
{
    if (const QString lacking = RealVolume::missing(RealVolume::Kind::FaultyFolder); !lacking.isEmpty())
        QSKIP(qPrintable(QLatin1String("This test needs ") + lacking));
    const RealVolume data(RealVolume::Kind::FaultyFolder);
    QVERIFY(data.ok());
    qputenv("XDG_DATA_HOME", QFile::encodeName(data.path() + QLatin1String("/share")));
    WindowSession s({QStringLiteral("a.txt"), QStringLiteral("b.txt")});
    // The lock file's content is the first write, the journal's header the
    // second.
    QVERIFY(data.arm("write 2 hold"));
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--rename-child"), s.folder, "x"});
    QVERIFY(child.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(!JournalFile(data.backing(data.path()), "*.batch").isEmpty(), 60000);

    s.apply(MakeRules(1, "y", false, "1"));
    s.w->SelectAll_Click();
    s.w->Rename_Click();

    child.kill();
    QVERIFY(data.release());
    QVERIFY(child.waitForFinished());
    QCOMPARE(
        s.shownTexts().last(),
        QStringLiteral("File already exists !\rNothing was renamed: Another Quorlane is renaming or deleting "
                       "files in this folder; try again when it has finished."));
    QCOMPARE(Snapshot(s.folder), s.before);
}

// The power goes while a batch of 20,000 renames or deletes runs: the disks'
// images are kept as they are at that moment, the batch killed, and the kept
// images mounted in their place. Every file the disks show moved is in the
// journal, and undo brings every file back under its first name. A journal
// on another disk goes with files on a disk that writes each rename at once,
// as a card mounted for safe removal does.
void TestUndo::undoAfterPowerCut_data()
{
    QTest::addColumn<bool>("deleting");
    QTest::addColumn<bool>("journalApart");

    QTest::newRow("power-cut/rename/journal-beside-the-files") << false << false;
    QTest::newRow("power-cut/rename/journal-on-another-disk") << false << true;
    QTest::newRow("power-cut/delete/trash-and-journal-beside-the-files") << true << false;
}

void TestUndo::undoAfterPowerCut()
{
    QFETCH(bool, deleting);
    QFETCH(bool, journalApart);
    if (const QString lacking = RealVolume::missing(RealVolume::Kind::Ext4); !lacking.isEmpty())
        QSKIP(qPrintable(QLatin1String("This test needs ") + lacking));
    RealVolume disk(RealVolume::Kind::Ext4);
    const auto other = journalApart ? std::make_unique<RealVolume>(RealVolume::Kind::Ext4) : nullptr;
    QVERIFY(disk.ok() && (!other || other->ok()));
    const QString folder = disk.path() + QLatin1String("/photos");
    QVERIFY(QDir().mkpath(folder));
    constexpr int count = 20000;
    for (int i = 0; i < count; ++i) {
        const QString name = QStringLiteral("IMG_%1.JPG").arg(i, 5, 10, QLatin1Char('0'));
        QVERIFY(WriteFile(folder + QLatin1Char('/') + name, ContentOf(name)));
    }
    const FolderFiles before = Snapshot(folder);
    auto moved = [&] {
        const QDir files(folder);
        return deleting ? count - files.entryList(QDir::Files).size()
                        : files.entryList({QStringLiteral("x*")}, QDir::Files).size();
    };
    SyncDisks();
    QVERIFY(!other || disk.remount(QStringLiteral("sync")));
    UseDataHome((other ? other->path() : disk.path()) + QLatin1String("/share"));

    QProcess child;
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--rename-child"), folder, deleting ? "delete" : "x"});
    QVERIFY(child.waitForStarted());
    qsizetype done = 0;
    const QDeadlineTimer deadline(120000);
    while (done < 5000 && !deadline.hasExpired())
        done = moved();
    Freeze(child);
    QVERIFY2(done >= 5000 && done < count, "the batch was not caught half way");
    QVERIFY(disk.cutPower() && (!other || other->cutPower()));
    child.kill();
    QVERIFY(child.waitForFinished());
    QVERIFY(disk.startAgain() && (!other || other->startAgain()));
    // Each file in the trash has its whole record, as any trash tool reads it.
    const QString trash = disk.path() + QLatin1String("/share/Trash/");
    for (const QString &name : QDir(trash + QLatin1String("files")).entryList(QDir::Files)) {
        QFile record(trash + QLatin1String("info/") + name + QLatin1String(".trashinfo"));
        QVERIFY2(record.open(QIODevice::ReadOnly) && record.readAll().startsWith("[Trash Info]\nPath="),
                 qPrintable(name));
    }

    WindowSession s({}, QStringLiteral("unused"));
    s.w->Dir1->setPath(folder);
    const qsizetype kept = moved();
    QVERIFY(kept > 0 || !other);
    QCOMPARE(PickMenuEntry(*s.w),
             kept == 0      ? QStringLiteral("Undo (greyed)")
                 : deleting ? QStringLiteral("Restore %1 files from the trash").arg(kept)
                            : QStringLiteral("Undo rename of %1 files").arg(kept));
    QCOMPARE(Snapshot(folder), before);
    QVERIFY(s.box->shown.isEmpty());
}

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc == 4 && qstrcmp(argv[1], "--rename-child") == 0)
        return RenameInChild(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    TestUndo test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_undo.moc"
