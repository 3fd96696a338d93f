// The launcher window's self-made caption: hit-testing, cursors, the caption
// buttons' actions, double clicks, sizing limits and keeping the game host
// panel and the panels in place when the window moves or changes size.
#include "launcher/launcher_dlg_win.h"

#include "service/web_address.h"
#include "framework/text_win.h"

#include "panels/exit_panel_win.h"
#include "panels/game_host_panel_win.h"
#include "panels/settings_panel_win.h"
#include "panels/web_page_panel_win.h"
#include "resource.h"
#include "panels/server_list_panel_win.h"
#include "window/caption_layout.h"
#include "window/skin_button_win.h"
#include "window/rect_win.h"

#include <shellapi.h>
#include <windowsx.h>

namespace {

void moveTo(const tarvo::CWnd& window, const Rect& r) {
    window.MoveWindow(r.left, r.top, r.width(), r.height(), TRUE);
}

// Whether the primary button is held down right now and its release has not
// yet reached this thread. Both are asked: the input state says whether the
// button is up, and a release that came with the press (a tap, a click sent
// by a tool) may already wait in the queue.
bool leftButtonStillDown() {
    const int key = ::GetSystemMetrics(SM_SWAPBUTTON) ? VK_RBUTTON : VK_LBUTTON;
    if (!(::GetAsyncKeyState(key) & 0x8000)) return false;
    MSG waiting;
    if (::PeekMessageW(&waiting, nullptr, WM_NCLBUTTONUP, WM_NCLBUTTONUP, PM_NOREMOVE | PM_NOYIELD)) return false;
    if (::PeekMessageW(&waiting, nullptr, WM_LBUTTONUP, WM_LBUTTONUP, PM_NOREMOVE | PM_NOYIELD)) return false;
    return true;
}

} // namespace

// ---- Hit-testing and cursors ------------------------------------------------

LRESULT CLauncherDlg::OnNcHitTest(POINT point) {
    Default();
    for (const auto& button : captionButtons_) button->HitTest(point);
    return static_cast<LRESULT>(captionHitCode(toRect(GetWindowRect()), toPoint(point), dpi_));
}

BOOL CLauncherDlg::OnSetCursor(HWND window, UINT hitCode, UINT) {
    if (window && window != m_hWnd) return FALSE;  // a child sets its own cursor
    ::SetCursor(::LoadCursorW(nullptr, MAKEINTRESOURCEW(cursorForHitCode(static_cast<int>(hitCode)))));
    return TRUE;
}

// ---- Presses, releases and double clicks in the caption ---------------------

int CLauncherDlg::PressedButtonAt(POINT screenPoint) {
    for (const auto& button : captionButtons_) {
        if (button->Press(screenPoint, false)) return button->Index();
    }
    return -1;
}

void CLauncherDlg::OnNcLButtonDown(UINT hitCode, POINT point) {
    RunCaptionAction(PressedButtonAt(point));
    switch (pressFollowUp(static_cast<int>(hitCode), leftButtonStillDown())) {
    case PressFollowUp::SystemCommand:
        SendMessage(WM_SYSCOMMAND, static_cast<WPARAM>(nonClientDownCommand(static_cast<int>(hitCode))),
                    static_cast<LPARAM>(packPoint(toPoint(point))));
        break;
    case PressFollowUp::MoveLoop:
        // The caption: the system's drag-to-move loop, once the pointer
        // really moves with the button held. A window manager takes the
        // move over and holds the pointer until the button comes up; were
        // it asked on every press, a quick click or the first click of a
        // double click could end before it has the pointer, and the window
        // would follow the pointer until the next click.
        if (::DragDetect(m_hWnd, point)) {
            // The move loop follows the pointer from where it is now: the
            // way travelled during the check is put on first.
            POINT now{};
            ::GetCursorPos(&now);
            const Rect window = toRect(GetWindowRect());
            ::SetWindowPos(m_hWnd, nullptr, window.left + now.x - point.x, window.top + now.y - point.y, 0, 0,
                           SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            Default();
        } else {
            // Released without moving: the drag check took the release, so
            // the pressed button returns to its plain look here.
            ReleaseCaptionButtons(point);
        }
        break;
    case PressFollowUp::Nothing:
        // A quick click: its release has already happened. The pressed
        // button returns to its plain look here, as after a move loop; the
        // release itself may land elsewhere when the action has moved the
        // window.
        ReleaseCaptionButtons(point);
        break;
    }
}

void CLauncherDlg::ReleaseCaptionButtons(POINT point) {
    for (const auto& button : captionButtons_) button->Release(point);
}

void CLauncherDlg::OnNcLButtonUp(UINT, POINT point) {
    ReleaseCaptionButtons(point);
    SendMessage(WM_SYSCOMMAND, static_cast<WPARAM>(kSysCommandMouseMenu),
                static_cast<LPARAM>(packPoint(toPoint(point))));
    Default();
}

void CLauncherDlg::OnNcLButtonDblClk(UINT, POINT point) {
    for (const auto& button : captionButtons_) {
        if (button->HitTest(point)) return;  // a double click on a button is just its first click
    }
    if (inCaptionStrip(toRect(GetWindowRect()), toPoint(point), dpi_)) {
        moveTo(*this, sizeToggleTarget(isMaximised_, Size{maximisedSize_.cx, maximisedSize_.cy}, dpi_));
        isMaximised_ = !isMaximised_;
    }
    Default();
}

void CLauncherDlg::OnSysCommand(UINT command, LPARAM lParam) {
    if (isAboutCommand(command)) {
        ShowAboutBox();
        return;
    }
    Default();
    // The move loop swallows the button release that ends a caption drag:
    // the pressed button returns to its plain look here.
    if (isMoveCommand(command)) ReleaseCaptionButtons(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
}

// ---- Caption actions --------------------------------------------------------

void CLauncherDlg::OpenAddress(const std::string& address) {
    // Widened as the ANSI call would widen it: the address is settings-file text.
    ::ShellExecuteW(nullptr, L"open", L"explorer.exe", tarvo::ansiToWide(address).c_str(), nullptr, SW_SHOW);
}

void CLauncherDlg::RunCaptionAction(int index) {
    CMyCfgDlg* const settings = panels_.settings();
    CIeDlg* const webPage = panels_.webPage();
    CExitDlg* const exitPanel = panels_.exit();
    CMyDlg* const serverList = panels_.serverList();
    switch (index) {
    // Only web addresses go to the file explorer: a local path would be run,
    // and text beginning with "/" or "-" would be read as a switch. An empty
    // address would open a folder window.
    case kButtonMainSite:
        if (isWebAddress(serviceSettings_.mainSiteUrl)) OpenAddress(serviceSettings_.mainSiteUrl);
        break;
    case kButtonForum:
        if (isWebAddress(serviceSettings_.forumUrl)) OpenAddress(serviceSettings_.forumUrl);
        break;
    case kButtonSettings:
        if (settings && settings->m_hWnd && !settings->IsWindowVisible()) settings->ShowWindow(SW_SHOW);
        // The panel registers the boss key again when it is closed.
        bossKey_.release(m_hWnd);
        break;
    case kButtonWebPage:
        if (!webPage || !webPage->m_hWnd) break;
        if (webPage->IsWindowVisible()) {
            webPage->ShowWindow(SW_HIDE);
        } else {
            // Placed first: the panel never shows anywhere else.
            moveTo(*webPage, webPagePanelRect(toRect(GetWindowRect()), dpi_));
            webPage->ShowWindow(SW_SHOW);
            StopMessageBlink();
        }
        break;
    case kButtonToTray:
        // Hidden to the tray, the launcher comes back only through the tray
        // icon: put it back if it was removed (Esc removes it). When no icon
        // can be shown (no taskbar yet), the launcher is minimised instead,
        // so that the player can still reach it.
        if (!trayIcon_.present()) trayIcon_.add();
        if (!trayIcon_.present()) {
            RunCaptionAction(kButtonMinimise);
            break;
        }
        ShowLauncherWindows(View::Hidden, TrayChange::Keep);
        break;
    case kButtonMinimise:
        ShowLauncherWindows(View::Minimised, TrayChange::Keep);
        break;
    case kButtonSizeToggle:
        moveTo(*this, sizeToggleTarget(isMaximised_, Size{maximisedSize_.cx, maximisedSize_.cy}, dpi_));
        if (isMaximised_) ShowWindow(SW_SHOWNORMAL);
        isMaximised_ = !isMaximised_;
        break;
    case kButtonExit:
        if (exitPanel && exitPanel->m_hWnd && !exitPanel->IsWindowVisible()) {
            moveTo(*exitPanel, exitPanelRect(toRect(GetClientRect()), dpi_));
            exitPanel->ShowWindow(SW_SHOW);
        }
        break;
    case kButtonServerListToggle:
        if (!serverList || !serverList->m_hWnd) break;
        serverList->ShowWindow(serverList->IsWindowVisible() ? SW_HIDE : SW_SHOW);
        break;
    default:  // -1 (no button), 8 (image only) and the rows no caption uses
        break;
    }
}

// ---- Sizing and moving ------------------------------------------------------

void CLauncherDlg::PlaceGameHostPanel() {
    if (!gameHostPanel_ || !gameHostPanel_->m_hWnd) return;
    moveTo(*gameHostPanel_, gameHostRectFromClient(toRect(GetClientRect()), dpi_));
}

void CLauncherDlg::PlaceMessageLabel() {
    const Rect label = messageLabelRect(toRect(GetClientRect()), dpi_);
    ::MoveWindow(GetDlgItem(IDC_MESSAGE_LABEL), label.left, label.top, label.width(), label.height(), TRUE);
}

void CLauncherDlg::placeShownPanels() {
    if (CIeDlg* webPage = panels_.webPage(); webPage && webPage->m_hWnd && webPage->IsWindowVisible()) {
        moveTo(*webPage, webPagePanelRect(toRect(GetWindowRect()), dpi_));
    }
    if (CExitDlg* exitPanel = panels_.exit(); exitPanel && exitPanel->m_hWnd && exitPanel->IsWindowVisible()) {
        moveTo(*exitPanel, exitPanelRect(toRect(GetClientRect()), dpi_));
    }
}

void CLauncherDlg::OnSize(UINT, int, int) {
    Default();
    if (!initialised_) return;
    PlaceGameHostPanel();
    PlaceMessageLabel();
    panels_.placeNearOwner();
    Invalidate(TRUE);
}

LRESULT CLauncherDlg::OnWindowPosChanged() {
    const LRESULT result = Default();
    // Shown or restored from the taskbar with the game ready: the game comes
    // back with the window (minimising and hiding took it away).
    const bool hostHidden = gameHostPanel_ && gameHostPanel_->m_hWnd && !gameHostPanel_->IsWindowVisible();
    const bool inView = IsWindowVisible() && !::IsIconic(m_hWnd);
    if (progress_.ready() && hostHidden && inView) RevealGame();
    return result;
}

void CLauncherDlg::OnMoving(UINT, RECT*) {
    Default();
    PlaceGameHostPanel();
    panels_.placeNearOwner();
    PlaceMessageLabel();
}

void CLauncherDlg::OnMove(int, int) {
    Default();
    panels_.placeNearOwner();
    PlaceGameHostPanel();
}

void CLauncherDlg::OnSizing(UINT, RECT* rect) {
    Default();
    if (!rect) return;
    const int screenWidth = maximisedSize_.cx > 0 ? maximisedSize_.cx : ::GetSystemMetrics(SM_CXSCREEN);
    Rect proposed = toRect(*rect);
    if (applySizingCorrection(proposed, screenWidth, dpi_)) {
        *rect = toRECT(proposed);
    }
}
