// The rule controls' notifications as a user meets them: every click and
// keystroke on the real window, seen in the preview lines, the greyed look of
// the boxes, the tick of "Include Count" and the message boxes.
#include "window/dirlist.h"
#include "window/drivelist.h"
#include "window/filelist.h"
#include "window/filerenamer.h"
#include "window/previewlist.h"
#include "windowonfolder.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

const QString Arrow = QStringLiteral("\t --> ");
const QString Confirmation = QStringLiteral("The File names will be permanently renamed.\rAre you sure ?");

struct Session : WindowOnFolder {
    bool open(const QStringList &files) { return openWindow(files) && w->File1->names() == files; }
};

bool isSwitchedOn(const QWidget *box)
{
    return box->isEnabled() && box->palette().color(QPalette::Base) == QColor(255, 255, 255);
}

bool isGreyed(const QWidget *box)
{
    return !box->isEnabled() && box->palette().color(QPalette::Base) == QColor(224, 224, 224);
}

void click(QWidget *control)
{
    QTest::mouseClick(control, Qt::LeftButton);
}

void clickFile(FileList *list, int row, Qt::KeyboardModifiers modifiers = {})
{
    const QRect rect = list->visualRect(list->model()->index(row, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers, rect.center());
}

// Picks an entry the way a user does: open the list, click the entry.
void pickFromList(QComboBox *combo, int row)
{
    combo->showPopup();
    QAbstractItemView *view = combo->view();
    QVERIFY(QTest::qWaitForWindowExposed(view->window()));
    const QRect rect = view->visualRect(view->model()->index(row, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rect.center());
    QTRY_VERIFY(!view->isVisible());
}

QStringList previewOf(const QStringList &presentNames, const QStringList &newNames)
{
    QStringList lines;
    for (int i = 0; i < presentNames.size(); ++i)
        lines.append(presentNames.at(i) + Arrow + newNames.at(i));
    return lines;
}

// Every rebuild of the preview that left lines, with the lines it left. A
// clearing of the list is not a rebuild and is not recorded.
class PreviewWatch {
public:
    explicit PreviewWatch(PreviewList *list)
    {
        const auto rebuilt = [this, list] {
            if (list->listCount() > 0)
                rebuilds.append(list->lines());
        };
        QObject::connect(list->model(), &QAbstractItemModel::modelReset, &m_context, rebuilt);
        QObject::connect(list->model(), &QAbstractItemModel::dataChanged, &m_context, rebuilt);
    }

    QList<QStringList> rebuilds;

private:
    QObject m_context;
};

// Writes a rule without its notification and returns the preview's lines,
// stale from then on: any rebuild would show the new rule.
QStringList WriteQuietly(QLineEdit *box, const QString &text, const PreviewList *preview)
{
    const QSignalBlocker quiet(box);
    box->setText(text);
    return preview->lines();
}

} // namespace

class TestWiring : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();

    void prefixModeNone_data();
    void prefixModeNone();
    void prefixModeChangeUnticksCount();
    void countCannotBeClearedInReplace();
    void countForcedOnlyAfterSeveralLines();
    void letterCase_data();
    void letterCase();
    void counterPatternTyped_data();
    void counterPatternTyped();
    void counterPatternPicked_data();
    void counterPatternPicked();
    void keystrokeRebuilds_data();
    void keystrokeRebuilds();
    void enterInPrefixRenames_data();
    void enterInPrefixRenames();
    void enterElsewhereDoesNothing_data();
    void enterElsewhereDoesNothing();
    void nestedRebuildEnds_data();
    void nestedRebuildEnds();
    void sameValueRaisesNothing_data();
    void sameValueRaisesNothing();
    void quietWrites_data();
    void quietWrites();
    void deselectedOptionRaisesNothing_data();
    void deselectedOptionRaisesNothing();
};

void TestWiring::initTestCase()
{
    static QTemporaryDir environment;
    QVERIFY(environment.isValid());
    QVERIFY(IsolateUserFolders(environment.path()));
}

void TestWiring::prefixModeNone_data()
{
    QTest::addColumn<int>("modeAfter");
    QTest::addColumn<QString>("lineAfter");

    QTest::newRow("prefix-mode/none-then-replace/empty-prefix") << 0 << "a.txt" + Arrow + ".txt";
    QTest::newRow("prefix-mode/none-then-before/empty-prefix") << 1 << "a.txt" + Arrow + "a.txt";
}

// "None" greys and empties the prefix and switches the counter off; the
// earlier prefix does not come back with "Replace" or "Before".
void TestWiring::prefixModeNone()
{
    QFETCH(int, modeAfter);
    QFETCH(QString, lineAfter);

    Session s;
    QVERIFY(s.open({"a.txt", "b.txt"}));
    FileRenamer &w = *s.w;
    clickFile(w.File1, 0);
    QTest::keyClicks(w.Prefixtext, "Trip");
    click(w.IncludeCountCheck);
    QVERIFY(w.IncludeCountCheck->isChecked());
    QCOMPARE(w.List1->lines(), QStringList{"a.txt" + Arrow + "Trip 1.txt"});

    click(w.Option1[2]);

    QVERIFY(w.Option1[2]->isChecked());
    QVERIFY(isGreyed(w.Prefixtext));
    QCOMPARE(w.Prefixtext->text(), QString());
    QVERIFY(!w.IncludeCountCheck->isChecked());
    QVERIFY(isGreyed(w.CounterStart));
    QVERIFY(isGreyed(w.CounterFormatCombo));
    QCOMPARE(w.List1->lines(), QStringList{"a.txt" + Arrow + "a.txt"});

    click(w.Option1[modeAfter]);

    QVERIFY(w.Option1[modeAfter]->isChecked());
    QVERIFY(isSwitchedOn(w.Prefixtext));
    QCOMPARE(w.Prefixtext->text(), QString());
    QVERIFY(!w.IncludeCountCheck->isChecked());
    QCOMPARE(w.List1->lines(), QStringList{lineAfter});
}

void TestWiring::prefixModeChangeUnticksCount()
{
    Session s;
    QVERIFY(s.open({"a.txt"}));
    FileRenamer &w = *s.w;
    clickFile(w.File1, 0);
    click(w.IncludeCountCheck);
    QVERIFY(isSwitchedOn(w.CounterStart));
    QVERIFY(isSwitchedOn(w.CounterFormatCombo));
    QCOMPARE(w.List1->lines(), QStringList{"a.txt" + Arrow + " 1.txt"});

    click(w.Option1[1]);

    QVERIFY(!w.IncludeCountCheck->isChecked());
    QVERIFY(isGreyed(w.CounterStart));
    QVERIFY(isGreyed(w.CounterFormatCombo));
    QVERIFY(isSwitchedOn(w.Prefixtext));
    QCOMPARE(w.List1->lines(), QStringList{"a.txt" + Arrow + "a.txt"});
}

// A prefix that replaces several names needs the counter, or every file
// would get the same name.
void TestWiring::countCannotBeClearedInReplace()
{
    Session s;
    QVERIFY(s.open({"a.txt", "b.txt", "c.txt"}));
    FileRenamer &w = *s.w;
    w.CounterFormatCombo->setEditText(QStringLiteral("0"));
    click(w.SelectAll);
    QCOMPARE(w.List1->lines(), previewOf({"a.txt", "b.txt", "c.txt"}, {".txt", ".txt", ".txt"}));

    QTest::keyClicks(w.Prefixtext, "P");
    QVERIFY(w.IncludeCountCheck->isChecked());
    const QStringList numbered = previewOf({"a.txt", "b.txt", "c.txt"}, {"P1.txt", "P2.txt", "P3.txt"});
    QCOMPARE(w.List1->lines(), numbered);

    click(w.IncludeCountCheck);

    QVERIFY(w.IncludeCountCheck->isChecked());
    QVERIFY(isSwitchedOn(w.CounterStart));
    QVERIFY(isSwitchedOn(w.CounterFormatCombo));
    QCOMPARE(w.List1->lines(), numbered);
}

// The previous preview decides: the second file joining the selection still
// shows one name twice, the next change numbers them.
void TestWiring::countForcedOnlyAfterSeveralLines()
{
    Session s;
    QVERIFY(s.open({"a.txt", "b.txt"}));
    FileRenamer &w = *s.w;
    w.CounterFormatCombo->setEditText(QStringLiteral("0"));
    QTest::keyClicks(w.Prefixtext, "P");
    clickFile(w.File1, 0);
    clickFile(w.File1, 1, Qt::ControlModifier);

    QVERIFY(!w.IncludeCountCheck->isChecked());
    QCOMPARE(w.List1->lines(), previewOf({"a.txt", "b.txt"}, {"P.txt", "P.txt"}));

    click(w.Option2[1]);

    QVERIFY(w.IncludeCountCheck->isChecked());
    QCOMPARE(w.List1->lines(), previewOf({"a.txt", "b.txt"}, {"P1.TXT", "P2.TXT"}));
}

void TestWiring::letterCase_data()
{
    QTest::addColumn<int>("caseMode");
    QTest::addColumn<QStringList>("newNames");

    QTest::newRow("case/upper/new-names-only") << 1 << QStringList{"TRIPBEACH01.PNG", "TRIPHOLIDAY02.JPG"};
    QTest::newRow("case/lower/new-names-only") << 2 << QStringList{"tripbeach01.png", "tripholiday02.jpg"};
}

// A letter-case change rebuilds the preview once and leaves every other
// control as it was.
void TestWiring::letterCase()
{
    QFETCH(int, caseMode);
    QFETCH(QStringList, newNames);

    Session s;
    QVERIFY(s.open({"beach.png", "Holiday.JPG"}));
    FileRenamer &w = *s.w;
    click(w.Option1[1]);
    QTest::keyClicks(w.Prefixtext, "Trip");
    click(w.IncludeCountCheck);
    w.CounterFormatCombo->setEditText(QStringLiteral("00"));
    click(w.SelectAll);
    QCOMPARE(w.List1->lines(),
             previewOf({"beach.png", "Holiday.JPG"}, {"Tripbeach01.png", "TripHoliday02.JPG"}));

    PreviewWatch watch(w.List1);
    click(w.Option2[caseMode]);

    const QStringList expected = previewOf({"beach.png", "Holiday.JPG"}, newNames);
    QCOMPARE(watch.rebuilds, QList<QStringList>{expected});
    QCOMPARE(w.List1->lines(), expected);
    QVERIFY(w.Option1[1]->isChecked());
    QCOMPARE(w.Prefixtext->text(), QStringLiteral("Trip"));
    QVERIFY(isSwitchedOn(w.Prefixtext));
    QVERIFY(w.IncludeCountCheck->isChecked());
    QCOMPARE(w.CounterStart->text(), QStringLiteral("1"));
    QCOMPARE(w.CounterFormatCombo->currentText(), QStringLiteral("00"));
    QCOMPARE(w.File1->selectedCount(), 2);
}

void TestWiring::counterPatternTyped_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("leaveBy");

    // The focus leaves by Tab, or Enter is pressed in the box.
    QTest::newRow("combo/typed/not-an-entry/tab") << "0x0" << int(Qt::Key_Tab);
    QTest::newRow("combo/typed/an-entry/tab") << "000" << int(Qt::Key_Tab);
    QTest::newRow("combo/typed/an-entry/enter") << "000" << int(Qt::Key_Return);
    QTest::newRow("combo/typed/an-entry-with-blank/tab") << " 00" << int(Qt::Key_Tab);
}

// Typing a pattern rebuilds nothing, also when the typed text equals an
// entry of the list and the box is left; the next composition uses it.
void TestWiring::counterPatternTyped()
{
    QFETCH(QString, typed);
    QFETCH(int, leaveBy);

    Session s;
    QVERIFY(s.open({"a.txt"}));
    FileRenamer &w = *s.w;
    click(w.Option1[1]);
    clickFile(w.File1, 0);
    click(w.IncludeCountCheck);
    const QStringList before{"a.txt" + Arrow + "a 1.txt"};
    QCOMPARE(w.List1->lines(), before);

    PreviewWatch watch(w.List1);
    w.CounterFormatCombo->setFocus();
    QTest::keyClicks(w.CounterFormatCombo, typed);
    QTest::keyClick(w.CounterFormatCombo, Qt::Key(leaveBy));

    QCOMPARE(w.CounterFormatCombo->currentText(), typed);
    QCOMPARE(watch.rebuilds, QList<QStringList>{});
    QCOMPARE(w.List1->lines(), before);
    QVERIFY(w.IncludeCountCheck->isChecked());
}

void TestWiring::counterPatternPicked_data()
{
    QTest::addColumn<QString>("how");

    QTest::newRow("combo/picked/mouse-in-list") << "mouse";
    QTest::newRow("combo/picked/arrow-key-in-box") << "arrow";
    QTest::newRow("combo/picked/keys-in-open-list") << "list-keys";
}

// Picking an entry rebuilds the preview with its pattern and leaves the tick.
void TestWiring::counterPatternPicked()
{
    QFETCH(QString, how);

    Session s;
    QVERIFY(s.open({"a.txt", "b.txt"}));
    FileRenamer &w = *s.w;
    click(w.Option1[1]);
    click(w.SelectAll);
    click(w.IncludeCountCheck);
    pickFromList(w.CounterFormatCombo, 0);
    QCOMPARE(w.CounterFormatCombo->currentText(), QStringLiteral("0"));
    QCOMPARE(w.List1->lines(), previewOf({"a.txt", "b.txt"}, {"a1.txt", "b2.txt"}));

    PreviewWatch watch(w.List1);
    if (how == QLatin1String("mouse")) {
        pickFromList(w.CounterFormatCombo, 1);
    } else if (how == QLatin1String("arrow")) {
        w.CounterFormatCombo->setFocus();
        QTest::keyClick(w.CounterFormatCombo, Qt::Key_Down);
    } else {
        w.CounterFormatCombo->showPopup();
        QAbstractItemView *view = w.CounterFormatCombo->view();
        QVERIFY(QTest::qWaitForWindowExposed(view->window()));
        QTest::keyClick(view, Qt::Key_Down);
        QTest::keyClick(view, Qt::Key_Return);
        QTRY_VERIFY(!view->isVisible());
    }

    const QStringList expected = previewOf({"a.txt", "b.txt"}, {"a01.txt", "b02.txt"});
    QCOMPARE(w.CounterFormatCombo->currentText(), QStringLiteral("00"));
    QCOMPARE(watch.rebuilds, QList<QStringList>{expected});
    QCOMPARE(w.List1->lines(), expected);
    QVERIFY(w.IncludeCountCheck->isChecked());
    QVERIFY(isSwitchedOn(w.CounterFormatCombo));
}

void TestWiring::keystrokeRebuilds_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("keys"); // "\b" is Backspace
    QTest::addColumn<QStringList>("newNames"); // after each key

    QTest::newRow("keystroke/RemoveText/typed-then-deleted")
        << "RemoveText"
        << "abc\b" << QStringList{"bcdef.txt", "cdef.txt", "def.txt", "cdef.txt"};
    QTest::newRow("keystroke/ReplaceText/typed-then-deleted")
        << "ReplaceText"
        << "xy\b" << QStringList{"axcdef.txt", "axycdef.txt", "axcdef.txt"};
    QTest::newRow("keystroke/Prefixtext/typed-then-deleted")
        << "Prefixtext"
        << "Pq\b\b" << QStringList{"Pabcdef.txt", "Pqabcdef.txt", "Pabcdef.txt", "abcdef.txt"};
    QTest::newRow("keystroke/CounterStart/typed-then-deleted")
        << "CounterStart"
        << "2\b" << QStringList{"abcdef12.txt", "abcdef1.txt"};
}

// Every typed or deleted character rebuilds the preview once, at once.
void TestWiring::keystrokeRebuilds()
{
    QFETCH(QString, box);
    QFETCH(QString, keys);
    QFETCH(QStringList, newNames);

    Session s;
    QVERIFY(s.open({"abcdef.txt"}));
    FileRenamer &w = *s.w;
    click(w.Option1[1]);
    clickFile(w.File1, 0);
    if (box == QLatin1String("ReplaceText"))
        w.RemoveText->setText(QStringLiteral("b"));
    if (box == QLatin1String("CounterStart")) {
        click(w.IncludeCountCheck);
        w.CounterFormatCombo->setEditText(QStringLiteral("0"));
    }
    auto *field = w.findChild<QLineEdit *>(box);
    QVERIFY(field);
    field->setFocus();
    field->end(false);

    PreviewWatch watch(w.List1);
    QList<QStringList> expected;
    for (int i = 0; i < keys.size(); ++i) {
        QTest::keyClicks(field, keys.mid(i, 1));
        expected.append(previewOf({"abcdef.txt"}, {newNames.at(i)}));
        QCOMPARE(watch.rebuilds, expected);
    }
}

void TestWiring::enterInPrefixRenames_data()
{
    QTest::addColumn<bool>("byEnter");
    QTest::addColumn<bool>("selectFiles");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("flags");
    QTest::addColumn<QStringList>("filesAfter");

    const QStringList untouched{"a.txt", "b.txt"};
    const QStringList renamed{"xa.txt", "xb.txt"};
    for (bool byEnter : {false, true}) {
        const char *how = byEnter ? "enter-in-prefix" : "rename-button";
        QTest::addRow("rename/nothing-selected/%s", how)
            << byEnter << false << 1 << "First select the files." << 48 << untouched;
        QTest::addRow("rename/cancelled/%s", how) << byEnter << true << 2 << Confirmation << 33 << untouched;
        QTest::addRow("rename/confirmed/%s", how) << byEnter << true << 1 << Confirmation << 33 << renamed;
    }
}

// Enter in the prefix box runs the rename exactly as the button does.
void TestWiring::enterInPrefixRenames()
{
    QFETCH(bool, byEnter);
    QFETCH(bool, selectFiles);
    QFETCH(int, answer);
    QFETCH(QString, message);
    QFETCH(int, flags);
    QFETCH(QStringList, filesAfter);

    Session s;
    QVERIFY(s.open({"a.txt", "b.txt"}));
    FileRenamer &w = *s.w;
    click(w.Option1[1]);
    QTest::keyClicks(w.Prefixtext, "x");
    if (selectFiles)
        click(w.SelectAll);
    const QStringList previewBefore = w.List1->lines();
    s.box->answers = {answer};

    if (byEnter) {
        w.Prefixtext->setFocus();
        QTest::keyClick(w.Prefixtext, Qt::Key_Return);
    } else {
        click(w.Rename);
    }

    QCOMPARE(s.box->shown.size(), 1);
    QCOMPARE(s.box->shown.at(0).text, message);
    QCOMPARE(s.box->shown.at(0).flags, flags);
    QCOMPARE(s.box->shown.at(0).title, QStringLiteral("Quorlane"));
    QCOMPARE(s.filesOnDisk(), filesAfter);
    QCOMPARE(w.Prefixtext->text(), QStringLiteral("x"));
    if (filesAfter == QStringList{"a.txt", "b.txt"}) {
        QCOMPARE(w.List1->lines(), previewBefore);
        QCOMPARE(w.CounterStart->text(), QStringLiteral("1"));
    } else {
        QCOMPARE(w.List1->lines(), QStringList());
        QCOMPARE(w.File1->names(), filesAfter);
        QCOMPARE(w.CounterStart->text(), QStringLiteral(" 3"));
    }
}

void TestWiring::enterElsewhereDoesNothing_data()
{
    QTest::addColumn<QString>("box");

    QTest::newRow("enter/CounterStart/nothing") << "CounterStart";
    QTest::newRow("enter/RemoveText/nothing") << "RemoveText";
    QTest::newRow("enter/ReplaceText/nothing") << "ReplaceText";
    QTest::newRow("enter/FileTypeText1/nothing") << "FileTypeText1";
}

void TestWiring::enterElsewhereDoesNothing()
{
    QFETCH(QString, box);

    Session s;
    QVERIFY(s.open({"a.txt", "b.txt"}));
    FileRenamer &w = *s.w;
    click(w.Option1[1]);
    QTest::keyClicks(w.Prefixtext, "x");
    click(w.IncludeCountCheck);
    click(w.SelectAll);
    const QStringList previewBefore = w.List1->lines();
    QCOMPARE(previewBefore, previewOf({"a.txt", "b.txt"}, {"xa 1.txt", "xb 2.txt"}));
    auto *field = w.findChild<QLineEdit *>(box);
    QVERIFY(field);
    const QString textBefore = field->text();

    PreviewWatch watch(w.List1);
    field->setFocus();
    QTest::keyClick(field, Qt::Key_Return);
    QTest::keyClick(field, Qt::Key_Enter);

    QCOMPARE(s.box->shown.size(), 0);
    QCOMPARE(s.filesOnDisk(), (QStringList{"a.txt", "b.txt"}));
    QCOMPARE(watch.rebuilds, QList<QStringList>{});
    QCOMPARE(w.List1->lines(), previewBefore);
    QCOMPARE(field->text(), textBefore);
    QCOMPARE(w.File1->selectedCount(), 2);
}

void TestWiring::nestedRebuildEnds_data()
{
    QTest::addColumn<QString>("cascade");
    QTest::addColumn<QStringList>("newNames");
    QTest::addColumn<int>("rebuilds");

    // Mode None rewrites the empty prefix on every rebuild; only a real
    // change of the box may raise anything, or the rebuild calls itself
    // without end.
    QTest::newRow("nesting/none-empty-prefix/keystroke")
        << "none-empty" << QStringList{"a.txt", "b.txt"} << 1;
    // The emptied prefix rebuilds once more inside the outer rebuild.
    QTest::newRow("nesting/none-emptying-prefix/click-none")
        << "none-emptying" << QStringList{"a.txt", "b.txt"} << 2;
    // The forced tick rebuilds once more inside the outer rebuild.
    QTest::newRow("nesting/forced-counter/keystroke") << "forced" << QStringList{"P1.txt", "P2.txt"} << 2;
}

void TestWiring::nestedRebuildEnds()
{
    QFETCH(QString, cascade);
    QFETCH(QStringList, newNames);
    QFETCH(int, rebuilds);

    Session s;
    QVERIFY(s.open({"a.txt", "b.txt"}));
    FileRenamer &w = *s.w;
    w.CounterFormatCombo->setEditText(QStringLiteral("0"));
    if (cascade == QLatin1String("none-empty"))
        click(w.Option1[2]);
    else
        QTest::keyClicks(w.Prefixtext, "P");
    click(w.SelectAll);

    PreviewWatch watch(w.List1);
    if (cascade == QLatin1String("none-emptying"))
        click(w.Option1[2]);
    else
        QTest::keyClicks(w.RemoveText, "z");

    const QStringList expected = previewOf({"a.txt", "b.txt"}, newNames);
    QCOMPARE(w.List1->lines(), expected);
    QCOMPARE(watch.rebuilds.size(), rebuilds);
    QCOMPARE(watch.rebuilds.last(), expected);
}

void TestWiring::sameValueRaisesNothing_data()
{
    QTest::addColumn<QString>("control");

    for (const char *control : {"Prefixtext", "CounterStart", "RemoveText", "ReplaceText", "FileTypeText1",
                                "IncludeCountCheck", "Option1", "Option2", "Dir1", "Drive1"})
        QTest::addRow("same-value/%s/rewritten", control) << QString::fromLatin1(control);
}

// Writing the value a control already holds sets nothing off: a stand-in
// line in the preview stays, and so does the file selection.
void TestWiring::sameValueRaisesNothing()
{
    QFETCH(QString, control);

    Session s;
    QVERIFY(s.open({"a.txt", "b.txt"}));
    FileRenamer &w = *s.w;
    click(w.Option1[1]);
    QTest::keyClicks(w.Prefixtext, "x");
    QTest::keyClicks(w.RemoveText, "a");
    QTest::keyClicks(w.ReplaceText, "b");
    click(w.IncludeCountCheck);
    click(w.SelectAll);
    const QStringList stale = WriteQuietly(w.ReplaceText, QStringLiteral("c"), w.List1);

    if (control == QLatin1String("IncludeCountCheck"))
        w.IncludeCountCheck->setChecked(true);
    else if (control == QLatin1String("Option1"))
        w.Option1[1]->setChecked(true);
    else if (control == QLatin1String("Option2"))
        w.Option2[0]->setChecked(true);
    else if (control == QLatin1String("Dir1"))
        QVERIFY(w.Dir1->setPath(s.folder.path()));
    else if (control == QLatin1String("Drive1"))
        QVERIFY(w.Drive1->setDrive(w.Drive1->drive()));
    else if (auto *field = w.findChild<QLineEdit *>(control))
        field->setText(QString(field->text()));
    else
        QFAIL("no such control");

    QCOMPARE(w.List1->lines(), stale);
    QCOMPARE(w.File1->selectedCount(), 2);
    QVERIFY(w.IncludeCountCheck->isChecked());
    QCOMPARE(s.box->shown.size(), 0);
}

void TestWiring::quietWrites_data()
{
    QTest::addColumn<QString>("write");
    QTest::addColumn<bool>("previewCleared");

    QTest::newRow("quiet/Prefixtext/greyed") << "grey-prefix" << false;
    QTest::newRow("quiet/CounterStart/switched-on") << "switch-on-counter" << false;
    QTest::newRow("quiet/CounterFormatCombo/disabled") << "disable-combo" << false;
    QTest::newRow("quiet/File1/entry-selected") << "select-entry" << false;
    QTest::newRow("quiet/File1/entry-deselected") << "deselect-entry" << false;
    QTest::newRow("quiet/List1/cleared") << "clear-preview" << true;
}

// Enabled flags, colours, the preview's lines and the files' selected flags
// are written without any handler running.
void TestWiring::quietWrites()
{
    QFETCH(QString, write);
    QFETCH(bool, previewCleared);

    Session s;
    QVERIFY(s.open({"a.txt", "b.txt"}));
    FileRenamer &w = *s.w;
    QTest::keyClicks(w.Prefixtext, "x");
    clickFile(w.File1, 0);
    QCOMPARE(w.SelectedCount(), 1);
    const QStringList stale = WriteQuietly(w.RemoveText, QStringLiteral("a"), w.List1);

    if (write == QLatin1String("grey-prefix"))
        FileRenamer::SetSwitchedOn(w.Prefixtext, false);
    else if (write == QLatin1String("switch-on-counter"))
        FileRenamer::SetSwitchedOn(w.CounterStart, true);
    else if (write == QLatin1String("disable-combo"))
        w.CounterFormatCombo->setEnabled(false);
    else if (write == QLatin1String("select-entry"))
        w.File1->setSelected(1, true);
    else if (write == QLatin1String("deselect-entry"))
        w.File1->setSelected(0, false);
    else if (write == QLatin1String("clear-preview"))
        w.List1->clear();

    QCOMPARE(w.List1->lines(), previewCleared ? QStringList() : stale);
    QCOMPARE(w.SelectedCount(), 1);
    QCOMPARE(w.Prefixtext->text(), QStringLiteral("x"));
    QVERIFY(!w.IncludeCountCheck->isChecked());
}

void TestWiring::deselectedOptionRaisesNothing_data()
{
    QTest::addColumn<int>("group");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<QString>("newName");

    QTest::newRow("deselect/Option1/before-to-replace") << 1 << 1 << 0 << ".txt";
    QTest::newRow("deselect/Option1/replace-to-none") << 1 << 0 << 2 << "A.txt";
    QTest::newRow("deselect/Option2/upper-to-lower") << 2 << 1 << 2 << "a.txt";
    QTest::newRow("deselect/Option2/lower-to-unchanged") << 2 << 2 << 0 << "A.txt";
}

// Only the member that becomes selected raises the click: one rebuild per
// click, none for the member that lost its selection.
void TestWiring::deselectedOptionRaisesNothing()
{
    QFETCH(int, group);
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(QString, newName);

    Session s;
    QVERIFY(s.open({"A.txt"}));
    FileRenamer &w = *s.w;
    QRadioButton *const *options = group == 1 ? w.Option1 : w.Option2;
    clickFile(w.File1, 0);
    if (group == 2)
        click(w.Option1[1]); // the letter case shows on the file's own name
    if (!options[from]->isChecked())
        click(options[from]);

    PreviewWatch watch(w.List1);
    click(options[to]);

    QVERIFY(options[to]->isChecked());
    QVERIFY(!options[from]->isChecked());
    const QStringList expected{"A.txt" + Arrow + newName};
    QCOMPARE(watch.rebuilds, QList<QStringList>{expected});
}

QTEST_MAIN(TestWiring)
#include "tst_wiring.moc"
