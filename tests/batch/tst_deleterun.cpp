// The deletion run over real files and the real trash under a temporary
// XDG_DATA_HOME: a file is either in the trash, restorable, or where it was.
#include "support/testservices.h"
#include "window/dirlist.h"
#include "window/filelist.h"
#include "window/filerenamer.h"
#include "window/previewlist.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

namespace {

QByteArray ContentOf(const QString &name)
{
    return "content of " + name.toUtf8() + '\n';
}

void WriteFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

// Every file under a folder, hidden ones included, by its relative path.
QMap<QString, QByteArray> Snapshot(const QString &folder)
{
    QMap<QString, QByteArray> files;
    const QDir base(folder);
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        file.open(QIODevice::ReadOnly);
        files.insert(base.relativeFilePath(file.fileName()), file.readAll());
    }
    return files;
}

// The main window over a folder of its own with files of unique content, and
// a trash of its own.
struct Session
{
    QTemporaryDir root;
    QString folder;
    QString trash;
    RecordingMessageBox *box = nullptr;
    std::unique_ptr<PlatformServices> services;
    std::unique_ptr<FileRenamer> w;
    QMap<QString, QByteArray> before;

    explicit Session(const QStringList &names)
    {
        folder = root.filePath(QStringLiteral("my photos"));
        QDir().mkpath(folder);
        for (const QString &name : names)
            WriteFile(path(name), ContentOf(name));
        before = Snapshot(folder);
        qputenv("XDG_DATA_HOME", root.filePath(QStringLiteral("share")).toLocal8Bit());
        trash = root.filePath(QStringLiteral("share/Trash"));
        services = MakeTestServices(root.filePath(QStringLiteral("settings.ini")), &box);
        w = std::make_unique<FileRenamer>(*services);
        w->Dir1->setPath(folder);
        w->Option1[1]->setChecked(true); // Before, so that lines show the names
        w->show();
    }

    QString path(const QString &name) const { return folder + QLatin1Char('/') + name; }

    bool ctrlClick(const QString &name)
    {
        const int row = int(w->File1->names().indexOf(name));
        if (row < 0)
            return false;
        const QModelIndex index = w->File1->model()->index(row, 0);
        w->File1->scrollTo(index);
        QTest::mouseClick(w->File1->viewport(), Qt::LeftButton, Qt::ControlModifier,
                          w->File1->visualRect(index).center());
        return true;
    }

    bool select(const QStringList &names)
    {
        for (const QString &name : names) {
            if (!ctrlClick(name))
                return false;
        }
        return w->SelectedCount() == names.size();
    }
};

QString Question(int count)
{
    return QStringLiteral("Are you sure you want to send %1 file(s) to the Recycle Bin ?").arg(count);
}

// The original path and the time of deletion, as the trash's record gives them.
struct TrashRecord
{
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

} // namespace

class TestDeleteRun : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cancelLeavesEverything();
    void okSendsSelectedToTrash();
    void trashedFileCanBePutBack();
    void keyboardSelectionCounted();
    void missingFileReportedRunGoesOn();
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
    Session s({QStringLiteral("a.txt"), QStringLiteral("b.txt"), QStringLiteral("c.txt"),
               QStringLiteral("d.txt")});
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
    QCOMPARE(s.w->File1->selectedRows(), (QList<int>{0, 1, 3}));
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
    QMap<QString, QByteArray> left = s.before;
    QMap<QString, QByteArray> trashed;
    for (const QString &name : {QStringLiteral("a.txt"), QStringLiteral("b b%.txt"), QStringLiteral("d.txt")}) {
        trashed.insert(name, left.take(name));
        const TrashRecord record = ReadRecord(s.trash, name);
        QCOMPARE(record.path, s.path(name));
        const QDateTime when = QDateTime::fromString(record.deletionDate, Qt::ISODate);
        QVERIFY2(when.isValid() && when >= started && when <= QDateTime::currentDateTime(),
                 qPrintable(record.deletionDate));
    }
    QCOMPARE(Snapshot(s.folder), left);
    QCOMPARE(Snapshot(s.trash + QLatin1String("/files")), trashed);
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
    QCOMPARE(s.w->File1->selectedRows(), (QList<int>{0, 1}));
    QVERIFY(s.w->List1->lines().isEmpty());

    QTest::mouseClick(s.w->Delete, Qt::LeftButton);

    QCOMPARE(s.box->shown.size(), 1);
    QCOMPARE(s.box->shown.at(0).text, Question(2));
    QMap<QString, QByteArray> left = s.before;
    QMap<QString, QByteArray> trashed;
    trashed.insert(QStringLiteral("a.txt"), left.take(QStringLiteral("a.txt")));
    trashed.insert(QStringLiteral("b.txt"), left.take(QStringLiteral("b.txt")));
    QCOMPARE(Snapshot(s.folder), left);
    QCOMPARE(Snapshot(s.trash + QLatin1String("/files")), trashed);
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
    QVERIFY2(s.box->shown.at(1).text.contains(s.path(QStringLiteral("a.txt"))), qPrintable(s.box->shown.at(1).text));
    QCOMPARE(s.box->shown.at(1).flags, 0);
    QCOMPARE(s.box->shown.at(1).title, QStringLiteral("Quorlane"));
    QVERIFY(Snapshot(s.folder).isEmpty());
    QCOMPARE(Snapshot(s.trash + QLatin1String("/files")),
             (QMap<QString, QByteArray>{{QStringLiteral("b.txt"), ContentOf(QStringLiteral("b.txt"))}}));
    QCOMPARE(s.w->File1->listCount(), 0);
    QCOMPARE(s.services->pointer->current(), int(Pointer::Arrow));
}

// XDG_DATA_HOME below a plain file: no trash can be made there. Every file
// stays where it was, each is named in a message of its own, and nothing
// lands in a folder under the current directory.
void TestDeleteRun::trashCannotBeCreated()
{
    Session s({QStringLiteral("a.txt"), QStringLiteral("b.txt"), QStringLiteral("c.txt")});
    QVERIFY(QTest::qWaitForWindowExposed(s.w.get()));
    const QString plainFile = s.root.filePath(QStringLiteral("plain"));
    WriteFile(plainFile, "a plain file\n");
    qputenv("XDG_DATA_HOME", (plainFile + QLatin1String("/share")).toLocal8Bit());
    QVERIFY(s.select({QStringLiteral("a.txt"), QStringLiteral("c.txt")}));

    QTest::mouseClick(s.w->Delete, Qt::LeftButton);

    QCOMPARE(Snapshot(s.folder), s.before);
    QCOMPARE(s.box->shown.size(), 3);
    QCOMPARE(s.box->shown.at(0).text, Question(2));
    QVERIFY2(s.box->shown.at(1).text.contains(s.path(QStringLiteral("a.txt"))), qPrintable(s.box->shown.at(1).text));
    QVERIFY2(s.box->shown.at(2).text.contains(s.path(QStringLiteral("c.txt"))), qPrintable(s.box->shown.at(2).text));
    QCOMPARE(s.box->shown.at(2).flags, 0);
    QVERIFY(!QFileInfo::exists(m_home.filePath(QStringLiteral("files"))));
    QVERIFY(!QFileInfo::exists(m_home.filePath(QStringLiteral("info"))));
    QCOMPARE(s.w->File1->names(), ReadFolder(s.folder, QStringLiteral("*.*")));
    QCOMPARE(s.w->File1->selectedCount(), 0);
    QVERIFY(s.w->List1->lines().isEmpty());
    QCOMPARE(s.services->pointer->current(), int(Pointer::Arrow));
}

QTEST_MAIN(TestDeleteRun)
#include "tst_deleterun.moc"
