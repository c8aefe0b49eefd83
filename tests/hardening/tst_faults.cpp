// Faults from outside the program, on real files: names the file system
// refuses, a folder or file that another program removes, renames or takes
// while the window shows it, and a trash that cannot be written. Whatever
// happens, no file is lost or overwritten, and a failure is never reported
// as success.
#include "support/foldersnapshot.h"
#include "window/previewlist.h"
#ifdef Q_OS_WIN
#include "support/recyclebin.h"
#endif

#include <QPushButton>

namespace {

const QString Question = QStringLiteral("The File names will be permanently renamed.\rAre you sure ?");
const QString StopsAt = QStringLiteral("\rThe run will stop at ");
const QString Failure = QStringLiteral("File already exists !");
const QString Arrow = QStringLiteral("\t --> ");

QString DeleteQuestion(int count)
{
    return QStringLiteral("Are you sure you want to send %1 file(s) to the Recycle Bin ?").arg(count);
}

// A session whose trash lies in its own folder, next to the files.
struct Session : WindowSession {
    QString share;

    explicit Session(const QStringList &names)
        : WindowSession(names, QStringLiteral("photos"), true, QDir::tempPath(), true),
          share(root.filePath(QStringLiteral("share")))
    {
    }
};

enum class Action { Rebuild, Rename, Delete, SelectAll, Filter };

} // namespace

Q_DECLARE_METATYPE(Action)

class TestFaults : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void nameTooLong_data();
    void nameTooLong();
    void nulNeverReachesFileSystem_data();
    void nulNeverReachesFileSystem();
    void openFolderGone_data();
    void openFolderGone();
    void fileGoneBeforeRename_data();
    void fileGoneBeforeRename();
    void fileGoneBeforeDelete_data();
    void fileGoneBeforeDelete();
    void fileHeldByAnotherProgram();
    void targetTakenDuringRun_data();
    void targetTakenDuringRun();
#ifndef Q_OS_WIN // the freedesktop trash's folders; the Recycle Bin is the system's
    void trashNotWritable_data();
    void trashNotWritable();
#endif
    void deleteLongName_data();
    void deleteLongName();

private:
    QTemporaryDir m_home;
};

void TestFaults::initTestCase()
{
    QVERIFY(m_home.isValid());
    qputenv("HOME", m_home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", m_home.filePath(QStringLiteral("config")).toLocal8Bit());
    // The window opens at the current folder first, and a trash that falls
    // back to the current directory would show here.
    QVERIFY(QDir::setCurrent(m_home.path()));
}

void TestFaults::cleanup()
{
    QVERIFY(!QFileInfo::exists(m_home.filePath(QStringLiteral("files"))));
    QVERIFY(!QFileInfo::exists(m_home.filePath(QStringLiteral("info"))));
}

// A name longer than the file system's 255 bytes is refused by the rename:
// the run stops at that file, the files before it keep their new names.
void TestFaults::nameTooLong_data()
{
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<Moves>("moves");
    QTest::addColumn<QString>("stopsAt");

    const QString x250(250, QLatin1Char('x'));
    QTest::newRow("fault/name-too-long/first-file-300-characters")
        << QString(300, QLatin1Char('x')) << Moves{} << "a.txt";
    QTest::newRow("fault/name-too-long/second-file-one-byte-over")
        << x250 << Moves{{"a.txt", x250 + "a.txt"}} << "bb.txt";
#ifndef Q_OS_WIN
    // Under 255 characters, over 255 bytes: Windows counts characters, and
    // under Wine the Linux volume below counts bytes.
    const QString e125(125, QChar(0x00e9)); // two bytes each in UTF-8
    QTest::newRow("fault/name-too-long/second-file-multibyte-under-255-characters")
        << e125 << Moves{{"a.txt", e125 + "a.txt"}} << "bb.txt";
#endif
}

void TestFaults::nameTooLong()
{
    QFETCH(QString, prefix);
    QFETCH(Moves, moves);
    QFETCH(QString, stopsAt);

    // a.txt gets a name of 255 bytes with a 250-byte prefix; bb.txt one more.
    Session s({QStringLiteral("a.txt"), QStringLiteral("bb.txt"), QStringLiteral("c.txt")});
    QVERIFY(QTest::qWaitForWindowActive(s.w.get()));
    s.apply(MakeRules(1, prefix, false, QStringLiteral("1")));
    QVERIFY(s.select({QStringLiteral("a.txt"), QStringLiteral("bb.txt"), QStringLiteral("c.txt")}));
    QCOMPARE(s.w->List1->lines().value(1), "bb.txt" + Arrow + prefix + "bb.txt");

    QTest::mouseClick(s.w->Rename, Qt::LeftButton);

    QCOMPARE(Snapshot(s.folder), Moved(s.before, moves));
    const QString stop = StopsAt + stopsAt + QLatin1String(": the new name is too long for this drive.");
    QCOMPARE(s.shownTexts(), (QStringList{Question + stop, Failure}));
    QCOMPARE(s.w->CounterStart->text(), QStringLiteral("1"));
    QCOMPARE(s.w->File1->names(), ListedNames(Snapshot(s.folder)));
}

// A NUL character ends a path for the system's calls: a name holding one
// would rename the file to the part before it, a name the preview never
// showed. Such a name is refused like any name the file system cannot hold.
void TestFaults::nulNeverReachesFileSystem_data()
{
    QTest::addColumn<Rules>("rules");
    QTest::addColumn<QString>("box"); // the box the NUL is pasted into
    QTest::addColumn<QString>("pasted");

    const QString nul(1, QChar(0));
    QTest::newRow("fault/nul/in-prefix") << MakeRules(1, QString(), false, "1") << "Prefixtext"
                                         << "x" + nul + "y";
    QTest::newRow("fault/nul/prefix-ends-with-it") << MakeRules(1, QString(), false, "1") << "Prefixtext"
                                                   << "x" + nul;
    QTest::newRow("fault/nul/in-replacement") << MakeRules(1, QString(), false, "1") << "ReplaceText" << nul;
    QTest::newRow("fault/nul/in-counter-pattern") << MakeRules(0, "n", true, "1") << "CounterFormatCombo"
                                                  << "0" + nul;
}

void TestFaults::nulNeverReachesFileSystem()
{
    QFETCH(Rules, rules);
    QFETCH(QString, box);
    QFETCH(QString, pasted);

    Session s({QStringLiteral("photo-a.txt"), QStringLiteral("photo-b.txt")});
    QVERIFY(QTest::qWaitForWindowActive(s.w.get()));
    s.apply(rules);
    s.w->RemoveText->setText(QStringLiteral("-"));
    QVERIFY(s.select({QStringLiteral("photo-a.txt"), QStringLiteral("photo-b.txt")}));
    QLineEdit *target = box == QLatin1String("CounterFormatCombo") ? s.w->CounterFormatCombo->lineEdit()
                                                                   : s.w->findChild<QLineEdit *>(box);
    QVERIFY(target);
    target->clear();
    Paste(target, pasted);
    QCOMPARE(target->text(), pasted);

    QTest::mouseClick(s.w->Rename, Qt::LeftButton);

    QCOMPARE(Snapshot(s.folder), s.before);
    const QString stop = StopsAt + "photo-a.txt: this drive cannot hold a name with a control character.";
    QCOMPARE(s.shownTexts(), (QStringList{Question + stop, Failure}));
    QCOMPARE(s.w->CounterStart->text(), QStringLiteral("1"));
}

// The open folder is removed, or replaced by a plain file, while the window
// still lists its files. Every action either finds nothing or fails with its
// message; nothing anywhere changes.
void TestFaults::openFolderGone_data()
{
    QTest::addColumn<bool>("replacedByFile");
    QTest::addColumn<Action>("action");
    QTest::addColumn<QStringList>("messages"); // the start of each message
    QTest::addColumn<QStringList>("lines");

    const QStringList selectedLines = {"a.txt" + Arrow + "pa.txt", "c.txt" + Arrow + "pc.txt"};
    const QStringList allLines
        = {"a.txt" + Arrow + "pa.txt", "b.txt" + Arrow + "pb.txt", "c.txt" + Arrow + "pc.txt"};
    const QString notSent = QStringLiteral("This file could not be sent to the Recycle Bin");
    for (bool replaced : {false, true}) {
        const QByteArray how = replaced ? "replaced-by-file" : "removed";
        QTest::addRow("fault/open-folder-%s/preview-rebuild", how.constData())
            << replaced << Action::Rebuild << QStringList{} << selectedLines;
        QTest::addRow("fault/open-folder-%s/rename", how.constData())
            << replaced << Action::Rename << QStringList{Question, Failure} << QStringList{};
        QTest::addRow("fault/open-folder-%s/delete", how.constData())
            << replaced << Action::Delete << QStringList{DeleteQuestion(2), notSent, notSent}
            << QStringList{};
        QTest::addRow("fault/open-folder-%s/select-all", how.constData())
            << replaced << Action::SelectAll << QStringList{} << allLines;
        QTest::addRow("fault/open-folder-%s/filter-typing", how.constData())
            << replaced << Action::Filter << QStringList{} << QStringList{};
    }
}

void TestFaults::openFolderGone()
{
    QFETCH(bool, replacedByFile);
    QFETCH(Action, action);
    QFETCH(QStringList, messages);

    Session s({QStringLiteral("a.txt"), QStringLiteral("b.txt"), QStringLiteral("c.txt")});
    QVERIFY(QTest::qWaitForWindowActive(s.w.get()));
    s.apply(MakeRules(1, QStringLiteral("p"), false, QStringLiteral("1")));
    QVERIFY(s.select({QStringLiteral("a.txt"), QStringLiteral("c.txt")}));
    QVERIFY(ChangedByAnotherProgram([&] { return QDir(s.folder).removeRecursively(); }));
    if (replacedByFile)
        QVERIFY(WriteFile(s.folder, "a plain file where the folder was\n"));
    const FolderFiles everything = Snapshot(s.root.path());

    switch (action) {
    case Action::Rebuild:
        QTest::keyClicks(s.w->RemoveText, QStringLiteral("z"));
        break;
    case Action::Rename:
        QTest::mouseClick(s.w->Rename, Qt::LeftButton);
        break;
    case Action::Delete:
        QTest::mouseClick(s.w->Delete, Qt::LeftButton);
        break;
    case Action::SelectAll:
        QTest::mouseClick(s.w->SelectAll, Qt::LeftButton);
        break;
    case Action::Filter:
        QTest::keyClicks(s.w->FileTypeText1, QStringLiteral("txt"));
        QCOMPARE(s.w->File1->listCount(), 0);
        break;
    }

    QCOMPARE(Snapshot(s.root.path()), everything);
    QVERIFY(!QFileInfo::exists(s.share));
    const QStringList shown = s.shownTexts();
    QCOMPARE(shown.size(), messages.size());
    for (int i = 0; i < shown.size(); ++i)
        QVERIFY2(shown.at(i).startsWith(messages.at(i)), qPrintable(shown.at(i)));
    if (action == Action::Delete) {
        QVERIFY(shown.at(1).contains(QDir::toNativeSeparators(s.path(QStringLiteral("a.txt")))));
        QVERIFY(shown.at(2).contains(QDir::toNativeSeparators(s.path(QStringLiteral("c.txt")))));
    }
    QTEST(s.w->List1->lines(), "lines");
    QCOMPARE(s.services->pointer->current(), int(Pointer::Arrow));
    QCOMPARE(s.w->CounterStart->text(), QStringLiteral("1"));
}

// Another program deletes or renames the second of three selected files
// after the selection: the first keeps its new name, the run stops with its
// message at the second, and the third is left alone.
void TestFaults::fileGoneBeforeRename_data()
{
    QTest::addColumn<QString>("movedTo"); // empty: deleted

    QTest::newRow("fault/file-gone-before-rename/deleted") << QString();
    QTest::newRow("fault/file-gone-before-rename/renamed-away") << QStringLiteral("b-moved.txt");
}

void TestFaults::fileGoneBeforeRename()
{
    QFETCH(QString, movedTo);

    Session s({QStringLiteral("a.txt"), QStringLiteral("b.txt"), QStringLiteral("c.txt")});
    QVERIFY(QTest::qWaitForWindowActive(s.w.get()));
    s.apply(MakeRules(1, QStringLiteral("x"), true, QStringLiteral("1")));
    QVERIFY(s.select({QStringLiteral("a.txt"), QStringLiteral("b.txt"), QStringLiteral("c.txt")}));
    if (movedTo.isEmpty())
        QVERIFY(QFile::remove(s.path(QStringLiteral("b.txt"))));
    else
        QVERIFY(QFile::rename(s.path(QStringLiteral("b.txt")), s.path(movedTo)));
    const FolderFiles before = Snapshot(s.folder);

    QTest::mouseClick(s.w->Rename, Qt::LeftButton);

    QCOMPARE(Snapshot(s.folder), Moved(before, {{QStringLiteral("a.txt"), QStringLiteral("xa1.txt")}}));
    QCOMPARE(s.shownTexts(),
             (QStringList{Question + StopsAt + "b.txt: b.txt is no longer in the folder.", Failure}));
    QCOMPARE(s.w->CounterStart->text(), QStringLiteral("1"));
    QCOMPARE(s.w->File1->names(), ListedNames(Snapshot(s.folder)));
}

// The same for the deletion: the other two reach the trash, the missing one
// is named in a message of its own, and a file renamed away stays under its
// new name.
void TestFaults::fileGoneBeforeDelete_data()
{
    fileGoneBeforeRename_data();
}

void TestFaults::fileGoneBeforeDelete()
{
    QFETCH(QString, movedTo);

    Session s({QStringLiteral("a.txt"), QStringLiteral("b.txt"), QStringLiteral("c.txt")});
    QVERIFY(QTest::qWaitForWindowActive(s.w.get()));
    QVERIFY(s.select({QStringLiteral("a.txt"), QStringLiteral("b.txt"), QStringLiteral("c.txt")}));
    if (movedTo.isEmpty())
        QVERIFY(QFile::remove(s.path(QStringLiteral("b.txt"))));
    else
        QVERIFY(QFile::rename(s.path(QStringLiteral("b.txt")), s.path(movedTo)));
    FolderFiles left = Snapshot(s.folder);

    QTest::mouseClick(s.w->Delete, Qt::LeftButton);

    FolderFiles trashed;
    trashed.insert(QStringLiteral("a.txt"), left.take(QStringLiteral("a.txt")));
    trashed.insert(QStringLiteral("c.txt"), left.take(QStringLiteral("c.txt")));
    QCOMPARE(Snapshot(s.folder), left);
#ifdef Q_OS_WIN
    // The Recycle Bin holds both and gives them back.
    QCOMPARE(RecycledFrom(s.folder),
             (QStringList{s.path(QStringLiteral("a.txt")), s.path(QStringLiteral("c.txt"))}));
#else
    QCOMPARE(Snapshot(s.share + QLatin1String("/Trash/files")), trashed);
#endif
    const QStringList shown = s.shownTexts();
    QCOMPARE(shown.size(), 2);
    QCOMPARE(shown.at(0), DeleteQuestion(3));
    // The file is no longer there, and the message does not say it stays.
    QCOMPARE(shown.at(1),
             "This file could not be sent to the Recycle Bin:\r"
                 + QDir::toNativeSeparators(s.path(QStringLiteral("b.txt"))) + "\rThe file does not exist.");
    QCOMPARE(s.box->shown.at(1).flags, 0);
    QCOMPARE(s.w->File1->names(), ListedNames(Snapshot(s.folder)));
#ifdef Q_OS_WIN
    for (auto it = trashed.cbegin(); it != trashed.cend(); ++it)
        QVERIFY(RestoreFromRecycleBin(s.path(it.key())));
    left.insert(trashed);
    QCOMPARE(Snapshot(s.folder), left);
#endif
}

// Another program (a virus scanner, a sync client) holds the second file
// open and lets nobody rename it: the move is tried again for about a
// second, then the run stops there with its message. The first file keeps
// its new name, the others stay as they were.
void TestFaults::fileHeldByAnotherProgram()
{
#ifndef Q_OS_WIN
    QSKIP("Linux renames a file that another program holds open.");
#else
    Session s({QStringLiteral("a.txt"), QStringLiteral("b.txt"), QStringLiteral("c.txt")});
    QVERIFY(QTest::qWaitForWindowActive(s.w.get()));
    s.apply(MakeRules(1, QStringLiteral("x"), false, QStringLiteral("1")));
    QVERIFY(s.select({QStringLiteral("a.txt"), QStringLiteral("b.txt"), QStringLiteral("c.txt")}));
    const QString held = QDir::toNativeSeparators(s.path(QStringLiteral("b.txt")));
    const HANDLE file = CreateFileW(reinterpret_cast<LPCWSTR>(held.utf16()), GENERIC_READ, FILE_SHARE_READ,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
    QVERIFY(file != INVALID_HANDLE_VALUE);

    QTest::mouseClick(s.w->Rename, Qt::LeftButton);
    CloseHandle(file);

    QCOMPARE(Snapshot(s.folder), Moved(s.before, {{QStringLiteral("a.txt"), QStringLiteral("xa.txt")}}));
    QCOMPARE(s.shownTexts(), (QStringList{Question, Failure}));
    QCOMPARE(s.w->CounterStart->text(), QStringLiteral("1"));
#endif
}

// Another program takes the second file's new name after the preview, with
// a file, a folder or a link: whatever it made stays as it is.
void TestFaults::targetTakenDuringRun_data()
{
    QTest::addColumn<QString>("kind");

    QTest::newRow("fault/target-taken/by-file") << QStringLiteral("file");
    QTest::newRow("fault/target-taken/by-empty-folder") << QStringLiteral("folder");
    QTest::newRow("fault/target-taken/by-dangling-link") << QStringLiteral("dangling-link");
    QTest::newRow("fault/target-taken/by-link-to-selected-file") << QStringLiteral("link");
}

void TestFaults::targetTakenDuringRun()
{
    QFETCH(QString, kind);
#ifdef Q_OS_WIN
    if (kind.contains(QLatin1String("link")))
        QSKIP("A link made by a program on Windows is a shortcut file (.lnk), which the file rows cover.");
#endif

    Session s({QStringLiteral("a.txt"), QStringLiteral("b.txt"), QStringLiteral("c.txt")});
    QVERIFY(QTest::qWaitForWindowActive(s.w.get()));
    s.apply(MakeRules(1, QStringLiteral("x"), false, QStringLiteral("1")));
    QVERIFY(s.select({QStringLiteral("a.txt"), QStringLiteral("b.txt"), QStringLiteral("c.txt")}));
    QCOMPARE(s.w->List1->lines().value(1), "b.txt" + Arrow + "xb.txt");
    const QString taken = s.path(QStringLiteral("xb.txt"));
    const QString linkTarget = kind == QLatin1String("link") ? s.path(QStringLiteral("c.txt"))
                                                             : s.path(QStringLiteral("nothing-here.txt"));
    if (kind == QLatin1String("file"))
        QVERIFY(WriteFile(taken, "written by another program\n"));
    else if (kind == QLatin1String("folder"))
        QVERIFY(QDir().mkdir(taken));
    else
        QVERIFY(QFile::link(linkTarget, taken));
    const FolderFiles before = Snapshot(s.folder);

    QTest::mouseClick(s.w->Rename, Qt::LeftButton);

    QCOMPARE(Snapshot(s.folder), Moved(before, {{QStringLiteral("a.txt"), QStringLiteral("xa.txt")}}));
    QCOMPARE(s.shownTexts(),
             (QStringList{Question + StopsAt + "b.txt: xb.txt is already in the folder.", Failure}));
    const QFileInfo info(taken);
    if (kind == QLatin1String("folder")) {
        QVERIFY(info.isDir() && !info.isSymLink());
    } else if (kind != QLatin1String("file")) {
        QVERIFY(info.isSymLink());
        QCOMPARE(info.symLinkTarget(), linkTarget);
    }
    QCOMPARE(s.w->CounterStart->text(), QStringLiteral("1"));
}

#ifndef Q_OS_WIN
// A trash that cannot be written: the file stays where it was, the user is
// told in one message that names it, and no stray record is left behind.
void TestFaults::trashNotWritable_data()
{
    QTest::addColumn<QStringList>("folders"); // below the trash, made first
    QTest::addColumn<QString>("readOnly"); // below the trash

    QTest::newRow("fault/trash-not-writable/files-folder")
        << QStringList{"files", "info"} << QStringLiteral("files");
    QTest::newRow("fault/trash-not-writable/info-folder")
        << QStringList{"files", "info"} << QStringLiteral("info");
    QTest::newRow("fault/trash-not-writable/empty-trash-folder") << QStringList{} << QString();
}

void TestFaults::trashNotWritable()
{
    QFETCH(QStringList, folders);
    QFETCH(QString, readOnly);

    Session s({QStringLiteral("a.txt"), QStringLiteral("b.txt"), QStringLiteral("c.txt")});
    QVERIFY(QTest::qWaitForWindowActive(s.w.get()));
    const QString trash = s.share + QLatin1String("/Trash");
    QVERIFY(QDir().mkpath(trash));
    for (const QString &folder : std::as_const(folders))
        QVERIFY(QDir(trash).mkdir(folder));
    QVERIFY(s.select({QStringLiteral("b.txt")}));
    {
        ReadOnlyFolder locked(readOnly.isEmpty() ? trash : trash + QLatin1Char('/') + readOnly);
        if (!locked.ok())
            QSKIP(locked.lacking());

        QTest::mouseClick(s.w->Delete, Qt::LeftButton);
    }

    QCOMPARE(Snapshot(s.folder), s.before);
    QVERIFY(Snapshot(trash).isEmpty());
    const QStringList shown = s.shownTexts();
    QCOMPARE(shown.size(), 2);
    QCOMPARE(shown.at(0), DeleteQuestion(1));
    QVERIFY2(shown.at(1).contains(s.path(QStringLiteral("b.txt"))), qPrintable(shown.at(1)));
    QCOMPARE(s.box->shown.at(1).flags, 0);
    QCOMPARE(s.box->shown.at(1).title, QStringLiteral("Quorlane"));
    QCOMPARE(s.w->File1->names(), ListedNames(Snapshot(s.folder)));
    QCOMPARE(s.services->pointer->current(), int(Pointer::Arrow));
}
#endif

// A name near the file system's limit leaves no room for the trash's record
// (the name and ".trashinfo"): the file still reaches the trash, under a
// shorter name, and the run does not hang.
void TestFaults::deleteLongName_data()
{
    QTest::addColumn<QString>("name");

    QTest::newRow("fault/long-name-to-trash/250-bytes")
        << QString(246, QLatin1Char('x')) + QLatin1String(".txt");
    QTest::newRow("fault/long-name-to-trash/255-bytes-multibyte")
        << QLatin1Char('a') + QString(125, QChar(0x00e9)) + QLatin1String(".txt");
}

void TestFaults::deleteLongName()
{
#ifdef Q_OS_WIN
    QSKIP("The freedesktop trash and its records: the Recycle Bin keeps its own.");
#endif
    QFETCH(QString, name);
    QVERIFY(QFile::encodeName(name).size() >= 250);

    Session s({name, QStringLiteral("other.txt")});
    QVERIFY(QTest::qWaitForWindowActive(s.w.get()));
    QVERIFY(s.select({name}));

    QTest::mouseClick(s.w->Delete, Qt::LeftButton);

    QCOMPARE(s.shownTexts(), QStringList{DeleteQuestion(1)});
    FolderFiles left = s.before;
    const QByteArray content = left.take(name);
    QCOMPARE(Snapshot(s.folder), left);
    const FolderFiles trashed = Snapshot(s.share + QLatin1String("/Trash/files"));
    QCOMPARE(trashed.size(), 1);
    QCOMPARE(trashed.first(), content);
    QVERIFY(name.startsWith(trashed.firstKey()));
}

QTEST_MAIN(TestFaults)
#include "tst_faults.moc"
