#include "platform/listtabstops.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFontMetricsF>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTextOption>

namespace {

// A name on disk has at most 255 characters, so a line longer than this (two
// such names and the arrow, with room to spare) shows a new name that can
// never be given. Only its start is laid out and drawn: the rest lies far
// beyond the list's width, and laying out tens of thousands of characters
// would slow every repaint.
constexpr qsizetype MaxDrawnLength = 1024;

QString drawnPart(const QString &line)
{
    if (line.size() <= MaxDrawnLength)
        return line;
    const qsizetype end = line.at(MaxDrawnLength - 1).isHighSurrogate() ? MaxDrawnLength - 1 : MaxDrawnLength;
    return line.left(end);
}

// Draws each line as plain text with the list's tab stops; selection and
// focus are drawn by the style as usual.
class TabStopDelegate : public QStyledItemDelegate {
public:
    TabStopDelegate(const QList<int> &quarterPositions, QObject *parent)
        : QStyledItemDelegate(parent), m_quarters(quarterPositions)
    {
    }

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        const QString text = opt.text;
        opt.text.clear();
        const QWidget *widget = opt.widget;
        QStyle *style = widget ? widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);

        const QRect textRect = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, widget);
        QTextOption textOption(Qt::AlignLeft | Qt::AlignVCenter);
        textOption.setWrapMode(QTextOption::NoWrap);
        textOption.setTabArray(stops(opt.font));
        painter->save();
        painter->setFont(opt.font);
        painter->setPen(opt.palette.color(opt.state & QStyle::State_Selected ? QPalette::HighlightedText
                                                                             : QPalette::Text));
        painter->drawText(QRectF(textRect), text, textOption);
        painter->restore();
    }

    // Both the drawing and the size of a line use its drawn part only.
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        option->text = drawnPart(option->text);
    }

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setWidth(0); // lines never widen the list; it scrolls by its own width
        return size;
    }

private:
    QList<qreal> stops(const QFont &font) const
    {
        const qreal quarter = QFontMetricsF(font).averageCharWidth() / 4.0;
        QList<qreal> result;
        for (int position : m_quarters)
            result.append(position * quarter);
        return result;
    }

    QList<int> m_quarters;
};

} // namespace

void QtListTabStops::set(QAbstractItemView *list, const QList<int> &positions)
{
    QAbstractItemDelegate *old = list->itemDelegate();
    list->setItemDelegate(new TabStopDelegate(positions, list));
    if (old && old->parent() == list)
        old->deleteLater();
}
