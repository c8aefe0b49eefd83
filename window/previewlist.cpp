#include "window/previewlist.h"

#include "batch/previewmodel.h"

#include <QAccessible>
#include <QItemSelectionModel>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

PreviewList::PreviewList(QWidget *parent) : QListView(parent), m_model(new PreviewModel(this))
{
    setModel(m_model);
    setSelectionMode(QAbstractItemView::SingleSelection);
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

// New texts of as many lines need a repaint only. A rebuild leaves no line
// selected, as a list that was emptied and filled again; marks that come
// later leave the selection as it is.
void PreviewList::dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                              const QList<int> &roles)
{
    if (roles.isEmpty() || roles.contains(Qt::DisplayRole))
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
    for (int k = 0; k < listCount(); ++k) {
        if (m_model->line(k) == text) {
            selectionModel()->select(m_model->index(k), QItemSelectionModel::ClearAndSelect);
            return;
        }
    }
}

int PreviewList::lineHeight() const
{
    const int first = sizeHintForRow(0);
    return first > 0 ? first : fontMetrics().height();
}

int PreviewList::linesPerPage() const
{
    return std::max(1, viewport()->height() / lineHeight());
}

QRect PreviewList::visualRect(const QModelIndex &index) const
{
    if (!index.isValid() || index.model() != model())
        return {};
    return QRect(0, index.row() * lineHeight() - verticalOffset(), viewport()->width(), lineHeight());
}

QModelIndex PreviewList::indexAt(const QPoint &point) const
{
    if (point.x() < 0 || point.x() >= viewport()->width())
        return {};
    const int contentsY = point.y() + verticalOffset();
    return contentsY < 0 ? QModelIndex() : model()->index(contentsY / lineHeight(), 0);
}

// The scroll bar counts whole lines, the first line shown being its value.
void PreviewList::scrollTo(const QModelIndex &index, ScrollHint hint)
{
    if (!index.isValid())
        return;
    executeDelayedItemsLayout(); // the scroll bar's range follows the line count
    const int row = index.row();
    const int first = verticalScrollBar()->value();
    const int page = linesPerPage();
    if (hint == PositionAtTop || (hint == EnsureVisible && row < first))
        verticalScrollBar()->setValue(row);
    else if (hint == PositionAtBottom || (hint == EnsureVisible && row >= first + page))
        verticalScrollBar()->setValue(row - page + 1);
    else if (hint == PositionAtCenter)
        verticalScrollBar()->setValue(row - page / 2);
}

// Nothing to lay out but the scroll bars: the list view's own layout, which
// is skipped on purpose, would visit every line.
void PreviewList::doItemsLayout()
{
    QAbstractItemView::doItemsLayout(); // NOLINT(bugprone-parent-virtual-call)
}

void PreviewList::updateGeometries()
{
    const int page = linesPerPage();
    verticalScrollBar()->setSingleStep(1);
    verticalScrollBar()->setPageStep(page);
    verticalScrollBar()->setRange(0, std::max(0, model()->rowCount() - page));
    horizontalScrollBar()->setRange(0, 0); // lines never widen the list
    QAbstractItemView::updateGeometries(); // NOLINT(bugprone-parent-virtual-call): not the list view's
}

int PreviewList::horizontalOffset() const
{
    return 0;
}

int PreviewList::verticalOffset() const
{
    return verticalScrollBar()->value() * lineHeight();
}

void PreviewList::scrollContentsBy(int, int)
{
    viewport()->update();
}

QModelIndex PreviewList::moveCursor(CursorAction action, Qt::KeyboardModifiers)
{
    const int last = model()->rowCount() - 1;
    const QModelIndex current = currentIndex();
    if (last < 0)
        return {};
    if (!current.isValid())
        return model()->index(0, 0);
    int row = current.row();
    switch (action) {
    case MoveUp:
    case MovePrevious:
        --row;
        break;
    case MoveDown:
    case MoveNext:
        ++row;
        break;
    case MovePageUp:
        row -= linesPerPage();
        break;
    case MovePageDown:
        row += linesPerPage();
        break;
    case MoveHome:
        row = 0;
        break;
    case MoveEnd:
        row = last;
        break;
    case MoveLeft:
    case MoveRight:
        break;
    }
    return model()->index(std::clamp(row, 0, last), 0);
}

// The lines from the rectangle's one corner to the other; none where a
// corner lies on no line.
void PreviewList::setSelection(const QRect &rect, QItemSelectionModel::SelectionFlags command)
{
    const QModelIndex from = indexAt(rect.topLeft());
    const QModelIndex to = indexAt(rect.bottomRight());
    QItemSelection lines;
    if (from.isValid() && to.isValid())
        lines.select(from.row() <= to.row() ? from : to, from.row() <= to.row() ? to : from);
    selectionModel()->select(lines, command);
}

// Drawn as the list view draws its lines: each by the delegate, in the
// colours of an active list while the list is enabled, with the selected and
// focused states.
void PreviewList::paintEvent(QPaintEvent *event)
{
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    if (option.state & QStyle::State_Enabled)
        option.palette.setCurrentColorGroup(QPalette::Normal);
    const QStyle::State state = option.state;
    const QModelIndex current = currentIndex();
    const bool focus = (hasFocus() || viewport()->hasFocus()) && current.isValid();
    const int first = std::max(0, (event->rect().top() + verticalOffset()) / lineHeight());
    const int last
        = std::min(model()->rowCount() - 1, (event->rect().bottom() + verticalOffset()) / lineHeight());
    QPainter painter(viewport());
    for (int row = first; row <= last; ++row) {
        const QModelIndex index = model()->index(row, 0);
        option.rect = visualRect(index);
        option.state = state;
        option.state.setFlag(QStyle::State_Selected, selectionModel()->isSelected(index));
        option.state.setFlag(QStyle::State_HasFocus, focus && index == current);
        itemDelegate()->paint(&painter, option, index);
    }
}
