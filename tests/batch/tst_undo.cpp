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
// `summed` its sum is made to fit, as a hand that knows the format would.
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
        const qsizetype sum = content.lastIndexOf("sum ");
        content = content.left(sum) + "sum "
            + QCryptographicHash::hash(content.left(sum), QCryptographicHash::Sha256).toHex() + '\n';
    }
    return file.seek(0) && file.resize(0) && file.write(content) == content.size();
}

// The run that the parent kills: Before with the prefix "x" over every
// file, or every name in lower case.
int RenameInChild(const QString &folder, const QString &rule)
{
    WindowSession s({}, QStringLiteral("unused"));
    s.w->Dir1->setPath(folder);
    s.apply(rule == QLatin1String("lower") ? MakeRules(2, "", false, "1", 2) : MakeRules(1, "x", false, "1"));
    s.w->SelectAll_Click();
    s.w->Rename_Click();
    return 0;
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

private:
    QTemporaryDir m_home;
    std::unique_ptr<QTemporaryDir> m_data;
};

void TestUndo::initTestCase()
{
    QVERIFY(m_home.isValid());
    QVERIFY(IsolateUserFolders(m_home.path()));
}

// Each row has a data folder of its own: the trash and the journal.
void TestUndo::init()
{
    m_data = std::make_unique<QTemporaryDir>(m_home.filePath(QStringLiteral("data-XXXXXX")));
    QVERIFY(m_data->isValid());
    UseDataHome(m_data->filePath(QStringLiteral("share")));
}

void TestUndo::undo_data()
{
    QTest::addColumn<bool>("deleting");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("selected");
    QTest::addColumn<QString>("meanwhile"); // what another program or the user does around the batch
    QTest::addColumn<Moves>("stays"); // files that keep their new names
    QTest::addColumn<QString>("how"); // "ctrl-z", "ctrl-z-in-prefix" or the menu entry picked
    QTest::addColumn<QString>("message"); // part of the undo's message; empty: none

    const QStringList abc = {"a.txt", "b.txt", "c.txt"};
    const QStringList ac = {"a.txt", "c.txt"};
    const Moves renamed = {{"a.txt", "xa.txt"}, {"b.txt", "xb.txt"}, {"c.txt", "xc.txt"}};
    const QString menu = QStringLiteral("Undo rename of 3 files");
    const QString greyed = QStringLiteral("Undo (greyed)");
    const QString gone = QStringLiteral(": The trash no longer holds this file");
    // The journal keeps names with blanks, '%', line breaks and letters
    // beyond ASCII whole.
#ifdef Q_OS_WIN
    // Windows names hold no control characters.
    const QStringList odd = {"a b.txt", "b%41.txt", "c;d,e.txt", QStringLiteral("d é€😀.txt")};
#else
    const QStringList odd = {"a b.txt", "b%41.txt", "c\nd\t.txt", QStringLiteral("d é€😀.txt")};
#endif
    QTest::newRow("undo/rename/whole-batch-odd-names-from-menu")
        << false << odd << odd << "" << Moves{} << "Undo rename of 4 files"
        << "";
    QTest::newRow("undo/rename/stopped-at-second-file")
        << false << QStringList{"a.txt", "b.txt", "xb.txt"} << abc.mid(0, 2) << "" << Moves{}
        << "Undo rename of 1 file"
        << "";
    // The run stops at the file that is gone; xb.txt is no file of the batch.
    QTest::newRow("undo/rename/file-removed-before-the-run-beside-its-new-name")
        << false << QStringList{"a.txt", "b.txt", "xb.txt"} << abc.mid(0, 2) << "remove b.txt" << Moves{}
        << "Undo rename of 1 file"
        << "";
    QTest::newRow("undo/rename/name-taken-meanwhile")
        << false << abc << abc << "take b.txt" << Moves{{"b.txt", "xb.txt"}} << menu
        << "b.txt is taken by another file";
    QTest::newRow("undo/rename/batch-that-moves-nothing-keeps-the-one-before")
        << false << QStringList{"a.txt", "b.txt", "c.txt", "xxa.txt"} << abc << "rename xa.txt" << Moves{}
        << menu << "";
    QTest::newRow("undo/rename/ctrl-z-in-prefix-box-is-the-box-own")
        << false << abc << abc << "" << renamed << "ctrl-z-in-prefix"
        << "";
#ifdef Q_OS_WIN
    // The journal's folder is the system's there, and the Recycle Bin
    // gives files back through Explorer only.
    return;
#endif
    // Greyed: the journal cannot be written; the batch runs all the same.
    QTest::newRow("undo/rename/unwritable-journal-runs-the-batch")
        << false << abc << abc << "" << renamed << greyed << "";
    // A journal that was changed or damaged moves nothing.
    QTest::newRow("undo/rename/journal-line-changed")
        << false << abc << abc << "journal xb.txt xc.txt" << renamed << greyed << "";
    QTest::newRow("undo/rename/journal-name-outside-the-folder")
        << false << abc << abc << "journal-summed xb.txt ../xb.txt" << renamed << greyed << "";
    QTest::newRow("undo/rename/journal-end-out-of-range")
        << false << abc << abc << "end 4" << renamed << greyed << "";
    QTest::newRow("undo/rename/another-folder-at-the-same-path")
        << false << abc << abc << "replace folder" << renamed << greyed << "";
    QTest::newRow("undo/delete/restore-from-trash")
        << true << abc << ac << "" << Moves{} << "Restore 2 files from the trash"
        << "";
    QTest::newRow("undo/delete/name-taken-meanwhile")
        << true << abc << ac << "take c.txt" << Moves{} << "ctrl-z"
        << "c.txt is taken by another file";
    // Another tool gave a.txt back under another name, and a file of
    // another folder took its place in the trash: that file stays there.
    QTest::newRow("undo/delete/place-in-trash-taken-by-another-file")
        << true << abc << ac << "restore a.txt elsewhere" << Moves{} << "ctrl-z"
        << "files/a.txt" + gone;
    QTest::newRow("undo/delete/trash-emptied-and-name-made-anew")
        << true << abc << ac << "empty trash" << Moves{} << "ctrl-z"
        << "files/a.txt" + gone;
    QTest::newRow("undo/delete/journal-place-outside-the-trash")
        << true << abc << ac << "journal-summed /share/Trash/files/c.txt /elsewhere/files/c.txt" << Moves{}
        << greyed << "";
}

void TestUndo::undo()
{
    QFETCH(bool, deleting);
    QFETCH(QStringList, files);
    QFETCH(QStringList, selected);
    QFETCH(QString, meanwhile);
    QFETCH(Moves, stays);
    QFETCH(QString, how);
    QFETCH(QString, message);

    const QTemporaryDir &data = *m_data;
    // A journal that cannot be written: its folder would lie below a file.
    if (how == QLatin1String("Undo (greyed)") && meanwhile.isEmpty()) {
        QVERIFY(WriteFile(data.filePath(QStringLiteral("file")), "x"));
        UseDataHome(data.filePath(QStringLiteral("file/share")));
    }
    WindowSession s(files);
    UseDataHome(data.filePath(QStringLiteral("share")));
    QVERIFY(QTest::qWaitForWindowActive(s.w.get()));
    s.w->Option1[1]->setChecked(true);
    QTest::keyClicks(s.w->Prefixtext, QStringLiteral("x"));
    QVERIFY(s.select(selected));
    const QString trash = data.filePath(QStringLiteral("share/Trash/"));
    const QStringList action = meanwhile.split(QLatin1Char(' '));
    FolderFiles expected = Moved(s.before, stays);
    if (action.first() == QLatin1String("remove")) {
        QVERIFY(QFile::remove(s.path(action.at(1))));
        expected.remove(action.at(1));
    }
    QTest::mouseClick(deleting ? s.w->Delete : s.w->Rename, Qt::LeftButton);
    FolderFiles inTrash;
    if (action.first() == QLatin1String("take")) {
        QVERIFY(WriteFile(s.path(action.at(1)), Other));
        expected.insert(action.at(1), Other);
        inTrash.insert(action.at(1), ContentOf(action.at(1)));
    } else if (action.first() == QLatin1String("rename")) {
        // A second batch that fails at its first file: xxa.txt is there.
        QVERIFY(s.select({action.at(1)}));
        QTest::mouseClick(s.w->Rename, Qt::LeftButton);
        QCOMPARE(s.shownTexts().last(), QStringLiteral("File already exists !"));
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
        QVERIFY(EditJournal(JournalFile(data.path(), "*.batch"), action.at(1), action.at(2),
                            action.first().endsWith("-summed")));
        if (deleting) {
            inTrash = Snapshot(trash + "files");
            for (const QString &name : std::as_const(selected))
                expected.remove(name);
        }
    } else if (action.first() == QLatin1String("end")) {
        QFile file(JournalFile(data.path(), "*.end"));
        QVERIFY(file.open(QIODevice::ReadWrite));
        const QByteArray id = file.readAll().split(' ').first();
        QVERIFY(file.seek(0) && file.resize(0) && file.write(id + ' ' + action.at(1).toLatin1() + '\n') > 0);
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
        QCOMPARE(s.w->Prefixtext->text(), box == s.w->Prefixtext ? QString() : QStringLiteral("x"));
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
        // Counter start as before, list read again, preview empty, nothing to take back.
        QCOMPARE(s.w->CounterStart->text(), QStringLiteral("1"));
        QCOMPARE(s.w->File1->selectedCount(), 0);
        QCOMPARE(s.w->List1->model()->rowCount(), 0);
        QVERIFY(!s.w->UndoableBatch());
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
    // Once the moves before the held one are over, no file has two names.
    QTRY_VERIFY_WITH_TIMEOUT(QDir(below).entryList({held}, QDir::Files).size() == heldCount
                                 && QDir(below).entryList(QDir::Files).size() == count,
                             120000);
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

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc == 4 && qstrcmp(argv[1], "--rename-child") == 0)
        return RenameInChild(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    TestUndo test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_undo.moc"
