#pragma once

#include <QList>
#include <utility>
#include <vector>

// The selected rows of a list as ascending runs that neither overlap nor
// touch, each with the number of selected rows before it: the count is at
// hand, and the k-th selected row is found by a binary search over the runs,
// however many rows they hold. Copies share the runs.
class SelectedRows {
public:
    SelectedRows() = default;
    // Ranges of rows (first, last), in any order, overlapping or not.
    explicit SelectedRows(std::vector<std::pair<int, int>> ranges);

    int count() const { return m_count; }
    // The row of the k-th selected row, k from 0 to count() - 1.
    int row(int k) const;
    // The k of a selected row; -1 for a row that is not selected.
    int rank(int row) const;
    // Every selected row, ascending.
    QList<int> toList() const;
    // The same rows, compared by their runs.
    bool operator==(const SelectedRows &other) const;
    bool operator!=(const SelectedRows &other) const { return !(*this == other); }

private:
    struct Run {
        int first;
        int last;
        int before; // selected rows in the runs before this one
    };
    QList<Run> m_runs;
    int m_count = 0;
};
