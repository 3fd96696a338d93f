#include "launcher/launcher_dlg_win.h"

#include "app/file_paths.h"
#include "app/programs_win.h"
#include "framework/dpi_win.h"
#include "framework/skin_label_win.h"
#include "framework/text_win.h"
#include "panels/game_host_panel_win.h"
#include "panels/server_list_panel_win.h"
#include "panels/web_page_panel_win.h"
#include "resource.h"
#include "window/caption_layout.h"
#include "window/dpi_scale.h"
#include "window/skin_bitmap_win.h"
#include "window/skin_button_win.h"
#include "window/rect_win.h"

#include <commctrl.h>
#include <windowsx.h>

#include <string>
#include <vector>

namespace {

const char kGameTitle[] = "QuarrionOL";
const char kInitialisingText[] = "首次启动微端，正在初始化...";

POINT pointFromLParam(LPARAM lParam) {
    return POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
}

} // namespace

CLauncherDlg::CLauncherDlg()
    : CDialog(IDD_LAUNCHER_DIALOG, nullptr),
      trayIcon_([this](DWORD message, NOTIFYICONDATAW* data) { return ShellNotifyIcon(message, data); }) {
    windowIcon_ = ::LoadIconW(tarvo::AfxGetResourceHandle(), MAKEINTRESOURCEW(IDI_LAUNCHER));
}

CLauncherDlg::~CLauncherDlg() = default;

// The launcher window's message table.
LRESULT CLauncherDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    // A registered message has no fixed number, so it cannot be a case label.
    static const UINT taskbarCreated = ::RegisterWindowMessageW(L"TaskbarCreated");
    if (taskbarCreated != 0 && message == taskbarCreated) return OnTaskbarCreated();
    switch (message) {
    case WM_CREATE:
        return OnCreate();
    case WM_ERASEBKGND:
        return OnEraseBkgnd(reinterpret_cast<HDC>(wParam));
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_NCPAINT:
        return 0;  // borderless skin: the system draws no frame
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORDLG:
        return reinterpret_cast<LRESULT>(OnCtlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam)));
    case WM_QUERYDRAGICON:
        return reinterpret_cast<LRESULT>(OnQueryDragIcon());
    case WM_NCHITTEST:
        return OnNcHitTest(pointFromLParam(lParam));
    case WM_SETCURSOR:
        return OnSetCursor(reinterpret_cast<HWND>(wParam), LOWORD(lParam), HIWORD(lParam));
    case WM_NCLBUTTONDOWN:
        OnNcLButtonDown(static_cast<UINT>(wParam), pointFromLParam(lParam));
        return 0;
    case WM_NCLBUTTONUP:
        OnNcLButtonUp(static_cast<UINT>(wParam), pointFromLParam(lParam));
        return 0;
    case WM_NCLBUTTONDBLCLK:
        OnNcLButtonDblClk(static_cast<UINT>(wParam), pointFromLParam(lParam));
        return 0;
    case WM_SYSCOMMAND:
        OnSysCommand(static_cast<UINT>(wParam), lParam);
        return 0;
    case WM_SIZE:
        OnSize(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_WINDOWPOSCHANGED:
        return OnWindowPosChanged();
    case WM_MOVING:
        OnMoving(static_cast<UINT>(wParam), reinterpret_cast<RECT*>(lParam));
        return TRUE;
    case WM_MOVE:
        OnMove(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
    case WM_SIZING:
        OnSizing(static_cast<UINT>(wParam), reinterpret_cast<RECT*>(lParam));
        return TRUE;
    case WM_TIMER:
        OnTimer(wParam);
        return 0;
    case WM_HOTKEY:
        return OnHotKey(wParam);
    case WM_GAMEREADY:
        return OnGameReady();
    case WM_GAMEWINDOW:
        return OnGameWindow(reinterpret_cast<HWND>(wParam));
    case WM_TRAYNOTIFY:
        return OnTrayNotify(wParam, lParam);
    case tarvo::kDpiChangedMessage:
        return OnDpiChanged(LOWORD(wParam), reinterpret_cast<const RECT*>(lParam));
    }
    return CDialog::WindowProc(message, wParam, lParam);
}

LRESULT CLauncherDlg::OnCreate() {
    if (Default() == -1) return -1;
    SetWindowText(kGameTitle);
    return 0;
}

BOOL CLauncherDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    dpi_ = tarvo::windowDpi(m_hWnd);
    // The launcher lays itself out when its DPI changes.
    tarvo::keepDialogLayoutOnDpiChange(m_hWnd);
    loadSkinForDpi();

    // The About item of the system menu.
    if (HMENU systemMenu = ::GetSystemMenu(m_hWnd, FALSE)) {
        wchar_t about[256] = {};
        ::LoadStringW(tarvo::AfxGetResourceHandle(), IDS_ABOUTBOX, about, 256);
        if (about[0]) {
            ::AppendMenuW(systemMenu, MF_SEPARATOR, 0, nullptr);
            ::AppendMenuW(systemMenu, MF_STRING, kAboutCommand, about);
        }
    }

    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(windowIcon_));
    const HICON small = smallIcon_.get() ? smallIcon_.get() : windowIcon_;
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));

    initialised_ = true;
    trayIcon_.prepare(m_hWnd, kTrayIconId, WM_TRAYNOTIFY, small, tarvo::utf8ToWide(kGameTitle));
    trayIcon_.add();

    measureWorkArea();
    MoveWindow(0, 0, maximisedSize_.cx, maximisedSize_.cy, TRUE);

    createCaptionButtons();
    // A panel that cannot be created leaves the launcher without it; the
    // reason is kept for whoever asks (setupFailure).
    if (!panels_.create(this, panelCalls(), panelTemplates())) setupFailure_ = panels_.failure();
    createGameHostPanel();

    // The labels start hidden. They are hidden before the start-up sequence
    // starts the worker: a quick reply may show the player's name while the
    // set-up is still running, and hiding it afterwards would lose it.
    for (int id : {IDC_PROGRESS_TEXT, IDC_PROGRESS_PERCENT, IDC_PLAYER_NAME, IDC_MESSAGE_LABEL}) {
        tarvo::AttachSkinLabel(GetDlgItem(id));  // drawn clean over the skin
        ::ShowWindow(GetDlgItem(id), SW_HIDE);
    }

    runStartupSequence();

    SetTimer(kWatchdogTimerId, kWatchdogPeriodMs);
    SetTimer(kProgressTimerId, kProgressPeriodMs);

    ::SendMessageW(GetDlgItem(IDC_PROGRESS_TEXT), WM_SETFONT, reinterpret_cast<WPARAM>(labelFont_.get()), TRUE);
    ::SendMessageW(GetDlgItem(IDC_PROGRESS_PERCENT), WM_SETFONT, reinterpret_cast<WPARAM>(labelFont_.get()), TRUE);

    // The patcher library in the current directory (not the launcher's)
    // means the game is ready at once and the progress display never runs.
    // A directory that cannot be read is no reason to look at the drive's root.
    const std::wstring directory = currentDirectory();
    if (!directory.empty() && pathExists(tarvo::joinPath(directory, L"Brisken-AutoPatch.dll"))) progress_.markReady();

    watchdog_.lastTick = ::GetTickCount();

    // Until the game is ready, the initialising text and the percentage
    // stand over the splash picture.
    if (!progress_.ready()) {
        SetDlgItemText(IDC_PROGRESS_TEXT, kInitialisingText);
        SetDlgItemText(IDC_PROGRESS_PERCENT, percentText(progress_.percentage()));
        ::ShowWindow(GetDlgItem(IDC_PROGRESS_TEXT), SW_SHOW);
        ::ShowWindow(GetDlgItem(IDC_PROGRESS_PERCENT), SW_SHOW);
    }
    PlaceMessageLabel();

    captionButtons_[kButtonWebPage]->SetVisible(false);
    return TRUE;
}

void CLauncherDlg::createCaptionButtons() {
    for (int index = kButtonMainSite; index <= kButtonLogoMark; ++index) {
        captionButtons_.push_back(std::make_unique<CSkinButton>(this, index));
    }
    // Button 12 (server-list toggle) is built but takes part in no click.
    serverListButton_ = std::make_unique<CSkinButton>(this, kButtonServerListToggle);
}

void CLauncherDlg::createGameHostPanel() {
    const RECT window = GetWindowRect();
    gameHostPanel_ = std::make_unique<CGameDlg>(nullptr);
    if (!gameHostPanel_->Create(IDD_GAME_DIALOG, this)) {
        if (setupFailure_.empty()) setupFailure_ = "the game host panel could not be created";
        return;
    }
    const int strip = scaleToDpi(kTitleStripHeight, dpi_);
    gameHostPanel_->MoveWindow(window.left, window.top + strip, window.right - window.left,
                              window.bottom - window.top - strip, TRUE);
}

void CLauncherDlg::loadSkinForDpi() {
    frameBitmaps_[0] = tarvo::loadSkinBitmap(IDB_LOGO, dpi_);
    frameBitmaps_[1] = tarvo::loadSkinBitmap(IDB_BAND, dpi_);
    smallIcon_ = tarvo::loadIconResource(IDI_LAUNCHER, tarvo::systemMetricForDpi(SM_CXSMICON, dpi_));
    labelFont_.reset(::CreateFontW(scaleToDpi(14, dpi_), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, 0,
                                   OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FF_SWISS | DEFAULT_PITCH,
                                   L"宋体"));
}

void CLauncherDlg::measureWorkArea() {
    std::optional<Rect> taskbar;
    if (HWND tray = ::FindWindowW(L"Shell_TrayWnd", nullptr)) {
        RECT r{};
        ::GetWindowRect(tray, &r);
        taskbar = toRect(r);
    }
    const Size screen{::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    const Size full = ::maximisedSize(screen, taskbarAllowance(taskbar, screen, dpi_));
    maximisedSize_ = SIZE{full.cx, full.cy};
}

RECT CLauncherDlg::fullSizeRect(HMONITOR monitor) const {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (monitor && ::GetMonitorInfoW(monitor, &info) && !(info.dwFlags & MONITORINFOF_PRIMARY)) return info.rcWork;
    return RECT{0, 0, maximisedSize_.cx, maximisedSize_.cy};
}

LRESULT CLauncherDlg::OnDpiChanged(int dpi, const RECT* suggested) {
    if (dpi <= 0 || dpi == dpi_) return 0;
    const int before = dpi_;
    dpi_ = dpi;
    // The template's labels (the player's name) keep their place in 96-dpi
    // pixels, and their font its size in points.
    tarvo::rescaleDialogChildren(m_hWnd, before, dpi_, dialogFont_);
    loadSkinForDpi();
    ::SendMessageW(GetDlgItem(IDC_PROGRESS_TEXT), WM_SETFONT, reinterpret_cast<WPARAM>(labelFont_.get()), TRUE);
    ::SendMessageW(GetDlgItem(IDC_PROGRESS_PERCENT), WM_SETFONT, reinterpret_cast<WPARAM>(labelFont_.get()), TRUE);
    const HICON small = smallIcon_.get() ? smallIcon_.get() : windowIcon_;
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
    trayIcon_.setIcon(small);
    for (const auto& button : captionButtons_) button->SetDpi(dpi_);
    if (serverListButton_) serverListButton_->SetDpi(dpi_);
    panels_.setDpi(dpi_);

    // The full-size window fills the work area of the monitor it is on now;
    // the restored one takes the place the system suggests, which keeps its
    // size in 96-dpi pixels.
    measureWorkArea();
    RECT place = GetWindowRect();
    if (suggested) place = *suggested;
    if (isMaximised_) {
        const HMONITOR monitor = suggested ? ::MonitorFromRect(suggested, MONITOR_DEFAULTTONEAREST)
                                           : ::MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTONEAREST);
        place = fullSizeRect(monitor);
    }
    ::SetWindowPos(m_hWnd, nullptr, place.left, place.top, place.right - place.left, place.bottom - place.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    // Laid out again at the new scale even when the size stayed.
    PlaceGameHostPanel();
    PlaceMessageLabel();
    panels_.placeNearOwner();
    placeShownPanels();
    ForgetSplashLayout();
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_FRAME);
    return 0;
}

RequestValues CLauncherDlg::requestValues() const {
    return RequestValues{serviceSettings_.apiBaseUrl, serviceSettings_.apiPlatform, serviceSettings_.apiGameKey,
                         serviceSettings_.apiSignKey, launchParameters_.serverNumber};
}

CLauncherDlg* CLauncherDlg::FromWindow(HWND window) {
    if (!window || !::IsWindow(window)) return nullptr;
    return dynamic_cast<CLauncherDlg*>(tarvo::CWnd::FromHandlePermanent(window));
}

LauncherCalls CLauncherDlg::panelCalls() {
    // The panels live and die with this window: they may hold it.
    LauncherCalls calls;
    calls.setBossKey = [this](bool enable, WORD key, WORD flags) { return SetBossKey(enable, key, flags); };
    calls.openSettings = [this] { RunCaptionAction(kButtonSettings); };
    calls.startLaunchAndClose = [this] { StartLaunchAndClose(); };
    calls.showServerName = [this](const std::wstring& name) { ShowServerName(name); };
    calls.startMessageBlink = [this] { StartMessageBlink(); };
    return calls;
}

void CLauncherDlg::ShowPlayerName(const std::string& name) {
    SetDlgItemText(IDC_PLAYER_NAME, name);
    ::ShowWindow(GetDlgItem(IDC_PLAYER_NAME), SW_SHOW);
}

void CLauncherDlg::ShowServer(const std::string& server) {
    if (CMyDlg* serverList = panels_.serverList(); serverList && serverList->m_hWnd) {
        serverList->FillServerList({server});
    }
}

void CLauncherDlg::OpenPage(const std::string& address) {
    if (CIeDlg* webPage = panels_.webPage(); webPage && webPage->m_hWnd) webPage->NavigateTo(address);
}
