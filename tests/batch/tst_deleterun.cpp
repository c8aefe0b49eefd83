// The deletion run over real files and the real trash under a temporary
// XDG_DATA_HOME (on Windows the real Recycle Bin, read through the shell,
// which Wine keeps in a folder of the build's): a file is either in the
// trash, restorable, or where it was.
#include "platform/windowspath.h"
#include "support/foldersnapshot.h"
#include "window/previewlist.h"
#ifdef Q_OS_WIN
#include "support/recyclebin.h"
#endif

#include <QDateTime>
#include <QPushButton>
#include <QUrl>

namespace {

// The main window over a folder of its own with files of unique content, and
// a trash of its own.
struct Session : WindowSession {
    QString trash;

    explicit Session(const QStringList &names)
        : WindowSession(names, QStringLiteral("my photos"), true, QDir::tempPath(), true),
          trash(root.filePath(QStringLiteral("share/Trash")))
    {
        w->Option1[1]->setChecked(true); // Before, so that lines show the names
    }
};

QString Question(int count)
{
    return QStringLiteral("Are you sure you want to send %1 file(s) to the Recycle Bin ?").arg(count);
}

// The original path and the time of deletion, as the trash's record gives them.
struct TrashRecord {
    QString path;
    QString deletionDate;
};

TrashRecord ReadRecord(const QString &trash, const QString &name)
{
    QFile file(trash + QLatin1String("/info/") + name + QLatin1String(".trashinfo"));
    TrashRecord record;
    if (!file.open(QIODevice::ReadOnly))
        return record;
    const QList<QByteArray> lines = file.readAll().split('\n');
    if (lines.value(0) != "[Trash Info]")
        return record;
    for (const QByteArray &line : lines) {
        if (line.startsWith("Path=") && !line.contains(' '))
            record.path = QUrl::fromPercentEncoding(line.mid(5));
        else if (line.startsWith("DeletionDate="))
            record.deletionDate = QString::fromUtf8(line.mid(13));
    }
    return record;
}

// The files the trash holds from the session's folder, by name. The Recycle
// Bin is read as a user reads it: each file it holds from there is put back
// with its own Restore and read where it came back.
FolderFiles Trashed(const Session &s)
{
#ifdef Q_OS_WIN
    const FolderFiles left = Snapshot(s.folder);
    for (const QString &path : RecycledFrom(s.folder)) {
        if (!RestoreFromRecycleBin(path))
            return {{path, "not restored"}};
    }
    FolderFiles back = Snapshot(s.folder);
    for (auto it = left.cbegin(); it != left.cend(); ++it)
        back.remove(it.key());
    return back;
#else
    return Snapshot(s.trash + QLatin1String("/files"));
#endif
}

} // namespace

class TestDeleteRun : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cancelLeavesEverything();
    void okSendsSelectedToTrash();
    void trashedFileCanBePutBack();
    void keyboardSelectionCounted();
    void missingFileReportedRunGoesOn();
    void exactFileOnly_data();
    void exactFileOnly();
    void shellErrorReadAsText_data();
    void shellErrorReadAsText();
    void trashCannotBeCreated();

private:
    QTemporaryDir m_home;
};

void TestDeleteRun::initTestCase()
{
    QVERIFY(m_home.isValid());
    qputenv("HOME", m_home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", m_home.filePath(QStringLiteral("config")).toLocal8Bit());
    // A trash that falls back to the current directory would show here.
    QVERIFY(QDir::setCurrent(m_home.path()));
}

void TestDeleteRun::cancelLeavesEverything()
{
    Session s(
        {QStringLiteral("a.txt"), QStringLiteral("b.txt"), QStringLiteral("c.txt"), QStringLiteral("d.txt")});
    QVERIFY(QTest::qWaitForWindowExposed(s.w.get()));
    QVERIFY(s.select({QStringLiteral("a.txt"), QStringLiteral("b.txt"), QStringLiteral("d.txt")}));
    const QStringList lines = s.w->List1->lines();
    QCOMPARE(lines.size(), 3);
    s.box->answers = {MsgBox::AnswerCancel};

    QTest::mouseClick(s.w->Delete, Qt::LeftButton);

    QCOMPARE(s.box->shown.size(), 1);
    QCOMPARE(s.box->shown.at(0).text, Question(3));
    QCOMPARE(s.box->shown.at(0).flags, 33);
    QCOMPARE(s.box->shown.at(0).title, QStringLiteral("Quorlane"));
    QCOMPARE(Snapshot(s.folder), s.before);
    QVERIFY(!QFileInfo::exists(s.trash));
    QVERIFY(Trashed(s).isEmpty());
    QCOMPARE(s.w->File1->selectedRows().toList(), (QList<int>{0, 1, 3}));
    QCOMPARE(s.w->List1->lines(), lines);
}

void TestDeleteRun::okSendsSelectedToTrash()
{
    Session s({QStringLiteral("a.txt"), QStringLiteral("b b%.txt"), QStringLiteral("c.txt"),
               QStringLiteral("d.txt")});
    QVERIFY(QTest::qWaitForWindowExposed(s.w.get()));
    QVERIFY(s.select({QStringLiteral("a.txt"), QStringLiteral("b b%.txt"), QStringLiteral("d.txt")}));
    const QDateTime started = QDateTime::currentDateTime().addSecs(-1);

    QTest::mouseClick(s.w->Delete, Qt::LeftButton);

    QCOMPARE(s.box->shown.size(), 1);
    QCOMPARE(s.box->shown.at(0).text, Question(3));
    FolderFiles left = s.before;
    FolderFiles trashed;
    for (const QString &name :
         {QStringLiteral("a.txt"), QStringLiteral("b b%.txt"), QStringLiteral("d.txt")}) {
        trashed.insert(name, left.take(name));
#ifdef Q_OS_WIN
        continue; // the Recycle Bin keeps its records to itself; Trashed() reads it
#endif
        const TrashRecord record = ReadRecord(s.trash, name);
        QCOMPARE(record.path, s.path(name));
        const QDateTime when = QDateTime::fromString(record.deletionDate, Qt::ISODate);
        QVERIFY2(when.isValid() && when >= started && when <= QDateTime::currentDateTime(),
                 qPrintable(record.deletionDate));
    }
    QCOMPARE(Snapshot(s.folder), left);
    QCOMPARE(Trashed(s), trashed);
    QVERIFY(!QFileInfo::exists(m_home.filePath(QStringLiteral("files"))));
    QCOMPARE(s.w->File1->names(), QStringList{QStringLiteral("c.txt")});
    QCOMPARE(s.w->File1->selectedCount(), 0);
    QVERIFY(s.w->List1->lines().isEmpty());
    QCOMPARE(s.services->pointer->current(), int(Pointer::Arrow));
}

// What a file manager does to restore: the file goes back to the path its
// record holds, with its content.
void TestDeleteRun::trashedFileCanBePutBack()
{
    Session s({QStringLiteral("a.txt"), QStringLiteral("b.txt")});
    QVERIFY(QTest::qWaitForWindowExposed(s.w.get()));
    QVERIFY(s.select({QStringLiteral("b.txt")}));
    QTest::mouseClick(s.w->Delete, Qt::LeftButton);
    QVERIFY(!QFileInfo::exists(s.path(QStringLiteral("b.txt"))));

#ifdef Q_OS_WIN
    QCOMPARE(RecycledFrom(s.folder), QStringList{s.path(QStringLiteral("b.txt"))});
    QVERIFY(RestoreFromRecycleBin(s.path(QStringLiteral("b.txt"))));
    QCOMPARE(Snapshot(s.folder), s.before);
    QVERIFY(RecycledFrom(s.folder).isEmpty());
    return;
#endif
    const TrashRecord record = ReadRecord(s.trash, QStringLiteral("b.txt"));
    QCOMPARE(record.path, s.path(QStringLiteral("b.txt")));
    QVERIFY(QFile::rename(s.trash + QLatin1String("/files/b.txt"), record.path));
    QVERIFY(QFile::remove(s.trash + QLatin1String("/info/b.txt.trashinfo")));

    QCOMPARE(Snapshot(s.folder), s.before);
    QVERIFY(Snapshot(s.trash).isEmpty());
}

// A selection by keyboard raises no rebuild; the run counts it anyway.
void TestDeleteRun::keyboardSelectionCounted()
{
    Session s({QStringLiteral("a.txt"), QStringLiteral("b.txt"), QStringLiteral("c.txt")});
    QVERIFY(QTest::qWaitForWindowExposed(s.w.get()));
    s.w->File1->setFocus();
    QTest::keyClick(s.w->File1, Qt::Key_Home);
    QTest::keyClick(s.w->File1, Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(s.w->File1->selectedRows().toList(), (QList<int>{0, 1}));
    QVERIFY(s.w->List1->lines().isEmpty());

    QTest::mouseClick(s.w->Delete, Qt::LeftButton);

    QCOMPARE(s.box->shown.size(), 1);
    QCOMPARE(s.box->shown.at(0).text, Question(2));
    FolderFiles left = s.before;
    FolderFiles trashed;
    trashed.insert(QStringLiteral("a.txt"), left.take(QStringLiteral("a.txt")));
    trashed.insert(QStringLiteral("b.txt"), left.take(QStringLiteral("b.txt")));
    QCOMPARE(Snapshot(s.folder), left);
    QCOMPARE(Trashed(s), trashed);
}

// One file is gone before the run: it is named in one message and the next
// file still goes to the trash.
void TestDeleteRun::missingFileReportedRunGoesOn()
{
    Session s({QStringLiteral("a.txt"), QStringLiteral("b.txt")});
    QVERIFY(QTest::qWaitForWindowExposed(s.w.get()));
    QVERIFY(s.select({QStringLiteral("a.txt"), QStringLiteral("b.txt")}));
    QVERIFY(QFile::remove(s.path(QStringLiteral("a.txt"))));

    QTest::mouseClick(s.w->Delete, Qt::LeftButton);

    QCOMPARE(s.box->shown.size(), 2);
    QCOMPARE(s.box->shown.at(0).text, Question(2));
    QVERIFY2(s.box->shown.at(1).text.contains(QDir::toNativeSeparators(s.path(QStringLiteral("a.txt")))),
             qPrintable(s.box->shown.at(1).text));
    QCOMPARE(s.box->shown.at(1).flags, 0);
    QCOMPARE(s.box->shown.at(1).title, QStringLiteral("Quorlane"));
    QVERIFY(Snapshot(s.folder).isEmpty());
    QCOMPARE(Trashed(s), (FolderFiles{{QStringLiteral("b.txt"), ContentOf(QStringLiteral("b.txt"))}}));
    QCOMPARE(s.w->File1->listCount(), 0);
    QCOMPARE(s.services->pointer->current(), int(Pointer::Arrow));
}

// Only the selected file, under its exact name, goes to the trash: a name
// that ends in a dot or a blank is not the name without them. The shell that
// takes files to the Recycle Bin takes plain paths, which lose that dot or
// blank and stop at 260 characters: there such a file is refused with the
// reason, and everything stays. Wine does not stop a path at 260 characters,
// so under Wine the refusal alone shows.
void TestDeleteRun::exactFileOnly_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("selected"); // below the session's folder

    QTest::newRow("delete/exact-name/dot-at-end-beside-plain") << QStringList{"a.txt", "a.txt."} << "a.txt.";
    QTest::newRow("delete/exact-name/blank-at-end-beside-plain") << QStringList{"b", "b "} << "b ";
    const QString deep = QStringLiteral("a folder twenty long/").repeated(13);
    QTest::newRow("delete/exact-name/path-over-260-characters")
        << QStringList{deep + "x.txt", deep + "y.txt"} << deep + "x.txt";
}

void TestDeleteRun::exactFileOnly()
{
    QFETCH(QStringList, files);
    QFETCH(QString, selected);

    Session s(files);
    QVERIFY(QTest::qWaitForWindowExposed(s.w.get()));
    const QString path = s.path(selected);
    QVERIFY(s.w->Dir1->setPath(QFileInfo(path).path()));
    QVERIFY(s.select({QFileInfo(path).fileName()}));

    QTest::mouseClick(s.w->Delete, Qt::LeftButton);

    FolderFiles left = s.before;
#ifdef Q_OS_WIN
    QCOMPARE(s.box->shown.size(), 2);
    QCOMPARE(s.box->shown.at(1).text,
             "This file could not be sent to the Recycle Bin and stays where it is:\r"
                 + QDir::toNativeSeparators(path) + "\r" + ShellPathProblem(QDir::toNativeSeparators(path)));
    QVERIFY(s.box->shown.at(1).text.contains(QLatin1String("The Recycle Bin cannot take a file")));
    const FolderFiles trashed;
#else
    QCOMPARE(s.box->shown.size(), 1);
    const FolderFiles trashed{{QFileInfo(path).fileName(), left.take(selected)}};
#endif
    QCOMPARE(Snapshot(s.folder), left);
    QCOMPARE(Trashed(s), trashed);
}

// The shell's file operation answers with codes of its own, which are no
// system error numbers: they read as what they mean.
void TestDeleteRun::shellErrorReadAsText_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");

    QTest::newRow("shell-error/invalid-files") << 0x7C << "The path is not valid, or the file is not there.";
    QTest::newRow("shell-error/access-denied") << 0x78 << "Access to the file was denied.";
    QTest::newRow("shell-error/path-too-deep") << 0x79 << "The path is too long.";
    QTest::newRow("shell-error/system-error-number") << 5 << qt_error_string(5);
}

void TestDeleteRun::shellErrorReadAsText()
{
    QFETCH(int, code);
    QTEST(ShellErrorText(code), "text");
}

// No trash can be had: XDG_DATA_HOME lies below a plain file, or under Wine
// the Recycle Bin's folder for files is a plain file, so that the shell
// would delete the file for good, asking first; the answer is No. Every file
// stays where it was, each is named in a message of its own that says why,
// and nothing lands in a folder under the current directory.
void TestDeleteRun::trashCannotBeCreated()
{
    Session s({QStringLiteral("a.txt"), QStringLiteral("b.txt"), QStringLiteral("c.txt")});
    QVERIFY(QTest::qWaitForWindowExposed(s.w.get()));
    const QString plainFile = s.root.filePath(QStringLiteral("plain"));
    QVERIFY(WriteFile(plainFile, "a plain file\n"));
#ifdef Q_OS_WIN
    BinWithoutRoom full;
    QVERIFY(full.ok());
    const ShellQuestionsAnsweredNo no;
#else
    UseDataHome(plainFile + QLatin1String("/share"));
#endif
    QVERIFY(s.select({QStringLiteral("a.txt"), QStringLiteral("c.txt")}));

    QTest::mouseClick(s.w->Delete, Qt::LeftButton);

    QCOMPARE(Snapshot(s.folder), s.before);
    QCOMPARE(s.box->shown.size(), 3);
    QCOMPARE(s.box->shown.at(0).text, Question(2));
    QVERIFY2(s.box->shown.at(1).text.contains(QDir::toNativeSeparators(s.path(QStringLiteral("a.txt")))),
             qPrintable(s.box->shown.at(1).text));
    QVERIFY2(s.box->shown.at(2).text.contains(QDir::toNativeSeparators(s.path(QStringLiteral("c.txt")))),
             qPrintable(s.box->shown.at(2).text));
    QCOMPARE(s.box->shown.at(2).flags, 0);
#ifdef Q_OS_WIN
    QVERIFY2(
        s.box->shown.at(2).text.endsWith(QLatin1String("\rIts drive has no Recycle Bin, or the file is too "
                                                       "large for it.")),
        qPrintable(s.box->shown.at(2).text));
#endif
    QVERIFY(!QFileInfo::exists(m_home.filePath(QStringLiteral("files"))));
    QVERIFY(!QFileInfo::exists(m_home.filePath(QStringLiteral("info"))));
    QCOMPARE(s.w->File1->names(), ListedNames(Snapshot(s.folder)));
    QCOMPARE(s.w->File1->selectedCount(), 0);
    QVERIFY(s.w->List1->lines().isEmpty());
    QCOMPARE(s.services->pointer->current(), int(Pointer::Arrow));
}

QTEST_MAIN(TestDeleteRun)
#include "tst_deleterun.moc"
