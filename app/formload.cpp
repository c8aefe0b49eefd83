// The main window's load: the remembered values come back, and the controls
// get their starting state. A step that fails is skipped and the next one
// runs; no step here throws.
#include "platform/platformservices.h"
#include "window/dirlist.h"
#include "window/drivelist.h"
#include "window/filelist.h"
#include "window/filerenamer.h"
#include "window/previewlist.h"

#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>

namespace {
const QStringList CounterPatterns = {
    QStringLiteral("0"),     QStringLiteral("00"),     QStringLiteral("000"),    QStringLiteral("0000"),
    QStringLiteral("00000"), QStringLiteral("000000"), QStringLiteral(" 0"),     QStringLiteral(" 00"),
    QStringLiteral(" 000"),  QStringLiteral(" 0000"),  QStringLiteral(" 00000"), QStringLiteral(" 000000")};
} // namespace

void FileRenamer::Form_Load()
{
    const QList<int> tabStops = {20, 130};

    RestoreControls();
    // Whatever the restore could take, the drive list shows the drive of the
    // folder that is open.
    Drive1->showDriveOf(Dir1->path());

    // Every run starts with all files listed: the filter kept from the last
    // run is written back by the restore but not kept.
    FileTypeText1->setText(QString());
    CountSelected();
    List1->clear();
    m_services.tabStops->set(List1, tabStops);

    // An empty counter start at the end of the last run resets the rules.
    if (CounterStart->text().isEmpty()) {
        CounterStart->setText(QStringLiteral("1"));
        Option1[0]->setChecked(true);
        Option2[0]->setChecked(true);
    }

    // Filling the list must not change the restored pattern, which may be one
    // the user typed.
    const QString pattern = CounterFormatCombo->currentText();
    CounterFormatCombo->clear();
    CounterFormatCombo->addItems(CounterPatterns);
    CounterFormatCombo->setCurrentIndex(int(CounterPatterns.indexOf(pattern)));
    CounterFormatCombo->setEditText(pattern);

    FormatCounter(0);
    File1->refresh();
}
