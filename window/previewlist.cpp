#include "window/previewlist.h"

#include "batch/previewmodel.h"

#include <QAccessible>
#include <QItemSelectionModel>

PreviewList::PreviewList(QWidget *parent) : QListView(parent), m_model(new PreviewModel(this))
{
    setModel(m_model);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
}

int PreviewList::listCount() const
{
    return m_model->rowCount();
}

QStringList PreviewList::lines() const
{
    QStringList lines;
    for (int k = 0; k < listCount(); ++k)
        lines.append(m_model->line(k));
    return lines;
}

void PreviewList::clear()
{
    m_model->clear();
}

// Every line has one height, so new texts need a repaint, not the new layout
// of every line that the list view would make. A rebuild leaves no line
// selected, as a list that was emptied and filled again.
void PreviewList::dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight, const QList<int> &)
{
    selectionModel()->clear();
    viewport()->update();
    if (QAccessible::isActive()) {
        QAccessibleTableModelChangeEvent changed(this, QAccessibleTableModelChangeEvent::DataChanged);
        changed.setFirstRow(topLeft.row());
        changed.setLastRow(bottomRight.row());
        QAccessible::updateAccessibility(&changed);
    }
}

QString PreviewList::selectedText() const
{
    const QModelIndexList rows = selectionModel()->selectedRows();
    return rows.isEmpty() ? QString() : m_model->line(rows.first().row());
}

void PreviewList::setSelectedText(const QString &text)
{
    const int row = int(lines().indexOf(text));
    if (row >= 0)
        selectionModel()->select(m_model->index(row), QItemSelectionModel::ClearAndSelect);
}
