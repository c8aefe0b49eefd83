#include "window/previewlist.h"

#include <QItemSelectionModel>
#include <utility>

int PreviewModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_lines.size());
}

QVariant PreviewModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_lines.size())
        return {};
    if (role == Qt::DisplayRole)
        return m_lines.at(index.row());
    if (role == Qt::AccessibleTextRole) {
        QString spoken = m_lines.at(index.row());
        return spoken.replace(QLatin1String("\t --> "), QLatin1String(" becomes "));
    }
    return {};
}

void PreviewModel::setLines(QStringList lines)
{
    beginResetModel();
    m_lines = std::move(lines);
    endResetModel();
}

PreviewList::PreviewList(QWidget *parent) : QListView(parent), m_model(new PreviewModel(this))
{
    setModel(m_model);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
}

void PreviewList::clear()
{
    if (listCount() > 0)
        m_model->setLines({});
}

void PreviewList::setLines(QStringList lines)
{
    m_model->setLines(std::move(lines));
}

QString PreviewList::selectedText() const
{
    const QModelIndexList rows = selectionModel()->selectedRows();
    return rows.isEmpty() ? QString() : m_model->lines().at(rows.first().row());
}

void PreviewList::setSelectedText(const QString &text)
{
    const int row = int(m_model->lines().indexOf(text));
    if (row >= 0)
        selectionModel()->select(m_model->index(row), QItemSelectionModel::ClearAndSelect);
}
