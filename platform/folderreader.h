#pragma once

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QStringView>

// File names kept one after another in one text, with where each ends: a
// folder of a million files costs its characters and one number per name
// instead of one text object each. Copies share the text.
class FileNames {
public:
    qsizetype size() const { return m_ends.size(); }
    // The characters of all names together.
    qsizetype characters() const { return m_text.size(); }
    QStringView at(qsizetype i) const
    {
        const qsizetype begin = i == 0 ? 0 : m_ends.at(i - 1);
        return QStringView(m_text).mid(begin, m_ends.at(i) - begin);
    }
    void append(QStringView name)
    {
        m_text.append(name);
        m_ends.append(m_text.size());
    }
    void append(QLatin1StringView name)
    {
        m_text.append(name);
        m_ends.append(m_text.size());
    }
    void reserve(qsizetype names, qsizetype characters)
    {
        m_ends.reserve(names);
        m_text.reserve(characters);
    }
    // The index of the first entry equal to `name`, or -1.
    qsizetype indexOf(QStringView name) const;
    // Whether both are copies of one list, not just equal.
    bool isSharedWith(const FileNames &other) const
    {
        return m_text.isSharedWith(other.m_text) && m_ends.isSharedWith(other.m_ends);
    }
    QStringList toStringList() const;

private:
    QString m_text;
    QList<qsizetype> m_ends;
};

// The names of a folder's ordinary files, in the order the file system gives
// them: no sub-folders, no hidden files (dot files here, hidden or system
// files on Windows), and no name that the file system's encoding cannot carry
// back to the same file. A link to an ordinary file counts as one.
FileNames ListFileNames(const QString &folder);

// One reading of a folder for both its lists: its ordinary files as
// ListFileNames gives them, and its sub-folders (a link to a folder counts
// as one) other than hidden ones. `read` is false when the folder cannot be
// read.
struct FolderListing {
    FileNames files;
    QStringList folders;
    bool read = false;
};
FolderListing ListFolder(const QString &folder);

// Every name in a folder exactly as the file system spells it, hidden files
// and sub-folders included: where names ignore letter case, whether a name is
// there in this very spelling.
QSet<QString> ListEveryName(const QString &folder);

// The same names as a list, in the order the file system gives them, without
// the names its encoding cannot carry back to the same entry.
FileNames ListEveryEntry(const QString &folder);

// Whether something has this name, a link whose target is gone included.
bool OnDisk(const QString &path);

// Whether names can be added to and taken from a folder (not so on a drive
// mounted read-only or in a folder without the right). Where the system does
// not tell before a rename is tried, true.
bool FolderTakesNames(const QString &folder);
