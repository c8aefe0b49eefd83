#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// What tells a file from another one found later under the same name: its
// number on the volume, its size and the time its content last changed, as
// the volume keeps them. A move within a volume keeps all three. The number
// counts only where the volume keeps it for good: FUSE and FAT-like volumes
// number a file anew when it is looked up again, so there the size and time
// decide alone. A link is known as a link, never as the file it leads to.
struct FileIdentity {
    quint64 number = 0;
    qint64 size = 0;
    qint64 modified = 0; // nanoseconds since the epoch
    bool link = false;

    // As the journal keeps it: "<number>.<size>.<modified>", with an "l"
    // before a link's.
    QByteArray toText() const;
    void appendTo(QByteArray &text) const;
    static std::optional<FileIdentity> fromText(const QByteArray &text);
};

// The identity of whatever has the name `path` now, looked at afresh; none
// when nothing has it or it cannot be looked at.
std::optional<FileIdentity> IdentityOf(const QString &path);

// The identities of files in one folder, by their bare names, the folder
// opened once for all of them.
class FolderIdentities {
public:
    explicit FolderIdentities(const QString &folder);
    ~FolderIdentities();
    FolderIdentities(const FolderIdentities &) = delete;
    FolderIdentities &operator=(const FolderIdentities &) = delete;

    std::optional<FileIdentity> of(QStringView name) const;

private:
    QString m_folder;
    int m_handle = -1;
};

// Whether the volume holding `folder` keeps a file's number for good.
bool NumbersLast(const QString &folder);

// Whether `now` is the very file `recorded` was, on a volume whose numbers
// last or not.
bool SameFile(const FileIdentity &recorded, const FileIdentity &now, bool numbersLast);
