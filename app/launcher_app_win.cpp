#include "app/launcher_app_win.h"

#include "launcher/launcher_dlg_win.h"
#include "framework/handles_win.h"
#include "framework/ui_task_win.h"

#include <commctrl.h>

#include <memory>

BOOL CLauncherApp::InitInstance() {
    ::InitCommonControls();
    CWinApp::InitInstance();
    // The web page panel hosts an ActiveX control: COM on this thread.
    const tarvo::ScopedOle ole;
    // Other threads hand their results to this thread through its task
    // queue; whatever is still queued when the launcher closes is dropped.
    const tarvo::UiTaskQueue uiTasks;

    auto launcher = std::make_unique<CLauncherDlg>();
    m_pMainWnd = launcher.get();
    launcher->DoModal();
    m_pMainWnd = nullptr;
    launcher.reset();
    // No message loop of our own: the process ends here.
    return FALSE;
}
