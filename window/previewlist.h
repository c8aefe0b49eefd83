#pragma once

#include <QAbstractListModel>
#include <QListView>
#include <QStringList>

// The lines of the preview, in the order they were added (never sorted).
class PreviewModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;

    const QStringList &lines() const { return m_lines; }
    void setLines(QStringList lines);

private:
    QStringList m_lines;
};

// The preview list box: single selection, lines with tab stops.
class PreviewList : public QListView {
    Q_OBJECT
public:
    explicit PreviewList(QWidget *parent = nullptr);

    int listCount() const { return int(m_model->lines().size()); }
    const QStringList &lines() const { return m_model->lines(); }
    void clear();
    void setLines(QStringList lines);

    // The text of the selected line, empty when none is; a text that is not a
    // line of the list is ignored.
    QString selectedText() const;
    void setSelectedText(const QString &text);

private:
    PreviewModel *m_model;
};
