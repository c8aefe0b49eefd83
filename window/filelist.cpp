#include "window/filelist.h"

#include "platform/folderreader.h"
#include "rules/filemask.h"

#include <QItemSelectionModel>
#include <QMouseEvent>
#include <QStringBuilder>
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
        return m_names.at(index.row()).toString();
    return {};
}

void FileListModel::setNames(FileNames names)
{
    beginResetModel();
    m_names = std::move(names);
    endResetModel();
}

FileNames ReadFolder(const QString &folder, const QString &pattern)
{
    if (folder.isEmpty())
        return {};
    return ListedInOrder(ListFileNames(folder), pattern);
}

namespace {

// What QString::toCaseFolded() gives, into a buffer kept for every name: an
// ASCII name, most of any folder, folds by lowering its capitals without a
// look at the Unicode tables.
void FoldInto(QString &folded, QStringView name)
{
    folded.resize(name.size());
    QChar *out = folded.data();
    for (qsizetype k = 0; k < name.size(); ++k) {
        const char16_t c = name[k].unicode();
        if (c >= 0x80) {
            folded.resize(0);
            folded.append(name);
            folded = std::move(folded).toCaseFolded();
            return;
        }
        out[k] = QChar(c >= u'A' && c <= u'Z' ? char16_t(c + (u'a' - u'A')) : c);
    }
}

} // namespace

FileNames ListedInOrder(const FileNames &all, const QString &pattern)
{
    const MaskMatcher matcher(pattern);

    // Each matching name is folded once, into one text; the sort compares
    // the folded names, and the names themselves where those are equal.
    struct Key {
        qsizetype folded; // where the folded name starts in `folded`
        qsizetype size;
        qsizetype name; // its index in `all`
    };
    QString folded;
    folded.reserve(all.characters());
    std::vector<Key> keys;
    keys.reserve(size_t(all.size()));
    qsizetype characters = 0;
    QString name; // one buffer, folded in place, for every name
    for (qsizetype i = 0; i < all.size(); ++i) {
        FoldInto(name, all.at(i));
        if (!matcher.matchesFolded(name))
            continue;
        keys.push_back({folded.size(), name.size(), i});
        folded.append(name);
        characters += all.at(i).size();
    }
    const QChar *text = folded.constData();
    std::sort(keys.begin(), keys.end(), [&](const Key &a, const Key &b) {
        const int order = QStringView(text + a.folded, a.size).compare(QStringView(text + b.folded, b.size));
        return order != 0 ? order < 0 : all.at(a.name) < all.at(b.name);
    });

    FileNames sorted;
    sorted.reserve(qsizetype(keys.size()), characters);
    for (const Key &key : keys)
        sorted.append(all.at(key.name));
    return sorted;
}

QString FullPath(const QString &folder, QStringView name)
{
    if (folder.endsWith(QLatin1Char('/')) || folder.endsWith(QLatin1Char('\\')))
        return folder % name;
#ifdef Q_OS_WIN
    return folder % QLatin1Char('\\') % name;
#else
    return folder % QLatin1Char('/') % name;
#endif
}

FileList::FileList(QWidget *parent) : QListView(parent), m_model(new FileListModel(this))
{
    setModel(m_model);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setUniformItemSizes(true); // keeps a list of a million entries instant
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { m_selectedRows.reset(); });
}

void FileList::setPath(const QString &path)
{
    m_path = path;
    refresh();
}

void FileList::setPath(const QString &path, const FileNames &files)
{
    m_path = path;
    showNames(ListedInOrder(files, m_pattern));
}

void FileList::setPattern(const QString &pattern)
{
    m_pattern = pattern;
    refresh();
}

void FileList::refresh()
{
    showNames(ReadFolder(m_path, m_pattern));
}

void FileList::showNames(FileNames names)
{
    ++m_reads;
    m_model->setNames(std::move(names));
    selectionModel()->clear();
    m_selectedRows.reset();
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

const SelectedRows &FileList::selectedRows() const
{
    if (!m_selectedRows) {
        std::vector<std::pair<int, int>> ranges;
        for (const QItemSelectionRange &range : selectionModel()->selection())
            ranges.emplace_back(range.top(), range.bottom());
        m_selectedRows = SelectedRows(std::move(ranges));
    }
    return *m_selectedRows;
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

// The entries form one column of rows of one height, so the rows from the
// rectangle's one corner to the other are one range: a Shift+click across a
// million entries selects them without visiting each.
void FileList::setSelection(const QRect &rect, QItemSelectionModel::SelectionFlags command)
{
    const QModelIndex from = indexAt(rect.topLeft());
    const QModelIndex to = indexAt(rect.bottomRight());
    if (!from.isValid() || !to.isValid()) {
        QListView::setSelection(rect, command);
        return;
    }
    const int first = std::min(from.row(), to.row());
    const int last = std::max(from.row(), to.row());
    selectionModel()->select(QItemSelection(m_model->index(first), m_model->index(last)), command);
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
