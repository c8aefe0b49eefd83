#include "platform/runprogress.h"

#include <QWidget>

#ifdef Q_OS_WIN
#include <windows.h>

#include <shobjidl.h>

namespace {

// The shell's taskbar, asked afresh each time: it may have restarted since.
void setTaskbarProgress(QWidget *window, int done, int total)
{
    ITaskbarList3 *taskbar = nullptr;
    if (FAILED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3,
                                reinterpret_cast<void **>(&taskbar))))
        return;
    const HWND handle = reinterpret_cast<HWND>(window->winId());
    if (SUCCEEDED(taskbar->HrInit())) {
        if (total > 0) {
            taskbar->SetProgressState(handle, TBPF_NORMAL);
            taskbar->SetProgressValue(handle, ULONGLONG(done), ULONGLONG(total));
        } else {
            taskbar->SetProgressState(handle, TBPF_NOPROGRESS);
        }
    }
    taskbar->Release();
}

} // namespace
#else
namespace {
void setTaskbarProgress(QWidget *, int, int)
{
}
} // namespace
#endif

void QtRunProgress::show(QWidget *window, const QString &text, int done, int total)
{
    if (m_title.isEmpty())
        m_title = window->windowTitle();
    window->setWindowTitle(text + QLatin1String(" - ") + m_title);
    setTaskbarProgress(window, done, total);
}

void QtRunProgress::clear(QWidget *window)
{
    if (!m_title.isEmpty())
        window->setWindowTitle(m_title);
    m_title.clear();
    setTaskbarProgress(window, 0, 0);
}
