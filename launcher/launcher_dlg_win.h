// The launcher window: the one top-level window of the launcher. Its state
// sits in small owners that keep their own rules (tray icon, boss key,
// start-up progress, the panel set); its handlers hand work to them.
#pragma once

#include "app/launch_parameters.h"
#include "app/service_settings.h"
#include "framework/ax_host_win.h"
#include "framework/handles_win.h"
#include "framework/wnd_win.h"
#include "launcher/panel_set_win.h"
#include "panels/launcher_calls_win.h"
#include "service/request_sign.h"
#include "window/boss_key.h"
#include "window/boss_key_binding_win.h"
#include "window/launcher_timers.h"
#include "window/startup_progress.h"
#include "window/tray_icon_win.h"

#include <ocidl.h>
#include <shellapi.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CSkinButton;
class CGameDlg;

// Messages from the web-entry client and the tray.
constexpr UINT WM_GAMEREADY = WM_USER + 0x63;   // 0x463
constexpr UINT WM_GAMEWINDOW = WM_USER + 0x64;  // 0x464: wParam = the game window
constexpr UINT WM_TRAYNOTIFY = WM_USER + 0x65;  // 0x465: wParam = icon id, lParam = mouse message

// The About item of the system menu (timer, hot-key and tray ids are in
// window/launcher_timers.h and window/boss_key.h).
constexpr UINT kAboutCommand = 16;

// The launcher window: title strip, caption buttons, panels, tray icon, boss key.
class CLauncherDlg : public tarvo::CDialog {
public:
    CLauncherDlg();
    ~CLauncherDlg() override;

    // The launcher object of a launcher window; null for any other window.
    static CLauncherDlg* FromWindow(HWND window);

    // --- Operations: the panels (through LauncherCalls), the worker's
    // answers and tests call these ---
    // The worker's three answers (UTF-8): the name label, the server list's
    // first entry, the web page panel's address.
    void ShowPlayerName(const std::string& name);
    void ShowServer(const std::string& server);
    void OpenPage(const std::string& address);

    // The boss key; false when the key could not be registered (the previous one stays).
    bool SetBossKey(bool enable, WORD virtualKey, WORD hotKeyFlags);
    // Leaves through the exit panel: starts Launch.exe, hides and closes.
    void StartLaunchAndClose();
    // The page script's server name on the message label; the web page button shows.
    void ShowServerName(const std::wstring& text);
    // The page script has news: the message label blinks.
    void StartMessageBlink();
    // The player has seen the news: the label stops blinking.
    void StopMessageBlink();
    // Presses the caption button at a screen point; its index, or -1.
    int PressedButtonAt(POINT screenPoint);
    // What caption button `index` does (-1 and image-only buttons: nothing).
    void RunCaptionAction(int index);

    BOOL DestroyWindow() override;

    // --- What tests and the bench probe may read ---
    const std::vector<std::unique_ptr<CSkinButton>>& captionButtons() const { return captionButtons_; }
    const PanelSet& panels() const { return panels_; }
    CGameDlg* gameHostPanel() const { return gameHostPanel_.get(); }
    const TrayIcon& trayIcon() const { return trayIcon_; }
    const BossKeyBinding& bossKey() const { return bossKey_; }
    const StartupProgress& startupProgress() const { return progress_; }
    bool isMaximised() const { return isMaximised_; }
    // The DPI the launcher is laid out and drawn at.
    int dpi() const { return dpi_; }
    HFONT labelFont() const { return labelFont_.get(); }
    HWND gameClientWindow() const { return gameClientWindow_; }
    bool messageTimerStarted() const { return messageBlink_.started; }
    const ServiceSettings& serviceSettings() const { return serviceSettings_; }
    // Why the set-up is incomplete (a panel that could not be created);
    // empty when everything was created.
    const std::string& setupFailure() const { return setupFailure_; }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnInitDialog() override;
    void OnOK() override {}  // Enter never closes the launcher
    void OnCancel() override;

    // The one-time preparation and launch of the game client. Virtual so that
    // in-process tests can create the window without starting programs.
    virtual void runStartupSequence();
    // Opens an address with the system's browser (caption actions 0 and 1).
    virtual void OpenAddress(const std::string& address);
    // Adds, modifies or deletes the tray icon (Shell_NotifyIconW). Virtual so
    // that tests can stand in for a shell that is not there yet.
    virtual BOOL ShellNotifyIcon(DWORD message, NOTIFYICONDATAW* data);
    // The templates the panels are created from. Virtual so that tests can
    // see a panel that fails to create.
    virtual PanelTemplates panelTemplates() const { return defaultPanelTemplates(); }

    // What the start-up sequence settles: the launcher's directory, the
    // service settings read from the settings file, and the game client it
    // started (ended at shut-down unless the launcher leaves through the exit
    // panel).
    void UseLauncherDirectory(const std::wstring& directory) { launcherDirectory_ = directory; }
    void UseServiceSettings(const ServiceSettings& settings) { serviceSettings_ = settings; }
    void WatchWebEntryProcess(HANDLE process) { webEntryProcess_.reset(process); }
    // Forgets the measured layout: the next drawing of the splash picture or
    // progress tick measures the window again.
    void ForgetSplashLayout() { progress_.forgetLayout(); }

private:
    // How the launcher's windows are to be seen after ShowLauncherWindows.
    enum class View { Shown, Hidden, Minimised };
    enum class TrayChange { Keep, Add, Remove };

    // Message handlers.
    LRESULT OnCreate();
    BOOL OnEraseBkgnd(HDC dc);
    void OnPaint();
    HBRUSH OnCtlColor(HDC dc, HWND control);
    HCURSOR OnQueryDragIcon();
    LRESULT OnNcHitTest(POINT point);
    BOOL OnSetCursor(HWND window, UINT hitCode, UINT mouseMessage);
    void OnNcLButtonDown(UINT hitCode, POINT point);
    void OnNcLButtonUp(UINT hitCode, POINT point);
    void OnNcLButtonDblClk(UINT hitCode, POINT point);
    // Every caption button takes the release at this screen point.
    void ReleaseCaptionButtons(POINT point);
    void OnSysCommand(UINT command, LPARAM lParam);
    void OnSize(UINT type, int width, int height);
    // Shown or restored: a game that is ready comes into view with the window.
    LRESULT OnWindowPosChanged();
    void OnMoving(UINT edge, RECT* rect);
    void OnMove(int x, int y);
    void OnSizing(UINT edge, RECT* rect);
    void OnTimer(UINT_PTR id);
    LRESULT OnGameReady();
    LRESULT OnGameWindow(HWND gameWindow);
    LRESULT OnTrayNotify(WPARAM iconId, LPARAM mouseMessage);
    // Moved to a monitor of another scale, or the scale changed: fonts,
    // artwork and layout follow; the window keeps filling the work area (at
    // full size) or its restored size in 96-dpi pixels.
    LRESULT OnDpiChanged(int dpi, const RECT* suggested);
    LRESULT OnHotKey(WPARAM id);
    // The shell's taskbar was re-created: the tray icon goes back if it was showing.
    LRESULT OnTaskbarCreated();

    // Painting helpers.
    bool DrawPicture(HDC dc, const std::wstring& path, int width, int height);
    void PlaceGameHostPanel();
    void PlaceMessageLabel();
    // The web page and exit panels, when shown, in their places for the window's size and DPI.
    void placeShownPanels();
    // Once the game is ready: hides the start-up labels, then shows the game
    // host panel, so that no moment shows the labels over the game.
    void RevealGame();

    // The values the signed information-service requests are made from.
    RequestValues requestValues() const;
    // What the panels may call on this window.
    LauncherCalls panelCalls();
    void createCaptionButtons();
    // The skin's bitmaps, the small icon and the progress labels' font at the launcher's DPI.
    void loadSkinForDpi();
    // The primary screen's size less the taskbar's allowance at the launcher's DPI.
    void measureWorkArea();
    // The full-size placement on the monitor the window is on: the primary
    // screen less the taskbar's allowance, or another monitor's work area.
    RECT fullSizeRect(HMONITOR monitor) const;
    void createGameHostPanel();

    // Shows or hides the launcher window and the game host panel together.
    // Hiding or minimising first hides every visible panel (panels are never
    // shown again this way); the tray icon is kept, added or removed.
    void ShowLauncherWindows(View view, TrayChange tray);
    // Hides every visible panel; the boss key comes back when the settings
    // panel, which lets go of it, was one of them.
    void HideVisiblePanels();
    // The About item of the system menu: the About dialog, modally.
    void ShowAboutBox();

    HICON windowIcon_ = nullptr;
    tarvo::UniqueIcon smallIcon_;  // the title bar's and the tray's, at the small-icon size of the DPI
    tarvo::Bitmap frameBitmaps_[2];  // IDB_LOGO (224 x 50) and IDB_BAND (the title band tile, 51 x 50)
    std::vector<std::unique_ptr<CSkinButton>> captionButtons_;  // indices 0 to 8, in order
    std::unique_ptr<CSkinButton> serverListButton_;             // index 12: constructed, not in the list
    PanelSet panels_;
    std::unique_ptr<CGameDlg> gameHostPanel_;
    bool initialised_ = false;
    std::string setupFailure_;

    bool isMaximised_ = true;
    SIZE maximisedSize_{0, 0};
    int dpi_ = 96;

    TrayIcon trayIcon_;
    BossKeyBinding bossKey_;

    WatchdogState watchdog_;  // its lastTick is the start tick
    HWND gameClientWindow_ = nullptr;
    tarvo::UniqueHandle webEntryProcess_;

    StartupProgress progress_;
    MessageBlink messageBlink_;

    LaunchParameters launchParameters_;  // platformTag, serverNumber, entryArg1..3
    ServiceSettings serviceSettings_;
    std::wstring launcherDirectory_;

    tarvo::Font labelFont_;
    // The template labels' font once the DPI has changed (until then the template's).
    tarvo::Font dialogFont_;

    // The splash picture: read from bg.jpg the first time that file is
    // found, then kept for the run; empty when it was no JPEG image.
    tarvo::ComPtr<IPicture> splashPicture_;
    bool splashPictureRead_ = false;
};
