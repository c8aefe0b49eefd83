// The remembered control values: every control of the main window whose kind
// holds a value is written to the settings store when the window closes and
// read back while it loads, in the window's control order. The loops know no
// control by name, so a control added to the window is kept without more
// code.
#include "settings/controlstate.h"

#include "platform/platformservices.h"
#include "rules/numbertext.h"
#include "window/dirlist.h"
#include "window/drivelist.h"
#include "window/filelist.h"
#include "window/filerenamer.h"
#include "window/previewlist.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>

namespace {
const QString AppName = QStringLiteral("SaveFormSettings");
const QString Section = QStringLiteral("Values");

QString kindOf(const QWidget *control)
{
    return control->property("kind").toString();
}

// "True"/"False" in any letter case, or a number where 0 is false.
std::optional<bool> toFlag(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (trimmed.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    bool ok = false;
    const double number = trimmed.toDouble(&ok);
    if (!ok)
        return std::nullopt;
    return number != 0;
}

// A number the check box can show: 0 or 1 once rounded ("01" is 1).
std::optional<bool> toCheckState(const QString &text)
{
    bool ok = false;
    const double number = text.trimmed().toDouble(&ok);
    const std::optional<qint32> state = ok ? RoundToInt32(number) : std::nullopt;
    if (!state || (*state != 0 && *state != 1))
        return std::nullopt;
    return *state == 1;
}
} // namespace

bool IsSkippedKind(const QString &kind)
{
    static const QStringList skipped
        = {QStringLiteral("PictureBox"), QStringLiteral("Image"), QStringLiteral("Line"),
           QStringLiteral("Shape"),      QStringLiteral("Timer"), QStringLiteral("CommandButton"),
           QStringLiteral("Label")};
    return skipped.contains(kind);
}

QString ControlValueText(const QWidget *control)
{
    const QString kind = kindOf(control);
    if (kind == QLatin1String("DriveListBox"))
        return static_cast<const DriveList *>(control)->drive();
    if (kind == QLatin1String("DirListBox"))
        return QDir::toNativeSeparators(static_cast<const DirList *>(control)->path());
    if (kind == QLatin1String("FileListBox"))
        return static_cast<const FileList *>(control)->currentFileName();
    if (kind == QLatin1String("Frame"))
        return static_cast<const QGroupBox *>(control)->title();
    if (kind == QLatin1String("TextBox"))
        return static_cast<const QLineEdit *>(control)->text();
    if (kind == QLatin1String("OptionButton"))
        return static_cast<const QRadioButton *>(control)->isChecked() ? QStringLiteral("True")
                                                                       : QStringLiteral("False");
    if (kind == QLatin1String("ComboBox"))
        return static_cast<const QComboBox *>(control)->currentText();
    if (kind == QLatin1String("CheckBox"))
        return static_cast<const QCheckBox *>(control)->isChecked() ? QStringLiteral("1")
                                                                    : QStringLiteral("0");
    if (kind == QLatin1String("ListBox"))
        return static_cast<const PreviewList *>(control)->selectedText();
    return QString();
}

bool ApplyControlValueText(QWidget *control, const QString &text)
{
    const QString kind = kindOf(control);
    // A drive that is not available (a reader without a card, a share whose
    // server is gone) is a text the drive list cannot take, like a drive
    // that is not listed: nothing happens and nothing is said.
    if (kind == QLatin1String("DriveListBox"))
        return static_cast<DriveList *>(control)->setAvailableDrive(text);
    if (kind == QLatin1String("DirListBox"))
        return static_cast<DirList *>(control)->setPath(QDir::fromNativeSeparators(text));
    if (kind == QLatin1String("FileListBox")) {
        static_cast<FileList *>(control)->setCurrentFileName(text);
        return true;
    }
    if (kind == QLatin1String("Frame")) {
        static_cast<QGroupBox *>(control)->setTitle(text);
        return true;
    }
    if (kind == QLatin1String("TextBox")) {
        static_cast<QLineEdit *>(control)->setText(text);
        return true;
    }
    if (kind == QLatin1String("OptionButton")) {
        const std::optional<bool> on = toFlag(text);
        if (on)
            static_cast<QRadioButton *>(control)->setChecked(*on);
        return on.has_value();
    }
    if (kind == QLatin1String("ComboBox")) {
        static_cast<QComboBox *>(control)->setEditText(text);
        return true;
    }
    if (kind == QLatin1String("CheckBox")) {
        const std::optional<bool> ticked = toCheckState(text);
        if (ticked)
            static_cast<QCheckBox *>(control)->setChecked(*ticked);
        return ticked.has_value();
    }
    if (kind == QLatin1String("ListBox")) {
        static_cast<PreviewList *>(control)->setSelectedText(text);
        return true;
    }
    return false;
}

QString FileRenamer::ControlKey(const QWidget *control) const
{
    const QVariant index = control->property("index");
    if (!index.isValid())
        return control->objectName();
    return control->objectName() + QLatin1Char('(') + QString::number(index.toInt()) + QLatin1Char(')');
}

bool FileRenamer::SaveControls(QString *where)
{
    SettingsStore &store = *m_services.settings;
    for (QWidget *control : std::as_const(m_controls)) {
        if (IsSkippedKind(kindOf(control)))
            continue;
        store.write(AppName, Section, ControlKey(control), ControlValueText(control));
    }
    return store.flush(where);
}

// Writes every control's value, then ends the program. A store that cannot
// be written is reported; the program ends all the same and no file is
// touched.
void FileRenamer::Form_Unload()
{
    QString where;
    if (!SaveControls(&where)) {
        m_services.messageBox->show(
            QStringLiteral("Your settings could not be saved:\r%1").arg(QDir::toNativeSeparators(where)),
            MsgBox::Ok | MsgBox::IconExclamation, QStringLiteral("Quorlane"));
    }
    m_services.lifecycle->endProgram();
}

void FileRenamer::RestoreControls()
{
    SettingsStore &store = *m_services.settings;
    for (QWidget *control : std::as_const(m_controls)) {
        if (IsSkippedKind(kindOf(control)))
            continue;
        const QString text = store.read(AppName, Section, ControlKey(control), ControlValueText(control));
        ApplyControlValueText(control, text); // a text the control cannot take is skipped
    }
}
