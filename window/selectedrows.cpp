#include "window/selectedrows.h"

#include <algorithm>

SelectedRows::SelectedRows(std::vector<std::pair<int, int>> ranges)
{
    std::sort(ranges.begin(), ranges.end());
    for (const auto &[first, last] : ranges) {
        if (!m_runs.isEmpty() && first <= m_runs.last().last + 1) {
            Run &run = m_runs.last();
            m_count += std::max(0, last - run.last);
            run.last = std::max(run.last, last);
            continue;
        }
        m_runs.append({first, last, m_count});
        m_count += last - first + 1;
    }
}

int SelectedRows::row(int k) const
{
    const auto after = std::upper_bound(m_runs.cbegin(), m_runs.cend(), k,
                                        [](int wanted, const Run &run) { return wanted < run.before; });
    const Run &run = *std::prev(after);
    return run.first + (k - run.before);
}

int SelectedRows::rank(int row) const
{
    const auto after = std::upper_bound(m_runs.cbegin(), m_runs.cend(), row,
                                        [](int wanted, const Run &run) { return wanted < run.first; });
    if (after == m_runs.cbegin())
        return -1;
    const Run &run = *std::prev(after);
    return row <= run.last ? run.before + (row - run.first) : -1;
}

QList<int> SelectedRows::toList() const
{
    QList<int> rows;
    rows.reserve(m_count);
    for (const Run &run : m_runs) {
        for (int row = run.first; row <= run.last; ++row)
            rows.append(row);
    }
    return rows;
}

bool SelectedRows::operator==(const SelectedRows &other) const
{
    return m_count == other.m_count
        && std::equal(m_runs.cbegin(), m_runs.cend(), other.m_runs.cbegin(), other.m_runs.cend(),
                      [](const Run &a, const Run &b) { return a.first == b.first && a.last == b.last; });
}
