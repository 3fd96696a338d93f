#include "app/launcher_app_win.h"

#include "app/launcher_dlg_win.h"

#include <commctrl.h>
#include <objbase.h>

#include <memory>

BOOL CLauncherApp::InitInstance() {
    ::InitCommonControls();
    CWinApp::InitInstance();
    // The web page panel hosts an ActiveX control: COM on this thread.
    ::OleInitialize(nullptr);
    SetRegistryKey("应用程序向导生成的本地应用程序");

    auto launcher = std::make_unique<CLauncherDlg>();
    m_pMainWnd = launcher.get();
    launcher->DoModal();
    m_pMainWnd = nullptr;
    launcher.reset();
    // No message loop of our own: the process ends here.
    return FALSE;
}
