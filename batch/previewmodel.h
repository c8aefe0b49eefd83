#pragma once

#include "batch/stopprediction.h"
#include "platform/folderreader.h"
#include "rules/renamerules.h"
#include "window/selectedrows.h"

#include <QAbstractListModel>
#include <QLocale>
#include <optional>

class BackgroundPrediction;

// The preview's lines: for the k-th selected file its present name, a tab,
// " --> " and the name the rename run would give it with the counter at the
// start value plus k. The model keeps the rules, the start value and the
// selected rows, and composes a line only when something asks for it (the
// view for its visible rows, a screen reader, a copy), so showing the lines
// of a million files costs no more than showing those of ten. Where the run
// would stop is found off the interface thread; the line it stops at and the
// lines it would not reach are then marked, their text unchanged.
class PreviewModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit PreviewModel(QObject *parent = nullptr);

    QModelIndex index(int row, int column = 0, const QModelIndex &parent = QModelIndex()) const override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;

    // The lines of the `rows` of `names` under `rules`; no start value means
    // the start text lies outside the counter's range. With as many lines as
    // before, every line's text changes in place; otherwise the model resets.
    void show(const RenameRules &rules, std::optional<qint32> start, const FileNames &names,
              const SelectedRows &rows);
    void clear();
    QString line(int k) const;

    // Finds where the run would stop over the lines shown, moving the files
    // within `folder` on a volume with these facts; a newer call, show() and
    // clear() drop it.
    void predictStop(const QString &folder, const VolumeFacts &facts);
    // The stop for the lines shown (no line: none), once it is known.
    const std::optional<PredictedStop> &stop() const { return m_stop; }
    // That stop where it is the one of `batch`: the same lines, the same
    // folder still as it was read, and a volume with the same facts.
    std::optional<PredictedStop> stopFor(const StopBatch &batch) const;

private:
    void setStop(const PredictedStop &stop);

    RenameRules m_rules;
    std::optional<qint32> m_start;
    FileNames m_names;
    SelectedRows m_rows;
    QLocale m_locale;
    QString m_folder; // and the facts, of the last prediction
    VolumeFacts m_facts;
    BackgroundPrediction *m_prediction;
    std::optional<PredictedStop> m_stop;
};
