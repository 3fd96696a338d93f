// The tray icon, the boss key, the About box, leaving through the exit panel
// and the launcher window's shut-down.
#include "app/launcher_dlg_win.h"

#include "panels/exit_panel_win.h"
#include "panels/game_host_panel_win.h"
#include "panels/settings_panel_win.h"
#include "panels/web_page_panel_win.h"
#include "resource.h"
#include "service/server_list_panel_win.h"
#include "window/skin_button_win.h"

#include <string>
#include <vector>

namespace {

// The directory holding this program, without a trailing backslash.
std::string moduleDirectory() {
    std::vector<char> buffer(512);
    for (;;) {
        const DWORD length = ::GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return std::string();
        if (length < buffer.size() || buffer.size() >= 32768) {
            const std::string path(buffer.data(), length);
            const std::string::size_type slash = path.rfind('\\');
            return slash == std::string::npos ? std::string() : path.substr(0, slash);
        }
        buffer.resize(buffer.size() * 2);
    }
}

} // namespace

// ---- Tray icon and boss key -------------------------------------------------

LRESULT CLauncherDlg::OnTrayNotify(WPARAM iconId, LPARAM mouseMessage) {
    const TrayAction action =
        trayAction(static_cast<unsigned>(iconId), static_cast<unsigned>(mouseMessage), IsWindowVisible());
    if (action == TrayAction::Hide) {
        ShowWindow(SW_HIDE);
        HideVisiblePanels();
        if (gameHostPanel && gameHostPanel->m_hWnd) gameHostPanel->ShowWindow(SW_HIDE);
    } else if (action == TrayAction::Show) {
        ShowWindow(SW_SHOW);
        if (gameHostPanel && gameHostPanel->m_hWnd) gameHostPanel->ShowWindow(SW_SHOW);
    }
    return trayCallbackResult(action);
}

LRESULT CLauncherDlg::OnTaskbarCreated() {
    // A new taskbar starts with an empty notification area: add the icon if
    // it should be there, whether it was showing before (the shell was
    // restarted) or could not be added yet (the launcher started before the
    // shell). The boss key or Esc took it away on purpose otherwise.
    if (!trayIconWanted || !initialised) return 0;
    addTrayIcon();
    // Refused because it is still there (a message not from a real new
    // taskbar): it is showing all the same.
    NOTIFYICONDATAA probe = trayIconData;
    probe.uFlags = 0;
    trayIconPresent = ShellNotifyIcon(NIM_MODIFY, &probe) != FALSE;
    return 0;
}

void CLauncherDlg::SetBossKey(bool enable, WORD virtualKey, WORD hotKeyFlags) {
    BossKey key{bossKeyEnabled, bossKeyVirtualKey, bossKeyModifiers};
    const bool registerKey = key.set(enable, virtualKey, hotKeyFlags);
    bossKeyEnabled = key.enabled;
    bossKeyVirtualKey = key.virtualKey;
    bossKeyModifiers = key.modifiers;

    ::UnregisterHotKey(m_hWnd, kBossHotKeyId);
    // No key chosen (an empty hot-key field): nothing to register.
    if (registerKey && bossKeyVirtualKey != 0) {
        ::RegisterHotKey(m_hWnd, kBossHotKeyId, bossKeyModifiers, bossKeyVirtualKey);
    }
}

void CLauncherDlg::RestoreBossKey() {
    if (!bossKeyEnabled || bossKeyVirtualKey == 0 || !m_hWnd) return;
    ::UnregisterHotKey(m_hWnd, kBossHotKeyId);
    ::RegisterHotKey(m_hWnd, kBossHotKeyId, bossKeyModifiers, bossKeyVirtualKey);
}

LRESULT CLauncherDlg::OnHotKey(WPARAM id) {
    switch (bossKeyAction(bossKeyEnabled, static_cast<int>(id), IsWindowVisible())) {
    case BossKeyAction::Hide:
        HideAllWindows();
        HideVisiblePanels();
        deleteTrayIcon();
        break;
    case BossKeyAction::Show:
        ShowWindow(SW_SHOW);
        if (gameHostPanel && gameHostPanel->m_hWnd) gameHostPanel->ShowWindow(SW_SHOW);
        addTrayIcon();
        break;
    case BossKeyAction::None:
        break;
    }
    return 0;
}

// ---- About box and dialog commands ------------------------------------------

void CLauncherDlg::ShowAboutBox() {
    tarvo::CDialog about(IDD_ABOUTBOX, this);
    about.DoModal();
}

void CLauncherDlg::OnCancel() {
    // Esc or a close request: the launcher keeps running, only the tray icon goes.
    deleteTrayIcon();
}

// ---- Leaving through the exit panel ------------------------------------------

void CLauncherDlg::StartLaunchAndClose() {
    char commandLine[1024] = "tarvolunch-start";
    const std::string directory = launcherDirectory.empty() ? moduleDirectory() : launcherDirectory;
    const std::string program = directory + "\\Launch.exe";

    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!::CreateProcessA(program.c_str(), commandLine, nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr,
                          directory.empty() ? nullptr : directory.c_str(), &startup, &process)) {
        ::MessageBoxA(nullptr, "启动Launch失败, 请关闭防火墙后再启动游戏。", "失败", MB_OK);
        process = PROCESS_INFORMATION{};
    }
    // Neither the game client nor Launch.exe is to be ended by this launcher
    // from here on: let go of both handles, so that a shut-down that runs
    // after all terminates neither.
    webEntryProcess.reset();
    if (process.hThread) ::CloseHandle(process.hThread);
    if (process.hProcess) ::CloseHandle(process.hProcess);

    HideAllWindows();
    ::Sleep(1000);
    deleteTrayIcon();
    CDialog::OnCancel();  // the framework's cancel: ends the modal run
}

// ---- Shut-down --------------------------------------------------------------

BOOL CLauncherDlg::DestroyWindow() {
    if (webEntryProcess) {
        ::TerminateProcess(webEntryProcess.get(), 0);
        webEntryProcess.reset();
    }
    deleteTrayIcon();
    if (m_hWnd) ::UnregisterHotKey(m_hWnd, kBossHotKeyId);

    captionButtons.clear();
    serverListButton.reset();

    // Each panel is destroyed and deleted once; the members own them, the
    // list only refers to them.
    for (tarvo::CDialog* panel : panels) {
        if (panel && panel->m_hWnd) panel->DestroyWindow();
    }
    panels.clear();
    serverListPanel.reset();
    settingsPanel.reset();
    exitPanel.reset();
    webPagePanel.reset();

    frameBitmaps[0].reset();
    frameBitmaps[1].reset();
    splashPicture.reset();
    return CDialog::DestroyWindow();
}
