#include "window/filelist.h"

#include "platform/folderreader.h"
#include "rules/filemask.h"

#include <QItemSelectionModel>
#include <QMouseEvent>
#include <algorithm>
#include <utility>
#include <vector>

int FileListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_names.size());
}

QVariant FileListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_names.size())
        return {};
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
        return m_names.at(index.row());
    return {};
}

void FileListModel::setNames(QStringList names)
{
    beginResetModel();
    m_names = std::move(names);
    endResetModel();
}

QStringList ReadFolder(const QString &folder, const QString &pattern)
{
    if (folder.isEmpty())
        return {};
    const MaskMatcher matcher(pattern);
    std::vector<std::pair<QString, QString>> found; // folded name, name
    for (QString &name : ListFileNames(folder)) {
        QString folded = name.toCaseFolded();
        if (matcher.matchesFolded(folded))
            found.emplace_back(std::move(folded), std::move(name));
    }
    std::sort(found.begin(), found.end());
    QStringList names;
    names.reserve(qsizetype(found.size()));
    for (auto &entry : found)
        names.append(std::move(entry.second));
    return names;
}

QString FullPath(const QString &folder, const QString &name)
{
    if (folder.endsWith(QLatin1Char('/')) || folder.endsWith(QLatin1Char('\\')))
        return folder + name;
#ifdef Q_OS_WIN
    return folder + QLatin1Char('\\') + name;
#else
    return folder + QLatin1Char('/') + name;
#endif
}

FileList::FileList(QWidget *parent) : QListView(parent), m_model(new FileListModel(this))
{
    setModel(m_model);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setUniformItemSizes(true); // keeps a list of a million entries instant
    setEditTriggers(QAbstractItemView::NoEditTriggers);
}

void FileList::setPath(const QString &path)
{
    m_path = path;
    refresh();
}

void FileList::setPattern(const QString &pattern)
{
    m_pattern = pattern;
    refresh();
}

void FileList::refresh()
{
    m_model->setNames(ReadFolder(m_path, m_pattern));
    selectionModel()->clear();
}

bool FileList::selected(int i) const
{
    return selectionModel()->isRowSelected(i, QModelIndex());
}

void FileList::setSelected(int i, bool on)
{
    const QModelIndex index = m_model->index(i);
    selectionModel()->select(index, on ? QItemSelectionModel::Select : QItemSelectionModel::Deselect);
}

void FileList::setAllSelected(bool on)
{
    if (listCount() == 0)
        return;
    const QItemSelection all(m_model->index(0), m_model->index(listCount() - 1));
    selectionModel()->select(all, on ? QItemSelectionModel::Select : QItemSelectionModel::Deselect);
}

QList<int> FileList::selectedRows() const
{
    // The selection is kept as ranges; merge them instead of asking each row.
    std::vector<std::pair<int, int>> ranges;
    for (const QItemSelectionRange &range : selectionModel()->selection())
        ranges.emplace_back(range.top(), range.bottom());
    std::sort(ranges.begin(), ranges.end());
    QList<int> rows;
    int next = 0;
    for (const auto &[top, bottom] : ranges) {
        for (int row = std::max(top, next); row <= bottom; ++row)
            rows.append(row);
        next = std::max(next, bottom + 1);
    }
    return rows;
}

int FileList::selectedCount() const
{
    return int(selectedRows().size());
}

QString FileList::currentFileName() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? list(current.row()) : QString();
}

void FileList::setCurrentFileName(const QString &name)
{
    const int row = int(m_model->names().indexOf(name));
    if (row >= 0)
        selectionModel()->setCurrentIndex(m_model->index(row), QItemSelectionModel::NoUpdate);
}

bool FileList::selectsWith(const QMouseEvent *event)
{
    return event->button() == Qt::LeftButton;
}

void FileList::mousePressEvent(QMouseEvent *event)
{
    if (selectsWith(event))
        QListView::mousePressEvent(event);
}

void FileList::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (selectsWith(event))
        QListView::mouseDoubleClickEvent(event);
}

// The release of any button is reported, whichever button it was.
void FileList::mouseReleaseEvent(QMouseEvent *event)
{
    if (selectsWith(event))
        QListView::mouseReleaseEvent(event);
    emit mouseReleased();
}
