// The main window as the user first sees it: every control in its place with
// its caption, font and colours, the tab order, the tool tips, captions that
// fit, the greyed counter boxes and the two independent option groups.
#include "support/testservices.h"

#include "batch/previewmodel.h"
#include "window/dirlist.h"
#include "window/drivelist.h"
#include "window/filelist.h"
#include "window/filerenamer.h"
#include "window/previewlist.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>

#include <cmath>
#include <memory>

namespace {

// Design values are in twips: 15 to a pixel at 96 dots per inch.
int px(int twips)
{
    return qRound(twips / 15.0);
}

const QColor White(255, 255, 255);
const QColor Grey(224, 224, 224);

// The lists show the drive, the folder and the files the program starts in,
// and the maker's notice is free text; their captions are checked elsewhere.
const QString Varies = QStringLiteral("(varies)");

// A main window with a settings file of its own, as on a first run.
struct Window {
    Window()
        : services(MakeTestServices(settingsDir.filePath(QStringLiteral("settings.ini")), &box)), w(*services)
    {
    }

    QTemporaryDir settingsDir;
    RecordingMessageBox *box = nullptr;
    std::unique_ptr<PlatformServices> services;
    FileRenamer w;
};

QString captionOf(const QWidget *control)
{
    if (auto *button = qobject_cast<const QAbstractButton *>(control))
        return button->text();
    if (auto *label = qobject_cast<const QLabel *>(control))
        return label->text();
    if (auto *frame = qobject_cast<const QGroupBox *>(control))
        return frame->title();
    if (auto *text = qobject_cast<const QLineEdit *>(control))
        return text->text();
    if (auto *preview = qobject_cast<const PreviewList *>(control))
        return preview->lines().join(QLatin1Char('\n'));
    if (auto *combo = qobject_cast<const QComboBox *>(control))
        return combo->currentText();
    return QString();
}

// A click on an option button or check box lands on its mark.
void clickMark(QAbstractButton *button)
{
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, QPoint(6, button->height() / 2));
}

QWidget *controlNamed(const FileRenamer &w, const QString &key)
{
    for (QWidget *control : w.controls()) {
        if (w.ControlKey(control) == key)
            return control;
    }
    return nullptr;
}

QRadioButton *optionButton(FileRenamer &w, int group, int index)
{
    return group == 1 ? w.Option1[index] : w.Option2[index];
}

// Both files of the start folder selected for a folder that is not there:
// the run would stop at the first line, and the second it would not reach.
void foretellStop(FileRenamer &w)
{
    w.Option1[1]->setChecked(true);
    w.Prefixtext->setText(QStringLiteral("Nope/"));
    w.SelectAll_Click();
    QTRY_VERIFY(w.List1->preview()->stop().has_value());
}

// The contrast of two colours as screens show them, 1 to 21.
double contrast(const QColor &a, const QColor &b)
{
    auto luminance = [](const QColor &c) {
        auto linear = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
    };
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

} // namespace

class TestLayout : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();

    void controlOrder();
    void controls_data();
    void controls();
    void startsInCurrentFolder();
    void window();
    void listsLieAboveFrames();
    void designLook();
    void darkScheme_data();
    void darkScheme();
    void hoverTips_data();
    void hoverTips();
    void focusOrder();
    void captionsFit();
    void tabKey_data();
    void tabKey();
    void counterBoxesFollowTick();
    void optionGroups_data();
    void optionGroups();
    void previewIsFixedPitch();
    void inputsHaveNames();

private:
    QTemporaryDir m_home;
};

void TestLayout::initTestCase()
{
    QVERIFY(m_home.isValid());
    qputenv("HOME", QFile::encodeName(m_home.path()));
    UseDataHome(m_home.filePath(QStringLiteral("data")));
    // The window opens in the current folder; give it a small one of its own.
    const QString start = m_home.filePath(QStringLiteral("start"));
    QVERIFY(QDir().mkpath(start));
    for (const char *name : {"b.txt", "a.txt"}) {
        QFile file(start + QLatin1Char('/') + QLatin1String(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QVERIFY(QDir::setCurrent(start));
}

void TestLayout::controlOrder()
{
    Window f;
    QStringList names;
    for (const QWidget *control : f.w.controls())
        names.append(f.w.ControlKey(control));
    const QStringList expected = {"Rename",       "Drive1",
                                  "Dir1",         "File1",
                                  "Frame4",       "ReplaceText",
                                  "RemoveText",   "Label7",
                                  "Label6",       "Frame5",
                                  "Delete",       "SelectNone",
                                  "SelectAll",    "FileTypeText1",
                                  "Label5",       "Label4",
                                  "Frame1",       "Option1(2)",
                                  "Option1(0)",   "Option1(1)",
                                  "Prefixtext",   "Label3",
                                  "Frame6",       "CounterFormatCombo",
                                  "CounterStart", "IncludeCountCheck",
                                  "Label8",       "Label1",
                                  "Frame2",       "Option2(2)",
                                  "Option2(1)",   "Option2(0)",
                                  "List1",        "Frame3",
                                  "Label2"};
    QCOMPARE(names, expected);
}

void TestLayout::controls_data()
{
    QTest::addColumn<int>("order");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("container");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("left"); // twips
    QTest::addColumn<int>("top");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("tabIndex");
    QTest::addColumn<QString>("toolTip");

    int order = 0;
    auto row = [&order](const char *name, const char *kind, const char *container, const QString &caption,
                        int left, int top, int width, int height, int tabIndex, const char *toolTip = "") {
        QTest::addRow("control/%s", name) << order++ << QString::fromLatin1(name) << QString::fromLatin1(kind)
                                          << QString::fromLatin1(container) << caption << left << top << width
                                          << height << tabIndex << QString::fromLatin1(toolTip);
    };
    const QString none;

    row("Rename", "CommandButton", "FileRenamer", "Rename", 8520, 3840, 1455, 495, 32);
    row("Drive1", "DriveListBox", "FileRenamer", Varies, 240, 240, 1455, 360, 0);
    row("Dir1", "DirListBox", "FileRenamer", Varies, 240, 600, 4395, 1710, 1);
    row("File1", "FileListBox", "FileRenamer", Varies, 4920, 240, 4890, 2730, 3,
        "Use mouse, shift or control to select");
    row("Frame4", "Frame", "FileRenamer", none, 4800, 3720, 3615, 615, 13);
    row("ReplaceText", "TextBox", "Frame4", none, 2880, 240, 555, 285, 20);
    row("RemoveText", "TextBox", "Frame4", none, 960, 240, 555, 285, 19);
    row("Label7", "Label", "Frame4", "Remove", 120, 240, 855, 255, 21);
    row("Label6", "Label", "Frame4", "Replace with", 1800, 240, 975, 255, 14);
    row("Frame5", "Frame", "FileRenamer", none, 4800, 0, 5175, 3735, 22);
    row("Delete", "CommandButton", "Frame5", "Delete", 3720, 3000, 1215, 255, 31);
    row("SelectNone", "CommandButton", "Frame5", "Select None", 1440, 3000, 1215, 255, 30);
    row("SelectAll", "CommandButton", "Frame5", "Select All", 120, 3000, 1215, 255, 29);
    row("FileTypeText1", "TextBox", "Frame5", none, 960, 3360, 2040, 285, 23,
        "Leave Blank for ALL file types.");
    row("Label5", "Label", "Frame5", "(Use commas to seperate)", 3120, 3360, 2055, 255, 25);
    row("Label4", "Label", "Frame5", "File ext(s)", 120, 3360, 855, 255, 24);
    row("Frame1", "Frame", "FileRenamer", none, 120, 2400, 2775, 975, 2);
    row("Option1(2)", "OptionButton", "Frame1", "None", 1920, 600, 720, 240, 28);
    row("Option1(0)", "OptionButton", "Frame1", "Replace", 120, 600, 960, 240, 7,
        "Replace the file with a new name.");
    row("Option1(1)", "OptionButton", "Frame1", "Before", 1080, 600, 840, 240, 8,
        "Apply a Pefix BEFORE the existing file names.");
    row("Prefixtext", "TextBox", "Frame1", none, 720, 240, 1920, 285, 6);
    row("Label3", "Label", "Frame1", "Prefix", 120, 240, 495, 255, 5);
    row("Frame6", "Frame", "FileRenamer", none, 3000, 2400, 1695, 1935, 15);
    row("CounterFormatCombo", "ComboBox", "Frame6", none, 120, 1440, 1455, 360, 33);
    row("CounterStart", "TextBox", "Frame6", "1", 1080, 720, 435, 285, 17);
    row("IncludeCountCheck", "CheckBox", "Frame6", "Include Count", 120, 240, 1455, 240, 16);
    row("Label8", "Label", "Frame6", "Counter Format", 120, 1200, 1335, 255, 34);
    row("Label1", "Label", "Frame6", "Start Count", 120, 720, 1095, 255, 18);
    row("Frame2", "Frame", "FileRenamer", none, 120, 3360, 2775, 975, 9);
    row("Option2(2)", "OptionButton", "Frame2", "lower", 1320, 600, 735, 255, 12);
    row("Option2(1)", "OptionButton", "Frame2", "UPPER", 120, 600, 975, 255, 11);
    row("Option2(0)", "OptionButton", "Frame2", "UnChanged Char Case", 120, 240, 2175, 255, 10);
    row("List1", "ListBox", "FileRenamer", none, 120, 4440, 9885, 2205, 4);
    row("Frame3", "Frame", "FileRenamer", none, 120, 0, 4575, 2415, 26);
    row("Label2", "Label", "Frame3", Varies, 2280, 240, 2175, 255, 27);
}

void TestLayout::controls()
{
    QFETCH(int, order);
    QFETCH(QString, name);
    QFETCH(QString, kind);
    QFETCH(QString, container);
    QFETCH(QString, caption);
    QFETCH(int, left);
    QFETCH(int, top);
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, tabIndex);
    QFETCH(QString, toolTip);

    Window f;
    QCOMPARE(f.w.controls().size(), 35);
    const QWidget *control = f.w.controls().at(order);
    QCOMPARE(f.w.ControlKey(control), name);
    QCOMPARE(control->property("kind").toString(), kind);
    QVERIFY(control->parentWidget());
    QCOMPARE(control->parentWidget()->objectName(), container);
    if (caption != Varies)
        QCOMPARE(captionOf(control), caption);
    else if (kind == QLatin1String("Label"))
        QVERIFY(!captionOf(control).isEmpty());
    QCOMPARE(control->geometry(), QRect(px(left), px(top), px(width), px(height)));
    QCOMPARE(control->property("tabIndex").toInt(), tabIndex);
    QCOMPARE(control->toolTip(), toolTip);
    // An entry's own tip would show instead of the list's, or where it has none.
    if (auto *view = qobject_cast<const QAbstractItemView *>(control)) {
        for (int row = 0; row < view->model()->rowCount(); ++row) {
            const QModelIndex entry = view->model()->index(row, 0);
            QVERIFY2(entry.data(Qt::ToolTipRole).toString().isEmpty(), qPrintable(entry.data().toString()));
        }
    }
}

void TestLayout::startsInCurrentFolder()
{
    Window f;
    const QString start = QDir::currentPath();
    QCOMPARE(f.w.Dir1->path(), start);
    QCOMPARE(f.w.File1->path(), start);
    QCOMPARE(f.w.File1->names(), QStringList({"a.txt", "b.txt"}));
    QVERIFY2(start.startsWith(QDir::fromNativeSeparators(f.w.Drive1->root())),
             qPrintable(f.w.Drive1->root()));
#ifdef Q_OS_WIN
    // Drives are letters, "c:" or "c: [label]" in lower case, with their
    // roots as Windows writes them; the folder list shows the root so too.
    QStringList letters;
    for (int i = 0; i < f.w.Drive1->count(); ++i) {
        const QString text = f.w.Drive1->itemText(i);
        QVERIFY2(text.size() == 2 || text.mid(2, 2) == QLatin1String(" ["), qPrintable(text));
        letters.append(text.left(2));
    }
    QVERIFY2(letters.contains(start.left(2).toLower()), qPrintable(letters.join(u',')));
    QCOMPARE(f.w.Drive1->drive().left(2), start.left(2).toLower());
    QCOMPARE(f.w.Drive1->root(), start.left(2).toUpper() + QLatin1Char('\\'));
    QCOMPARE(f.w.Dir1->model()->index(0, 0).data().toString(), start.left(2).toUpper() + QLatin1Char('\\'));
#endif
}

void TestLayout::window()
{
    Window f;
    FileRenamer &w = f.w;
    QCOMPARE(w.logicalDpiX(), 96);
    QCOMPARE(w.objectName(), QStringLiteral("FileRenamer"));
    QCOMPARE(w.windowTitle(), QStringLiteral("Quorlane v1.01"));
    QVERIFY(!w.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!w.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    QVERIFY(w.windowFlags().testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(w.windowIcon().availableSizes().contains(QSize(32, 32)));

    const QSize client(px(10065), px(6690));
    QCOMPARE(client, QSize(671, 446));
    QCOMPARE(w.size(), client);
    QCOMPARE(w.minimumSize(), client);
    QCOMPARE(w.maximumSize(), client);

    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.resize(900, 700);
    QCOMPARE(w.size(), client);
}

// The drive, folder and file lists are drawn over the group boxes that
// surround them.
void TestLayout::listsLieAboveFrames()
{
    Window f;
    FileRenamer &w = f.w;
    for (QWidget *list : {static_cast<QWidget *>(w.Drive1), static_cast<QWidget *>(w.Dir1),
                          static_cast<QWidget *>(w.File1)}) {
        const QPoint centre = list->geometry().center();
        QWidget *top = w.childAt(centre);
        QVERIFY2(top && (top == list || list->isAncestorOf(top)), qPrintable(list->objectName()));
    }
}

void TestLayout::designLook()
{
    Window f;
    FileRenamer &w = f.w;
    auto checkFont = [](const QWidget *control, qreal points, bool bold) {
        QCOMPARE(control->font().pointSizeF(), points);
        QCOMPARE(control->font().bold(), bold);
    };
    checkFont(&w, 8.25, false);
    checkFont(w.Rename, 8.25, true);
    checkFont(w.Delete, 8.25, false);
    checkFont(w.Label2, 12, true);
    // The prefix group's own font is the font of everything inside it.
    for (const QWidget *control :
         {static_cast<QWidget *>(w.Frame1), static_cast<QWidget *>(w.Label3),
          static_cast<QWidget *>(w.Option1[0]), static_cast<QWidget *>(w.Prefixtext)})
        checkFont(control, 9.75, true);
    checkFont(w.Option2[0], 8.25, false);
    checkFont(w.List1, 9.75, false);

    for (const QWidget *list : {static_cast<QWidget *>(w.Dir1), static_cast<QWidget *>(w.File1)}) {
        QCOMPARE(list->palette().color(QPalette::Base), White);
        QCOMPARE(list->palette().color(QPalette::Text), QColor(Qt::black));
    }
    QCOMPARE(w.List1->palette().color(QPalette::Base), QColor(247, 245, 250));
    QCOMPARE(w.FileTypeText1->palette().color(QPalette::Base), White);
}

void TestLayout::darkScheme_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("ticked"); // "Include Count"
    QTest::addColumn<QColor>("background");
    QTest::addColumn<QColor>("text");
    QTest::addColumn<int>("line"); // of the preview, whose own colour the text is; -1: none

    const QColor black(Qt::black);
    const QColor preview(247, 245, 250);
    for (auto name : {"Drive1", "Dir1", "File1", "Prefixtext", "RemoveText", "ReplaceText", "FileTypeText1"})
        QTest::addRow("dark/%s/white", name) << name << false << White << black << -1;
    QTest::newRow("dark/List1/preview") << "List1" << false << preview << black << -1;
    QTest::newRow("dark/List1/stop-line") << "List1" << false << preview << QColor(178, 34, 34) << 0;
    QTest::newRow("dark/List1/line-not-reached") << "List1" << false << preview << QColor(109, 109, 109) << 1;
    for (auto name : {"CounterStart", "CounterFormatCombo"}) {
        QTest::addRow("dark/%s/greyed", name) << name << false << Grey << QColor(109, 109, 109) << -1;
        QTest::addRow("dark/%s/switched-on", name) << name << true << White << black << -1;
    }
}

// Under a dark colour scheme every box keeps black (or, greyed, dark grey)
// text on its own light background; the drive list is a button. The
// preview's line where the run would stop and the lines after it keep
// colours that read on its background.
void TestLayout::darkScheme()
{
    QFETCH(QString, name);
    QFETCH(bool, ticked);
    QFETCH(QColor, background);
    QFETCH(QColor, text);
    QFETCH(int, line);

    const QPalette light = QApplication::palette();
    QApplication::setPalette(QPalette(QColor(53, 53, 53), QColor(35, 35, 35))); // light text on dark
    Window f;
    f.w.Form_Load();
    f.w.IncludeCountCheck->setChecked(ticked);
    if (line >= 0)
        foretellStop(f.w);
    const QWidget *control = controlNamed(f.w, name);
    const QPalette shown = control ? control->palette() : QPalette();
    QApplication::setPalette(light);
    QVERIFY(control);
    const QPalette::ColorGroup group = control->isEnabled() ? QPalette::Active : QPalette::Disabled;
    const bool button = control == f.w.Drive1;
    QCOMPARE(shown.color(group, button ? QPalette::Button : QPalette::Base), background);
    const QColor shownText = line < 0
        ? shown.color(group, button ? QPalette::ButtonText : QPalette::Text)
        : f.w.List1->model()->index(line, 0).data(Qt::ForegroundRole).value<QColor>();
    QCOMPARE(shownText, text);
    QVERIFY2(line < 0 || contrast(shownText, background) >= 4.5,
             qPrintable(QString::number(contrast(text, background))));
}

void TestLayout::hoverTips_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("tip");
    QTest::addColumn<int>("line"); // the entry or line the pointer rests on; -1: the control's middle

    QTest::newRow("tip/File1/over-entry") << "File1"
                                          << "Use mouse, shift or control to select" << 0;
    QTest::newRow("tip/FileTypeText1") << "FileTypeText1"
                                       << "Leave Blank for ALL file types." << -1;
    QTest::newRow("tip/Option1(0)") << "Option1(0)"
                                    << "Replace the file with a new name." << -1;
    QTest::newRow("tip/Option1(1)") << "Option1(1)"
                                    << "Apply a Pefix BEFORE the existing file names." << -1;
    QTest::newRow("tip/List1/stop-line") << "List1"
                                         << "there is no folder Nope" << 0;
    QTest::newRow("tip/List1/line-not-reached") << "List1"
                                                << "the run stops at a.txt: there is no folder Nope" << 1;
}

// Hovering: the tip shows wherever the pointer rests on the control, also
// over a file of the list and over a preview line the run would not rename.
void TestLayout::hoverTips()
{
    QFETCH(QString, name);
    QFETCH(QString, tip);
    QFETCH(int, line);

    Window f;
    FileRenamer &w = f.w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QWidget *control = controlNamed(w, name);
    QVERIFY(control);

    QPoint point = control->rect().center();
    if (line >= 0) {
        if (control == w.List1)
            foretellStop(w);
        auto *view = qobject_cast<QAbstractItemView *>(control);
        QVERIFY(view && view->model()->rowCount() > line);
        point = view->viewport()->mapTo(view, view->visualRect(view->model()->index(line, 0)).center());
    }
    QWidget *target = control->childAt(point) ? control->childAt(point) : control;
    const QPoint local = target->mapFrom(control, point);
    QHelpEvent hover(QEvent::ToolTip, local, target->mapToGlobal(local));
    QApplication::sendEvent(target, &hover);
    QTRY_COMPARE(QToolTip::text(), tip);
    QToolTip::hideText();
}

void TestLayout::focusOrder()
{
    Window f;
    FileRenamer &w = f.w;
    QHash<const QWidget *, QString> keys;
    for (const QWidget *control : w.controls())
        keys.insert(control, w.ControlKey(control));

    // One round of the focus chain from the drive list; the inner parts of a
    // control (the combo box's text field) are not controls of their own.
    QStringList order;
    QWidget *widget = w.Drive1;
    do {
        const QString key = keys.value(widget);
        if (!key.isEmpty() && widget->focusPolicy() != Qt::NoFocus && !order.contains(key))
            order.append(key);
        widget = widget->nextInFocusChain();
    } while (widget && widget != w.Drive1);

    const QStringList expected = {"Drive1",
                                  "Dir1",
                                  "File1",
                                  "List1",
                                  "Prefixtext",
                                  "Option1(0)",
                                  "Option1(1)",
                                  "Option2(0)",
                                  "Option2(1)",
                                  "Option2(2)",
                                  "IncludeCountCheck",
                                  "CounterStart",
                                  "RemoveText",
                                  "ReplaceText",
                                  "FileTypeText1",
                                  "Option1(2)",
                                  "SelectAll",
                                  "SelectNone",
                                  "Delete",
                                  "Rename",
                                  "CounterFormatCombo"};
    QCOMPARE(order, expected);
}

void TestLayout::tabKey_data()
{
    QTest::addColumn<QString>("setUp");
    QTest::addColumn<QStringList>("expected");

    // Greyed controls are passed over, and of an option group only the
    // selected member is a stop.
    const QStringList start = {"Drive1", "Dir1", "File1", "List1"};
    const QStringList end = {"SelectAll", "SelectNone", "Delete", "Rename"};
    QTest::newRow("tab/first-run/counter-greyed")
        << ""
        << start + QStringList{"Prefixtext", "Option1(0)",  "Option2(0)",   "IncludeCountCheck",
                               "RemoveText", "ReplaceText", "FileTypeText1"}
            + end;
    QTest::newRow("tab/counter/ticked")
        << "IncludeCountCheck"
        << start + QStringList{"Prefixtext",   "Option1(0)", "Option2(0)",  "IncludeCountCheck",
                               "CounterStart", "RemoveText", "ReplaceText", "FileTypeText1"}
            + end + QStringList{"CounterFormatCombo"};
    QTest::newRow("tab/options/before-and-upper")
        << "Option1(1) Option2(1)"
        << start + QStringList{"Prefixtext", "Option1(1)",  "Option2(1)",   "IncludeCountCheck",
                               "RemoveText", "ReplaceText", "FileTypeText1"}
            + end;
    QTest::newRow("tab/options/before-and-upper-restored")
        << "stored: Option1(1) Option2(1)"
        << start + QStringList{"Prefixtext", "Option1(1)",  "Option2(1)",   "IncludeCountCheck",
                               "RemoveText", "ReplaceText", "FileTypeText1"}
            + end;
    QTest::newRow("tab/options/none-greys-prefix")
        << "Option1(2)"
        << start + QStringList{"Option2(0)",  "IncludeCountCheck", "RemoveText",
                               "ReplaceText", "FileTypeText1",     "Option1(2)"}
            + end;
}

// The Tab key from the drive list once round the window.
void TestLayout::tabKey()
{
    QFETCH(QString, setUp);
    QFETCH(QStringList, expected);

    Window f;
    FileRenamer &w = f.w;
    // "stored:" names the members a previous run left selected; the others
    // name the buttons to click.
    QStringList names = setUp.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (names.value(0) == QLatin1String("stored:")) {
        QSettings store(f.settingsDir.filePath(QStringLiteral("settings.ini")), QSettings::IniFormat);
        for (const QString &key : names.mid(1))
            store.setValue(QStringLiteral("Values/") + key, "True");
        names.clear();
    }
    w.Form_Load();
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    for (const QString &name : std::as_const(names)) {
        auto *button = qobject_cast<QAbstractButton *>(controlNamed(w, name));
        QVERIFY2(button, qPrintable(name));
        clickMark(button);
    }

    w.Drive1->setFocus(Qt::TabFocusReason);
    QStringList stops;
    for (int i = 0; i < 40; ++i) {
        QWidget *focus = QApplication::focusWidget();
        QVERIFY(focus);
        // The combo box's text field stands for the combo box.
        QString key;
        for (QWidget *widget = focus; widget && key.isEmpty(); widget = widget->parentWidget()) {
            if (w.controls().contains(widget))
                key = w.ControlKey(widget);
        }
        if (i > 0 && key == QLatin1String("Drive1"))
            break;
        stops.append(key.isEmpty() ? QString::fromLatin1(focus->metaObject()->className()) : key);
        QTest::keyClick(focus, Qt::Key_Tab);
    }
    QCOMPARE(stops, expected);
}

// Guards the choice of fonts and of the marks' metrics: the design's widths
// leave little room, and a wider substitute font cuts captions off.
void TestLayout::captionsFit()
{
    Window f;
    QStringList cutOff;
    for (const QWidget *control : f.w.controls()) {
        if (!qobject_cast<const QLabel *>(control) && !qobject_cast<const QAbstractButton *>(control))
            continue;
        if (control->sizeHint().width() > control->width()) {
            cutOff.append(QStringLiteral("%1 needs %2 has %3")
                              .arg(f.w.ControlKey(control))
                              .arg(control->sizeHint().width())
                              .arg(control->width()));
        }
    }
    QVERIFY2(cutOff.isEmpty(), qPrintable(cutOff.join(QLatin1String("; "))));
}

void TestLayout::counterBoxesFollowTick()
{
    Window f;
    FileRenamer &w = f.w;
    w.Form_Load();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    auto expectCounterBoxes = [&w](bool on) {
        for (QWidget *box :
             {static_cast<QWidget *>(w.CounterFormatCombo), static_cast<QWidget *>(w.CounterStart),
              static_cast<QWidget *>(w.CounterFormatCombo->lineEdit())}) {
            QVERIFY2(box->isEnabled() == on, qPrintable(box->objectName()));
            QCOMPARE(box->palette().color(QPalette::Base), on ? White : Grey);
        }
    };

    // First run: the counter is off and greyed, the prefix box switched on.
    QVERIFY(!w.IncludeCountCheck->isChecked());
    QCOMPARE(w.CounterStart->text(), QStringLiteral("1"));
    QVERIFY(w.Prefixtext->isEnabled());
    QCOMPARE(w.Prefixtext->palette().color(QPalette::Base), White);
    expectCounterBoxes(false);
    if (QTest::currentTestFailed())
        return;

    clickMark(w.IncludeCountCheck);
    QVERIFY(w.IncludeCountCheck->isChecked());
    expectCounterBoxes(true);
    if (QTest::currentTestFailed())
        return;

    clickMark(w.IncludeCountCheck);
    QVERIFY(!w.IncludeCountCheck->isChecked());
    expectCounterBoxes(false);
}

void TestLayout::optionGroups_data()
{
    // Two clicks, each on (group, index); then the selected index of each group.
    QTest::addColumn<QList<int>>("firstClick");
    QTest::addColumn<QList<int>>("secondClick");
    QTest::addColumn<int>("prefixMode");
    QTest::addColumn<int>("caseMode");

    QTest::newRow("options/prefix/before-keeps-lower") << QList<int>{2, 2} << QList<int>{1, 1} << 1 << 2;
    QTest::newRow("options/prefix/none-keeps-upper") << QList<int>{2, 1} << QList<int>{1, 2} << 2 << 1;
    QTest::newRow("options/prefix/replace-after-before") << QList<int>{1, 1} << QList<int>{1, 0} << 0 << 0;
    QTest::newRow("options/case/upper-keeps-before") << QList<int>{1, 1} << QList<int>{2, 1} << 1 << 1;
    QTest::newRow("options/case/lower-after-upper") << QList<int>{2, 1} << QList<int>{2, 2} << 0 << 2;
}

void TestLayout::optionGroups()
{
    QFETCH(QList<int>, firstClick);
    QFETCH(QList<int>, secondClick);
    QFETCH(int, prefixMode);
    QFETCH(int, caseMode);

    Window f;
    FileRenamer &w = f.w;
    w.Form_Load();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));

    clickMark(optionButton(w, firstClick[0], firstClick[1]));
    clickMark(optionButton(w, secondClick[0], secondClick[1]));
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(w.Option1[i]->isChecked(), i == prefixMode);
        QCOMPARE(w.Option2[i]->isChecked(), i == caseMode);
    }
}

void TestLayout::previewIsFixedPitch()
{
    Window f;
    QVERIFY2(QFontInfo(f.w.List1->font()).fixedPitch(), qPrintable(QFontInfo(f.w.List1->font()).family()));
}

void TestLayout::inputsHaveNames()
{
    Window f;
    for (const QWidget *control : f.w.controls()) {
        const QString kind = control->property("kind").toString();
        if (kind == QLatin1String("Label") || kind == QLatin1String("Frame"))
            continue;
        // A button names itself by its caption; a box's text is its value, not its name.
        const auto *button = qobject_cast<const QAbstractButton *>(control);
        const bool named = !control->accessibleName().isEmpty() || (button && !button->text().isEmpty());
        QVERIFY2(named, qPrintable(f.w.ControlKey(control)));
    }
}

QTEST_MAIN(TestLayout)
#include "tst_layout.moc"
