// The launcher window: the one top-level window of the launcher and the owner
// of all shared state. Its message table is WindowProc in launcher_dlg_win.cpp;
// the handlers live with their subsystem:
//   app/launcher_dlg_win.cpp       set-up, message table, OnOK, WM_CREATE
//   app/startup_sequence_win.cpp   the start-up sequence
//   window/launcher_paint_win.cpp  painting and control colours
//   window/launcher_nc_win.cpp     caption actions, sizing and moving
//   window/launcher_timers_win.cpp timers and the client's messages
//   window/launcher_tray_win.cpp   tray icon, boss key, About, shut-down
#pragma once

#include "app/launch_parameters.h"
#include "app/service_settings.h"
#include "framework/ax_host_win.h"
#include "framework/handles_win.h"
#include "framework/wnd_win.h"
#include "service/request_sign.h"
#include "window/boss_key.h"
#include "window/launcher_timers.h"

#include <ocidl.h>
#include <shellapi.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CSkinButton;
class CMyDlg;
class CMyCfgDlg;
class CExitDlg;
class CIeDlg;
class CGameDlg;

// Messages from the web-entry client and the tray.
constexpr UINT WM_GAMEREADY = WM_USER + 0x63;   // 0x463
constexpr UINT WM_GAMEWINDOW = WM_USER + 0x64;  // 0x464: wParam = the game window
constexpr UINT WM_TRAYNOTIFY = WM_USER + 0x65;  // 0x465: wParam = icon id, lParam = mouse message

// The About item of the system menu (timer, hot-key and tray ids are in
// window/launcher_timers.h and window/boss_key.h).
constexpr UINT kAboutCommand = 16;

class CLauncherDlg : public tarvo::CDialog {
public:
    CLauncherDlg();
    ~CLauncherDlg() override;

    // --- Operations called by the panels, the worker hand-over and tests ---
    // Signed information-service requests over the values read at start-up.
    std::string MakeRequestSign(int type) const;
    std::string MakeRequestUrl(int type) const;
    RequestValues requestValues() const;

    void SetBossKey(bool enable, WORD virtualKey, WORD hotKeyFlags);
    void StartLaunchAndClose();
    void ShowServerName(const std::string& text);
    void StartMessageBlink();
    void HideAllWindows();
    int PressedButtonAt(POINT screenPoint);
    void RunCaptionAction(int index);

    BOOL DestroyWindow() override;

    // --- State (read by the panels and by tests) ---
    HICON windowIcon = nullptr;
    tarvo::Bitmap frameBitmaps[2];  // 132 (logo, 224 x 50) and 133 (band tile, 51 x 50)
    std::vector<std::unique_ptr<CSkinButton>> captionButtons;  // indices 0 to 8, in order
    std::unique_ptr<CSkinButton> serverListButton;             // index 12: constructed, not in the list
    std::vector<tarvo::CDialog*> panels;  // server list, settings, exit, web page
    bool initialised = false;

    std::unique_ptr<CMyDlg> serverListPanel;
    std::unique_ptr<CMyCfgDlg> settingsPanel;
    std::unique_ptr<CIeDlg> webPagePanel;
    std::unique_ptr<CExitDlg> exitPanel;

    bool isMaximised = true;
    SIZE maximisedSize{0, 0};
    SIZE restoredSize{1024, 738};
    SIZE minimumSize{1024, 738};
    NOTIFYICONDATAA trayIconData{};

    bool bossKeyEnabled = false;
    WORD bossKeyVirtualKey = 0;
    WORD bossKeyModifiers = 0;

    WatchdogState watchdog;       // its lastTick is the start tick
    HWND gameClientWindow = nullptr;
    tarvo::UniqueHandle webEntryProcess;
    std::unique_ptr<CGameDlg> gameHostPanel;

    ProgressState progress;
    int layoutWidth = 0;
    int layoutHeight = 0;
    bool clientReady = false;

    LaunchParameters launchParameters;  // platformTag, serverNumber, entryArg1..3
    bool messageTimerStarted = false;
    ServiceSettings serviceSettings;
    std::string launcherDirectory;

    tarvo::Font labelFont;

    // The splash picture: read from bg.jpg the first time that file is
    // found, then kept for the run; empty when it was no JPEG image.
    tarvo::ComPtr<IPicture> splashPicture;
    bool splashPictureRead = false;

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
    // Adds, modifies or deletes the tray icon (Shell_NotifyIconA). Virtual so
    // that tests can stand in for a shell that is not there yet.
    virtual BOOL ShellNotifyIcon(DWORD message, NOTIFYICONDATAA* data);

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
    void OnSysCommand(UINT command, LPARAM lParam);
    void OnSize(UINT type, int width, int height);
    void OnMoving(UINT edge, RECT* rect);
    void OnMove(int x, int y);
    void OnSizing(UINT edge, RECT* rect);
    void OnTimer(UINT_PTR id);
    LRESULT OnGameReady();
    LRESULT OnGameWindow(HWND gameWindow);
    LRESULT OnTrayNotify(WPARAM iconId, LPARAM mouseMessage);
    LRESULT OnHotKey(WPARAM id);
    // The shell's taskbar was re-created: the tray icon goes back if it was showing.
    LRESULT OnTaskbarCreated();

    // Painting helpers.
    bool DrawPicture(HDC dc, const std::string& path, int width, int height);
    void PlaceGameHostPanel();
    void PlaceMessageLabel();

private:
    void createCaptionButtons();
    void createPanels();
    void createGameHostPanel();
    void addTrayIcon();
    void deleteTrayIcon();

    // Hides every visible panel of `panels`.
    void HideVisiblePanels();
    // The server-list and settings panels follow the window when visible.
    void PlacePanelsNearOwner();
    // The About item of the system menu: the About dialog, modally.
    void ShowAboutBox();

    // Registers the boss key again if it is enabled (after the settings
    // panel, which lets go of it, was hidden other than by its own buttons).
    void RestoreBossKey();

    // The tray icon should be there: from the set-up on, until the boss key,
    // Esc or the shut-down takes it away. A taskbar that appears later (the
    // launcher started before the shell) gets it then.
    bool trayIconWanted = false;
    // The tray icon is there: added successfully and not deleted since.
    bool trayIconPresent = false;
};
