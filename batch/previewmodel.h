#pragma once

#include "platform/folderreader.h"
#include "rules/renamerules.h"
#include "window/selectedrows.h"

#include <QAbstractListModel>
#include <QLocale>
#include <optional>

// The preview's lines: for the k-th selected file its present name, a tab,
// " --> " and the name the rename run would give it with the counter at the
// start value plus k. The model keeps the rules, the start value and the
// selected rows, and composes a line only when something asks for it (the
// view for its visible rows, a screen reader, a copy), so showing the lines
// of a million files costs no more than showing those of ten.
class PreviewModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

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

private:
    RenameRules m_rules;
    std::optional<qint32> m_start;
    FileNames m_names;
    SelectedRows m_rows;
    QLocale m_locale;
};
