#include "platform/recyclebin.h"

// The Recycle Bin is Windows' own.
#ifdef Q_OS_WIN

#include "platform/folderreader.h"
#include "platform/windowspath.h"

#include <windows.h>

#include <shellapi.h>
#include <shobjidl.h>
#include <string>

namespace {

// The reason a file the Recycle Bin would not take stays where it is.
const QString NoRecycleBin = QStringLiteral("Its drive has no Recycle Bin, or the file is too large for it.");

// Told of each item before the shell deletes it, and whether it goes to the
// Recycle Bin then: an item that would be destroyed for good is stopped.
// It lives on the stack of one call, so counting references does nothing.
class RecycleOnly final : public IFileOperationProgressSink {
public:
    bool refused = false;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **out) override
    {
        if (riid == IID_IUnknown || riid == IID_IFileOperationProgressSink) {
            *out = static_cast<IFileOperationProgressSink *>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE PreDeleteItem(DWORD flags, IShellItem *) override
    {
        if (flags & TSF_DELETE_RECYCLE_IF_POSSIBLE)
            return S_OK;
        refused = true;
        return E_ABORT;
    }

    HRESULT STDMETHODCALLTYPE StartOperations() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE FinishOperations(HRESULT) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE PreRenameItem(DWORD, IShellItem *, LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE PostRenameItem(DWORD, IShellItem *, LPCWSTR, HRESULT, IShellItem *) override
    {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE PreMoveItem(DWORD, IShellItem *, IShellItem *, LPCWSTR) override
    {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE PostMoveItem(DWORD, IShellItem *, IShellItem *, LPCWSTR, HRESULT,
                                           IShellItem *) override
    {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE PreCopyItem(DWORD, IShellItem *, IShellItem *, LPCWSTR) override
    {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE PostCopyItem(DWORD, IShellItem *, IShellItem *, LPCWSTR, HRESULT,
                                           IShellItem *) override
    {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE PostDeleteItem(DWORD, IShellItem *, HRESULT, IShellItem *) override
    {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE PreNewItem(DWORD, IShellItem *, LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE PostNewItem(DWORD, IShellItem *, LPCWSTR, LPCWSTR, DWORD, HRESULT,
                                          IShellItem *) override
    {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE UpdateProgress(UINT, UINT) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ResetTimer() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE PauseTimer() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ResumeTimer() override { return S_OK; }
};

enum class Recycling { Done, Refused, Failed, NoAnswer };

// The shell's file operation, which tells for each item whether it will be
// recycled. NoAnswer where the shell offers no such operation or cannot
// report to the program (Wine's does nothing at all).
Recycling recycleTold(const QString &plain, QString *error)
{
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    IFileOperation *operation = nullptr;
    IShellItem *item = nullptr;
    RecycleOnly sink;
    DWORD cookie = 0;
    Recycling result = Recycling::NoAnswer;
    if (SUCCEEDED(CoCreateInstance(CLSID_FileOperation, nullptr, CLSCTX_ALL, IID_PPV_ARGS(&operation)))
        && SUCCEEDED(operation->SetOperationFlags(FOF_ALLOWUNDO | FOFX_RECYCLEONDELETE | FOF_NOCONFIRMATION
                                                  | FOF_NOERRORUI | FOF_SILENT))
        && SUCCEEDED(operation->Advise(&sink, &cookie))) {
        HRESULT done = SHCreateItemFromParsingName(reinterpret_cast<LPCWSTR>(plain.utf16()), nullptr,
                                                   IID_PPV_ARGS(&item));
        if (SUCCEEDED(done))
            done = operation->DeleteItem(item, nullptr);
        if (SUCCEEDED(done))
            done = operation->PerformOperations();
        BOOL aborted = FALSE;
        if (SUCCEEDED(done) && FAILED(operation->GetAnyOperationsAborted(&aborted)))
            aborted = TRUE;
        result = sink.refused             ? Recycling::Refused
            : SUCCEEDED(done) && !aborted ? Recycling::Done
                                          : Recycling::Failed;
        if (result == Recycling::Failed)
            *error = HRESULT_FACILITY(done) == FACILITY_WIN32
                ? qt_error_string(int(HRESULT_CODE(done)))
                : QStringLiteral("The file was not moved to the Recycle Bin.");
        operation->Unadvise(cookie);
    }
    if (item)
        item->Release();
    if (operation)
        operation->Release();
    if (SUCCEEDED(com))
        CoUninitialize();
    return result;
}

// The older shell operation, which tells nothing before it deletes a file
// for good: asked to warn, it asks the user first, and an answer other than
// yes keeps the file and reports the operation aborted.
Recycling recycleAsked(const QString &plain, QString *error)
{
    // The list of paths ends with an empty one.
    std::wstring from = plain.toStdWString();
    from.push_back(L'\0');
    SHFILEOPSTRUCTW operation{};
    operation.hwnd = GetActiveWindow();
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT | FOF_WANTNUKEWARNING;
    const int code = SHFileOperationW(&operation);
    if (code == 0 && !operation.fAnyOperationsAborted)
        return Recycling::Done;
    if (operation.fAnyOperationsAborted)
        return Recycling::Refused;
    *error = ShellErrorText(code);
    return Recycling::Failed;
}

} // namespace

bool MoveToRecycleBin(const QString &path, QString *error)
{
    // The shell takes plain paths only, in which Windows would change some
    // names and so act on another file: such a file is refused here.
    const QString plain = PlainWindowsPath(path);
    *error = ShellPathProblem(plain);
    if (!error->isEmpty())
        return false;
    // The shell's own move to the Recycle Bin, with undo allowed and no
    // question or error box of its own: the run reports a failure itself.
    // Where the Recycle Bin cannot take the file, the shell would delete it
    // for good; it is stopped from that, or where it cannot tell beforehand,
    // it asks the user.
    Recycling result = recycleTold(plain, error);
    if (result == Recycling::NoAnswer)
        result = recycleAsked(plain, error);
    const bool left = OnDisk(path);
    if (result == Recycling::Done && !left)
        return true;
    if (result != Recycling::Failed)
        *error = result == Recycling::Refused && left
            ? NoRecycleBin
            : QStringLiteral("The file was not moved to the Recycle Bin.");
    return false;
}

#endif
