#pragma once

#include <QListView>
#include <QStringList>

class PreviewModel;

// The preview list box: the preview's lines, never sorted; single selection,
// lines with tab stops. Every line has the height of the first, so where a
// line lies is a multiplication: the list view's own layout, which visits
// every line whenever their number changes, is never made, and showing a
// million lines costs what showing twenty does.
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

    QRect visualRect(const QModelIndex &index) const override;
    QModelIndex indexAt(const QPoint &point) const override;
    void scrollTo(const QModelIndex &index, ScrollHint hint = EnsureVisible) override;
    void doItemsLayout() override;

protected:
    void dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                     const QList<int> &roles = QList<int>()) override;
    void updateGeometries() override;
    int horizontalOffset() const override;
    int verticalOffset() const override;
    void scrollContentsBy(int dx, int dy) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void setSelection(const QRect &rect, QItemSelectionModel::SelectionFlags command) override;
    void paintEvent(QPaintEvent *event) override;

private:
    int lineHeight() const;
    // Lines that fit whole into the list's height, at least one.
    int linesPerPage() const;

    PreviewModel *m_model;
};
