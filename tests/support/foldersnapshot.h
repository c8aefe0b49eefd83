#pragma once

// Real files for the tests: a folder's (name, content) pairs, and the main
// window opened over a folder of its own with every service real except the
// answers to message boxes.

#include "support/testservices.h"
#include "window/dirlist.h"
#include "window/filelist.h"
#include "window/filerenamer.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMap>
#include <QMetaType>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_WIN
#include "platform/windowspath.h"

// Without the common dialogs, whose ReplaceText would rename the window's
// control of that name.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#endif
#ifdef Q_OS_LINUX
#ifdef Q_OS_LINUX
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif
#endif

#include <functional>
#include <memory>

// Each test file's content names the file it was made as, so that a file that
// lands under another name is still recognised.
inline QByteArray ContentOf(const QString &name)
{
    return "content of " + name.toUtf8() + '\n';
}

#ifdef Q_OS_WIN
// Qt opens a file through a path that has lost a dot at the end of its name,
// so that "a.txt." would be "a.txt": the tests write and read such files by
// their exact names, as the program acts on them.
inline HANDLE OpenExactly(const QString &path, bool write)
{
    return CreateFileW(reinterpret_cast<LPCWSTR>(ExactWindowsPath(path).utf16()),
                       write ? GENERIC_WRITE : GENERIC_READ, FILE_SHARE_READ, nullptr,
                       write ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

inline bool WriteFile(const QString &path, const QByteArray &content)
{
    const HANDLE file = OpenExactly(path, true);
    DWORD written = 0;
    const bool done = file != INVALID_HANDLE_VALUE
        && ::WriteFile(file, content.constData(), DWORD(content.size()), &written, nullptr)
        && written == DWORD(content.size());
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    return done;
}

inline QByteArray ReadFile(const QString &path)
{
    const HANDLE file = OpenExactly(path, false);
    QByteArray content;
    char buffer[4096];
    DWORD read = 0;
    while (file != INVALID_HANDLE_VALUE && ::ReadFile(file, buffer, sizeof buffer, &read, nullptr)
           && read > 0)
        content.append(buffer, read);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    return content;
}
#else
inline bool WriteFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

inline QByteArray ReadFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
#endif

// Another program's change to the open folder (removing or renaming it),
// tried again for a while: Windows refuses it while the folder is being
// listed, as the preview does in the background after each change.
inline bool ChangedByAnotherProgram(const std::function<bool()> &change)
{
    for (int tries = 0; !change(); ++tries) {
        if (tries == 100)
            return false;
        QTest::qWait(50);
    }
    return true;
}

// Relative path to content.
using FolderFiles = QMap<QString, QByteArray>;

// Every file under a folder, hidden ones included, by its relative path. A
// link that leads nowhere is listed with empty content.
inline FolderFiles Snapshot(const QString &folder)
{
    FolderFiles files;
    const QDir base(folder);
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(base.relativeFilePath(path), ReadFile(path));
    }
    return files;
}

// Present name to new name, relative to the folder.
using Moves = QMap<QString, QString>;

// The snapshot after the given files moved, contents unchanged.
inline FolderFiles Moved(FolderFiles files, const Moves &moves)
{
    FolderFiles taken;
    for (auto it = moves.cbegin(); it != moves.cend(); ++it)
        taken.insert(it.value(), files.take(it.key()));
    files.insert(taken);
    return files;
}

// The rule controls as a user leaves them, in the order a user sets them: the
// prefix mode first, since choosing it clears the counter tick.
struct Rules {
    int mode = 1; // Before
    QString prefix;
    bool count = false;
    QString pattern = QStringLiteral("0");
    QString start = QStringLiteral("1");
    int caseMode = 0;
};
Q_DECLARE_METATYPE(Rules)

inline Rules MakeRules(int mode, const QString &prefix, bool count, const QString &start, int caseMode = 0)
{
    Rules rules;
    rules.mode = mode;
    rules.prefix = prefix;
    rules.count = count;
    rules.start = start;
    rules.caseMode = caseMode;
    return rules;
}

// The names the file list shows of a folder holding `files`: its own files,
// hidden ones aside, in order without regard to letter case. Worked out
// from the disk's snapshot, not by the list's own reading.
inline QStringList ListedNames(const FolderFiles &files)
{
    QStringList names;
    for (auto it = files.cbegin(); it != files.cend(); ++it) {
        if (!it.key().contains(QLatin1Char('/')) && !it.key().startsWith(QLatin1Char('.')))
            names.append(it.key());
    }
    names.sort(Qt::CaseInsensitive);
    return names;
}

// The new name of `present` with counter value `counter` under `rules`, as a
// user reads the rules, written out apart from the program's composition so
// that a check never shares a fault with it: the name split at its last dot,
// every Remove in the base replaced, the prefix, base and counter placed by
// the mode, and the letter case of the file's own name (after the last "/")
// changed. A counter pattern is zeros after an optional blank; a negative
// number's minus sign follows the blank; no pattern at all writes the number
// as the counter start shows it, after a blank unless it is negative.
inline QString ReferenceName(const RenameRules &rules, const QString &present, qint64 counter)
{
    const qsizetype dot = present.lastIndexOf(QLatin1Char('.'));
    QString base = dot < 0 ? present : present.left(dot);
    const QString extension = dot < 0 ? QString() : present.mid(dot);
    if (!rules.remove.isEmpty())
        base.replace(rules.remove, rules.replaceWith);
    QString number;
    if (rules.includeCount && rules.counterFormat.isEmpty()) {
        number = (counter < 0 ? QString() : QStringLiteral(" ")) + QString::number(counter);
    } else if (rules.includeCount) {
        const bool blank = rules.counterFormat.startsWith(QLatin1Char(' '));
        const QString zeros = rules.counterFormat.mid(blank ? 1 : 0);
        if (zeros.count(QLatin1Char('0')) != zeros.size())
            QTest::qFail("the reference knows counter patterns of zeros only", __FILE__, __LINE__);
        number = QString::number(qAbs(counter)).rightJustified(zeros.size(), QLatin1Char('0'));
        number.prepend(QLatin1String(blank ? " " : "") + QLatin1String(counter < 0 ? "-" : ""));
    }
    const QString name
        = rules.prefix + (rules.prefixMode == PrefixMode::Replace ? QString() : base) + number + extension;
    const qsizetype slash = name.lastIndexOf(QLatin1Char('/'));
    const QString own = name.mid(slash + 1);
    return name.left(slash + 1)
        + (rules.caseMode == CaseMode::Upper       ? own.toUpper()
               : rules.caseMode == CaseMode::Lower ? own.toLower()
                                                   : own);
}

// The main window over a folder of its own, shown and made active, holding
// the named files (a name with "/" makes its sub-folder), each with its own
// content; the folder lies below `under` when one is given. With `ownData`
// the window's data folder (its trash and journal) is "share" in the
// session's own folder, set before the window is built, which fixes where
// its journal goes; on Windows the Recycle Bin is the test's own in the
// build, and the journal the build's Wine prefix's.
struct WindowSession {
    QTemporaryDir root;
    QString folder;
    RecordingMessageBox *box = nullptr;
    std::unique_ptr<PlatformServices> services;
    std::unique_ptr<FileRenamer> w;
    FolderFiles before;

    explicit WindowSession(const QStringList &names, const QString &folderName = QStringLiteral("photos"),
                           bool recordedBoxes = true, const QString &under = QDir::tempPath(),
                           bool ownData = false)
        : root(under + QLatin1String("/session-XXXXXX"))
    {
        if (ownData)
            UseDataHome(root.filePath(QStringLiteral("share")));
        folder = root.filePath(folderName);
        if (!QDir().mkpath(folder))
            QTest::qFail("the test folder cannot be made", __FILE__, __LINE__);
        for (const QString &name : names) {
            QDir().mkpath(QFileInfo(path(name)).path());
            if (!WriteFile(path(name), ContentOf(name)))
                QTest::qFail(qPrintable(QLatin1String("cannot write ") + name), __FILE__, __LINE__);
        }
        before = Snapshot(folder);
        services = MakeTestServices(root.filePath(QStringLiteral("settings.ini")), &box);
        if (!recordedBoxes) {
            services->messageBox = std::make_unique<QtMessageBoxService>();
            box = nullptr;
        }
        w = std::make_unique<FileRenamer>(*services);
        w->Dir1->setPath(folder);
        w->show();
        QApplication::setActiveWindow(w.get());
    }

    QString path(const QString &name) const { return folder + QLatin1Char('/') + name; }

    void apply(const Rules &rules)
    {
        w->Option1[rules.mode]->setChecked(true);
        w->Prefixtext->setText(rules.prefix);
        w->CounterFormatCombo->setEditText(rules.pattern);
        w->CounterStart->setText(rules.start);
        w->IncludeCountCheck->setChecked(rules.count);
        w->Option2[rules.caseMode]->setChecked(true);
    }

    // A click with Ctrl held on one entry, which adds or removes it.
    bool ctrlClick(const QString &name)
    {
        const int row = int(w->File1->names().indexOf(name));
        if (row < 0)
            return false;
        const QModelIndex index = w->File1->model()->index(row, 0);
        w->File1->scrollTo(index);
        QTest::mouseClick(w->File1->viewport(), Qt::LeftButton, Qt::ControlModifier,
                          w->File1->visualRect(index).center());
        return true;
    }

    bool select(const QStringList &names)
    {
        for (const QString &name : names) {
            if (!ctrlClick(name))
                return false;
        }
        return w->SelectedCount() == names.size();
    }

    // The texts of the message boxes shown so far, in order.
    QStringList shownTexts() const
    {
        QStringList texts;
        for (const ShownMessage &message : std::as_const(box->shown))
            texts.append(message.text);
        return texts;
    }
};

// Text put on the clipboard and pasted with Ctrl+V, the way a user brings
// into a box what the keyboard cannot type.
inline void Paste(QLineEdit *box, const QString &text)
{
    QApplication::clipboard()->setText(text);
    box->setFocus();
    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
}

// A folder in which no name can be added, removed or changed, for as long as
// the object lives. Root passes over permission bits, so for root the folder
// is made immutable as well. Windows has no such folder for its owner (the
// read-only mark of a folder is not kept), so there `ok()` is false, and
// `lacking()` says why.
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(const QString &path);
    ~ReadOnlyFolder();
    ReadOnlyFolder(const ReadOnlyFolder &) = delete;
    ReadOnlyFolder &operator=(const ReadOnlyFolder &) = delete;

    bool ok() const { return m_lacking.isEmpty(); }
    const char *lacking() const { return m_lacking.constData(); }

private:
    bool setImmutable(bool on);

    QByteArray m_path;
    QByteArray m_lacking;
    bool m_immutable = false;
};

#ifdef Q_OS_LINUX
inline ReadOnlyFolder::ReadOnlyFolder(const QString &path) : m_path(QFile::encodeName(path))
{
    if (::chmod(m_path.constData(), 0555) != 0)
        m_lacking = "The folder's permissions cannot be changed here.";
    else if (::geteuid() == 0 && !(m_immutable = setImmutable(true)))
        m_lacking = "Root passes over permissions, and this file system takes no immutable flag.";
}

inline ReadOnlyFolder::~ReadOnlyFolder()
{
    if (m_immutable)
        setImmutable(false);
    ::chmod(m_path.constData(), 0755);
}

inline bool ReadOnlyFolder::setImmutable(bool on)
{
    const int fd = ::open(m_path.constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return false;
    int flags = 0;
    bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
    done = done && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    ::close(fd);
    return done;
}
#else
inline ReadOnlyFolder::ReadOnlyFolder(const QString &path)
    : m_path(QFile::encodeName(path)),
      m_lacking("Windows keeps no folder its owner cannot change: the read-only mark of a folder keeps no "
                "names out.")
{
}
inline ReadOnlyFolder::~ReadOnlyFolder() = default;
inline bool ReadOnlyFolder::setImmutable(bool)
{
    return false;
}
#endif
