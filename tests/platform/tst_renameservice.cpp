// The platform's rename: one atomic step that never replaces a file and never
// copies, on real files.
#include "platform/renameservice.h"

#include "support/foldersnapshot.h"
#include "support/realvolume.h"

#include <QStorageInfo>
#ifdef Q_OS_LINUX
#include <sys/stat.h>
#include <unistd.h>
#endif

class TestRenameService : public QObject {
    Q_OBJECT

private slots:
    void rename_data();
    void rename();
    void hardLinkPairKeepsBothNames();
    void otherFileSystemFailsWithoutCopy();
};

void TestRenameService::rename_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<bool>("succeeds");

    const QStringList ab = {QStringLiteral("a.txt"), QStringLiteral("b.txt")};
    QTest::newRow("rename/free-name/plain") << ab << "a.txt"
                                            << "c.txt" << true;
    QTest::newRow("rename/case-only/lower-to-upper") << ab << "a.txt"
                                                     << "A.txt" << true;
    QTest::newRow("rename/case-only/whole-name") << ab << "b.txt"
                                                 << "B.TXT" << true;
    QTest::newRow("rename/same-path/succeeds-unchanged") << ab << "a.txt"
                                                         << "a.txt" << true;
    QTest::newRow("rename/into-sub-folder/existing") << ab << "a.txt"
                                                     << "sub/a.txt" << true;
    QTest::newRow("rename/existing-target/never-replaced") << ab << "a.txt"
                                                           << "b.txt" << false;
#ifndef Q_OS_WIN
    QTest::newRow("rename/existing-target/other-case-never-replaced")
        << QStringList{"a.txt", "A.txt"} << "a.txt"
        << "A.txt" << false;
#endif
    QTest::newRow("rename/existing-target/in-sub-folder-never-replaced")
        << QStringList{"a.txt", "sub/a.txt"} << "a.txt"
        << "sub/a.txt" << false;
    // A name that ends in a dot or a blank is its own file, not the one
    // without them, which Windows takes it for in a plain path.
    QTest::newRow("rename/exact-name/dot-at-end-beside-plain") << QStringList{"a.txt", "a.txt."} << "a.txt."
                                                               << "c.txt" << true;
    QTest::newRow("rename/exact-name/blank-at-end-beside-plain") << QStringList{"b", "b "} << "b "
                                                                 << "c" << true;
    // Windows stops a plain path at 260 characters; Wine does not, so there
    // this row shows only that the long path is taken.
    const QString deep = QStringLiteral("a folder twenty long/").repeated(13);
    QTest::newRow("rename/long-path/over-260-characters")
        << QStringList{deep + "a.txt"} << deep + "a.txt" << deep + "c.txt" << true;
    QTest::newRow("rename/missing-source/fails") << ab << "c.txt"
                                                 << "d.txt" << false;
    QTest::newRow("rename/missing-source/same-path-fails") << ab << "c.txt"
                                                           << "c.txt" << false;
    QTest::newRow("rename/missing-folder/fails") << ab << "a.txt"
                                                 << "nowhere/a.txt" << false;
    QTest::newRow("rename/empty-name/fails") << ab << "a.txt"
                                             << "" << false;
    QTest::newRow("rename/onto-folder/fails") << ab << "a.txt"
                                              << "sub" << false;
    // The system's calls end a path at a NUL: the file would take the name
    // before it, or the file before it would be renamed.
    const QString nul(1, QChar(0));
    QTest::newRow("rename/nul/in-new-name-refused") << ab << "a.txt"
                                                    << "c" + nul + "d.txt" << false;
    QTest::newRow("rename/nul/in-present-path-refused") << ab << "a.txt" + nul + "x"
                                                        << "c.txt" << false;
#ifdef Q_OS_WIN
    // Names ignore case: another file's name in other letters is taken.
    QTest::newRow("rename/windows/other-case-of-another-file-never-replaced")
        << QStringList{"a.txt", "B.txt"} << "a.txt"
        << "b.txt" << false;
    QTest::newRow("rename/windows/backslash-is-a-separator") << ab << "a.txt"
                                                             << "sub\\a.txt" << true;
    // Refused by Windows, or changed by it (a trailing dot or blank is
    // dropped, a device name opens the device): refused before anything.
    for (const char *name :
         {"a<b.txt",   "a>b.txt",  "a:b.txt", "a\"b.txt",  "a|b.txt",     "a?b.txt", "a*b.txt", "a\tb.txt",
          "a\x1f.txt", "name.",    "name ",   "name.txt.", "CON",         "con.txt", "PRN",     "AUX.jpg",
          "NUL",       "nul .txt", "COM1",    "com9.txt",  "LPT1.tar.gz", "LPT9"})
        QTest::addRow("rename/windows/refused/%s", name)
            << ab << "a.txt" << QString::fromLatin1(name) << false;
    // Only a whole device name is one.
    for (const char *name : {"CONSOLE.txt", "COM10.txt", "LPT0", "nul-file.txt", "a.con"})
        QTest::addRow("rename/windows/not-a-device/%s", name)
            << ab << "a.txt" << QString::fromLatin1(name) << true;
#endif
}

void TestRenameService::rename()
{
    QFETCH(QStringList, files);
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(bool, succeeds);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("sub")));
    for (const QString &name : std::as_const(files)) {
        QVERIFY(QDir().mkpath(QFileInfo(dir.filePath(name)).path()));
        QVERIFY(WriteFile(dir.filePath(name), ContentOf(name)));
    }
    FolderFiles expected = Snapshot(dir.path());
    if (succeeds && from != to)
        expected.insert(QDir::fromNativeSeparators(to), expected.take(from));

    NativeRenameService service;
    const MoveResult result = service.rename(dir.filePath(from), dir.filePath(to));
    QCOMPARE(result.done, succeeds);

    QCOMPARE(Snapshot(dir.path()), expected);
    QCOMPARE(result.error.isEmpty(), succeeds);
}

// Two names of one file on a file system whose names keep their case: they
// look like one file under two spellings, but renaming one onto the other
// would take a name away. The rename fails and both names stay.
void TestRenameService::hardLinkPairKeepsBothNames()
{
#ifndef Q_OS_LINUX
    QSKIP("Windows names ignore case: one folder cannot hold both spellings.");
#else
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString lower = dir.filePath(QStringLiteral("a.txt"));
    const QString upper = dir.filePath(QStringLiteral("A.txt"));
    QVERIFY(WriteFile(lower, "one file, two names\n"));
    if (::link(QFile::encodeName(lower).constData(), QFile::encodeName(upper).constData()) != 0)
        QSKIP("This file system has no hard links.");
    const FolderFiles before = Snapshot(dir.path());
    QCOMPARE(before.size(), 2);

    NativeRenameService service;
    const MoveResult result = service.rename(lower, upper);
    QVERIFY(!result.done);
    QVERIFY(!result.error.isEmpty());

    QCOMPARE(Snapshot(dir.path()), before);
    struct stat a { };
    struct stat b { };
    QCOMPARE(::stat(QFile::encodeName(lower).constData(), &a), 0);
    QCOMPARE(::stat(QFile::encodeName(upper).constData(), &b), 0);
    QCOMPARE(a.st_ino, b.st_ino);
    QCOMPARE(a.st_nlink, nlink_t(2));
#endif
}

// A rename that would have to copy is refused; the file stays whole where it
// was and nothing appears at the target. The other volume is a tmpfs of the
// test's own (under Wine, drive Z: shows the Linux side's /dev/shm).
void TestRenameService::otherFileSystemFailsWithoutCopy()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
#ifdef Q_OS_WIN
    QTemporaryDir other(QStringLiteral("Z:/dev/shm/tst_renameservice-XXXXXX"));
    if (!other.isValid() || QStorageInfo(other.path()).rootPath() == QStorageInfo(dir.path()).rootPath())
        QSKIP("No second file system at hand: drive Z: shows no /dev/shm of its own.");
#else
    if (const QString lacking = RealVolume::missing(RealVolume::Kind::Tmpfs); !lacking.isEmpty())
        QSKIP(qPrintable(QLatin1String("This test needs ") + lacking));
    const RealVolume other(RealVolume::Kind::Tmpfs);
    QVERIFY(other.ok());
#endif
    const QString from = dir.filePath(QStringLiteral("a.txt"));
    QVERIFY(WriteFile(from, ContentOf(QStringLiteral("a.txt"))));
    const FolderFiles before = Snapshot(dir.path());

    NativeRenameService service;
    const MoveResult result = service.rename(from, other.path() + QLatin1String("/a.txt"));
    QVERIFY(!result.done);
    QVERIFY(!result.error.isEmpty());

    QCOMPARE(Snapshot(dir.path()), before);
    QVERIFY(Snapshot(other.path()).isEmpty());
}

QTEST_GUILESS_MAIN(TestRenameService)
#include "tst_renameservice.moc"
