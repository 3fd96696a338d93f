// The launcher window's timers (watchdog, start-up percentage, new-message
// blink), the game client's two messages and the two label operations of the
// web page's script bridge.
#include "launcher/launcher_dlg_win.h"

#include "panels/game_host_panel_win.h"
#include "resource.h"
#include "window/caption_layout.h"
#include "window/skin_button_win.h"

namespace {

void moveControl(HWND control, const Rect& r) {
    ::MoveWindow(control, r.left, r.top, r.width(), r.height(), TRUE);
}

} // namespace

void CLauncherDlg::OnTimer(UINT_PTR id) {
    switch (id) {
    case kWatchdogTimerId: {
        const bool haveGameWindow = gameClientWindow_ != nullptr;
        const bool alive = haveGameWindow && ::IsWindow(gameClientWindow_);
        const WatchdogAction action = watchdogTick(watchdog_, haveGameWindow, alive, ::GetTickCount());
        // The quit message ends the modal loop, and the shut-down ends the client.
        if (action.postQuit) PostMessage(WM_QUIT, 0, 0);
        if (action.postSecondQuit) PostMessage(WM_QUIT, 0, 0);
        if (action.killTimer) KillTimer(kWatchdogTimerId);
        break;
    }
    case kProgressTimerId: {
        const RECT window = GetWindowRect();
        const ProgressTick tick = progress_.tick(Size{window.right - window.left, window.bottom - window.top}, dpi_);
        if (progress_.ready()) {
            KillTimer(kProgressTimerId);
            return;  // no default processing
        }
        if (tick.stop) KillTimer(kProgressTimerId);
        if (tick.showLabels) {
            moveControl(GetDlgItem(IDC_PROGRESS_TEXT), tick.textRect);
            moveControl(GetDlgItem(IDC_PROGRESS_PERCENT), tick.percentRect);
            SetDlgItemText(IDC_PROGRESS_PERCENT, percentText(tick.percentage));
            ::ShowWindow(GetDlgItem(IDC_PROGRESS_PERCENT), SW_SHOW);
        }
        break;
    }
    case kBlinkTimerId: {
        const HWND label = GetDlgItem(IDC_MESSAGE_LABEL);
        ::ShowWindow(label, ::IsWindowVisible(label) ? SW_HIDE : SW_SHOW);
        break;
    }
    default:
        break;
    }
    Default();
}

LRESULT CLauncherDlg::OnGameReady() {
    progress_.markReady();
    RevealGame();
    return 0;
}

void CLauncherDlg::RevealGame() {
    // Hiding a label may erase the window beneath it at once, and the erase
    // reveals the game too: both labels go before anything shows the panel.
    ::ShowWindow(GetDlgItem(IDC_PROGRESS_TEXT), SW_HIDE);
    ::ShowWindow(GetDlgItem(IDC_PROGRESS_PERCENT), SW_HIDE);
    if (gameHostPanel_ && gameHostPanel_->m_hWnd) gameHostPanel_->ShowWindow(SW_SHOW);
}

LRESULT CLauncherDlg::OnGameWindow(HWND gameWindow) {
    // Only a window that exists is watched: a null or stale handle (which any
    // program could post) would make the next watchdog tick quit the launcher.
    if (!gameWindow || !::IsWindow(gameWindow)) return 0;
    // The message's number is one other programs use too: only the started
    // client's own window, or one inside the game host panel, is the game's.
    // A foreign window that then closed would end the game.
    const bool inHostPanel =
        gameHostPanel_ && gameHostPanel_->m_hWnd && ::IsChild(gameHostPanel_->m_hWnd, gameWindow);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(gameWindow, &owner);
    const bool ofClient = webEntryProcess_ && owner != 0 && owner == ::GetProcessId(webEntryProcess_.get());
    if (!inHostPanel && !ofClient) return 0;
    gameClientWindow_ = gameWindow;
    ::SetFocus(gameWindow);
    return 0;
}

void CLauncherDlg::StartMessageBlink() {
    if (messageBlink_.start()) SetTimer(kBlinkTimerId, kBlinkPeriodMs);
}

void CLauncherDlg::StopMessageBlink() {
    messageBlink_.stop();
    KillTimer(kBlinkTimerId);
}

void CLauncherDlg::ShowServerName(const std::wstring& text) {
    const HWND label = GetDlgItem(IDC_MESSAGE_LABEL);
    ::ShowWindow(label, SW_SHOW);
    SetDlgItemText(IDC_MESSAGE_LABEL, text);
    if (captionButtons_.size() > static_cast<size_t>(kButtonWebPage)) {
        captionButtons_[kButtonWebPage]->SetVisible(true);
    }
    PlaceMessageLabel();
}
