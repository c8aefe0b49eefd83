#include "batch/previewmodel.h"

#include <limits>

namespace {
const QString Arrow = QStringLiteral("\t --> ");
const QString CounterOutOfRange = QStringLiteral("(counter out of range)");
} // namespace

// A view lays out a new row count by asking for every row's index, so this
// one is answered without the base class's calls back into the model.
QModelIndex PreviewModel::index(int row, int column, const QModelIndex &parent) const
{
    const bool inside = !parent.isValid() && column == 0 && row >= 0 && row < m_rows.count();
    return inside ? createIndex(row, 0) : QModelIndex();
}

int PreviewModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows.count();
}

QVariant PreviewModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.count())
        return {};
    if (role == Qt::DisplayRole)
        return line(index.row());
    if (role == Qt::AccessibleTextRole)
        return line(index.row()).replace(Arrow, QLatin1String(" becomes "));
    return {};
}

void PreviewModel::show(const RenameRules &rules, std::optional<qint32> start, const FileNames &names,
                        const SelectedRows &rows)
{
    const bool sameCount = rows.count() == m_rows.count() && rows.count() > 0;
    if (!sameCount)
        beginResetModel();
    m_rules = rules;
    m_start = start;
    m_names = names;
    m_rows = rows;
    m_locale = QLocale();
    if (sameCount)
        emit dataChanged(index(0), index(rows.count() - 1), {Qt::DisplayRole, Qt::AccessibleTextRole});
    else
        endResetModel();
}

void PreviewModel::clear()
{
    if (m_rows.count() > 0)
        show(m_rules, m_start, FileNames(), SelectedRows());
}

// The counter is 64 bits wide here, so lines near the top of the 32-bit range
// show where the numbers run out instead of wrapping.
QString PreviewModel::line(int k) const
{
    const QString present = m_names.at(m_rows.row(k)).toString();
    const qint64 counter = m_start ? qint64(*m_start) + k : 0;
    const bool representable = m_start && counter <= std::numeric_limits<qint32>::max();
    return present + Arrow
        + (representable ? ComposeName(m_rules, present, qint32(counter), m_locale) : CounterOutOfRange);
}
