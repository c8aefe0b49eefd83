// The preview: one line per selected file, its present name and the name the
// rename run would give it.
#include "platform/platformservices.h"
#include "rules/numbertext.h"
#include "window/filelist.h"
#include "window/filerenamer.h"
#include "window/previewlist.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>

namespace {
const QString Arrow = QStringLiteral("\t --> ");
const QString CounterOutOfRange = QStringLiteral("(counter out of range)");
} // namespace

RenameRules FileRenamer::ReadRules() const
{
    RenameRules rules;
    rules.prefixMode = PrefixMode(SelectedOption(Option1));
    rules.prefix = Prefixtext->text();
    rules.includeCount = IncludeCountCheck->isChecked();
    rules.counterFormat = CounterFormatCombo->currentText();
    rules.remove = RemoveText->text();
    rules.replaceWith = ReplaceText->text();
    rules.caseMode = CaseMode(SelectedOption(Option2));
    return rules;
}

void FileRenamer::RefreshPreview()
{
    CountSelected();
    m_services.pointer->set(Pointer::Busy);

    // Mode None has no prefix; emptying a box that holds text rebuilds the
    // preview once more, nested, before this run goes on.
    if (Option1[2]->isChecked())
        Prefixtext->setText(QString());

    // A prefix that replaces the names of several files needs the counter, or
    // they would all get one name. The previous preview's lines tell.
    if (!Prefixtext->text().isEmpty() && List1->listCount() > 1 && Option1[0]->isChecked())
        IncludeCountCheck->setChecked(true);

    List1->clear();

    const std::optional<qint32> start = StartValueFromText(CounterStart->text());
    const RenameRules rules = ReadRules();
    const QLocale locale;
    const QList<int> rows = File1->selectedRows();
    if (!rows.isEmpty())
        FormatCounter(0); // the counter boxes follow the tick

    // The counter is 64 bits wide here, so a run near the top of the 32-bit
    // range shows where the numbers run out instead of wrapping.
    qint64 counter = start ? *start : 0;
    QStringList lines;
    lines.reserve(rows.size());
    for (int row : rows) {
        const QString &present = File1->list(row);
        const bool representable = start && counter <= std::numeric_limits<qint32>::max();
        lines.append(
            present + Arrow
            + (representable ? ComposeName(rules, present, qint32(counter), locale) : CounterOutOfRange));
        ++counter;
    }
    m_counter = qint32(std::min<qint64>(counter, std::numeric_limits<qint32>::max()));
    List1->setLines(std::move(lines));

    m_services.pointer->set(Pointer::Arrow);
}
