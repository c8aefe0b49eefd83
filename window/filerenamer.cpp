#include "window/filerenamer.h"

#include "platform/platformservices.h"
#include "window/designstyle.h"
#include "window/dirlist.h"
#include "window/drivelist.h"
#include "window/filelist.h"
#include "window/previewlist.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFontInfo>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>

namespace {

const QColor White(255, 255, 255);
const QColor Grey(224, 224, 224);
const QColor PreviewBackground(247, 245, 250);
const QColor Black(0, 0, 0);
const QColor GreyedText(109, 109, 109);

// Each box's text colour is set with its background, so that a dark colour
// scheme of the desktop never puts light text on a white box; a greyed box
// keeps its text readable. A drop-down list that cannot be edited draws its
// field as a button face.
void setBoxColours(QWidget *control, const QColor &background, bool buttonFace = false)
{
    QPalette palette = control->palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        const QColor text = group == QPalette::Disabled ? GreyedText : Black;
        palette.setColor(group, QPalette::Base, background);
        palette.setColor(group, QPalette::Text, text);
        if (buttonFace) {
            palette.setColor(group, QPalette::Button, background);
            palette.setColor(group, QPalette::ButtonText, text);
        }
    }
    if (palette != control->palette())
        control->setPalette(palette);
}

// Design fonts with metric-compatible substitutes where they are missing.
QFont designFont(const QStringList &families, qreal points, bool bold)
{
    QFont font;
    font.setFamilies(families);
    font.setPointSizeF(points);
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    return font;
}

QFont trebuchet(qreal points, bool bold = false)
{
    return designFont({QStringLiteral("Trebuchet MS"), QStringLiteral("Liberation Sans"),
                       QStringLiteral("Arial"), QStringLiteral("DejaVu Sans")},
                      points, bold);
}

// The design's bold sans serif is much narrower than its substitutes; at the
// same height they are drawn narrower to keep its widths.
QFont sansSerifBold(qreal points)
{
    QFont font = designFont({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"),
                             QStringLiteral("Arial"), QStringLiteral("DejaVu Sans")},
                            points, true);
    if (!QFontInfo(font).family().startsWith(QLatin1String("MS Sans Serif")))
        font.setStretch(80);
    return font;
}

QFont courier(qreal points)
{
    QFont font = designFont({QStringLiteral("Courier"), QStringLiteral("Liberation Mono"),
                             QStringLiteral("Courier New"), QStringLiteral("DejaVu Sans Mono")},
                            points, false);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    return font;
}

// The selected member keeps its tab stop, the others can still be clicked.
void keepSelectedTabStop(const QButtonGroup *group)
{
    for (QAbstractButton *member : group->buttons())
        member->setFocusPolicy(member->isChecked() ? Qt::StrongFocus : Qt::ClickFocus);
}

} // namespace

FileRenamer::FileRenamer(PlatformServices &services, QWidget *parent)
    : QWidget(parent,
              Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                  | Qt::WindowCloseButtonHint),
      m_services(services)
{
    setObjectName(QStringLiteral("FileRenamer"));
    setWindowTitle(QStringLiteral("Quorlane v1.01"));
    setWindowIcon(QIcon(QStringLiteral(":/assets/quorlane.png")));
    setFont(trebuchet(8.25));
    createControls();
    wireEvents();
}

FileRenamer::~FileRenamer() = default;

void FileRenamer::createControls()
{
    // Positions and sizes are in twips: 15 to a pixel at 96 dots per inch.
    m_style = new DesignStyle;
    m_style->setParent(this);
    const qreal pixelsPerTwip = logicalDpiX() / 96.0 / 15.0;
    auto px = [pixelsPerTwip](int twips) { return qRound(twips * pixelsPerTwip); };
    setFixedSize(px(10065), px(6690));

    // Each control is registered in creation order with its name, its kind,
    // its array index where it has one, and its tab index.
    auto add = [&](auto *control, const char *name, const char *kind, int left, int top, int width,
                   int height, int tabIndex, int arrayIndex = -1) {
        control->setObjectName(QLatin1String(name));
        control->setProperty("kind", QLatin1String(kind));
        control->setProperty("tabIndex", tabIndex);
        if (arrayIndex >= 0)
            control->setProperty("index", arrayIndex);
        control->setGeometry(px(left), px(top), px(width), px(height));
        if (qobject_cast<QAbstractButton *>(control) && !qobject_cast<QPushButton *>(control))
            control->setStyle(m_style);
        m_controls.append(control);
        return control;
    };
    auto frame = [&](const char *name, int left, int top, int width, int height, int tabIndex) {
        auto *box = add(new QGroupBox(this), name, "Frame", left, top, width, height, tabIndex);
        box->setFlat(false);
        return box;
    };
    auto label = [&](QWidget *container, const char *name, const QString &caption, int left, int top,
                     int width, int height, int tabIndex) {
        return add(new QLabel(caption, container), name, "Label", left, top, width, height, tabIndex);
    };
    auto textBox = [&](QWidget *container, const char *name, int left, int top, int width, int height,
                       int tabIndex, const QString &accessibleName) {
        auto *box = add(new QLineEdit(container), name, "TextBox", left, top, width, height, tabIndex);
        box->setAccessibleName(accessibleName);
        SetSwitchedOn(box, true);
        return box;
    };

    Rename = add(new QPushButton(QStringLiteral("Rename"), this), "Rename", "CommandButton", 8520, 3840, 1455,
                 495, 32);
    Rename->setFont(trebuchet(8.25, true));

    Drive1 = add(new DriveList(this), "Drive1", "DriveListBox", 240, 240, 1455, 360, 0);
    Drive1->setAccessibleName(QStringLiteral("Drive"));
    setBoxColours(Drive1, White, true);
    Dir1 = add(new DirList(this), "Dir1", "DirListBox", 240, 600, 4395, 1710, 1);
    Dir1->setAccessibleName(QStringLiteral("Folder"));
    setBoxColours(Dir1, White);
    File1 = add(new FileList(this), "File1", "FileListBox", 4920, 240, 4890, 2730, 3);
    File1->setAccessibleName(QStringLiteral("Files"));
    setBoxColours(File1, White);
    File1->setToolTip(QStringLiteral("Use mouse, shift or control to select"));

    Frame4 = frame("Frame4", 4800, 3720, 3615, 615, 13);
    ReplaceText = textBox(Frame4, "ReplaceText", 2880, 240, 555, 285, 20, QStringLiteral("Replace with"));
    RemoveText = textBox(Frame4, "RemoveText", 960, 240, 555, 285, 19, QStringLiteral("Remove"));
    Label7 = label(Frame4, "Label7", QStringLiteral("Remove"), 120, 240, 855, 255, 21);
    Label6 = label(Frame4, "Label6", QStringLiteral("Replace with"), 1800, 240, 975, 255, 14);

    Frame5 = frame("Frame5", 4800, 0, 5175, 3735, 22);
    Delete = add(new QPushButton(QStringLiteral("Delete"), Frame5), "Delete", "CommandButton", 3720, 3000,
                 1215, 255, 31);
    SelectNone = add(new QPushButton(QStringLiteral("Select None"), Frame5), "SelectNone", "CommandButton",
                     1440, 3000, 1215, 255, 30);
    SelectAll = add(new QPushButton(QStringLiteral("Select All"), Frame5), "SelectAll", "CommandButton", 120,
                    3000, 1215, 255, 29);
    FileTypeText1 = textBox(Frame5, "FileTypeText1", 960, 3360, 2040, 285, 23, QStringLiteral("File ext(s)"));
    FileTypeText1->setToolTip(QStringLiteral("Leave Blank for ALL file types."));
    Label5 = label(Frame5, "Label5", QStringLiteral("(Use commas to seperate)"), 3120, 3360, 2055, 255, 25);
    Label4 = label(Frame5, "Label4", QStringLiteral("File ext(s)"), 120, 3360, 855, 255, 24);

    Frame1 = frame("Frame1", 120, 2400, 2775, 975, 2);
    Frame1->setFont(sansSerifBold(9.75));
    Option1[2] = add(new QRadioButton(QStringLiteral("None"), Frame1), "Option1", "OptionButton", 1920, 600,
                     720, 240, 28, 2);
    Option1[0] = add(new QRadioButton(QStringLiteral("Replace"), Frame1), "Option1", "OptionButton", 120, 600,
                     960, 240, 7, 0);
    Option1[0]->setToolTip(QStringLiteral("Replace the file with a new name."));
    Option1[1] = add(new QRadioButton(QStringLiteral("Before"), Frame1), "Option1", "OptionButton", 1080, 600,
                     840, 240, 8, 1);
    Option1[1]->setToolTip(QStringLiteral("Apply a Pefix BEFORE the existing file names."));
    Prefixtext = textBox(Frame1, "Prefixtext", 720, 240, 1920, 285, 6, QStringLiteral("Prefix"));
    Label3 = label(Frame1, "Label3", QStringLiteral("Prefix"), 120, 240, 495, 255, 5);

    Frame6 = frame("Frame6", 3000, 2400, 1695, 1935, 15);
    CounterFormatCombo
        = add(new QComboBox(Frame6), "CounterFormatCombo", "ComboBox", 120, 1440, 1455, 360, 33);
    CounterFormatCombo->setEditable(true);
    CounterFormatCombo->setInsertPolicy(QComboBox::NoInsert); // a typed pattern never joins the list
    CounterFormatCombo->setCompleter(nullptr); // and is taken exactly as typed
    CounterFormatCombo->setAccessibleName(QStringLiteral("Counter Format"));
    CounterStart = textBox(Frame6, "CounterStart", 1080, 720, 435, 285, 17, QStringLiteral("Start Count"));
    CounterStart->setText(QStringLiteral("1"));
    IncludeCountCheck = add(new QCheckBox(QStringLiteral("Include Count"), Frame6), "IncludeCountCheck",
                            "CheckBox", 120, 240, 1455, 240, 16);
    Label8 = label(Frame6, "Label8", QStringLiteral("Counter Format"), 120, 1200, 1335, 255, 34);
    Label1 = label(Frame6, "Label1", QStringLiteral("Start Count"), 120, 720, 1095, 255, 18);

    Frame2 = frame("Frame2", 120, 3360, 2775, 975, 9);
    Option2[2] = add(new QRadioButton(QStringLiteral("lower"), Frame2), "Option2", "OptionButton", 1320, 600,
                     735, 255, 12, 2);
    Option2[1] = add(new QRadioButton(QStringLiteral("UPPER"), Frame2), "Option2", "OptionButton", 120, 600,
                     975, 255, 11, 1);
    Option2[0] = add(new QRadioButton(QStringLiteral("UnChanged Char Case"), Frame2), "Option2",
                     "OptionButton", 120, 240, 2175, 255, 10, 0);

    List1 = add(new PreviewList(this), "List1", "ListBox", 120, 4440, 9885, 2205, 4);
    List1->setFont(courier(9.75));
    List1->setAccessibleName(QStringLiteral("Preview"));
    setBoxColours(List1, PreviewBackground);

    Frame3 = frame("Frame3", 120, 0, 4575, 2415, 26);
    Label2 = label(Frame3, "Label2", QStringLiteral("About Quorlane"), 2280, 240, 2175, 255, 27);
    Label2->setFont(trebuchet(12, true));
    Label2->setCursor(Qt::PointingHandCursor);
    Label2->installEventFilter(this);

    // A screen reader reads a control's tool tip as its description.
    for (QWidget *control : std::as_const(m_controls)) {
        if (!control->toolTip().isEmpty())
            control->setAccessibleDescription(control->toolTip());
    }

    // A control created earlier lies above a later one where they overlap.
    for (auto it = m_controls.crbegin(); it != m_controls.crend(); ++it)
        (*it)->raise();

    Option1[0]->setChecked(true);
    Option2[0]->setChecked(true);
    m_option1Group = new QButtonGroup(this);
    m_option2Group = new QButtonGroup(this);
    for (int i = 0; i < 3; ++i) {
        m_option1Group->addButton(Option1[i], i);
        m_option2Group->addButton(Option2[i], i);
    }
    // Of each option group only the selected member is a tab stop, however
    // the selection changed: by the user, by the restore or by the load.
    for (QButtonGroup *group : {m_option1Group, m_option2Group}) {
        keepSelectedTabStop(group);
        connect(group, &QButtonGroup::idToggled, this, [group](int, bool checked) {
            if (checked)
                keepSelectedTabStop(group);
        });
    }

    // The keyboard walks the controls by their tab index, lowest first.
    QList<QWidget *> byTabIndex;
    for (QWidget *control : std::as_const(m_controls)) {
        if (control->focusPolicy() != Qt::NoFocus)
            byTabIndex.append(control);
    }
    std::stable_sort(byTabIndex.begin(), byTabIndex.end(), [](QWidget *a, QWidget *b) {
        return a->property("tabIndex").toInt() < b->property("tabIndex").toInt();
    });
    for (int i = 1; i < byTabIndex.size(); ++i)
        setTabOrder(byTabIndex.at(i - 1), byTabIndex.at(i));

    SetSwitchedOn(CounterFormatCombo, false);
    SetSwitchedOn(CounterStart, false);

    // The program's current drive and folder.
    Dir1->setPath(QDir::currentPath());
    Drive1->showDriveOf(Dir1->path());
    File1->setPath(Dir1->path(), Dir1->files());
}

void FileRenamer::SetSwitchedOn(QWidget *control, bool on)
{
    if (control->isEnabled() != on)
        control->setEnabled(on);
    setBoxColours(control, on ? White : Grey);
}

int FileRenamer::SelectedOption(QRadioButton *const (&group)[3]) const
{
    for (int i = 0; i < 3; ++i) {
        if (group[i]->isChecked())
            return i;
    }
    return 0;
}

void FileRenamer::closeEvent(QCloseEvent *event)
{
    Form_Unload();
    event->accept();
}

// A click on Label2 is a press and a release of the left button, both on it.
bool FileRenamer::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (watched != Label2
        || (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick
            && type != QEvent::MouseButtonRelease))
        return QWidget::eventFilter(watched, event);
    const auto *mouse = static_cast<QMouseEvent *>(event);
    if (mouse->button() != Qt::LeftButton)
        return false;
    if (type != QEvent::MouseButtonRelease) {
        m_label2Pressed = true;
        return true;
    }
    const bool click = m_label2Pressed && Label2->rect().contains(mouse->position().toPoint());
    m_label2Pressed = false;
    if (click)
        Label2_Click();
    return true;
}
