#pragma once

#include <QListView>
#include <QStringList>

class PreviewModel;

// The preview list box: the preview's lines, never sorted; single selection,
// lines with tab stops.
class PreviewList : public QListView {
    Q_OBJECT
public:
    explicit PreviewList(QWidget *parent = nullptr);

    PreviewModel *preview() const { return m_model; }
    int listCount() const;
    // Every line, composed now.
    QStringList lines() const;
    void clear();

    // The text of the selected line, empty when none is; a text that is not a
    // line of the list is ignored.
    QString selectedText() const;
    void setSelectedText(const QString &text);

protected:
    void dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                     const QList<int> &roles = QList<int>()) override;

private:
    PreviewModel *m_model;
};
