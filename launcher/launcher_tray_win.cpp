// The tray icon, the boss key, the About box, hiding and showing the
// launcher's windows, leaving through the exit panel and the launcher
// window's shut-down.
#include "launcher/launcher_dlg_win.h"

#include "app/file_paths.h"
#include "app/programs_win.h"
#include "panels/game_host_panel_win.h"
#include "resource.h"
#include "window/skin_button_win.h"

#include <string>

// ---- Hiding and showing -----------------------------------------------------

void CLauncherDlg::HideVisiblePanels() {
    // The settings panel lets go of the boss key while it is open and takes
    // it back only through its own buttons; hidden any other way, the key
    // would be lost without the player knowing.
    if (panels_.hideVisible()) bossKey_.restore(m_hWnd);
}

void CLauncherDlg::ShowLauncherWindows(View view, TrayChange tray) {
    const bool haveHost = gameHostPanel_ && gameHostPanel_->m_hWnd;
    if (view == View::Shown) {
        ShowWindow(SW_SHOW);
        if (haveHost) gameHostPanel_->ShowWindow(SW_SHOW);
    } else {
        // The panels go first: a minimised owner hides them itself, and
        // would show them again when it is restored.
        HideVisiblePanels();
        ShowWindow(view == View::Minimised ? SW_MINIMIZE : SW_HIDE);
        if (haveHost) gameHostPanel_->ShowWindow(SW_HIDE);
    }
    if (tray == TrayChange::Add) trayIcon_.add();
    if (tray == TrayChange::Remove) trayIcon_.remove();
}

// ---- Tray icon and boss key -------------------------------------------------

BOOL CLauncherDlg::ShellNotifyIcon(DWORD message, NOTIFYICONDATAW* data) {
    return ::Shell_NotifyIconW(message, data);
}

LRESULT CLauncherDlg::OnTrayNotify(WPARAM iconId, LPARAM mouseMessage) {
    const TrayAction action =
        trayAction(static_cast<unsigned>(iconId), static_cast<unsigned>(mouseMessage), IsWindowVisible());
    if (action == TrayAction::Hide) ShowLauncherWindows(View::Hidden, TrayChange::Keep);
    if (action == TrayAction::Show) ShowLauncherWindows(View::Shown, TrayChange::Keep);
    return trayCallbackResult(action);
}

LRESULT CLauncherDlg::OnTaskbarCreated() {
    if (initialised_) trayIcon_.restoreOnNewTaskbar();
    return 0;
}

bool CLauncherDlg::SetBossKey(bool enable, WORD virtualKey, WORD hotKeyFlags) {
    return bossKey_.set(m_hWnd, enable, virtualKey, hotKeyFlags);
}

LRESULT CLauncherDlg::OnHotKey(WPARAM id) {
    switch (bossKey_.actionFor(static_cast<int>(id), IsWindowVisible())) {
    case BossKeyAction::Hide:
        ShowLauncherWindows(View::Hidden, TrayChange::Remove);
        break;
    case BossKeyAction::Show:
        ShowLauncherWindows(View::Shown, TrayChange::Add);
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
    // Esc or a close request: the launcher keeps running, only the tray icon
    // goes. Not while the window is hidden: the icon (or the boss key) is
    // then the player's one way back, and a close request from another
    // program must not take it away.
    if (!IsWindowVisible()) return;
    trayIcon_.remove();
}

// ---- Leaving through the exit panel ------------------------------------------

void CLauncherDlg::StartLaunchAndClose() {
    const std::wstring directory = launcherDirectory_.empty() ? moduleDirectory() : launcherDirectory_;
    // Launch.exe is not to be ended by this launcher: its handle goes at once.
    startProgram(tarvo::joinPath(directory, L"Launch.exe"), "tarvolunch-start", directory,
                 StartFailureMessage{nullptr, "启动Launch失败, 请关闭防火墙后再启动游戏。", "失败"});
    // Nor is the game client from here on: let go of its handle, so that a
    // shut-down that runs after all does not terminate it.
    webEntryProcess_.reset();

    ShowLauncherWindows(View::Hidden, TrayChange::Keep);
    ::Sleep(1000);
    trayIcon_.remove();
    CDialog::OnCancel();  // the framework's cancel: ends the modal run
}

// ---- Shut-down --------------------------------------------------------------

BOOL CLauncherDlg::DestroyWindow() {
    if (webEntryProcess_) {
        ::TerminateProcess(webEntryProcess_.get(), 0);
        webEntryProcess_.reset();
    }
    trayIcon_.remove();
    if (m_hWnd) bossKey_.release(m_hWnd);

    captionButtons_.clear();
    serverListButton_.reset();
    panels_.destroy();

    frameBitmaps_[0].reset();
    frameBitmaps_[1].reset();
    splashPicture_.reset();
    return CDialog::DestroyWindow();
}
