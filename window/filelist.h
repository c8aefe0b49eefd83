#pragma once

#include "platform/folderreader.h"
#include "window/selectedrows.h"

#include <QAbstractListModel>
#include <QListView>
#include <QStringList>
#include <optional>

// The names of one folder's listed files, in list order.
class FileListModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;

    const FileNames &names() const { return m_names; }
    void setNames(FileNames names);

private:
    FileNames m_names;
};

// The ordinary files of one folder whose names match one of the pattern's
// masks, in ascending name order without regard to case. Hidden files (dot
// files here, hidden or system files on Windows) and sub-folders are left out,
// and so are names that the file system's encoding cannot carry back to the
// same file. Re-reading leaves no entry selected.
FileNames ReadFolder(const QString &folder, const QString &pattern);
// The same of a folder's files as a reading of it gave them.
FileNames ListedInOrder(const FileNames &all, const QString &pattern);

// The full path of an entry: a folder that ends with its separator (a root
// such as C:\ or /) is joined without adding another one.
QString FullPath(const QString &folder, QStringView name);

// The file list: a folder, a pattern, the entries and their selection.
class FileList : public QListView {
    Q_OBJECT
public:
    explicit FileList(QWidget *parent = nullptr);

    QString path() const { return m_path; }
    void setPath(const QString &path); // re-reads
    // The folder's files as a reading of it has just found them.
    void setPath(const QString &path, const FileNames &files);
    QString pattern() const { return m_pattern; }
    void setPattern(const QString &pattern); // re-reads
    void refresh();
    // How many times the folder was read: a change tells that the entries may
    // have changed.
    int reads() const { return m_reads; }

    int listCount() const { return int(m_model->names().size()); }
    QString list(int i) const { return m_model->names().at(i).toString(); }
    const FileNames &fileNames() const { return m_model->names(); }
    // Every entry's name, in list order, as a list of texts.
    QStringList names() const { return m_model->names().toStringList(); }
    bool selected(int i) const;
    void setSelected(int i, bool on);
    void setAllSelected(bool on);
    // The selected entries, taken from the selection's ranges without
    // walking the entries, and kept until the selection changes.
    const SelectedRows &selectedRows() const;
    int selectedCount() const { return selectedRows().count(); }

    // The name of the current file, empty when there is none; a name that is
    // not listed is ignored.
    QString currentFileName() const;
    void setCurrentFileName(const QString &name);

signals:
    // A mouse button was released over the list.
    void mouseReleased();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void setSelection(const QRect &rect, QItemSelectionModel::SelectionFlags command) override;

private:
    // Only the left button selects; the others leave the selection alone.
    static bool selectsWith(const QMouseEvent *event);
    // The entries, none selected.
    void showNames(FileNames names);

    FileListModel *m_model;
    mutable std::optional<SelectedRows> m_selectedRows;
    QString m_path;
    QString m_pattern = QStringLiteral("*.*");
    int m_reads = 0;
};
