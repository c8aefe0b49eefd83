#include "window/dirlist.h"

#include <QDir>
#include <QFileInfo>

#include <utility>

namespace {
constexpr int PathRole = Qt::UserRole + 1;

QString cleanFolder(const QString &path)
{
    const QFileInfo info(path);
    QString clean = QDir::cleanPath(info.absoluteFilePath());
    // A root keeps its separator (C:/ or /); other folders have none at the end.
    return QDir(clean).isRoot() && !clean.endsWith(QLatin1Char('/')) ? clean + QLatin1Char('/') : clean;
}
} // namespace

DirList::DirList(QWidget *parent) : QListView(parent), m_model(new QStandardItemModel(this))
{
    setModel(m_model);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformItemSizes(true);
    connect(this, &QAbstractItemView::activated, this, &DirList::open);
}

// The folder is read once, for its sub-folders here and its files, which
// the file list takes from this reading.
bool DirList::setPath(const QString &path)
{
    if (path.isEmpty())
        return false;
    const QString folder = cleanFolder(path);
    if (!QFileInfo(folder).isDir())
        return false;
    if (folder == m_path)
        return true;
    FolderListing listing = ListFolder(folder);
    if (!listing.read)
        return false;
    m_path = folder;
    m_files = std::move(listing.files);
    fill(listing.folders);
    emit pathChanged();
    return true;
}

void DirList::open(const QModelIndex &index)
{
    const QString folder = index.data(PathRole).toString();
    if (!setPath(folder))
        emit openFailed(folder);
}

void DirList::fill(QStringList children)
{
    m_model->clear();
    // The chain from the root down to the open folder is told by the path
    // alone: looking at each folder above would be a round trip each on a
    // network share.
    QStringList chain;
    for (QString folder = m_path;;) {
        chain.prepend(folder);
        const QString parent = cleanFolder(QFileInfo(folder).path());
        if (QDir(folder).isRoot() || parent == folder)
            break;
        folder = parent;
    }
    const QString indentUnit = QStringLiteral("  ");
    int depth = 0;
    QStandardItem *openItem = nullptr;
    for (const QString &folder : std::as_const(chain)) {
        // A root is shown as the system writes it: C:\ on Windows, / elsewhere.
        const QString name
            = QDir(folder).isRoot() ? QDir::toNativeSeparators(folder) : QFileInfo(folder).fileName();
        auto *item = new QStandardItem(indentUnit.repeated(depth) + name);
        item->setData(folder, PathRole);
        m_model->appendRow(item);
        openItem = item;
        ++depth;
    }
    children.sort(Qt::CaseInsensitive);
    for (const QString &child : std::as_const(children)) {
        auto *item = new QStandardItem(indentUnit.repeated(depth) + child);
        item->setData(QDir(m_path).absoluteFilePath(child), PathRole);
        m_model->appendRow(item);
    }
    if (openItem)
        setCurrentIndex(openItem->index());
}
