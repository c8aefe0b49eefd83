// The file list on real folders: which files it lists and in what order, its
// selection (by code and by the mouse), the full path of an entry, and its
// model's consistency across re-reads.
#include "window/filelist.h"

#include <QAbstractItemModelTester>
#include <QDir>
#include <QFile>
#include <QItemSelectionModel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_WIN
#include <windows.h>
#endif
#ifdef Q_OS_LINUX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

void touch(const QString &path, const QByteArray &content = QByteArray())
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
    file.write(content);
}

void makeFiles(const QTemporaryDir &dir, const QStringList &names)
{
    for (const QString &name : names)
        touch(dir.filePath(name));
}

QStringList numberedNames(int count)
{
    QStringList names;
    for (int i = 0; i < count; ++i)
        names.append(QStringLiteral("f%1.txt").arg(i));
    return names;
}

QList<int> allRows(const FileList &list)
{
    QList<int> rows;
    for (int i = 0; i < list.listCount(); ++i) {
        if (list.selected(i))
            rows.append(i);
    }
    return rows;
}

} // namespace

class TestFileList : public QObject {
    Q_OBJECT

private slots:
    void masks_data();
    void masks();
    void order_data();
    void order();
    void noSelectionAfterReread_data();
    void noSelectionAfterReread();
    void selectionRanges_data();
    void selectionRanges();
    void selectingFromCodeTouchesOneEntry();
    void mouseSelection();
    void mouseRelease_data();
    void mouseRelease();
    void fullPath_data();
    void fullPath();
    void undecodableNameLeftAlone();
    void modelAcrossRereads();
    void largeFolder();
};

void TestFileList::masks_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("mask/all/no-folders-no-dot-files")
        << "*.*"
        << QStringList{"a.txt", "ab.txt", "b.TXT", "c.jpg", "D.GIF", "e.jpeg", "gif", "noext", "README"};
    QTest::newRow("mask/no-extension/star-dot") << "*." << QStringList{"gif", "noext", "README"};
    QTest::newRow("mask/several/jpg-gif") << "*.jpg;*.gif" << QStringList{"c.jpg", "D.GIF"};
    QTest::newRow("mask/several/bare-name-second") << "*.jpg;gif" << QStringList{"c.jpg", "gif"};
    QTest::newRow("mask/several/with-star-dot")
        << "*.jpg;*." << QStringList{"c.jpg", "gif", "noext", "README"};
    QTest::newRow("mask/one-char/question") << "?.txt" << QStringList{"a.txt", "b.TXT"};
    QTest::newRow("mask/one-char/two-questions") << "??.txt" << QStringList{"ab.txt"};
    QTest::newRow("mask/one-char/not-none") << "a?.txt" << QStringList{"ab.txt"};
    QTest::newRow("mask/case/upper-mask") << "*.TXT" << QStringList{"a.txt", "ab.txt", "b.TXT"};
    QTest::newRow("mask/case/lower-mask-upper-name") << "*.gif" << QStringList{"D.GIF"};
    QTest::newRow("mask/case/whole-name") << "Readme" << QStringList{"README"};
    QTest::newRow("mask/extension/no-prefix-match") << "*.jpe" << QStringList{};
    QTest::newRow("mask/star/leading-letter") << "a*" << QStringList{"a.txt", "ab.txt"};
    QTest::newRow("mask/none/no-match") << "*.png" << QStringList{};
}

void TestFileList::masks()
{
    QFETCH(QString, pattern);
    QFETCH(QStringList, expected);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    makeFiles(dir,
              {"a.txt", "ab.txt", "b.TXT", "c.jpg", "D.GIF", "e.jpeg", "noext", "README", "gif",
               ".hidden.txt", ".profile"});
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder.txt")));
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("sub")));
    touch(dir.filePath(QStringLiteral("sub/inner.txt")));
#ifdef Q_OS_WIN
    // Windows hides by a file's marks, not by a leading dot (which only Wine
    // takes for the hidden mark): marked files are left out.
    const QList<std::pair<QString, DWORD>> marked
        = {{".hidden.txt", FILE_ATTRIBUTE_HIDDEN},
           {".profile", FILE_ATTRIBUTE_HIDDEN},
           {"marked hidden.txt", FILE_ATTRIBUTE_HIDDEN},
           {"marked system.txt", FILE_ATTRIBUTE_SYSTEM},
           {"marked both", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM}};
    for (const auto &[name, marks] : marked) {
        touch(dir.filePath(name));
        const QString path = QDir::toNativeSeparators(dir.filePath(name));
        QVERIFY(SetFileAttributesW(reinterpret_cast<LPCWSTR>(path.utf16()), marks));
    }
#endif

    QCOMPARE(ReadFolder(dir.path(), pattern).toStringList(), expected);

    FileList list;
    list.setPath(dir.path());
    list.setPattern(pattern);
    QCOMPARE(list.names(), expected);
    QCOMPARE(list.listCount(), expected.size());
    for (int i = 0; i < list.listCount(); ++i) {
        QCOMPARE(list.list(i), expected.at(i));
        QVERIFY(QFileInfo(FullPath(list.path(), list.list(i))).isFile());
    }
}

void TestFileList::order_data()
{
    QTest::addColumn<QStringList>("created");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("order/case/first-letter")
        << QStringList{"b.txt", "A.txt", "c.TXT"} << QStringList{"A.txt", "b.txt", "c.TXT"};
    QTest::newRow("order/case/second-letter")
        << QStringList{"ab.txt", "Ac.txt", "AA.txt"} << QStringList{"AA.txt", "ab.txt", "Ac.txt"};
    QTest::newRow("order/length/shorter-first")
        << QStringList{"abc", "AB", "a"} << QStringList{"a", "AB", "abc"};
#ifndef Q_OS_WIN // names that differ in case alone are one name there
    QTest::newRow("order/case/same-but-case-capital-first")
        << QStringList{"b.txt", "a.TXT", "B.txt", "A.txt"} << QStringList{"A.txt", "a.TXT", "B.txt", "b.txt"};
#endif
    QTest::newRow("order/case/only-capitals-fold")
        << QStringList{"Zed", "[x", "_y", "@z"} << QStringList{"@z", "[x", "_y", "Zed"};
    QTest::newRow("order/case/accented-capitals-fold")
        << QStringList{"\u00DCber", "uber", "Zebra", "\u00E9mile", "AB\u00C9", "abd"}
        << QStringList{"abd", "AB\u00C9", "uber", "Zebra", "\u00E9mile", "\u00DCber"};
    QTest::newRow("order/extension/name-decides")
        << QStringList{"b.aaa", "a.zzz", "B.ccc"} << QStringList{"a.zzz", "b.aaa", "B.ccc"};
}

void TestFileList::order()
{
    QFETCH(QStringList, created);
    QFETCH(QStringList, expected);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    makeFiles(dir, created);
    FileList list;
    list.setPath(dir.path());
    QCOMPARE(list.names(), expected);
}

void TestFileList::noSelectionAfterReread_data()
{
    QTest::addColumn<QString>("reread");

    QTest::newRow("reread/path/same-folder") << "setPath";
    QTest::newRow("reread/pattern/same-files") << "setPattern";
    QTest::newRow("reread/refresh") << "refresh";
}

void TestFileList::noSelectionAfterReread()
{
    QFETCH(QString, reread);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    makeFiles(dir, {"a.txt", "b.txt", "c.txt", "d.txt"});
    FileList list;
    list.setPath(dir.path());
    QCOMPARE(list.listCount(), 4);
    list.setSelected(0, true);
    list.setSelected(2, true);
    list.setSelected(3, true);
    QCOMPARE(list.selectedCount(), 3);

    if (reread == QLatin1String("setPath"))
        list.setPath(dir.path());
    else if (reread == QLatin1String("setPattern"))
        list.setPattern(QStringLiteral("*.txt"));
    else
        list.refresh();

    QCOMPARE(list.listCount(), 4);
    QCOMPARE(list.selectedCount(), 0);
    QCOMPARE(list.selectedRows().toList(), QList<int>());
    QCOMPARE(allRows(list), QList<int>());
}

void TestFileList::selectionRanges_data()
{
    // Each step: {1 select or 0 deselect, first row, last row}, on ten entries.
    QTest::addColumn<QList<QList<int>>>("steps");
    QTest::addColumn<QList<int>>("expected");

    QTest::newRow("select/none") << QList<QList<int>>{} << QList<int>{};
    QTest::newRow("select/one/last") << QList<QList<int>>{{1, 9, 9}} << QList<int>{9};
    QTest::newRow("select/ranges/apart")
        << QList<QList<int>>{{1, 0, 1}, {1, 4, 4}, {1, 6, 8}} << QList<int>{0, 1, 4, 6, 7, 8};
    QTest::newRow("select/ranges/overlapping")
        << QList<QList<int>>{{1, 2, 5}, {1, 4, 7}} << QList<int>{2, 3, 4, 5, 6, 7};
    QTest::newRow("select/ranges/touching")
        << QList<QList<int>>{{1, 3, 4}, {1, 5, 6}} << QList<int>{3, 4, 5, 6};
    QTest::newRow("select/ranges/later-first")
        << QList<QList<int>>{{1, 7, 9}, {1, 0, 2}} << QList<int>{0, 1, 2, 7, 8, 9};
    QTest::newRow("select/ranges/inside-another")
        << QList<QList<int>>{{1, 1, 8}, {1, 3, 4}} << QList<int>{1, 2, 3, 4, 5, 6, 7, 8};
    QTest::newRow("deselect/ranges/hole")
        << QList<QList<int>>{{1, 0, 9}, {0, 3, 5}} << QList<int>{0, 1, 2, 6, 7, 8, 9};
    QTest::newRow("deselect/ranges/ends")
        << QList<QList<int>>{{1, 0, 9}, {0, 0, 0}, {0, 9, 9}} << QList<int>{1, 2, 3, 4, 5, 6, 7, 8};
    QTest::newRow("select/all") << QList<QList<int>>{{1, 0, 9}} << QList<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
}

void TestFileList::selectionRanges()
{
    QFETCH(QList<QList<int>>, steps);
    QFETCH(QList<int>, expected);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    makeFiles(dir, numberedNames(10));
    FileList list;
    list.setPath(dir.path());
    QCOMPARE(list.listCount(), 10);

    QItemSelectionModel *selection = list.selectionModel();
    for (const QList<int> &step : steps) {
        const QItemSelection range(list.model()->index(step[1], 0), list.model()->index(step[2], 0));
        selection->select(range, step[0] ? QItemSelectionModel::Select : QItemSelectionModel::Deselect);
    }

    QCOMPARE(list.selectedRows().toList(), expected);
    QCOMPARE(list.selectedCount(), expected.size());
    QCOMPARE(allRows(list), expected);
}

void TestFileList::selectingFromCodeTouchesOneEntry()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    makeFiles(dir, numberedNames(5));
    FileList list;
    list.setPath(dir.path());
    QSignalSpy released(&list, &FileList::mouseReleased);

    list.setAllSelected(true);
    QCOMPARE(list.selectedCount(), 5);
    list.setSelected(3, false);
    QCOMPARE(list.selectedRows().toList(), QList<int>({0, 1, 2, 4}));
    list.setSelected(3, true);
    list.setSelected(0, false);
    QCOMPARE(list.selectedRows().toList(), QList<int>({1, 2, 3, 4}));
    list.setAllSelected(false);
    QCOMPARE(list.selectedCount(), 0);
    QCOMPARE(released.count(), 0);
}

void TestFileList::mouseSelection()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    makeFiles(dir, numberedNames(8)); // f0.txt ... f7.txt
    FileList list;
    list.resize(200, 300);
    list.setPath(dir.path());
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    QSignalSpy released(&list, &FileList::mouseReleased);

    struct Step {
        int row;
        Qt::KeyboardModifiers modifiers;
        QList<int> selected;
    };
    const Step steps[] = {
        {1, Qt::NoModifier, {1}},
        {4, Qt::ShiftModifier, {1, 2, 3, 4}}, // a range from the last click
        {6, Qt::ControlModifier, {1, 2, 3, 4, 6}}, // one more, the others kept
        {2, Qt::ControlModifier, {1, 3, 4, 6}}, // one less
        {0, Qt::NoModifier, {0}}, // a plain click starts afresh
    };
    int clicks = 0;
    for (const Step &step : steps) {
        const QRect rect = list.visualRect(list.model()->index(step.row, 0));
        QVERIFY(list.viewport()->rect().contains(rect));
        QTest::mouseClick(list.viewport(), Qt::LeftButton, step.modifiers, rect.center());
        ++clicks;
        QCOMPARE(list.selectedRows().toList(), step.selected);
        QCOMPARE(list.selectedCount(), step.selected.size());
        QCOMPARE(released.count(), clicks);
    }
}

void TestFileList::mouseRelease_data()
{
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<QList<int>>("afterDrag"); // from entry 1 to entry 2, with entry 0 selected
    QTest::addColumn<QList<int>>("afterClickBelow");

    const QList<int> first{0};
    QTest::newRow("release/button/left") << Qt::LeftButton << QList<int>{1, 2} << QList<int>{};
    QTest::newRow("release/button/right-keeps-selection") << Qt::RightButton << first << first;
    QTest::newRow("release/button/middle-keeps-selection") << Qt::MiddleButton << first << first;
}

void TestFileList::mouseRelease()
{
    QFETCH(Qt::MouseButton, button);
    QFETCH(QList<int>, afterDrag);
    QFETCH(QList<int>, afterClickBelow);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    makeFiles(dir, numberedNames(3));
    FileList list;
    list.resize(200, 200);
    list.setPath(dir.path());
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    list.setSelected(0, true);
    QSignalSpy released(&list, &FileList::mouseReleased);

    const QPoint onEntry = list.visualRect(list.model()->index(1, 0)).center();
    const QPoint onNextEntry = list.visualRect(list.model()->index(2, 0)).center();
    QTest::mousePress(list.viewport(), button, Qt::NoModifier, onEntry);
    QCOMPARE(released.count(), 0);
    QTest::mouseMove(list.viewport(), onNextEntry);
    QTest::mouseRelease(list.viewport(), button, Qt::NoModifier, onNextEntry);
    QCOMPARE(released.count(), 1);
    QCOMPARE(list.selectedRows().toList(), afterDrag);

    // Below the last entry is still over the list.
    const QPoint belowEntries(10, list.viewport()->height() - 5);
    QTest::mouseClick(list.viewport(), button, Qt::NoModifier, belowEntries);
    QCOMPARE(released.count(), 2);
    QCOMPARE(list.selectedRows().toList(), afterClickBelow);
    QTest::mouseDClick(list.viewport(), button, Qt::NoModifier, onEntry);
    QCOMPARE(list.selectedRows().toList(), button == Qt::LeftButton ? QList<int>{1} : afterClickBelow);
}

void TestFileList::fullPath_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("expected");

    QTest::newRow("fullpath/root/slash") << "/"
                                         << "/a.txt";
#ifdef Q_OS_WIN
    QTest::newRow("fullpath/folder/no-trailing-separator") << "C:\\x"
                                                           << "C:\\x\\a.txt";
#else
    QTest::newRow("fullpath/folder/no-trailing-separator") << "/tmp/x"
                                                           << "/tmp/x/a.txt";
#endif
    QTest::newRow("fullpath/drive-root/backslash") << "C:\\"
                                                   << "C:\\a.txt";
    QTest::newRow("fullpath/drive-root/slash") << "D:/"
                                               << "D:/a.txt";
}

void TestFileList::fullPath()
{
    QFETCH(QString, folder);
    QFETCH(QString, expected);

    QCOMPARE(FullPath(folder, QStringLiteral("a.txt")), expected);
}

// A name that is not valid UTF-8 cannot be carried back to the same file, so
// the list must not offer it for renaming or deletion.
void TestFileList::undecodableNameLeftAlone()
{
#ifndef Q_OS_LINUX
    QSKIP("Names on Windows are UTF-16 text; no name fails to decode.");
#else
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    makeFiles(dir, {"good.txt", "other.txt"});
    const QByteArray rawPath = QFile::encodeName(dir.path()) + QByteArray("/bad\xff\xfe.txt");
    // The temporary folder cannot name this file either, so it goes by its bytes.
    struct Unlink {
        const QByteArray &path;
        ~Unlink() { ::unlink(path.constData()); }
    } unlinkAtEnd{rawPath};
    const int fd = ::open(rawPath.constData(), O_CREAT | O_WRONLY | O_EXCL, 0644);
    QVERIFY2(fd >= 0, rawPath.constData());
    QCOMPARE(::write(fd, "keep", 4), ssize_t(4));
    ::close(fd);

    QCOMPARE(ReadFolder(dir.path(), QStringLiteral("*.*")).toStringList(),
             QStringList({"good.txt", "other.txt"}));
    FileList list;
    list.setPath(dir.path());
    QCOMPARE(list.names(), QStringList({"good.txt", "other.txt"}));
    list.setAllSelected(true);
    QCOMPARE(list.selectedCount(), 2);

    struct stat info;
    QCOMPARE(::stat(rawPath.constData(), &info), 0);
    QCOMPARE(qint64(info.st_size), qint64(4));
#endif
}

void TestFileList::modelAcrossRereads()
{
    QTemporaryDir dir;
    QTemporaryDir empty;
    QVERIFY(dir.isValid());
    QVERIFY(empty.isValid());
    makeFiles(dir, {"a.txt", "b.jpg", "c.txt"});

    FileList list;
    QAbstractItemModelTester tester(list.model(), QAbstractItemModelTester::FailureReportingMode::QtTest);

    list.setPath(dir.path());
    QCOMPARE(list.model()->rowCount(), 3);
    list.setSelected(1, true);

    touch(dir.filePath(QStringLiteral("a2.txt")));
    QVERIFY(QFile::remove(dir.filePath(QStringLiteral("c.txt"))));
    list.refresh();
    QCOMPARE(list.names(), QStringList({"a.txt", "a2.txt", "b.jpg"}));
    QCOMPARE(list.model()->index(1, 0).data().toString(), QStringLiteral("a2.txt"));

    list.setPattern(QStringLiteral("*.jpg"));
    QCOMPARE(list.names(), QStringList({"b.jpg"}));

    list.setPath(empty.path());
    QCOMPARE(list.model()->rowCount(), 0);
    QCOMPARE(list.selectedCount(), 0);
}

void TestFileList::largeFolder()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
#ifdef Q_OS_WIN
    const int count = 5000; // Wine looks through the whole folder for each new name
#else
    const int count = 20000;
#endif
    const QByteArray folder = QFile::encodeName(dir.path());
    // Every second name in capitals, so the order must ignore case.
    for (int i = 0; i < count; ++i) {
        const QByteArray path = folder + QByteArray(i % 2 ? "/f" : "/F")
            + QByteArray::number(i).rightJustified(5, '0') + ".txt";
#ifdef Q_OS_LINUX
        const int fd = ::open(path.constData(), O_CREAT | O_WRONLY, 0644);
        QVERIFY2(fd >= 0, path.constData());
        ::close(fd);
#else
        touch(QFile::decodeName(path));
#endif
    }

    FileList list;
    list.setPath(dir.path());
    QCOMPARE(list.listCount(), count);
    QCOMPARE(list.list(0), QStringLiteral("F00000.txt"));
    QCOMPARE(list.list(1), QStringLiteral("f00001.txt"));
    QCOMPARE(list.list(count - 1), QStringLiteral("f%1.txt").arg(count - 1, 5, 10, QLatin1Char('0')));
    list.setAllSelected(true);
    QCOMPARE(list.selectedCount(), count);
}

QTEST_MAIN(TestFileList)
#include "tst_filelist.moc"
