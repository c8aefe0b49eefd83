#pragma once

#include <QList>

class QAbstractItemView;

// Tab stops inside the lines of a list: lines that contain tab characters are
// drawn with their stops at the given positions, in quarters of the average
// character width of the list's font.
class ListTabStops {
public:
    virtual ~ListTabStops() = default;
    virtual void set(QAbstractItemView *list, const QList<int> &positions) = 0;
};

class QtListTabStops : public ListTabStops {
public:
    void set(QAbstractItemView *list, const QList<int> &positions) override;
};
