// Taking a batch back over real files, the real trash and the journal in a
// data folder of the test's own: every file ends under its first name, by
// content, unless another file took that name meanwhile.
#include "support/foldersnapshot.h"
#include "support/realvolume.h"
#include "window/previewlist.h"

#include <QAction>
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

// The run that the parent kills: Before with the prefix "x" over every file.
int RenameInChild(const QString &folder)
{
    WindowSession s({}, QStringLiteral("unused"));
    s.w->Dir1->setPath(folder);
    s.apply(MakeRules(1, "x", false, "1"));
    s.w->SelectAll_Click();
    s.w->Rename_Click();
    return 0;
}

} // namespace

class TestUndo : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void undo_data();
    void undo();
    void undoAfterKilledRun();

private:
    QTemporaryDir m_home;
};

void TestUndo::initTestCase()
{
    QVERIFY(m_home.isValid());
    QVERIFY(IsolateUserFolders(m_home.path()));
}

void TestUndo::undo_data()
{
    QTest::addColumn<bool>("deleting");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("selected");
    QTest::addColumn<QString>("taken"); // a name another file takes after the batch
    QTest::addColumn<Moves>("stays"); // files that keep their new names
    QTest::addColumn<QString>("how"); // "ctrl-z", "ctrl-z-in-prefix" or the menu entry picked

    const QStringList abc = {"a.txt", "b.txt", "c.txt"};
    const QStringList ac = {"a.txt", "c.txt"};
    const Moves renamed = {{"a.txt", "xa.txt"}, {"b.txt", "xb.txt"}, {"c.txt", "xc.txt"}};
    const QString menu = QStringLiteral("Undo rename of 3 files");
    // The journal keeps names with blanks, '%', line breaks and letters
    // beyond ASCII whole.
#ifdef Q_OS_WIN
    // Windows names hold no control characters.
    const QStringList odd = {"a b.txt", "b%41.txt", "c;d,e.txt", QStringLiteral("d é€😀.txt")};
#else
    const QStringList odd = {"a b.txt", "b%41.txt", "c\nd\t.txt", QStringLiteral("d é€😀.txt")};
#endif
    QTest::newRow("undo/rename/whole-batch-odd-names-from-menu")
        << false << odd << odd << "" << Moves{} << "Undo rename of 4 files";
    QTest::newRow("undo/rename/stopped-at-second-file")
        << false << QStringList{"a.txt", "b.txt", "xb.txt"} << abc.mid(0, 2) << "" << Moves{}
        << "Undo rename of 1 file";
    QTest::newRow("undo/rename/name-taken-meanwhile")
        << false << abc << abc << "b.txt" << Moves{{"b.txt", "xb.txt"}} << menu;
    QTest::newRow("undo/rename/ctrl-z-in-prefix-box-is-the-box-own")
        << false << abc << abc << "" << renamed << "ctrl-z-in-prefix";
#ifdef Q_OS_WIN
    // The journal's folder is the system's there, and the Recycle Bin
    // gives files back through Explorer only.
    return;
#endif
    // Greyed: the journal cannot be written; the batch runs all the same.
    QTest::newRow("undo/rename/unwritable-journal-runs-the-batch")
        << false << abc << abc << "" << renamed << "Undo (greyed)";
    QTest::newRow("undo/delete/restore-from-trash")
        << true << abc << ac << "" << Moves{} << "Restore 2 files from the trash";
    QTest::newRow("undo/delete/name-taken-meanwhile") << true << abc << ac << "c.txt" << Moves{} << "ctrl-z";
}

void TestUndo::undo()
{
    QFETCH(bool, deleting);
    QFETCH(QStringList, files);
    QFETCH(QStringList, selected);
    QFETCH(QString, taken);
    QFETCH(Moves, stays);
    QFETCH(QString, how);

    // A journal that cannot be written: its folder would lie below a file.
    const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
    if (how == QLatin1String("Undo (greyed)")) {
        QVERIFY(WriteFile(m_home.filePath(QStringLiteral("file")), "x"));
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_home.filePath(QStringLiteral("file/share"))));
    }
    WindowSession s(files);
    qputenv("XDG_DATA_HOME", dataHome);
    QVERIFY(QTest::qWaitForWindowActive(s.w.get()));
    s.w->Option1[1]->setChecked(true);
    QTest::keyClicks(s.w->Prefixtext, QStringLiteral("x"));
    QVERIFY(s.select(selected));
    const QString trash = m_home.filePath(QStringLiteral("share/Trash/"));
    const qsizetype trashed = Snapshot(trash + QLatin1String("files")).size();
    QTest::mouseClick(deleting ? s.w->Delete : s.w->Rename, Qt::LeftButton);
    const int messagesOfRun = int(s.box->shown.size());
    // A file whose name is taken stays under its new name, or in the trash.
    FolderFiles expected = Moved(s.before, stays);
    if (!taken.isEmpty()) {
        QVERIFY(WriteFile(s.path(taken), Other));
        expected.insert(taken, Other);
    }

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
    QCOMPARE(messages.size(), taken.isEmpty() ? 0 : 1);
    if (!taken.isEmpty())
        QVERIFY2(messages.first().contains(taken + QLatin1String(" is taken by another file")),
                 qPrintable(messages.first()));
    if (deleting) {
        // Only what could not come back is still in the trash, with its record.
        const qsizetype left = Snapshot(trash + QLatin1String("files")).size();
        QCOMPARE(left - trashed, taken.isEmpty() ? 0 : 1);
        QCOMPARE(QDir(trash + QLatin1String("info")).entryList(QDir::Files).size(), left);
    }
    if (stays.isEmpty() || !taken.isEmpty()) {
        // Counter start as before, list read again, preview empty, nothing to take back.
        QCOMPARE(s.w->CounterStart->text(), QStringLiteral("1"));
        QCOMPARE(s.w->File1->selectedCount(), 0);
        QCOMPARE(s.w->List1->model()->rowCount(), 0);
        QVERIFY(!s.w->UndoableBatch());
    }
}

// A run killed partway never records its end: the disk tells which files it
// renamed. The fault layer holds the 400th move until the kill.
void TestUndo::undoAfterKilledRun()
{
    if (const QString lacking = RealVolume::missing(RealVolume::Kind::FaultyFolder); !lacking.isEmpty())
        QSKIP(qPrintable(QLatin1String("This test needs ") + lacking));
    const RealVolume volume(RealVolume::Kind::FaultyFolder);
    QVERIFY(volume.ok());
    const QString folder = volume.path() + QLatin1String("/photos");
    const QString below = volume.backing(folder);
    QVERIFY(QDir().mkpath(below));
    for (int i = 0; i < 10000; ++i) {
        const QString name = QStringLiteral("IMG_%1.jpg").arg(i, 5, 10, QLatin1Char('0'));
        QVERIFY(WriteFile(below + QLatin1Char('/') + name, ContentOf(name)));
    }
    const FolderFiles before = Snapshot(below);
    QVERIFY(volume.arm("link 400 hang"));

    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--rename-child"), folder});
    QVERIFY(child.waitForStarted());
    // Once the 399th move is over no file has two names, and the 400th waits.
    QTRY_VERIFY_WITH_TIMEOUT(QDir(below).entryList({"x*"}, QDir::Files).size() == 399
                                 && QDir(below).entryList(QDir::Files).size() == 10000,
                             120000);
    // The killed run ends once its call comes back, failed, from the layer.
    child.kill();
    QVERIFY(volume.release());
    QVERIFY(child.waitForFinished());

    WindowSession s({}, QStringLiteral("unused"));
    s.w->Dir1->setPath(folder);
    QCOMPARE(PickMenuEntry(*s.w), QStringLiteral("Undo rename of 399 files"));
    QCOMPARE(Snapshot(below), before);
    QVERIFY(s.box->shown.isEmpty());
}

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], "--rename-child") == 0)
        return RenameInChild(QString::fromLocal8Bit(argv[2]));
    TestUndo test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_undo.moc"
