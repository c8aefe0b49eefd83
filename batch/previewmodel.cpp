#include "batch/previewmodel.h"

#include "batch/backgroundprediction.h"

#include <QColor>
#include <limits>

namespace {
const QString Arrow = QStringLiteral("\t --> ");
const QString CounterOutOfRange = QStringLiteral("(counter out of range)");
// The preview keeps its light background in every colour scheme; on it the
// stop line's red and the grey of the lines after it both have a contrast of
// more than 4.5 to 1.
const QColor StopText(178, 34, 34);
const QColor NotReachedText(109, 109, 109);
const QList<int> MarkRoles = {Qt::ForegroundRole, Qt::ToolTipRole, Qt::AccessibleDescriptionRole};
} // namespace

PreviewModel::PreviewModel(QObject *parent)
    : QAbstractListModel(parent), m_prediction(new BackgroundPrediction(this))
{
    connect(m_prediction, &BackgroundPrediction::predicted, this, &PreviewModel::setStop);
}

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
    if (!m_stop || m_stop->line < 0 || index.row() < m_stop->line)
        return {};
    const bool stops = index.row() == m_stop->line;
    if (role == Qt::ForegroundRole)
        return stops ? StopText : NotReachedText;
    if (role == Qt::ToolTipRole || role == Qt::AccessibleDescriptionRole)
        return stops ? m_stop->reason
                     : QStringLiteral("the run stops at %1: %2").arg(m_stop->file, m_stop->reason);
    return {};
}

void PreviewModel::show(const RenameRules &rules, std::optional<qint32> start, const FileNames &names,
                        const SelectedRows &rows)
{
    m_prediction->cancel();
    const bool sameCount = rows.count() == m_rows.count() && rows.count() > 0;
    if (!sameCount)
        beginResetModel();
    m_rules = rules;
    m_start = start;
    m_names = names;
    m_rows = rows;
    m_locale = QLocale();
    m_stop.reset();
    if (sameCount)
        emit dataChanged(index(0), index(rows.count() - 1),
                         QList<int>{Qt::DisplayRole, Qt::AccessibleTextRole} + MarkRoles);
    else
        endResetModel();
}

void PreviewModel::clear()
{
    if (m_rows.count() > 0)
        show(m_rules, m_start, FileNames(), SelectedRows());
    m_prediction->drop();
}

// A stop known for the lines under other facts is no longer theirs.
void PreviewModel::predictStop(const QString &folder, const VolumeFacts &facts)
{
    if (m_stop && m_stop->line >= 0)
        emit dataChanged(index(m_stop->line), index(m_rows.count() - 1), MarkRoles);
    m_stop.reset();
    m_folder = folder;
    m_facts = facts;
    m_prediction->start({folder, m_names, m_rows, m_rules, m_start, m_locale, facts});
}

std::optional<PredictedStop> PreviewModel::stopFor(const StopBatch &batch) const
{
    const bool same = m_stop && batch.folder == m_folder && batch.names.isSharedWith(m_names)
        && batch.rows == m_rows && batch.rules == m_rules && batch.start == m_start
        && batch.locale == m_locale && batch.facts == m_facts;
    return same && m_stop->reading.holds() ? m_stop : std::nullopt;
}

void PreviewModel::setStop(const PredictedStop &stop)
{
    m_stop = stop;
    if (stop.line >= 0)
        emit dataChanged(index(stop.line), index(m_rows.count() - 1), MarkRoles);
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
