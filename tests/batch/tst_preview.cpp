// The preview list: one line per selected file, the forced counter, and the
// pointer, built by the real window over a real folder; where the run would
// stop, foretold over a real folder.
#include "batch/stopprediction.h"
#include "platform/renameservice.h"
#include "rules/numbertext.h"
#include "support/foldersnapshot.h"
#include "support/realvolume.h"
#include "window/previewlist.h"

#include <QAbstractItemModelTester>
#include <QPushButton>
#include <QSignalSpy>
#include <limits>

namespace {

struct Session : WindowSession {
    using WindowSession::WindowSession;

    bool countBoxesSwitchedOn() const
    {
        const QColor white(255, 255, 255);
        return w->CounterStart->isEnabled() && w->CounterFormatCombo->isEnabled()
            && w->CounterStart->palette().color(QPalette::Base) == white
            && w->CounterFormatCombo->palette().color(QPalette::Base) == white;
    }
};

const QString Arrow = QStringLiteral("\t --> ");

#ifdef Q_OS_WIN
// Wine looks through the whole folder for each new name, so that making
// 100,000 files there takes many minutes (22,000 took a minute here).
constexpr int LargeCount = 10000;
#else
constexpr int LargeCount = 100000;
#endif

// Where a row of the stop prediction has its folder: "" and "real" the
// temporary folder itself, "deep" one nested there close to the system's
// limit of a path, "bind-link" and "tmpfs-link" the temporary folder with a
// link "card" to such a volume, "tmpfs" and "exfat" the top of such a volume
// ("unknown-card" a card under a type no program knows, "full-exfat" a card
// filled once its files are made).
struct FolderOn {
    FolderOn(const QString &volume, const QString &temporary) : path(temporary)
    {
        const QMap<QString, RealVolume::Kind> kinds
            = {{"bind-link", RealVolume::Kind::Bind},   {"tmpfs-link", RealVolume::Kind::Tmpfs},
               {"tmpfs", RealVolume::Kind::Tmpfs},      {"exfat", RealVolume::Kind::ExFat},
               {"full-exfat", RealVolume::Kind::ExFat}, {"unknown-card", RealVolume::Kind::UnknownCard}};
        if (volume == QLatin1String("deep")) {
            while (path.size() < 4000)
                path += u'/' + QString(std::min<qsizetype>(200, 3999 - path.size()), u'd');
            ok = QDir().mkpath(path);
        } else if (kinds.contains(volume)) {
            lacking = RealVolume::missing(kinds.value(volume));
            if (!lacking.isEmpty())
                return;
            mounted = std::make_unique<RealVolume>(kinds.value(volume));
            ok = mounted->ok();
            if (volume.endsWith(QLatin1String("-link")))
                ok = ok && QFile::link(mounted->path(), path + QLatin1String("/card"));
            else
                path = mounted->path();
        }
    }

    QString path;
    QString lacking; // what this machine lacks for the volume
    bool ok = true;
    std::unique_ptr<RealVolume> mounted;
};

// Writes `path` until the volume has no free cluster left.
bool FillVolume(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    for (const qsizetype block : {1 << 20, 4096}) {
        const QByteArray zeros(block, '\0');
        while (file.write(zeros) == block) { }
    }
    return file.size() > 0;
}

// The immutable ('i') or append-only ('a') mark on an entry while the object
// lives, as chattr sets it; Linux only.
class EntryMark {
public:
    EntryMark(const QString &path, QChar mark) : m_path(QFile::encodeName(path))
    {
#ifdef Q_OS_LINUX
        m_flag = mark == u'i' ? FS_IMMUTABLE_FL : FS_APPEND_FL;
        m_ok = set(true);
#else
        Q_UNUSED(mark);
#endif
    }
    ~EntryMark()
    {
        if (m_ok)
            set(false);
    }
    EntryMark(const EntryMark &) = delete;
    EntryMark &operator=(const EntryMark &) = delete;
    bool ok() const
    {
        return m_ok;
    }

private:
    bool set(bool on) const
    {
#ifdef Q_OS_LINUX
        const int fd = ::open(m_path.constData(), O_RDONLY | O_NONBLOCK);
        int flags = 0;
        bool done = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        flags = on ? (flags | m_flag) : (flags & ~m_flag);
        done = done && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        if (fd >= 0)
            ::close(fd);
        return done;
#else
        Q_UNUSED(on);
        return false;
#endif
    }

    QByteArray m_path;
    int m_flag = 0;
    bool m_ok = false;
};

// The folder's modification time an hour back.
bool SetBack(const QString &folder)
{
#ifdef Q_OS_LINUX
    struct timespec times[2] = {{0, UTIME_OMIT}, {::time(nullptr) - 3600, 0}};
    return ::utimensat(AT_FDCWD, QFile::encodeName(folder).constData(), times, 0) == 0;
#else
    Q_UNUSED(folder);
    return false;
#endif
}

// The folder open to every user, each of whom may rename only their own
// files in it: the sticky bit.
bool MakeSticky(const QString &folder)
{
#ifdef Q_OS_LINUX
    return ::chmod(QFile::encodeName(folder).constData(), 01777) == 0;
#else
    Q_UNUSED(folder);
    return false;
#endif
}

// What `work` gives when done as the user nobody; only root may take that
// user's place.
template<typename Work> auto AsAnotherUser(const Work &work)
{
#ifdef Q_OS_LINUX
    if (::seteuid(65534) != 0)
        qFatal("the test cannot act as another user");
    auto result = work();
    if (::seteuid(0) != 0)
        qFatal("the test cannot take its own user back");
    return result;
#else
    return work();
#endif
}

} // namespace

Q_DECLARE_METATYPE(RenameRules)
Q_DECLARE_METATYPE(VolumeFacts)

class TestPreview : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void lines_data();
    void lines();
    void noneEmptiesPrefix();
    void forcedCounterAfterTwoLines();
    void forcedCounterWaitsForSecondLine();
    void untickingByHandTicksBack();
    void pointerBusyThenArrow();
    void largeSelection_data();
    void largeSelection();
    void stopPrediction_data();
    void stopPrediction();

private:
    QTemporaryDir m_home;
    QTemporaryDir m_large;
};

void TestPreview::initTestCase()
{
    QVERIFY(m_home.isValid());
    QVERIFY(IsolateUserFolders(m_home.path()));

    QVERIFY(m_large.isValid());
    const QString endings[] = {QStringLiteral(".txt"), QStringLiteral(".JPG"), QString()};
    for (int i = 0; i < LargeCount; ++i) {
        const QString name = QStringLiteral("Img_%1").arg(i, 6, 10, QLatin1Char('0')) + endings[i % 3];
        QVERIFY2(WriteFile(m_large.filePath(name), {}), qPrintable(name));
    }
}

void TestPreview::lines_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<Rules>("rules");
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<QStringList>("expected");

    const QStringList abc = {QStringLiteral("a.txt"), QStringLiteral("b.txt"), QStringLiteral("c.txt")};

    Rules numbered;
    numbered.prefix = QStringLiteral("A");
    numbered.count = true;
    numbered.pattern = QStringLiteral("00");
    QTest::newRow("lines/before-counter/three-files")
        << abc << numbered << abc
        << QStringList{"a.txt" + Arrow + "Aa01.txt", "b.txt" + Arrow + "Ab02.txt",
                       "c.txt" + Arrow + "Ac03.txt"};

    Rules fromFive;
    fromFive.count = true;
    fromFive.start = QStringLiteral("5");
    QTest::newRow("lines/unselected-between/takes-no-number")
        << abc << fromFive << QStringList{"a.txt", "c.txt"}
        << QStringList{"a.txt" + Arrow + "a5.txt", "c.txt" + Arrow + "c6.txt"};

    QTest::newRow("lines/order/without-regard-to-case")
        << QStringList{"b.txt", "C.txt", "A.txt"} << fromFive << QStringList{"C.txt", "A.txt", "b.txt"}
        << QStringList{"A.txt" + Arrow + "A5.txt", "b.txt" + Arrow + "b6.txt", "C.txt" + Arrow + "C7.txt"};

    Rules upper;
    upper.prefix = QStringLiteral("x");
    upper.caseMode = 1;
    QTest::newRow("lines/upper/left-side-unchanged")
        << QStringList{"Beach.jpg", "holiday.JPG"} << upper << QStringList{"Beach.jpg", "holiday.JPG"}
        << QStringList{"Beach.jpg" + Arrow + "XBEACH.JPG", "holiday.JPG" + Arrow + "XHOLIDAY.JPG"};

    Rules lower = upper;
    lower.caseMode = 2;
    QTest::newRow("lines/lower/left-side-unchanged")
        << QStringList{"Beach.JPG"} << lower << QStringList{"Beach.JPG"}
        << QStringList{"Beach.JPG" + Arrow + "xbeach.jpg"};

    // A prefix naming a sub-folder: the letter case changes the file's own
    // name only, as the rename run does.
    const QStringList caseNames = {"Sub/x.txt", "Sub/X.TXT", "Sub/x.txt"};
    for (int caseMode = 0; caseMode < 3; ++caseMode) {
        QTest::addRow("lines/sub-folder-prefix/case-%d", caseMode)
            << QStringList{"a.txt", "Sub/k.txt"}
            << MakeRules(0, caseMode == 2 ? "Sub/X" : "Sub/x", false, "1", caseMode) << QStringList{"a.txt"}
            << QStringList{"a.txt" + Arrow + caseNames.at(caseMode)};
    }
    QTest::newRow("lines/no-selection/selected-then-removed")
        << abc << numbered << QStringList{"a.txt", "b.txt", "a.txt", "b.txt"} << QStringList{};
    QTest::newRow("lines/no-selection/empty-folder")
        << QStringList{} << numbered << QStringList{} << QStringList{};

    Rules overTop = numbered;
    overTop.pattern = QStringLiteral("0");
    overTop.start = QStringLiteral("2147483648");
    QTest::newRow("lines/counter-range/start-above-top")
        << abc << overTop << QStringList{"a.txt", "b.txt"}
        << QStringList{"a.txt" + Arrow + "(counter out of range)",
                       "b.txt" + Arrow + "(counter out of range)"};
    Rules atTop = overTop;
    atTop.start = QStringLiteral("2147483647");
    QTest::newRow("lines/counter-range/runs-past-top")
        << abc << atTop << abc
        << QStringList{"a.txt" + Arrow + "Aa2147483647.txt", "b.txt" + Arrow + "(counter out of range)",
                       "c.txt" + Arrow + "(counter out of range)"};
    Rules atBottom = overTop;
    atBottom.start = QStringLiteral("-2147483648");
    QTest::newRow("lines/counter-range/lowest-start")
        << abc << atBottom << QStringList{"a.txt", "b.txt"}
        << QStringList{"a.txt" + Arrow + "Aa-2147483648.txt", "b.txt" + Arrow + "Ab-2147483647.txt"};
    Rules belowBottom = overTop;
    belowBottom.start = QStringLiteral("-2147483649");
    QTest::newRow("lines/counter-range/start-below-bottom")
        << abc << belowBottom << QStringList{"c.txt"}
        << QStringList{"c.txt" + Arrow + "(counter out of range)"};
}

void TestPreview::lines()
{
    QFETCH(QStringList, files);
    QFETCH(Rules, rules);
    QFETCH(QStringList, clicks);

    Session s(files);
    QVERIFY(QTest::qWaitForWindowExposed(s.w.get()));
    s.apply(rules);
    for (const QString &name : clicks)
        QVERIFY2(s.ctrlClick(name), qPrintable(name));

    QTEST(s.w->List1->lines(), "expected");
    QCOMPARE(s.w->SelectedCount(), int(s.w->List1->lines().size()));
    QVERIFY(s.box->shown.isEmpty());
    QCOMPARE(Snapshot(s.folder), s.before);
}

void TestPreview::noneEmptiesPrefix()
{
    Session s({QStringLiteral("a.txt"), QStringLiteral("b.txt")});
    QVERIFY(QTest::qWaitForWindowExposed(s.w.get()));
    Rules trip;
    trip.prefix = QStringLiteral("Trip");
    s.apply(trip);
    QVERIFY(s.ctrlClick(QStringLiteral("a.txt")));
    QVERIFY(s.ctrlClick(QStringLiteral("b.txt")));
    QCOMPARE(s.w->List1->lines(),
             (QStringList{"a.txt" + Arrow + "Tripa.txt", "b.txt" + Arrow + "Tripb.txt"}));

    QTest::mouseClick(s.w->Option1[2], Qt::LeftButton);

    QVERIFY(s.w->Option1[2]->isChecked());
    QCOMPARE(s.w->Prefixtext->text(), QString());
    QVERIFY(!s.w->Prefixtext->isEnabled());
    QCOMPARE(s.w->List1->lines(), (QStringList{"a.txt" + Arrow + "a.txt", "b.txt" + Arrow + "b.txt"}));
    QCOMPARE(Snapshot(s.folder), s.before);
}

// Mode Replace with a prefix and two lines already shown: the prefix alone
// would give both files one name, so the counter is switched on.
void TestPreview::forcedCounterAfterTwoLines()
{
    Session s({QStringLiteral("a.txt"), QStringLiteral("b.txt")});
    QVERIFY(QTest::qWaitForWindowExposed(s.w.get()));
    Rules replace;
    replace.mode = 0;
    s.apply(replace);
    QVERIFY(s.ctrlClick(QStringLiteral("a.txt")));
    QVERIFY(s.ctrlClick(QStringLiteral("b.txt")));
    QCOMPARE(s.w->List1->lines(), (QStringList{"a.txt" + Arrow + ".txt", "b.txt" + Arrow + ".txt"}));
    QVERIFY(!s.w->IncludeCountCheck->isChecked());
    QVERIFY(!s.countBoxesSwitchedOn());

    QTest::keyClicks(s.w->Prefixtext, QStringLiteral("P"));

    QVERIFY(s.w->IncludeCountCheck->isChecked());
    QVERIFY(s.countBoxesSwitchedOn());
    QCOMPARE(s.w->List1->lines(), (QStringList{"a.txt" + Arrow + "P1.txt", "b.txt" + Arrow + "P2.txt"}));
    QCOMPARE(Snapshot(s.folder), s.before);
}

// With one line shown the second file's selection does not force the counter
// yet, so both lines show one name; any further rebuild does.
void TestPreview::forcedCounterWaitsForSecondLine()
{
    Session s({QStringLiteral("a.txt"), QStringLiteral("b.txt")});
    QVERIFY(QTest::qWaitForWindowExposed(s.w.get()));
    Rules replace;
    replace.mode = 0;
    replace.prefix = QStringLiteral("P");
    s.apply(replace);
    QVERIFY(s.ctrlClick(QStringLiteral("a.txt")));
    QCOMPARE(s.w->List1->lines(), QStringList{"a.txt" + Arrow + "P.txt"});

    QVERIFY(s.ctrlClick(QStringLiteral("b.txt")));
    QVERIFY(!s.w->IncludeCountCheck->isChecked());
    QVERIFY(!s.countBoxesSwitchedOn());
    QCOMPARE(s.w->List1->lines(), (QStringList{"a.txt" + Arrow + "P.txt", "b.txt" + Arrow + "P.txt"}));

    QTest::keyClicks(s.w->RemoveText, QStringLiteral("z"));
    QVERIFY(s.w->IncludeCountCheck->isChecked());
    QVERIFY(s.countBoxesSwitchedOn());
    QCOMPARE(s.w->List1->lines(), (QStringList{"a.txt" + Arrow + "P1.txt", "b.txt" + Arrow + "P2.txt"}));
    QCOMPARE(Snapshot(s.folder), s.before);
}

void TestPreview::untickingByHandTicksBack()
{
    Session s({QStringLiteral("a.txt"), QStringLiteral("b.txt"), QStringLiteral("c.txt")});
    QVERIFY(QTest::qWaitForWindowExposed(s.w.get()));
    Rules replace;
    replace.mode = 0;
    replace.prefix = QStringLiteral("P");
    replace.count = true;
    s.apply(replace);
    QVERIFY(s.ctrlClick(QStringLiteral("a.txt")));
    QVERIFY(s.ctrlClick(QStringLiteral("c.txt")));
    QVERIFY(s.w->IncludeCountCheck->isChecked());
    QSignalSpy toggled(s.w->IncludeCountCheck, &QCheckBox::toggled);

    QTest::mouseClick(s.w->IncludeCountCheck, Qt::LeftButton);

    // The tick back happens inside the handler of the untick, so the spy,
    // connected after the window, records the nested tick first.
    QCOMPARE(toggled.size(), 2);
    QCOMPARE(toggled.at(0).at(0).toBool(), true);
    QCOMPARE(toggled.at(1).at(0).toBool(), false);
    QVERIFY(s.w->IncludeCountCheck->isChecked());
    QVERIFY(s.countBoxesSwitchedOn());
    QCOMPARE(s.w->List1->lines(), (QStringList{"a.txt" + Arrow + "P1.txt", "c.txt" + Arrow + "P2.txt"}));
    QCOMPARE(Snapshot(s.folder), s.before);
}

// The lines are written under the hourglass, and the arrow that follows is a
// fixed one over the whole application.
void TestPreview::pointerBusyThenArrow()
{
    Session s({QStringLiteral("a.txt"), QStringLiteral("b.txt")});
    QVERIFY(QTest::qWaitForWindowExposed(s.w.get()));
    s.apply(Rules());
    QList<int> whileWriting;
    connect(s.w->List1->model(), &QAbstractItemModel::modelReset, this,
            [&] { whileWriting.append(s.services->pointer->current()); });

    QVERIFY(s.ctrlClick(QStringLiteral("b.txt")));

    QCOMPARE(s.w->List1->lines(), QStringList{"b.txt" + Arrow + "b.txt"});
    QVERIFY(!whileWriting.isEmpty());
    for (int pointer : std::as_const(whileWriting))
        QCOMPARE(pointer, int(Pointer::Busy));
    QCOMPARE(s.services->pointer->current(), int(Pointer::Arrow));
    QVERIFY(QGuiApplication::overrideCursor());
    QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::ArrowCursor);
    QCOMPARE(Snapshot(s.folder), s.before);
}

void TestPreview::largeSelection_data()
{
    QTest::addColumn<Rules>("rules");
    QTest::addColumn<RenameRules>("composed"); // the rules the lines follow, with Remove and Replace

    using P = PrefixMode;
    using C = CaseMode;
    QTest::newRow("large/replace/counter-forced")
        << MakeRules(0, "P", false, "1") << RenameRules{P::Replace, "P", true, "0", {}, {}, C::Unchanged};
    QTest::newRow("large/before/counter-edit")
        << Rules{1, "x_", true, "000", "7"}
        << RenameRules{P::Before, "x_", true, "000", "g_0", "-", C::Unchanged};
    QTest::newRow("large/none/prefix-emptied")
        << MakeRules(2, "Trip", false, "1") << RenameRules{P::None, {}, false, "0", {}, {}, C::Unchanged};
    QTest::newRow("large/upper/blank-pattern-negative-start")
        << Rules{1, "a", true, " 00", "-3", 1}
        << RenameRules{P::Before, "a", true, " 00", "Im", {}, C::Upper};
    QTest::newRow("large/lower/counter-runs-out") << MakeRules(1, "Z", true, "2147400000", 2)
                                                  << RenameRules{P::Before, "Z", true, "0", {}, {}, C::Lower};
}

// A hundred thousand files, all selected but one in the middle: the lines at
// both ends and around the gap, read through the view's model, are the names
// the rules compose with the counter of their place in the selection.
void TestPreview::largeSelection()
{
    QFETCH(Rules, rules);
    QFETCH(RenameRules, composed);

    Session s(QStringList{});
    QAbstractItemModelTester tester(s.w->List1->model(),
                                    QAbstractItemModelTester::FailureReportingMode::QtTest);
    s.w->Dir1->setPath(m_large.path());
    QCOMPARE(s.w->File1->listCount(), LargeCount);
    QVERIFY(QTest::qWaitForWindowExposed(s.w.get()));
    s.apply(rules);
    s.w->RemoveText->setText(composed.remove);
    s.w->ReplaceText->setText(composed.replaceWith);
    QTest::mouseClick(s.w->SelectAll, Qt::LeftButton);
    const int gap = LargeCount / 2;
    QVERIFY(s.ctrlClick(s.w->File1->list(gap)));

    const QAbstractItemModel *lines = s.w->List1->model();
    QCOMPARE(lines->rowCount(), LargeCount - 1);
    QCOMPARE(s.w->SelectedCount(), LargeCount - 1);
    const qint64 start = rules.start.toLongLong();
    for (int k : {0, 1, gap - 1, gap, LargeCount - 3, LargeCount - 2}) {
        const QString present = s.w->File1->list(k < gap ? k : k + 1);
        const qint64 counter = start + k;
        const QString expected = counter <= std::numeric_limits<qint32>::max()
            ? ReferenceName(composed, present, counter)
            : QStringLiteral("(counter out of range)");
        QCOMPARE(lines->index(k, 0).data().toString(), present + Arrow + expected);
    }

    // The list places the lines by their number: scrolled to the gap, the
    // first line it shows is the gap's.
    s.w->List1->scrollTo(lines->index(gap, 0), QAbstractItemView::PositionAtTop);
    QCOMPARE(s.w->List1->indexAt(QPoint(1, 1)).row(), gap);
}

void TestPreview::stopPrediction_data()
{
    QTest::addColumn<QStringList>("files"); // "Sub/x" lies in a sub-folder, "x/" is a folder
    QTest::addColumn<QString>("pattern"); // of the file list
    QTest::addColumn<QStringList>("selected");
    QTest::addColumn<RenameRules>("rules");
    QTest::addColumn<QString>("start");
    QTest::addColumn<VolumeFacts>("facts");
    // After the list was read: "x" removed; "/" the folder made read-only; "x>X" renamed by another
    // program; "+x" made by another program just after a first prediction; "i:x", "a:x" marked
    // immutable or append-only ("a:/" the folder); "sticky" the folder sticky, predicted as another user
    QTest::addColumn<QString>("change");
    QTest::addColumn<int>("line"); // -1: no stop
    QTest::addColumn<QString>("reason"); // "<parent>": the name of the folder's parent
    // Where the folder lies, with the volume's own facts but for "": see FolderOn
    QTest::addColumn<QString>("volume");

    const VolumeFacts ext4;
    VolumeFacts card;
    card.ignoresCase = card.fatNames = card.lengthInUtf16 = true;
    const auto before = [](const QString &prefix, CaseMode caseMode = CaseMode::Unchanged) {
        return RenameRules{PrefixMode::Before, prefix, false, "0", {}, {}, caseMode};
    };
    const auto replace = [](const QString &prefix, bool count) {
        return RenameRules{PrefixMode::Replace, prefix, count, "0", {}, {}, CaseMode::Unchanged};
    };
    const QStringList ab = {"a.txt", "b.txt"};
    const QStringList a = {"a.txt"};
    const auto row = [](const char *name, const QStringList &files, const QStringList &selected,
                        const RenameRules &rules, const VolumeFacts &facts, int line, const QString &reason,
                        const QString &pattern = "*.*", const QString &start = "1",
                        const QString &change = {}, const QString &volume = {}) {
        QTest::newRow(name) << files << pattern << selected << rules << start << facts << change << line
                            << reason << volume;
    };
    const auto on = [&row](const char *name, const QString &volume, const QStringList &files,
                           const QStringList &selected, const RenameRules &rules, int line,
                           const QString &reason, const QString &change = {}) {
        row(name, files, selected, rules, VolumeFacts(), line, reason, "*.*", "1", change, volume);
    };
    row("stop/free/renamed-away-by-an-earlier-line", {"x1.txt", "x2.txt"}, {"x1.txt", "x2.txt"},
        replace("x", true), ext4, -1, {}, "*.*", "0");
    row("stop/held/file-the-filter-leaves-out", {"a.txt", "xa.txt"}, a, before("x"), ext4, 0,
        "xa.txt is already in the folder", "a*");
    row("stop/held/hidden-file", {"a.txt", ".txt"}, a, replace("", false), ext4, 0,
        ".txt is already in the folder");
    row("stop/held/folder", {"a.txt", "xa.txt/"}, a, before("x"), ext4, 0, "xa.txt is already in the folder");
    row("stop/refused/question-mark-on-card", a, a, before("x?"), card, 0,
        "this drive cannot hold a name with ?");
    row("stop/refused/question-mark-on-ext4", a, a, before("x?"), ext4, -1, {});
    row("stop/refused/control-character-on-card", a, a, before("\x01"), card, 0,
        "this drive cannot hold a name with a control character");
    row("stop/folder/name-held-there", {"a.txt", "Sub/xa.txt"}, a, before("Sub/x"), ext4, 0,
        "xa.txt is already in the folder Sub");
    row("stop/folder/name-free-there", {"a.txt", "Sub/b.txt"}, a, before("Sub/"), ext4, -1, {});
    row("stop/length/one-byte-over", {"a.txt", "bb.txt"}, {"a.txt", "bb.txt"}, before(QString(250, 'x')),
        ext4, 1, "the new name is too long for this drive");
    row("stop/length/utf16-units-on-card", a, a, before(QString(250, QChar(0xe9))), card, -1, {});
#ifndef Q_OS_WIN // Windows counts characters, and under Wine the Linux volume below counts bytes
    row("stop/length/utf8-bytes-on-ext4", a, a, before(QString(250, QChar(0xe9))), ext4, 0,
        "the new name is too long for this drive");
#endif
    row("stop/case/other-spelling-held-where-case-is-ignored", {"A.txt", "b.txt"}, {"b.txt"},
        replace("a", false), card, 0, "A.txt is already in the folder");
    row("stop/case/other-spelling-free-where-case-counts", {"A.txt", "b.txt"}, {"b.txt"}, replace("a", false),
        ext4, -1, {});
    row("stop/case/own-name-in-other-letters", {"Beach.jpg"}, {"Beach.jpg"},
        RenameRules{PrefixMode::None, {}, false, "0", {}, {}, CaseMode::Upper}, card, -1, {});
    // The safe move takes a name written with a folder part for another file.
    row("stop/case/own-name-through-a-folder-part", {"Beach.jpg"}, {"Beach.jpg"},
        before("./", CaseMode::Upper), card, 0, "Beach.jpg is already in the folder");
    row("stop/gone/removed-after-the-list-was-read", ab, ab, before("x"), ext4, 1,
        "b.txt is no longer in the folder", "*.*", "1", "b.txt");
    row("stop/folder/read-only-but-names-kept", ab, ab, before(""), ext4, -1, {}, "*.*", "1", "/");
    on("stop/volume/link-to-a-bind-mount", "bind-link", a, a, before("card/"), 0,
       "the folder mount is on another drive");
    on("stop/volume/link-to-a-tmpfs", "tmpfs-link", a, a, before("card/"), 0,
       "the folder mount is on another drive");
    on("stop/volume/parent-of-a-tmpfs-top", "tmpfs", a, a, before("../"), 0,
       "the folder <parent> is on another drive");
    // Every name has a letter the card does not fold (ı).
    on("stop/learned/exotic-first-name-on-a-card", "unknown-card", {"Kırmızı.jpg", "Bı.txt", "aı.txt"},
       {"aı.txt"}, replace("bı", false), 0, "Bı.txt is already in the folder");
    const RenameRules upper{PrefixMode::None, {}, false, "0", {}, {}, CaseMode::Upper};
    on("stop/exfat/micro-sign-and-capital-mu-are-two-names", "exfat", {"µ.txt", "Μ.TXT"}, {"µ.txt"}, upper, 0,
       "Μ.TXT is already in the folder");
    on("stop/exfat/kelvin-sign-beside-k", "exfat", {"k.txt"}, {"k.txt"}, replace("\u212a", false), -1, {});
    on("stop/exfat/case-only-rename-by-another-program", "exfat", a, a, before("x"), -1, {}, "a.txt>A.txt");
    on("stop/exfat/name-taken-within-the-same-second", "exfat", a, a, before("x"), 0,
       "xa.txt is already in the folder", "+xa.txt");
    // exFAT through FUSE leaves the folder's time as it was.
    on("stop/exfat/name-taken-by-another-programs-rename", "exfat", ab, a, before("x"), 0,
       "xa.txt is already in the folder", "b.txt>xa.txt");
    QStringList full;
    for (int i = 1; i <= 40; ++i)
        full.append(QStringLiteral("f%1").arg(i, 2, 10, QLatin1Char('0')));
    on("stop/full-card/no-entries-for-the-new-name", "full-exfat", full, {"f01"}, before("x"), 0,
       "the drive is full, and the folder has no room for the new name");
    on("stop/full-card/freed-entries-serve-the-next-file", "full-exfat", full.mid(1), {"f02", "f03"},
       before("x"), -1, {});
    on("stop/full-card/case-change-through-the-temporary-name", "full-exfat", full.mid(1), {"f02"},
       before("", CaseMode::Upper), 0, "the drive is full, and the folder has no room for the new name");
#ifndef Q_OS_WIN // Windows has none of these marks, and paths at the volume's limits
    row("stop/case/every-name-the-volume-takes-for-it", {"µ.txt", "Μ.TXT"}, {"µ.txt"}, upper, card, 0,
        "Μ.TXT is already in the folder");
    on("stop/refused/immutable-file", "real", ab, ab, before("x"), 1, "the file is marked immutable",
       "i:b.txt");
    on("stop/refused/append-only-file", "real", ab, ab, before("x"), 0, "the file is marked append-only",
       "a:a.txt");
    on("stop/refused/append-only-folder", "real", ab, ab, before("x"), 0, "the folder is marked append-only",
       "a:/");
    on("stop/refused/another-users-file-in-a-sticky-folder", "real", a, a, before("x"), 0,
       "the file belongs to another user, and in this folder only its owner may rename it", "sticky");
    on("stop/length/path-over-the-systems-limit", "deep", a, a, before(QString(100, 'x')), 0,
       "the new path is too long for the system");
#endif
}

// The plain prediction over a real folder, made afresh and made again from
// what it kept of the folder.
void TestPreview::stopPrediction()
{
    QFETCH(QStringList, files);
    QFETCH(QString, pattern);
    QFETCH(QStringList, selected);
    QFETCH(RenameRules, rules);
    QFETCH(QString, start);
    QFETCH(VolumeFacts, facts);
    QFETCH(QString, change);
    QFETCH(int, line);
    QFETCH(QString, reason);
    QFETCH(QString, volume);

    QTemporaryDir dir;
    const FolderOn on(volume, dir.path());
    if (!on.lacking.isEmpty())
        QSKIP(qPrintable(QLatin1String("This row needs ") + on.lacking));
    QVERIFY(on.ok);
    const QString folder = on.path;
    for (const QString &file : files) {
        QVERIFY(QDir().mkpath(QFileInfo(folder + u'/' + file).path()));
        QVERIFY(file.endsWith(u'/') || WriteFile(folder + u'/' + file, {}));
    }
    if (volume == QLatin1String("full-exfat"))
        QVERIFY(FillVolume(folder + QLatin1String("/fill")));
    const FileNames names = ReadFolder(folder, pattern);
    std::vector<std::pair<int, int>> ranges;
    for (const QString &name : selected)
        ranges.emplace_back(int(names.indexOf(name)), int(names.indexOf(name)));
    const VolumeFacts used = volume.isEmpty() ? facts : NativeRenameService().volumeFacts(folder);
    // A card made by mkfs.exfat: its own table, read from the device, is the one kept in the program.
    QVERIFY(!volume.endsWith(QLatin1String("exfat"))
            || (used.upCase && *used.upCase == DefaultExFatUpCase()));
    const StopBatch batch{folder,    names, SelectedRows(ranges), rules, StartValueFromText(start),
                          QLocale(), used};
    StopPrediction prediction;

    const QString path = folder + u'/' + change.section(u':', -1).section(u'>', 0, 0);
    const bool plainName = !change.isEmpty() && !change.contains(u':') && !change.contains(u'>')
        && change != u'/' && change != QLatin1String("sticky");
    // Another program's change follows a first prediction; before a rename,
    // the folder's time is set back, as if its last change were long past.
    if (change.contains(u'>'))
        QVERIFY(SetBack(folder));
    if (change.startsWith(u'+') || change.contains(u'>'))
        prediction.predict(batch);
    QVERIFY(
        !plainName
        || (change.startsWith(u'+') ? WriteFile(folder + u'/' + change.mid(1), {}) : QFile::remove(path)));
    if (change.contains(u'>')) { // a change of letter case alone goes through another name
        QVERIFY(QFile::rename(path, folder + QLatin1String("/moving")));
        QVERIFY(QFile::rename(folder + QLatin1String("/moving"), folder + u'/' + change.section(u'>', 1)));
    }
    const std::optional<ReadOnlyFolder> readOnly
        = change == u'/' ? std::make_optional<ReadOnlyFolder>(folder) : std::nullopt;
    if (readOnly && !readOnly->ok())
        QSKIP(readOnly->lacking());
    const std::optional<EntryMark> mark = change.contains(u':')
        ? std::make_optional<EntryMark>(change.endsWith(u'/') ? folder : path, change.at(0))
        : std::nullopt;
    if (mark && !mark->ok())
        QSKIP("The file system or the user here cannot mark files immutable or append-only.");
    const bool asAnotherUser = change == QLatin1String("sticky");
    if (asAnotherUser && (VolumeUserId(true) != 0 || !MakeSticky(folder)))
        QSKIP("Acting as another user in a sticky folder needs root.");

    for (int made = 0; made < 2; ++made) {
        const PredictedStop stop = asAnotherUser ? AsAnotherUser([&] { return prediction.predict(batch); })
                                                 : prediction.predict(batch);
        QCOMPARE(stop.line, line);
        QCOMPARE(stop.reason,
                 QString(reason).replace(QLatin1String("<parent>"),
                                         QFileInfo(QFileInfo(folder).path()).fileName()));
        QCOMPARE(stop.file, line < 0 ? QString() : selected.at(line));
    }
}

QTEST_MAIN(TestPreview)
#include "tst_preview.moc"
