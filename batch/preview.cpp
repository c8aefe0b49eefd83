// The preview: one line per selected file, its present name and the name the
// rename run would give it. The lines themselves are the model's; a rebuild
// hands it the rules, the start value and the selected rows.
#include "batch/previewmodel.h"
#include "batch/stopprediction.h"
#include "platform/platformservices.h"
#include "rules/numbertext.h"
#include "window/filelist.h"
#include "window/filerenamer.h"
#include "window/previewlist.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <algorithm>
#include <limits>

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

    const std::optional<qint32> start = StartValueFromText(CounterStart->text());
    const SelectedRows rows = File1->selectedRows();
    if (rows.count() > 0)
        FormatCounter(0); // the counter boxes follow the tick
    m_counter = qint32(
        std::min<qint64>(qint64(start.value_or(0)) + rows.count(), std::numeric_limits<qint32>::max()));
    List1->preview()->show(ReadRules(), start, File1->fileNames(), rows);
    if (rows.count() > 0)
        List1->preview()->predictStop(File1->path(), ListVolumeFacts());

    m_services.pointer->set(Pointer::Arrow);
}

const VolumeFacts &FileRenamer::ListVolumeFacts()
{
    if (m_listFactsRead != File1->reads()) {
        m_listFacts = m_services.rename->volumeFacts(File1->path());
        m_listFactsRead = File1->reads();
    }
    return m_listFacts;
}

// The stop the preview has just foretold serves while the batch, the folder
// and the volume's facts are as they were; otherwise the folder is read
// afresh, which takes a moment in a large folder: the hourglass shows
// meanwhile.
QString FileRenamer::StopWarning()
{
    m_services.pointer->set(Pointer::Busy);
    const QString folder = File1->path();
    const StopBatch batch{folder,
                          File1->fileNames(),
                          File1->selectedRows(),
                          ReadRules(),
                          StartValueFromText(CounterStart->text()),
                          QLocale(),
                          m_services.rename->volumeFacts(folder)};
    const std::optional<PredictedStop> current = List1->preview()->stopFor(batch);
    const PredictedStop stop = current ? *current : StopPrediction().predict(batch);
    m_services.pointer->set(Pointer::Arrow);
    return stop.line < 0 ? QString()
                         : QStringLiteral("\rThe run will stop at %1: %2.").arg(stop.file, stop.reason);
}
