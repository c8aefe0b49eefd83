// The platform's trash, the real freedesktop one under a temporary
// XDG_DATA_HOME: a file is either in the trash with its record, or where it
// was.
#include "platform/trashservice.h"

#include "support/foldersnapshot.h"
#include "support/realvolume.h"

#include <QDateTime>
#include <QStorageInfo>
#include <QUrl>

namespace {

// The lines of a trash record, "[Trash Info]" first.
QList<QByteArray> RecordLines(const QString &trash, const QString &nameInTrash)
{
    QFile file(trash + QLatin1String("/info/") + nameInTrash + QLatin1String(".trashinfo"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QList<QByteArray> lines = file.readAll().split('\n');
    if (lines.value(lines.size() - 1).isEmpty())
        lines.removeLast();
    return lines;
}

} // namespace

class TestTrashService : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void arrives_data();
    void arrives();
    void sameNameTwiceKeepsBoth();
    void missingParentIsCreated();
    void failureKeepsFile_data();
    void failureKeepsFile();
    void missingFileFails();
    void nulInPathFails();
    void longName_data();
    void longName();
    void otherFileSystemUsesVolumeTrash();

private:
    QTemporaryDir m_home;
    QScopedPointer<QTemporaryDir> m_case;
};

void TestTrashService::initTestCase()
{
    QVERIFY(m_home.isValid());
    qputenv("HOME", m_home.path().toLocal8Bit());
    // A trash that falls back to the current directory would show here.
    QVERIFY(QDir::setCurrent(m_home.path()));
}

void TestTrashService::init()
{
    m_case.reset(new QTemporaryDir(m_home.filePath(QStringLiteral("case-XXXXXX"))));
    QVERIFY(m_case->isValid());
    QVERIFY(QDir(m_case->path()).mkdir(QStringLiteral("my files")));
    qputenv("XDG_DATA_HOME", m_case->filePath(QStringLiteral("share")).toLocal8Bit());
}

// Nothing may land below the current directory. Strays are cleared so that
// one faulty case does not fail the next ones.
void TestTrashService::cleanup()
{
    m_case.reset();
    bool stray = false;
    for (const QString &name : {QStringLiteral("files"), QStringLiteral("info")}) {
        QDir folder(m_home.filePath(name));
        stray = stray || folder.exists();
        folder.removeRecursively();
    }
    QVERIFY2(!stray, "the trash fell back to the current directory");
}

void TestTrashService::arrives_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("recordedPath"); // below the folder, as the record holds it

    QTest::newRow("trash/plain-name/a.txt") << "a.txt" << QByteArray("/my%20files/a.txt");
    QTest::newRow("trash/escapes/percent-and-hex") << "50%41.txt" << QByteArray("/my%20files/50%2541.txt");
    QTest::newRow("trash/escapes/line-break")
        << "two\nlines.txt" << QByteArray("/my%20files/two%0Alines.txt");
    QTest::newRow("trash/escapes/non-ascii")
        << QStringLiteral("\u00e9t\u00e9.jpg") << QByteArray("/my%20files/%C3%A9t%C3%A9.jpg");
    QTest::newRow("trash/no-extension/README") << "README" << QByteArray("/my%20files/README");
}

void TestTrashService::arrives()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, recordedPath);
    const QString folder = m_case->filePath(QStringLiteral("my files"));
    const QString path = folder + QLatin1Char('/') + name;
    QVERIFY(WriteFile(path, ContentOf(name)));
    QVERIFY(WriteFile(folder + QLatin1String("/neighbour.txt"), ContentOf(QStringLiteral("neighbour.txt"))));
    const QString trash = m_case->filePath(QStringLiteral("share/Trash"));
    const QDateTime started = QDateTime::currentDateTime().addSecs(-1);

    QtTrashService service;
    QString error;
    QVERIFY2(service.moveToTrash(path, &error), qPrintable(error));

    QCOMPARE(Snapshot(folder),
             (FolderFiles{{QStringLiteral("neighbour.txt"), ContentOf(QStringLiteral("neighbour.txt"))}}));
    QCOMPARE(Snapshot(trash + QLatin1String("/files")), (FolderFiles{{name, ContentOf(name)}}));
    const QList<QByteArray> lines = RecordLines(trash, name);
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines.at(0), QByteArray("[Trash Info]"));
    QCOMPARE(lines.at(1), "Path=" + QFile::encodeName(m_case->path()).toPercentEncoding("/") + recordedPath);
    QVERIFY(lines.at(2).startsWith("DeletionDate="));
    const QDateTime when = QDateTime::fromString(QString::fromUtf8(lines.at(2).mid(13)), Qt::ISODate);
    QVERIFY2(when >= started && when <= QDateTime::currentDateTime(), lines.at(2).constData());
    QCOMPARE(QUrl::fromPercentEncoding(lines.at(1).mid(5)), path);
    QCOMPARE(QFile::permissions(trash) & (QFile::ReadGroup | QFile::ReadOther), QFile::Permissions());
}

// Two files of one name from two folders: both stay in the trash, each with
// a record of its own folder.
void TestTrashService::sameNameTwiceKeepsBoth()
{
    const QString first = m_case->filePath(QStringLiteral("my files/a.txt"));
    QVERIFY(QDir(m_case->path()).mkdir(QStringLiteral("other")));
    const QString second = m_case->filePath(QStringLiteral("other/a.txt"));
    QVERIFY(WriteFile(first, "the first a.txt\n"));
    QVERIFY(WriteFile(second, "the second a.txt\n"));
    const QString trash = m_case->filePath(QStringLiteral("share/Trash"));

    QtTrashService service;
    QString error;
    QVERIFY2(service.moveToTrash(first, &error), qPrintable(error));
    QVERIFY2(service.moveToTrash(second, &error), qPrintable(error));

    const FolderFiles inTrash = Snapshot(trash + QLatin1String("/files"));
    QCOMPARE(inTrash.size(), 2);
    QCOMPARE(inTrash.value(QStringLiteral("a.txt")), QByteArray("the first a.txt\n"));
    const QString secondName
        = inTrash.lastKey() == QLatin1String("a.txt") ? inTrash.firstKey() : inTrash.lastKey();
    QCOMPARE(inTrash.value(secondName), QByteArray("the second a.txt\n"));
    QCOMPARE(QUrl::fromPercentEncoding(RecordLines(trash, QStringLiteral("a.txt")).value(1).mid(5)), first);
    QCOMPARE(QUrl::fromPercentEncoding(RecordLines(trash, secondName).value(1).mid(5)), second);
}

// XDG_DATA_HOME names folders that do not exist yet: they are made, and the
// file reaches the trash there, not a folder below the current directory.
void TestTrashService::missingParentIsCreated()
{
    const QString dataHome = m_case->filePath(QStringLiteral("not/yet/share"));
    qputenv("XDG_DATA_HOME", dataHome.toLocal8Bit());
    const QString path = m_case->filePath(QStringLiteral("my files/a.txt"));
    QVERIFY(WriteFile(path, ContentOf(QStringLiteral("a.txt"))));

    QtTrashService service;
    QString error;
    QVERIFY2(service.moveToTrash(path, &error), qPrintable(error));

    QVERIFY(!QFileInfo::exists(path));
    QCOMPARE(Snapshot(dataHome + QLatin1String("/Trash/files")),
             (FolderFiles{{QStringLiteral("a.txt"), ContentOf(QStringLiteral("a.txt"))}}));
    QCOMPARE(QUrl::fromPercentEncoding(
                 RecordLines(dataHome + QLatin1String("/Trash"), QStringLiteral("a.txt")).value(1).mid(5)),
             path);
    QVERIFY(!QFileInfo::exists(QDir::currentPath() + QLatin1String("/files")));
}

void TestTrashService::failureKeepsFile_data()
{
    QTest::addColumn<QString>("dataHome"); // below the case's folder
    QTest::addColumn<QString>("trashFile"); // a plain file made before the call, if any

    QTest::newRow("fail/data-home/below-a-plain-file") << "plain/share"
                                                       << "plain";
    QTest::newRow("fail/trash/is-a-plain-file") << "share"
                                                << "share/Trash";
    QTest::newRow("fail/trash/files-is-a-plain-file") << "share"
                                                      << "share/Trash/files";
}

void TestTrashService::failureKeepsFile()
{
    QFETCH(QString, dataHome);
    QFETCH(QString, trashFile);
    QVERIFY(QDir(m_case->path()).mkpath(QFileInfo(m_case->filePath(trashFile)).path()));
    QVERIFY(WriteFile(m_case->filePath(trashFile), "not a folder\n"));
    qputenv("XDG_DATA_HOME", m_case->filePath(dataHome).toLocal8Bit());
    const QString folder = m_case->filePath(QStringLiteral("my files"));
    QVERIFY(WriteFile(folder + QLatin1String("/a.txt"), ContentOf(QStringLiteral("a.txt"))));
    const FolderFiles before = Snapshot(m_case->path());

    QtTrashService service;
    QString error;
    QVERIFY(!service.moveToTrash(folder + QLatin1String("/a.txt"), &error));
    QVERIFY(!error.isEmpty());

    QCOMPARE(Snapshot(m_case->path()), before);
    QVERIFY(!QFileInfo::exists(QDir::currentPath() + QLatin1String("/files")));
}

void TestTrashService::missingFileFails()
{
    QtTrashService service;
    QString error;
    QVERIFY(!service.moveToTrash(m_case->filePath(QStringLiteral("my files/gone.txt")), &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(Snapshot(m_case->path()).isEmpty());
}

// The system's calls end a path at a NUL; the file before it is never the
// one trashed.
void TestTrashService::nulInPathFails()
{
    const QString folder = m_case->filePath(QStringLiteral("my files"));
    QVERIFY(WriteFile(folder + QLatin1String("/a.txt"), ContentOf(QStringLiteral("a.txt"))));
    const FolderFiles before = Snapshot(m_case->path());

    QtTrashService service;
    QString error;
    QVERIFY(
        !service.moveToTrash(folder + QLatin1String("/a.txt") + QChar(0) + QLatin1String("b.txt"), &error));
    QVERIFY(!error.isEmpty());

    QCOMPARE(Snapshot(m_case->path()), before);
}

// A record's name is the file's name and ".trashinfo", which for a long name
// passes the file system's 255 bytes: the file takes a shorter name in the
// trash, and its record still holds the whole original path. Twice, so that
// the numbered second name is cut as well.
void TestTrashService::longName_data()
{
    QTest::addColumn<QString>("name");

    QTest::newRow("trash/long-name/250-bytes") << QString(250, QLatin1Char('x'));
    QTest::newRow("trash/long-name/255-bytes") << QString(251, QLatin1Char('y')) + QLatin1String(".txt");
    QTest::newRow("trash/long-name/multibyte-at-the-cut")
        << QString(120, QChar(0x00e9)) + QString::fromUtf8("\xf0\x9f\x98\x80") + QLatin1String(".jpg");
}

void TestTrashService::longName()
{
    QFETCH(QString, name);
    const QString trash = m_case->filePath(QStringLiteral("share/Trash"));
    QStringList paths;
    for (const QString &folder : {QStringLiteral("my files"), QStringLiteral("other")}) {
        QVERIFY(QDir(m_case->path()).mkpath(folder));
        paths.append(m_case->filePath(folder) + QLatin1Char('/') + name);
        QVERIFY(WriteFile(paths.last(), "the file in " + folder.toUtf8() + '\n'));
    }

    QtTrashService service;
    for (const QString &path : std::as_const(paths)) {
        QString error;
        QVERIFY2(service.moveToTrash(path, &error), qPrintable(error));
        QVERIFY(!QFileInfo::exists(path));
    }

    const FolderFiles inTrash = Snapshot(trash + QLatin1String("/files"));
    QCOMPARE(inTrash.size(), 2);
    QStringList recorded;
    for (auto it = inTrash.cbegin(); it != inTrash.cend(); ++it) {
        QVERIFY2(!it.key().contains(QChar::ReplacementCharacter), qPrintable(it.key()));
        const QList<QByteArray> lines = RecordLines(trash, it.key());
        QCOMPARE(lines.size(), 3);
        const QString original = QUrl::fromPercentEncoding(lines.at(1).mid(5));
        QCOMPARE(it.value(),
                 "the file in " + QFileInfo(QFileInfo(original).path()).fileName().toUtf8() + '\n');
        recorded.append(original);
    }
    recorded.sort();
    QCOMPARE(recorded, paths);
}

// A move never copies, so a file on another file system than the home trash
// goes to the trash at the top of its own volume, with its record there,
// whose path is relative to the volume's top. A volume that already has a
// trash is left alone. The other volume is a tmpfs of the test's own, which
// goes with its trash whatever happens.
void TestTrashService::otherFileSystemUsesVolumeTrash()
{
    if (const QString lacking = RealVolume::missing(RealVolume::Kind::Tmpfs); !lacking.isEmpty())
        QSKIP(qPrintable(QLatin1String("This test needs ") + lacking));
    const RealVolume other(RealVolume::Kind::Tmpfs);
    QVERIFY(other.ok());
    const QString top = other.path();
    const QString volumeTrash = top + QLatin1String("/.Trash-") + QString::number(::getuid());
    const QString path = top + QLatin1String("/a.txt");
    QVERIFY(WriteFile(path, ContentOf(QStringLiteral("a.txt"))));

    QtTrashService service;
    QString error;
    const bool moved = service.moveToTrash(path, &error);
    const FolderFiles inVolumeTrash = Snapshot(volumeTrash + QLatin1String("/files"));
    const QList<QByteArray> record = RecordLines(volumeTrash, QStringLiteral("a.txt"));

    QVERIFY2(moved, qPrintable(error));
    QVERIFY(!QFileInfo::exists(path));
    QCOMPARE(inVolumeTrash, (FolderFiles{{QStringLiteral("a.txt"), ContentOf(QStringLiteral("a.txt"))}}));
    QCOMPARE(QUrl::fromPercentEncoding(record.value(1).mid(5)), QDir(top).relativeFilePath(path));
    QVERIFY(Snapshot(m_case->filePath(QStringLiteral("share/Trash"))).isEmpty());
}

QTEST_GUILESS_MAIN(TestTrashService)
#include "tst_trashservice.moc"
