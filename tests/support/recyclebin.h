#pragma once

// The Windows Recycle Bin as Explorer shows it, through the shell: where the
// files it holds came from, and its own Restore. Only the Windows build of the
// tests has it.

#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>

#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <functional>

// Calls `each` with the bin's folder and each of its items, while it says go
// on; false when the bin cannot be read.
inline bool ForEachInRecycleBin(const std::function<bool(IShellFolder2 *, PCUITEMID_CHILD)> &each)
{
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IShellFolder *desktop = nullptr;
    PIDLIST_ABSOLUTE binId = nullptr;
    IShellFolder2 *bin = nullptr;
    IEnumIDList *items = nullptr;
    bool ok = SUCCEEDED(SHGetDesktopFolder(&desktop))
        && SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_BITBUCKET, &binId))
        && SUCCEEDED(
                  desktop->BindToObject(binId, nullptr, IID_IShellFolder2, reinterpret_cast<void **>(&bin)))
        && SUCCEEDED(bin->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, &items));
    PITEMID_CHILD item = nullptr;
    bool goOn = true;
    while (ok && goOn && items && items->Next(1, &item, nullptr) == S_OK) {
        goOn = each(bin, item);
        CoTaskMemFree(item);
    }
    if (items)
        items->Release();
    if (bin)
        bin->Release();
    CoTaskMemFree(binId);
    if (desktop)
        desktop->Release();
    return ok;
}

// A column of the bin's details view: 0 the name, 1 the folder it came from.
inline QString RecycleBinDetail(IShellFolder2 *bin, PCUITEMID_CHILD item, UINT column)
{
    SHELLDETAILS details{};
    wchar_t *text = nullptr;
    if (FAILED(bin->GetDetailsOf(item, column, &details)) || FAILED(StrRetToStrW(&details.str, item, &text)))
        return QString();
    const QString result = QString::fromWCharArray(text);
    CoTaskMemFree(text);
    return result;
}

inline QString OriginalPath(IShellFolder2 *bin, PCUITEMID_CHILD item)
{
    return QDir::cleanPath(QDir::fromNativeSeparators(RecycleBinDetail(bin, item, 1)) + QLatin1Char('/')
                           + RecycleBinDetail(bin, item, 0));
}

// The paths the files in the bin had, below `folder`.
inline QStringList RecycledFrom(const QString &folder)
{
    QStringList paths;
    const QString prefix = QDir::cleanPath(folder) + QLatin1Char('/');
    ForEachInRecycleBin([&](IShellFolder2 *bin, PCUITEMID_CHILD item) {
        const QString path = OriginalPath(bin, item);
        if (path.startsWith(prefix, Qt::CaseInsensitive))
            paths.append(path);
        return true;
    });
    paths.sort(Qt::CaseInsensitive);
    return paths;
}

// What Explorer's Restore does on the bin's item that came from `path`: the
// entry of the item's context menu whose verb is "undelete" (Windows) or whose
// text is Restore (Wine, whose menu names no verbs).
inline bool RestoreFromRecycleBin(const QString &path)
{
    bool restored = false;
    ForEachInRecycleBin([&](IShellFolder2 *bin, PCUITEMID_CHILD item) {
        if (OriginalPath(bin, item).compare(QDir::cleanPath(path), Qt::CaseInsensitive) != 0)
            return true;
        IContextMenu *menu = nullptr;
        if (FAILED(bin->GetUIObjectOf(nullptr, 1, &item, IID_IContextMenu, nullptr,
                                      reinterpret_cast<void **>(&menu))))
            return false;
        HMENU entries = CreatePopupMenu();
        if (SUCCEEDED(menu->QueryContextMenu(entries, 0, 1, 0x7fff, CMF_NORMAL))) {
            for (int i = 0; i < GetMenuItemCount(entries) && !restored; ++i) {
                wchar_t text[128] = {};
                MENUITEMINFOW info{};
                info.cbSize = sizeof info;
                info.fMask = MIIM_ID | MIIM_STRING;
                info.dwTypeData = text;
                info.cch = 127;
                char verb[64] = {};
                if (!GetMenuItemInfoW(entries, UINT(i), TRUE, &info) || info.wID < 1)
                    continue;
                menu->GetCommandString(info.wID - 1, GCS_VERBA, nullptr, verb, sizeof verb);
                if (qstrcmp(verb, "undelete") != 0
                    && QString::fromWCharArray(text).remove(QLatin1Char('&')) != QLatin1String("Restore"))
                    continue;
                CMINVOKECOMMANDINFO invoke{};
                invoke.cbSize = sizeof invoke;
                invoke.lpVerb = MAKEINTRESOURCEA(info.wID - 1);
                invoke.nShow = SW_SHOWNORMAL;
                invoke.fMask = CMIC_MASK_FLAG_NO_UI;
                restored = SUCCEEDED(menu->InvokeCommand(&invoke));
            }
        }
        DestroyMenu(entries);
        menu->Release();
        return false;
    });
    return restored;
}

// Wine keeps the Recycle Bin as the freedesktop trash of the XDG_DATA_HOME it
// was started with (a Linux path, here as Z: sees it). For as long as this
// lives, the bin's folder for files is a plain file: the bin takes nothing,
// as a drive without one, and the shell would delete the file instead.
class BinWithoutRoom {
public:
    BinWithoutRoom()
        : m_files(QStringLiteral("Z:") + QString::fromLocal8Bit(qgetenv("XDG_DATA_HOME"))
                  + QLatin1String("/Trash/files"))
    {
        QDir().mkpath(QFileInfo(m_files).path());
        m_ok = QDir(m_files).removeRecursively() && !QFileInfo::exists(m_files);
        QFile plain(m_files);
        m_ok = m_ok && plain.open(QIODevice::WriteOnly) && plain.write("no room\n") > 0;
    }
    ~BinWithoutRoom()
    {
        QFile::remove(m_files);
        QDir().mkpath(m_files);
    }
    BinWithoutRoom(const BinWithoutRoom &) = delete;
    BinWithoutRoom &operator=(const BinWithoutRoom &) = delete;

    bool ok() const { return m_ok; }

private:
    QString m_files;
    bool m_ok = false;
};

// The user's answer No to the shell's own question, for as long as this
// lives: a window the shell puts up on this thread is told No as it comes.
// Where Wine has no display, the shell can show no question and takes that
// for No all the same.
class ShellQuestionsAnsweredNo {
public:
    ShellQuestionsAnsweredNo() : m_hook(SetWindowsHookExW(WH_CBT, answer, nullptr, GetCurrentThreadId())) { }
    ~ShellQuestionsAnsweredNo() { UnhookWindowsHookEx(m_hook); }
    ShellQuestionsAnsweredNo(const ShellQuestionsAnsweredNo &) = delete;
    ShellQuestionsAnsweredNo &operator=(const ShellQuestionsAnsweredNo &) = delete;

private:
    static LRESULT CALLBACK answer(int code, WPARAM window, LPARAM details)
    {
        if (code == HCBT_ACTIVATE)
            PostMessageW(reinterpret_cast<HWND>(window), WM_COMMAND, IDNO, 0);
        return CallNextHookEx(nullptr, code, window, details);
    }

    HHOOK m_hook;
};
