#pragma once

#include "platform/folderreader.h"

#include <QListView>
#include <QStandardItemModel>

// The folder list: the open folder's chain of parent folders, the open folder
// itself, then its sub-folders, indented like a tree. A double click or Enter
// opens the folder under the cursor.
class DirList : public QListView {
    Q_OBJECT
public:
    explicit DirList(QWidget *parent = nullptr);

    QString path() const { return m_path; }
    // Opens the folder. False, and nothing changes, when it does not exist or
    // cannot be read. A real change emits pathChanged before returning.
    bool setPath(const QString &path);
    // The open folder's files as the reading that opened it found them.
    const FileNames &files() const { return m_files; }

signals:
    void pathChanged();
    // The user asked to open a folder that cannot be read.
    void openFailed(const QString &path);

private:
    void open(const QModelIndex &index);
    void fill(QStringList children);

    QStandardItemModel *m_model;
    QString m_path;
    FileNames m_files;
};
