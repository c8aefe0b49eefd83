// Odd input in the rule boxes and in file names, on real files: a megabyte
// pasted into a box, control, right-to-left and combining characters, the
// path separator, the ends of the counter's range and a Turkish locale. The
// preview shows exactly the names the run gives, and no file is lost or
// overwritten.
#include "support/foldersnapshot.h"
#include "window/previewlist.h"

#include <QElapsedTimer>
#include <QImage>
#include <QPushButton>
#include <QStringListModel>

namespace {

const QString Question = QStringLiteral("The File names will be permanently renamed.\rAre you sure ?");
const QString StopsAt = QStringLiteral("\rThe run will stop at ");
const QString Failure = QStringLiteral("File already exists !");
const QString Arrow = QStringLiteral("\t --> ");

struct Session : WindowSession {
    using WindowSession::WindowSession;

    // The preview a user expects: every listed file, in list order, beside the
    // new name it is given (its own name when it is not renamed).
    QStringList linesFor(const Moves &moves) const
    {
        QStringList lines;
        for (const QString &name : w->File1->names())
            lines.append(name + Arrow + moves.value(name, name));
        return lines;
    }
};

// The letter mapping follows the default locale for as long as this lives.
class DefaultLocale {
public:
    explicit DefaultLocale(const QLocale &locale) { QLocale::setDefault(locale); }
    ~DefaultLocale() { QLocale::setDefault(m_previous); }
    DefaultLocale(const DefaultLocale &) = delete;
    DefaultLocale &operator=(const DefaultLocale &) = delete;

private:
    QLocale m_previous;
};

} // namespace

class TestHostileInput : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void pasteMegabyte_data();
    void pasteMegabyte();
    void unusualCharacters_data();
    void unusualCharacters();
    void separator_data();
    void separator();
    void counterLimits_data();
    void counterLimits();
    void turkishLocale_data();
    void turkishLocale();

private:
    QTemporaryDir m_home;
};

void TestHostileInput::initTestCase()
{
    QVERIFY(m_home.isValid());
    QVERIFY(IsolateUserFolders(m_home.path()));
}

// A paste keeps what the box can hold (its 32767 characters); the preview
// composes with exactly that, and the list draws a line of tens of thousands
// of characters as it draws the part that fits in its width.
void TestHostileInput::pasteMegabyte_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("unit"); // repeated to one megabyte
    QTest::addColumn<QString>("remove"); // set before the paste

    QTest::newRow("hostile/megabyte/prefix") << "Prefixtext"
                                             << "0123456789" << QString();
    QTest::newRow("hostile/megabyte/remove") << "RemoveText"
                                             << "-" << QString();
    QTest::newRow("hostile/megabyte/replacement") << "ReplaceText"
                                                  << "r\u05e9"
                                                  << "-";
    QTest::newRow("hostile/megabyte/counter-start") << "CounterStart"
                                                    << "9" << QString();
    QTest::newRow("hostile/megabyte/filter") << "FileTypeText1"
                                             << ",*a" << QString();
}

void TestHostileInput::pasteMegabyte()
{
    QFETCH(QString, box);
    QFETCH(QString, unit);
    QFETCH(QString, remove);

    const QStringList files
        = {QStringLiteral("photo-a.txt"), QStringLiteral("photo-b.txt"), QStringLiteral("photo-c.txt")};
    Session s(files);
    s.w->Form_Load(); // which gives the preview its tab stops
    QVERIFY(QTest::qWaitForWindowActive(s.w.get()));
    Rules rules = MakeRules(1, QString(), true, QStringLiteral("1"));
    rules.pattern = QStringLiteral("00");
    s.apply(rules);
    s.w->RemoveText->setText(remove);
    QTest::mouseClick(s.w->SelectAll, Qt::LeftButton);
    QCOMPARE(s.w->List1->listCount(), 3);

    auto *target = s.w->findChild<QLineEdit *>(box);
    QVERIFY(target);
    const QString megabyte = unit.repeated((1 << 20) / unit.size());
    target->clear();
    Paste(target, megabyte);
    const QString kept = megabyte.left(target->maxLength());
    QCOMPARE(target->text(), kept);

    QStringList expected;
    for (int i = 0; i < files.size(); ++i) {
        const QString number = QStringLiteral("0%1").arg(i + 1);
        if (box == QLatin1String("Prefixtext"))
            expected.append(files.at(i) + Arrow + kept + files.at(i).chopped(4) + number + ".txt");
        else if (box == QLatin1String("RemoveText"))
            expected.append(files.at(i) + Arrow + files.at(i).chopped(4) + number + ".txt");
        else if (box == QLatin1String("ReplaceText"))
            expected.append(files.at(i) + Arrow + "photo" + kept + files.at(i).mid(6, 1) + number + ".txt");
        else if (box == QLatin1String("CounterStart"))
            expected.append(files.at(i) + Arrow + "(counter out of range)");
    }
    // A new filter re-reads the folder, which ends the selection; no mask of
    // the pasted list matches these names.
    QCOMPARE(s.w->List1->lines(), expected);
    if (box == QLatin1String("FileTypeText1"))
        QCOMPARE(s.w->File1->listCount(), 0);

    // What the list shows of its long lines is what it shows of their starts.
    QElapsedTimer timer;
    timer.start();
    const QImage drawn = s.w->List1->grab().toImage();
    qInfo("List1 with lines of %lld characters drawn in %lld ms",
          qlonglong(expected.isEmpty() ? 0 : expected.first().size()), qlonglong(timer.elapsed()));
    QStringList starts;
    for (const QString &line : std::as_const(expected))
        starts.append(line.left(300));
    QStringListModel shown(starts);
    s.w->List1->setModel(&shown);
    QCOMPARE(drawn, s.w->List1->grab().toImage());

    QVERIFY(s.box->shown.isEmpty());
    QCOMPARE(Snapshot(s.folder), s.before);
}

// Control, right-to-left and combining characters in the rules and in the
// names: the preview shows and the run gives exactly the composed names;
// remove and replace compare character by character, so a precomposed letter
// never matches its decomposed spelling.
void TestHostileInput::unusualCharacters_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<Rules>("rules");
    QTest::addColumn<QString>("remove");
    QTest::addColumn<QString>("replace");
    QTest::addColumn<Moves>("moves");

    const QString shalom = QStringLiteral("\u05e9\u05dc\u05d5\u05dd"); // Hebrew
    const QString marhaba = QStringLiteral("\u0645\u0631\u062d\u0628\u0627"); // Arabic
    const QString cafeDecomposed = QStringLiteral("cafe\u0301");
    const QString cafePrecomposed = QStringLiteral("caf\u00e9");
    const Rules before = MakeRules(1, QString(), false, QStringLiteral("1"));

#ifndef Q_OS_WIN // Windows names hold no control characters: the rename rows refuse them
    QTest::newRow("hostile/control/tab-in-prefix") << QStringList{"a.txt"} << MakeRules(1, "x\ty", false, "1")
                                                   << QString() << QString() << Moves{{"a.txt", "x\tya.txt"}};
    QTest::newRow("hostile/control/line-feed-in-prefix")
        << QStringList{"a.txt"} << MakeRules(1, "x\ny", false, "1") << QString() << QString()
        << Moves{{"a.txt", "x\nya.txt"}};
    QTest::newRow("hostile/control/0x01-in-prefix")
        << QStringList{"a.txt"} << MakeRules(1, "\x01", false, "1") << QString() << QString()
        << Moves{{"a.txt",
                  "\x01"
                  "a.txt"}};
    QTest::newRow("hostile/control/in-file-names")
        << QStringList{"tab\there.txt", "line\nfeed.txt", "ctl\x01.txt"} << MakeRules(1, "p", true, "1")
        << QString() << QString()
        << Moves{{"ctl\x01.txt",
                  "pctl\x01"
                  "1.txt"},
                 {"line\nfeed.txt", "pline\nfeed2.txt"},
                 {"tab\there.txt", "ptab\there3.txt"}};
    QTest::newRow("hostile/control/remove-tab") << QStringList{"a\tb.txt"} << before << "\t"
                                                << "_" << Moves{{"a\tb.txt", "a_b.txt"}};
    QTest::newRow("hostile/control/replace-with-line-feed") << QStringList{"a-b.txt"} << before << "-"
                                                            << "\n"
                                                            << Moves{{"a-b.txt", "a\nb.txt"}};
#endif
    // A name that ends in a blank is its own file, not the one without it.
    QTest::newRow("hostile/exact-name/blank-at-end-beside-plain")
        << QStringList{"b", "b "} << MakeRules(0, "x", true, "1") << QString() << QString()
        << Moves{{"b", "x1"}, {"b ", "x2"}};
    QTest::newRow("hostile/rtl/hebrew-name-arabic-prefix")
        << QStringList{shalom + ".txt"} << MakeRules(1, marhaba + "-", false, "1") << QString() << QString()
        << Moves{{shalom + ".txt", marhaba + "-" + shalom + ".txt"}};
    Rules numbered = MakeRules(1, QString(), true, QStringLiteral("3"));
    numbered.pattern = QStringLiteral(" 00");
    QTest::newRow("hostile/rtl/counter-after-hebrew")
        << QStringList{shalom + ".jpg"} << numbered << QString() << QString()
        << Moves{{shalom + ".jpg", shalom + " 03.jpg"}};
    QTest::newRow("hostile/rtl/remove-hebrew-letter")
        << QStringList{shalom + ".txt"} << before << QStringLiteral("\u05dc") << QString()
        << Moves{{shalom + ".txt", QStringLiteral("\u05e9\u05d5\u05dd.txt")}};
    QTest::newRow("hostile/rtl/override-in-prefix")
        << QStringList{"gpj.exe"} << MakeRules(1, "\u202e", false, "1") << QString() << QString()
        << Moves{{"gpj.exe", "\u202egpj.exe"}};
    QTest::newRow("hostile/combining/precomposed-never-matches-decomposed")
        << QStringList{cafeDecomposed + ".txt"} << MakeRules(1, "p", false, "1") << cafePrecomposed << "x"
        << Moves{{cafeDecomposed + ".txt", "p" + cafeDecomposed + ".txt"}};
    QTest::newRow("hostile/combining/remove-base-letter-keeps-mark")
        << QStringList{cafeDecomposed + ".txt"} << before << "e" << QString()
        << Moves{{cafeDecomposed + ".txt", "caf\u0301.txt"}};
    QTest::newRow("hostile/combining/remove-mark")
        << QStringList{cafeDecomposed + ".txt"} << before << "\u0301" << QString()
        << Moves{{cafeDecomposed + ".txt", "cafe.txt"}};
    QTest::newRow("hostile/combining/upper-keeps-mark")
        << QStringList{cafeDecomposed + ".txt"} << MakeRules(2, QString(), false, "1", 1) << QString()
        << QString() << Moves{{cafeDecomposed + ".txt", "CAFE\u0301.TXT"}};
    QTest::newRow("hostile/combining/two-spellings-stay-two-files")
        << QStringList{cafeDecomposed + ".txt", cafePrecomposed + ".txt"} << MakeRules(1, "x", false, "1")
        << QString() << QString()
        << Moves{{cafeDecomposed + ".txt", "x" + cafeDecomposed + ".txt"},
                 {cafePrecomposed + ".txt", "x" + cafePrecomposed + ".txt"}};
}

void TestHostileInput::unusualCharacters()
{
    QFETCH(QStringList, files);
    QFETCH(Rules, rules);
    QFETCH(QString, remove);
    QFETCH(QString, replace);
    QFETCH(Moves, moves);

    Session s(files);
    QVERIFY(QTest::qWaitForWindowActive(s.w.get()));
    QCOMPARE(s.w->File1->listCount(), files.size());
    s.apply(rules);
    s.w->RemoveText->setText(remove);
    s.w->ReplaceText->setText(replace);
    QTest::mouseClick(s.w->SelectAll, Qt::LeftButton);
    QCOMPARE(s.w->List1->lines(), s.linesFor(moves));

    QTest::mouseClick(s.w->Rename, Qt::LeftButton);

    QCOMPARE(s.shownTexts(), QStringList{Question});
    QCOMPARE(Snapshot(s.folder), Moved(s.before, moves));
}

// The separator in a prefix, a counter pattern or a replacement names a file
// in another folder: the file moves there when the folder exists, the run
// fails when it does not, and a file already there is never replaced. Moves
// are relative to the session's folder and may leave it.
void TestHostileInput::separator_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<Rules>("rules");
    QTest::addColumn<QString>("remove");
    QTest::addColumn<QString>("replace");
    QTest::addColumn<Moves>("moves");
    // Where the run stops, and why, as the confirmation says (%1: the name of
    // the folder above); empty when it renames every file.
    QTest::addColumn<QString>("stop");

    const QStringList ab = {QStringLiteral("a.txt"), QStringLiteral("b.txt"), QStringLiteral("sub/keep.txt")};
    const Rules before = MakeRules(1, QString(), false, QStringLiteral("1"));
    Rules intoSub = MakeRules(0, QString(), true, QStringLiteral("1"));
    intoSub.pattern = QStringLiteral("sub/0");
    Rules intoNowhere = intoSub;
    intoNowhere.pattern = QStringLiteral("nowhere/0");

    QTest::newRow("hostile/separator/pattern-into-sub-folder")
        << ab << intoSub << QString() << QString() << Moves{{"a.txt", "sub/1.txt"}, {"b.txt", "sub/2.txt"}}
        << "";
    QTest::newRow("hostile/separator/pattern-missing-folder")
        << ab << intoNowhere << QString() << QString() << Moves{} << "a.txt: there is no folder nowhere";
    QTest::newRow("hostile/separator/replacement-into-sub-folder")
        << QStringList{"sub-a.txt", "sub/keep.txt"} << before << "-"
        << "/" << Moves{{"sub-a.txt", "sub/a.txt"}} << "";
    QTest::newRow("hostile/separator/replacement-missing-folder")
        << QStringList{"x-a.txt"} << before << "-"
        << "/" << Moves{} << "x-a.txt: there is no folder x";
    QTest::newRow("hostile/separator/replacement-never-overwrites")
        << QStringList{"sub-a.txt", "sub/a.txt"} << before << "-"
        << "/" << Moves{} << "sub-a.txt: a.txt is already in the folder sub";
    QTest::newRow("hostile/separator/prefix-into-parent")
        << ab << MakeRules(1, "../", false, "1") << QString() << QString()
        << Moves{{"a.txt", "../a.txt"}, {"b.txt", "../b.txt"}} << "";
    QTest::newRow("hostile/separator/prefix-into-parent-never-overwrites")
        << QStringList{"a.txt", "b.txt", "../b.txt"} << MakeRules(1, "../", false, "1") << QString()
        << QString() << Moves{{"a.txt", "../a.txt"}} << "b.txt: b.txt is already in the folder %1";
    QTest::newRow("hostile/separator/prefix-deeper-missing-folder")
        << ab << MakeRules(1, "sub/deeper/", false, "1") << QString() << QString() << Moves{}
        << "a.txt: there is no folder " + QDir::toNativeSeparators("sub/deeper");
    QTest::newRow("hostile/separator/leading-separator-same-file")
        << ab << MakeRules(1, "/", false, "1") << QString() << QString() << Moves{} << "";
    QTest::newRow("hostile/separator/backslash-is-a-plain-character")
        << ab << MakeRules(1, "sub\\", false, "1") << QString() << QString()
        << Moves{{"a.txt", "sub\\a.txt"}, {"b.txt", "sub\\b.txt"}} << "";
}

void TestHostileInput::separator()
{
    QFETCH(QStringList, files);
    QFETCH(Rules, rules);
    QFETCH(QString, remove);
    QFETCH(QString, replace);
    QFETCH(Moves, moves);
    QFETCH(QString, stop);

    Session s(files);
    QVERIFY(QTest::qWaitForWindowActive(s.w.get()));
    s.apply(rules);
    s.w->RemoveText->setText(remove);
    s.w->ReplaceText->setText(replace);
    QTest::mouseClick(s.w->SelectAll, Qt::LeftButton);
    const int listed = s.w->File1->listCount();
    QCOMPARE(s.w->List1->listCount(), listed);
    const QDir top(s.root.path());
    const FolderFiles before = Snapshot(top.path());
    Moves fromTop;
    for (auto it = moves.cbegin(); it != moves.cend(); ++it)
        fromTop.insert(top.relativeFilePath(s.path(it.key())),
                       QDir::cleanPath(top.relativeFilePath(s.path(it.value()))));

    QTest::mouseClick(s.w->Rename, Qt::LeftButton);

    QCOMPARE(Snapshot(top.path()), Moved(before, fromTop));
    if (stop.isEmpty()) {
        QCOMPARE(s.shownTexts(), QStringList{Question});
        QCOMPARE(s.w->CounterStart->text(), QStringLiteral(" %1").arg(1 + listed));
        return;
    }
    const QString above = QFileInfo(s.root.path()).fileName();
    const QString asked = Question + StopsAt + (stop.contains("%1") ? stop.arg(above) : stop) + '.';
    QCOMPARE(s.shownTexts(), (QStringList{asked, Failure}));
    QCOMPARE(s.w->CounterStart->text(), rules.start);
}

// The ends of the 32-bit counter: the lowest value numbers a batch upwards
// and is written back as the next start; a batch whose next start would pass
// the highest value is refused before any file is touched, even with the
// counter clear, since the start moves on all the same.
void TestHostileInput::counterLimits_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<bool>("count");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("newNames"); // in list order, as the preview shows them
    QTest::addColumn<bool>("succeeds");
    QTest::addColumn<QString>("counterAfter");

    const QStringList abc = {QStringLiteral("a.txt"), QStringLiteral("b.txt"), QStringLiteral("c.txt")};
    const QStringList a = {QStringLiteral("a.txt")};
    QTest::newRow("hostile/counter/lowest-over-three-files")
        << "-2147483648"
        << "0" << true << abc << QStringList{"f-2147483648.txt", "f-2147483647.txt", "f-2147483646.txt"}
        << true << "-2147483645";
    QTest::newRow("hostile/counter/lowest-under-blank-pattern")
        << "-2147483648"
        << " 000000" << true << a << QStringList{"f -2147483648.txt"} << true << "-2147483647";
    QTest::newRow("hostile/counter/half-below-lowest-rounds-to-even")
        << "-2147483648.5"
        << "0" << true << a << QStringList{"f-2147483648.txt"} << true << "-2147483647";
    QTest::newRow("hostile/counter/below-lowest-refused")
        << "-2147483648.6"
        << "0" << true << a << QStringList{"(counter out of range)"} << false << "-2147483648.6";
    QTest::newRow("hostile/counter/highest-one-file-refused")
        << "2147483647"
        << "0" << true << a << QStringList{"f2147483647.txt"} << false << "2147483647";
    QTest::newRow("hostile/counter/highest-counter-clear-refused")
        << "2147483647"
        << "0" << false << a << QStringList{"f.txt"} << false << "2147483647";
    QTest::newRow("hostile/counter/one-below-highest-one-file")
        << "2147483646"
        << "0" << true << a << QStringList{"f2147483646.txt"} << true << " 2147483647";
}

void TestHostileInput::counterLimits()
{
    QFETCH(QString, start);
    QFETCH(QString, pattern);
    QFETCH(bool, count);
    QFETCH(QStringList, files);
    QFETCH(QStringList, newNames);
    QFETCH(bool, succeeds);

    Session s(files);
    QVERIFY(QTest::qWaitForWindowActive(s.w.get()));
    Rules rules = MakeRules(0, QStringLiteral("f"), count, start);
    rules.pattern = pattern;
    s.apply(rules);
    QTest::mouseClick(s.w->SelectAll, Qt::LeftButton);
    QStringList lines;
    Moves moves;
    for (int i = 0; i < files.size(); ++i) {
        lines.append(files.at(i) + Arrow + newNames.at(i));
        moves.insert(files.at(i), newNames.at(i));
    }
    QCOMPARE(s.w->List1->lines(), lines);

    QTest::mouseClick(s.w->Rename, Qt::LeftButton);

    QCOMPARE(Snapshot(s.folder), succeeds ? Moved(s.before, moves) : s.before);
    const QString refused = Question + StopsAt + files.first() + ": the counter is out of range.";
    QCOMPARE(s.shownTexts(), succeeds ? QStringList{Question} : (QStringList{refused, Failure}));
    QTEST(s.w->CounterStart->text(), "counterAfter");
}

// Letter case by the default locale: in Turkish the dotted i has its own
// capital and the capital I its own small letter. The mode's case applies to
// the name, never to the folder.
void TestHostileInput::turkishLocale_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<int>("caseMode");
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("newName");

    const QLocale turkish(QLocale::Turkish, QLocale::Turkey);
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    QTest::newRow("hostile/turkish/upper-dotted-capital")
        << turkish << 1 << QString() << "istanbul.txt" << QStringLiteral("İSTANBUL.TXT");
    QTest::newRow("hostile/turkish/lower-dotless-small")
        << turkish << 2 << QString() << "ISPARTA.TXT" << QStringLiteral("ısparta.txt");
    QTest::newRow("hostile/turkish/upper-prefix-and-extension")
        << turkish << 1 << "izmir-"
        << "fig.ini" << QStringLiteral("İZMİR-FİG.İNİ");
    QTest::newRow("hostile/turkish/english-for-contrast")
        << english << 1 << QString() << "istanbul.txt" << QStringLiteral("ISTANBUL.TXT");
}

void TestHostileInput::turkishLocale()
{
#ifdef Q_OS_WIN
    QSKIP("Qt for Windows has no ICU: no case mapping of the locale's own.");
#endif
    QFETCH(QLocale, locale);
    QFETCH(int, caseMode);
    QFETCH(QString, prefix);
    QFETCH(QString, file);
    QFETCH(QString, newName);

    const DefaultLocale inForce(locale);
    Session s({file, QStringLiteral("sub/keep.txt")}, QStringLiteral("lira"));
    QVERIFY(QTest::qWaitForWindowActive(s.w.get()));
    s.apply(MakeRules(prefix.isEmpty() ? 2 : 1, prefix, false, QStringLiteral("1"), caseMode));
    QVERIFY(s.select({file}));
    QCOMPARE(s.w->List1->lines(), QStringList{file + Arrow + newName});

    QTest::mouseClick(s.w->Rename, Qt::LeftButton);

    QCOMPARE(s.shownTexts(), QStringList{Question});
    QCOMPARE(Snapshot(s.folder), Moved(s.before, {{file, newName}}));
}

QTEST_MAIN(TestHostileInput)
#include "tst_hostileinput.moc"
