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

const QString Question = QStringLiteral("The File names will be permanently renamed.\rAre you sure ?");
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
    QTemporaryDir settings;
    RecordingMessageBox *box = nullptr;
    const auto services = MakeTestServices(settings.filePath(QStringLiteral("settings.ini")), &box);
    FileRenamer w(*services);
    w.Dir1->setPath(folder);
    w.Option1[1]->setChecked(true);
    w.Prefixtext->setText(QStringLiteral("x"));
    w.SelectAll_Click();
    w.Rename_Click();
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
    QTest::addColumn<QString>("run");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("selected");
    QTest::addColumn<QString>("taken"); // a name another file takes after the batch
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("menu");
    QTest::addColumn<Moves>("stays"); // files that keep their new names

    const QStringList abc = {QStringLiteral("a.txt"), QStringLiteral("b.txt"), QStringLiteral("c.txt")};
    const Moves renamed = {{"a.txt", "xa.txt"}, {"b.txt", "xb.txt"}, {"c.txt", "xc.txt"}};
    QTest::newRow("undo/rename/whole-batch-from-menu") << "rename" << abc << abc << ""
                                                       << "menu"
                                                       << "Undo rename of 3 files" << Moves{};
    // The journal keeps names with blanks, '%' and line breaks whole.
    const QStringList odd
        = {QStringLiteral("a b.txt"), QStringLiteral("b%41.txt"), QStringLiteral("c\nd\t.txt")};
    QTest::newRow("undo/rename/odd-names-ctrl-z") << "rename" << odd << odd << ""
                                                  << "ctrl-z"
                                                  << "" << Moves{};
    QTest::newRow("undo/rename/stopped-at-second-file")
        << "rename" << QStringList{"a.txt", "b.txt", "xb.txt"} << QStringList{"a.txt", "b.txt"} << ""
        << "menu"
        << "Undo rename of 1 file" << Moves{};
    QTest::newRow("undo/rename/name-taken-meanwhile")
        << "rename" << abc << abc << "b.txt"
        << "menu"
        << "Undo rename of 3 files" << Moves{{"b.txt", "xb.txt"}};
    QTest::newRow("undo/rename/ctrl-z-in-prefix-box-is-the-box-own") << "rename" << abc << abc << ""
                                                                     << "ctrl-z-in-prefix"
                                                                     << "" << renamed;
    QTest::newRow("undo/rename/unwritable-journal-runs-the-batch") << "rename" << abc << abc << ""
                                                                   << "no-journal"
                                                                   << "Undo (greyed)" << renamed;
    QTest::newRow("undo/delete/restore-from-trash") << "delete" << abc << QStringList{"a.txt", "c.txt"} << ""
                                                    << "menu"
                                                    << "Restore 2 files from the trash" << Moves{};
    QTest::newRow("undo/delete/name-taken-meanwhile")
        << "delete" << abc << QStringList{"a.txt", "c.txt"} << "c.txt"
        << "ctrl-z"
        << "" << Moves{};
}

void TestUndo::undo()
{
    QFETCH(QString, run);
    QFETCH(QStringList, files);
    QFETCH(QStringList, selected);
    QFETCH(QString, taken);
    QFETCH(QString, how);
    QFETCH(Moves, stays);

    // A journal that cannot be written: its folder would lie below a file.
    const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
    if (how == QLatin1String("no-journal")) {
        QVERIFY(WriteFile(m_home.filePath(QStringLiteral("file")), "x"));
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_home.filePath(QStringLiteral("file/share"))));
    }
    WindowSession s(files);
    qputenv("XDG_DATA_HOME", dataHome);
    QVERIFY(QTest::qWaitForWindowActive(s.w.get()));
    s.w->Option1[1]->setChecked(true);
    QTest::keyClicks(s.w->Prefixtext, QStringLiteral("x"));
    QVERIFY(s.select(selected));
    const QStringList trashFiles = Snapshot(m_home.filePath(QStringLiteral("share/Trash/files"))).keys();
    QTest::mouseClick(run == QLatin1String("rename") ? s.w->Rename : s.w->Delete, Qt::LeftButton);
    const int messagesOfRun = int(s.box->shown.size());
    // A file whose name is taken stays under its new name, or in the trash.
    FolderFiles expected = Moved(s.before, stays);
    if (!taken.isEmpty()) {
        QVERIFY(WriteFile(s.path(taken), Other));
        expected.insert(taken, Other);
    }

    if (how == QLatin1String("ctrl-z")) {
        s.w->File1->setFocus();
        QTest::keyClick(s.w->File1, Qt::Key_Z, Qt::ControlModifier);
    } else if (how == QLatin1String("ctrl-z-in-prefix")) {
        s.w->Prefixtext->setFocus();
        QTest::keyClick(s.w->Prefixtext, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(s.w->Prefixtext->text(), QString());
    } else {
        QTEST(PickMenuEntry(*s.w), "menu");
    }

    QCOMPARE(Snapshot(s.folder), expected);
    const QStringList messages = s.shownTexts().mid(messagesOfRun);
    if (taken.isEmpty()) {
        QCOMPARE(messages, QStringList());
    } else {
        QCOMPARE(messages.size(), 1);
        QVERIFY2(messages.first().contains(taken + QLatin1String(" is taken by another file")),
                 qPrintable(messages.first()));
    }
    if (run == QLatin1String("delete")) {
        // Only what could not come back is still in the trash, with its record.
        const QStringList left = Snapshot(m_home.filePath(QStringLiteral("share/Trash/files"))).keys();
        QCOMPARE(left.size() - trashFiles.size(), taken.isEmpty() ? 0 : 1);
        QCOMPARE(QDir(m_home.filePath(QStringLiteral("share/Trash/info"))).entryList(QDir::Files).size(),
                 left.size());
    }
    if (stays.isEmpty() || !taken.isEmpty()) {
        // Taken back: the counter start as before the batch, the list read
        // again, the preview empty, and nothing left to take back.
        QCOMPARE(s.w->CounterStart->text(), QStringLiteral("1"));
        QCOMPARE(s.w->File1->selectedCount(), 0);
        QCOMPARE(s.w->List1->model()->rowCount(), 0);
        QVERIFY(!s.w->UndoableBatch());
    }
}

// A run killed partway: the program had no chance to record the end of its
// batch, so the disk tells which files it renamed. The fault layer holds the
// run's 400th move until the run is killed.
void TestUndo::undoAfterKilledRun()
{
    const QString missing = RealVolume::missing(RealVolume::Kind::FaultyFolder);
    if (!missing.isEmpty())
        QSKIP(qPrintable(QLatin1String("This test needs ") + missing));
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
    const auto waitsAtFourHundredth = [&below] {
        const QSet<QString> names = ListEveryName(below);
        return names.size() == 10000
            && std::count_if(names.cbegin(), names.cend(),
                             [](const QString &name) { return name.startsWith(u'x'); })
            == 399;
    };
    QTRY_VERIFY_WITH_TIMEOUT(waitsAtFourHundredth(), 120000);
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
