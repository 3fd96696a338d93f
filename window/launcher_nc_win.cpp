// The launcher window's self-made caption: hit-testing, cursors, the caption
// buttons' actions, double clicks, sizing limits and keeping the game host
// panel and the panels in place when the window moves or changes size.
#include "app/launcher_dlg_win.h"

#include "app/web_address.h"

#include "panels/exit_panel_win.h"
#include "panels/game_host_panel_win.h"
#include "panels/settings_panel_win.h"
#include "panels/web_page_panel_win.h"
#include "resource.h"
#include "service/server_list_panel_win.h"
#include "window/caption_layout.h"
#include "window/skin_button_win.h"

#include <shellapi.h>

namespace {

Rect toRect(const RECT& r) {
    return Rect{r.left, r.top, r.right, r.bottom};
}

Point toPoint(POINT p) {
    return Point{p.x, p.y};
}

void moveTo(const tarvo::CWnd& window, const Rect& r) {
    window.MoveWindow(r.left, r.top, r.width(), r.height(), TRUE);
}

bool isVisible(const tarvo::CWnd* window) {
    return window && window->IsWindowVisible();
}

// Whether the primary button is held down right now and its release has not
// yet reached this thread. Both are asked: the input state says whether the
// button is up, and a release that came with the press (a tap, a click sent
// by a tool) may already wait in the queue.
bool leftButtonStillDown() {
    const int key = ::GetSystemMetrics(SM_SWAPBUTTON) ? VK_RBUTTON : VK_LBUTTON;
    if (!(::GetAsyncKeyState(key) & 0x8000)) return false;
    MSG waiting;
    if (::PeekMessageA(&waiting, nullptr, WM_NCLBUTTONUP, WM_NCLBUTTONUP, PM_NOREMOVE | PM_NOYIELD)) return false;
    if (::PeekMessageA(&waiting, nullptr, WM_LBUTTONUP, WM_LBUTTONUP, PM_NOREMOVE | PM_NOYIELD)) return false;
    return true;
}

} // namespace

// ---- Hit-testing and cursors ------------------------------------------------

LRESULT CLauncherDlg::OnNcHitTest(POINT point) {
    Default();
    for (const auto& button : captionButtons) button->HitTest(point);
    return static_cast<LRESULT>(captionHitCode(toRect(GetWindowRect()), toPoint(point)));
}

BOOL CLauncherDlg::OnSetCursor(HWND window, UINT hitCode, UINT) {
    if (window && window != m_hWnd) return FALSE;  // a child sets its own cursor
    ::SetCursor(::LoadCursorA(nullptr, MAKEINTRESOURCEA(cursorForHitCode(static_cast<int>(hitCode)))));
    return TRUE;
}

// ---- Presses, releases and double clicks in the caption ---------------------

int CLauncherDlg::PressedButtonAt(POINT screenPoint) {
    for (const auto& button : captionButtons) {
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
            // Released without moving: the release was taken by the drag
            // check, so its button-up is posted as after a move.
            PostMessage(WM_NCLBUTTONUP, hitCode, static_cast<LPARAM>(packPoint(toPoint(point))));
        }
        break;
    case PressFollowUp::Nothing:
        // A quick click: its release has already happened. The pressed
        // button returns to its plain look here, as after a move loop; the
        // release itself may land elsewhere when the action has moved the
        // window.
        for (const auto& button : captionButtons) button->Release(point);
        break;
    }
}

void CLauncherDlg::OnNcLButtonUp(UINT, POINT point) {
    for (const auto& button : captionButtons) button->Release(point);
    SendMessage(WM_SYSCOMMAND, static_cast<WPARAM>(kSysCommandMouseMenu),
                static_cast<LPARAM>(packPoint(toPoint(point))));
    Default();
}

void CLauncherDlg::OnNcLButtonDblClk(UINT, POINT point) {
    for (const auto& button : captionButtons) {
        if (button->HitTest(point)) return;  // a double click on a button is just its first click
    }
    if (inCaptionStrip(toRect(GetWindowRect()), toPoint(point))) {
        moveTo(*this, sizeToggleTarget(isMaximised, Size{maximisedSize.cx, maximisedSize.cy}));
        isMaximised = !isMaximised;
    }
    Default();
}

void CLauncherDlg::OnSysCommand(UINT command, LPARAM lParam) {
    if (isAboutCommand(command)) {
        ShowAboutBox();
        return;
    }
    Default();
    // The move loop swallows the button release that ends a caption drag;
    // this stands in for it so the pressed button returns to its plain look.
    if (isMoveCommand(command)) PostMessage(WM_NCLBUTTONUP, command, lParam);
}

// ---- Caption actions --------------------------------------------------------

void CLauncherDlg::HideVisiblePanels() {
    // The settings panel lets go of the boss key while it is open and takes
    // it back only through its own buttons; hidden any other way, the key
    // would be lost without the player knowing.
    const bool settingsWereOpen = isVisible(settingsPanel.get());
    for (tarvo::CDialog* panel : panels) {
        if (isVisible(panel)) panel->ShowWindow(SW_HIDE);
    }
    if (settingsWereOpen) RestoreBossKey();
}

void CLauncherDlg::HideAllWindows() {
    ShowWindow(SW_HIDE);
    HideVisiblePanels();
    if (webPagePanel && webPagePanel->m_hWnd) webPagePanel->ShowWindow(SW_HIDE);
    if (gameHostPanel && gameHostPanel->m_hWnd) gameHostPanel->ShowWindow(SW_HIDE);
}

void CLauncherDlg::OpenAddress(const std::string& address) {
    ::ShellExecuteA(nullptr, "open", "explorer.exe", address.c_str(), nullptr, SW_SHOW);
}

void CLauncherDlg::RunCaptionAction(int index) {
    switch (index) {
    // Only web addresses go to the file explorer: a local path would be run,
    // and text beginning with "/" or "-" would be read as a switch. An empty
    // address would open a folder window.
    case kButtonMainSite:
        if (isWebAddress(serviceSettings.mainSiteUrl)) OpenAddress(serviceSettings.mainSiteUrl);
        break;
    case kButtonForum:
        if (isWebAddress(serviceSettings.forumUrl)) OpenAddress(serviceSettings.forumUrl);
        break;
    case kButtonSettings:
        if (settingsPanel && settingsPanel->m_hWnd && !settingsPanel->IsWindowVisible()) {
            settingsPanel->ShowWindow(SW_SHOW);
        }
        // The panel registers the boss key again when it is closed.
        ::UnregisterHotKey(m_hWnd, kBossHotKeyId);
        break;
    case kButtonWebPage:
        if (!webPagePanel || !webPagePanel->m_hWnd) break;
        if (webPagePanel->IsWindowVisible()) {
            webPagePanel->ShowWindow(SW_HIDE);
        } else {
            webPagePanel->ShowWindow(SW_SHOW);
            moveTo(*webPagePanel, webPagePanelRect(toRect(GetWindowRect())));
            messageTimerStarted = false;
            KillTimer(kBlinkTimerId);
        }
        break;
    case kButtonToTray:
        // Hidden to the tray, the launcher comes back only through the tray
        // icon: put it back if it was removed (Esc removes it). When no icon
        // can be shown (no taskbar yet), the launcher is minimised instead,
        // so that the player can still reach it.
        if (!trayIconPresent) addTrayIcon();
        if (!trayIconPresent) {
            RunCaptionAction(kButtonMinimise);
            break;
        }
        if (isVisible(webPagePanel.get())) webPagePanel->ShowWindow(SW_HIDE);
        HideVisiblePanels();
        HideAllWindows();
        break;
    case kButtonMinimise:
        if (isVisible(webPagePanel.get())) webPagePanel->ShowWindow(SW_HIDE);
        HideVisiblePanels();
        ShowWindow(SW_MINIMIZE);
        if (isVisible(gameHostPanel.get())) gameHostPanel->ShowWindow(SW_HIDE);
        break;
    case kButtonSizeToggle:
        moveTo(*this, sizeToggleTarget(isMaximised, Size{maximisedSize.cx, maximisedSize.cy}));
        if (isMaximised) ShowWindow(SW_SHOWNORMAL);
        isMaximised = !isMaximised;
        break;
    case kButtonExit:
        if (exitPanel && exitPanel->m_hWnd && !exitPanel->IsWindowVisible()) {
            exitPanel->ShowWindow(SW_SHOW);
            moveTo(*exitPanel, exitPanelRect(toRect(GetClientRect())));
        }
        break;
    case kButtonServerListToggle:
        if (!serverListPanel || !serverListPanel->m_hWnd) break;
        serverListPanel->ShowWindow(serverListPanel->IsWindowVisible() ? SW_HIDE : SW_SHOW);
        break;
    default:  // -1 (no button), 8 (image only) and the rows no caption uses
        break;
    }
}

// ---- Sizing and moving ------------------------------------------------------

void CLauncherDlg::PlaceGameHostPanel() {
    if (!gameHostPanel || !gameHostPanel->m_hWnd) return;
    moveTo(*gameHostPanel, gameHostRectFromClient(toRect(GetClientRect())));
}

void CLauncherDlg::PlacePanelsNearOwner() {
    if (isVisible(serverListPanel.get())) serverListPanel->PlaceNearOwner();
    if (isVisible(settingsPanel.get())) settingsPanel->PlaceNearOwner();
}

void CLauncherDlg::OnSize(UINT, int, int) {
    Default();
    if (!initialised) return;
    PlaceGameHostPanel();
    Invalidate(TRUE);
}

void CLauncherDlg::OnMoving(UINT, RECT*) {
    Default();
    PlaceGameHostPanel();
    PlacePanelsNearOwner();
    PlaceMessageLabel();
}

void CLauncherDlg::OnMove(int, int) {
    Default();
    PlacePanelsNearOwner();
    PlaceGameHostPanel();
}

void CLauncherDlg::OnSizing(UINT, RECT* rect) {
    Default();
    if (!rect) return;
    const int screenWidth = maximisedSize.cx > 0 ? maximisedSize.cx : ::GetSystemMetrics(SM_CXSCREEN);
    Rect proposed = toRect(*rect);
    if (applySizingCorrection(proposed, screenWidth)) {
        *rect = RECT{proposed.left, proposed.top, proposed.right, proposed.bottom};
    }
}
