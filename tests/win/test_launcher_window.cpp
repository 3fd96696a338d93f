// The launcher window inside the test program: its self-made caption (hit
// codes, cursors, button presses and their actions, double clicks), sizing
// limits, painting read back from the screen, the timers, the game client's
// messages, the tray icon, the boss key, the About box and leaving through
// StartLaunchAndClose. The start-up sequence is replaced, so no programs are
// started unless a test starts them itself; the timers are stopped and their
// ticks sent by hand.
#include "launcher/launcher_dlg_win.h"
#include "framework/text_win.h"
#include "panels/exit_panel_win.h"
#include "panels/game_host_panel_win.h"
#include "panels/settings_panel_win.h"
#include "panels/web_page_panel_win.h"
#include "resource.h"
#include "panels/server_list_panel_win.h"
#include "support/pixels_win.h"
#include "support/test_support_win.h"
#include "window/rect_win.h"
#include "window/skin_button_win.h"

#include <gtest/gtest.h>

#include "support/tray_keeper_win.h"
#include "support/window_probes_win.h"
#include <commctrl.h>
#include <ole2.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

using namespace tarvo_test;

namespace {

constexpr COLORREF kFrameColour = RGB(128, 97, 66);
constexpr COLORREF kBlack = RGB(0, 0, 0);

// ---------------------------------------------------------------------------
// Test doubles and helpers
// ---------------------------------------------------------------------------

// The launcher window with the start-up sequence replaced and the browser
// hand-over recorded. A private message runs StartLaunchAndClose from inside
// the window's own message loop.
class TestLauncher : public CLauncherDlg {
public:
    static constexpr UINT kRunLaunchAndClose = WM_APP + 11;

    std::function<void(TestLauncher&)> startup;
    std::vector<std::string> openedAddresses;
    // The panels' templates, when not the usual ones.
    std::optional<PanelTemplates> templates;

    using CLauncherDlg::ForgetSplashLayout;
    using CLauncherDlg::UseLauncherDirectory;
    using CLauncherDlg::WatchWebEntryProcess;
    // The two addresses the caption's first buttons open, as if read from
    // the settings file.
    void useSiteAddresses(const std::string& mainSite, const std::string& forum) {
        ServiceSettings settings = serviceSettings();
        settings.mainSiteUrl = mainSite;
        settings.forumUrl = forum;
        UseServiceSettings(settings);
    }

protected:
    void runStartupSequence() override {
        if (startup) startup(*this);
    }
    void OpenAddress(const std::string& address) override { openedAddresses.push_back(address); }
    PanelTemplates panelTemplates() const override {
        return templates ? *templates : CLauncherDlg::panelTemplates();
    }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == kRunLaunchAndClose) {
            StartLaunchAndClose();
            return 0;
        }
        return CLauncherDlg::WindowProc(message, wParam, lParam);
    }
};


// Whether the launcher's tray icon is in the notification area: only an
// icon that is there can be modified.
bool trayIconPresent(const CLauncherDlg& launcher) {
    NOTIFYICONDATAW data = launcher.trayIcon().data();
    return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

bool visible(const tarvo::CWnd* window) {
    return window && window->m_hWnd && IsWindowVisible(window->m_hWnd);
}

// A child control's rectangle in its parent's client coordinates.
Rect childRect(HWND child) {
    return toRect(tarvo_test::childRect(child));
}

Rect screenRect(HWND window) {
    return toRect(tarvo_test::windowRect(window));
}

// The caption buttons as the player sees them: where each one sits in the
// title strip (pixels from the window's left or right edge and from its top)
// and how large its box is.
struct CaptionButton {
    int index;
    int x;
    int y;
    bool fromRight;
    int width;
    int height;
};

const CaptionButton kCaptionButtons[] = {
    {0, 366, 19, true, 64, 29},  {1, 283, 19, true, 64, 29}, {2, 209, 19, true, 80, 29},
    {3, 500, 19, true, 100, 20}, {4, 118, 1, true, 28, 25},  {5, 89, 1, true, 28, 25},
    {6, 61, 1, true, 28, 25},    {7, 33, 1, true, 28, 25},   {8, 135, 25, false, 16, 17},
};

// The middle of a caption button's box, in screen coordinates.
POINT buttonCentre(HWND launcher, int index) {
    const Rect window = screenRect(launcher);
    for (const CaptionButton& b : kCaptionButtons) {
        if (b.index != index) continue;
        const int left = b.fromRight ? window.right - b.x : window.left + b.x;
        return POINT{left + b.width / 2, window.top + b.y + b.height / 2};
    }
    return POINT{-1, -1};
}

// Pixels of a bitmap resource of this program.
class ResourceBitmap {
public:
    explicit ResourceBitmap(int id)
        : bitmap_(static_cast<HBITMAP>(
              LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR))),
          dc_(CreateCompatibleDC(nullptr)) {
        previous_ = SelectObject(dc_, bitmap_);
    }
    ~ResourceBitmap() {
        SelectObject(dc_, previous_);
        DeleteDC(dc_);
        DeleteObject(bitmap_);
    }
    COLORREF pixel(int x, int y) const { return GetPixel(dc_, x, y); }
    SIZE size() const {
        BITMAP info{};
        GetObjectA(bitmap_, sizeof(info), &info);
        return SIZE{info.bmWidth, info.bmHeight};
    }

private:
    HBITMAP bitmap_;
    HDC dc_;
    HGDIOBJ previous_ = nullptr;
};

// Pixels of a window's client area as they are on screen.
class ClientPixels {
public:
    explicit ClientPixels(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~ClientPixels() { ReleaseDC(window_, dc_); }
    COLORREF at(int x, int y) const { return GetPixel(dc_, x, y); }

private:
    HWND window_;
    HDC dc_;
};

void repaint(HWND window) {
    RedrawWindow(window, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

std::string hex(COLORREF c) {
    char text[16];
    std::snprintf(text, sizeof(text), "%06lx", static_cast<unsigned long>(c));
    return text;
}

// The current directory for the duration of a test.
class CurrentDirectory {
public:
    explicit CurrentDirectory(const std::string& path) {
        char buffer[MAX_PATH] = {};
        GetCurrentDirectoryA(sizeof(buffer), buffer);
        previous_ = buffer;
        SetCurrentDirectoryA(path.c_str());
    }
    ~CurrentDirectory() { SetCurrentDirectoryA(previous_.c_str()); }

private:
    std::string previous_;
};

// A stand-in process for the game client: it stays until it is ended, and
// logs nothing.
EnvVars lingering() {
    return EnvVars{{"TARVO_STUB_LINGER_MS", "30000"}, {"TARVO_STUB_LOG", ""}};
}

// ---------------------------------------------------------------------------
// Fixture: a fresh launcher window per test
// ---------------------------------------------------------------------------

class LauncherWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        OleInitialize(nullptr);
        trayKeeper_ = new TrayKeeper;
    }
    static void TearDownTestSuite() {
        delete trayKeeper_;
        trayKeeper_ = nullptr;
    }

    void SetUp() override { create(); }
    void TearDown() override {
        if (launcher && launcher->m_hWnd) launcher->DestroyWindow();
        pumpMessages();
    }

    void create(std::function<void(TestLauncher&)> startup = nullptr) {
        launcher = std::make_unique<TestLauncher>();
        launcher->startup = std::move(startup);
        ASSERT_TRUE(launcher->Create(IDD_LAUNCHER_DIALOG, nullptr));
        hwnd = launcher->m_hWnd;
        // The ticks are sent by hand.
        KillTimer(hwnd, kWatchdogTimerId);
        KillTimer(hwnd, kProgressTimerId);
        pumpMessages();
    }

    // A left press in the caption and its release, as the system delivers
    // them for a click on the title strip.
    // A press in the caption ends in the system's drag-to-move loop, which
    // runs until the left button comes up: the pointer is put on the press
    // point and the button-up is queued beforehand, so the drag ends at once
    // without moving the window.
    void pressAt(POINT p, UINT hitCode = HTCAPTION) {
        SetCursorPos(p.x, p.y);
        PostMessageA(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(0, 0));
        SendMessageA(hwnd, WM_NCLBUTTONDOWN, hitCode, pointParam(p));
        MSG msg;
        while (PeekMessageA(&msg, hwnd, WM_LBUTTONUP, WM_LBUTTONUP, PM_REMOVE)) {
        }
    }
    void releaseAt(POINT p) { SendMessageA(hwnd, WM_NCLBUTTONUP, HTCAPTION, pointParam(p)); }
    void clickButton(int index) {
        const POINT p = buttonCentre(hwnd, index);
        pressAt(p);
        releaseAt(p);
        pumpMessages();
    }
    void tick(UINT_PTR id, int times = 1) {
        for (int i = 0; i < times; ++i) SendMessageA(hwnd, WM_TIMER, id, 0);
    }
    HWND control(int id) const { return GetDlgItem(hwnd, id); }
    std::string text(int id) const { return windowText(control(id)); }
    Rect window() const { return screenRect(hwnd); }
    Rect client() const {
        RECT r{};
        GetClientRect(hwnd, &r);
        return toRect(r);
    }

    std::unique_ptr<TestLauncher> launcher;
    HWND hwnd = nullptr;

private:
    static TrayKeeper* trayKeeper_;
};

TrayKeeper* LauncherWindow::trayKeeper_ = nullptr;

// ---------------------------------------------------------------------------
// Non-client hit tests and cursors
// ---------------------------------------------------------------------------

TEST_F(LauncherWindow, CaptionStripAndRightAndBottomBandsAnswerHitTests) {
    const Rect r = window();
    struct Case {
        const char* what;
        int x;
        int y;
        LRESULT expected;
    };
    const Case cases[] = {
        {"54 below the top", r.left + 600, r.top + 54, HTCAPTION},
        {"55 below the top", r.left + 600, r.top + 55, HTCLIENT},
        {"4 from the right", r.right - 4, r.top + 300, HTRIGHT},
        {"5 from the right", r.right - 5, r.top + 300, HTCLIENT},
        {"4 from the bottom", r.left + 300, r.bottom - 4, HTBOTTOM},
        {"5 from the bottom", r.left + 300, r.bottom - 5, HTCLIENT},
        {"bottom-right corner", r.right - 1, r.bottom - 1, HTBOTTOMRIGHT},
        {"right edge in the strip", r.right - 1, r.top + 10, HTCAPTION},
        {"left edge", r.left, r.top + 300, HTCLIENT},
        {"on a caption button", buttonCentre(hwnd, 7).x, buttonCentre(hwnd, 7).y, HTCAPTION},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SendMessageA(hwnd, WM_NCHITTEST, 0, MAKELPARAM(c.x, c.y)), c.expected) << c.what;
    }
}

TEST_F(LauncherWindow, SetCursorPicksTheSizingCursorOfTheHitCode) {
    const struct {
        UINT hitCode;
        int cursor;
    } cases[] = {
        {HTRIGHT, 32644}, {HTLEFT, 32644},        {HTBOTTOM, 32645},     {HTTOP, 32645},     {HTBOTTOMRIGHT, 32642},
        {HTTOPLEFT, 32642}, {HTBOTTOMLEFT, 32643}, {HTTOPRIGHT, 32643}, {HTCAPTION, 32512}, {HTCLIENT, 32512},
    };
    for (const auto& c : cases) {
        SetCursor(nullptr);
        EXPECT_EQ(SendMessageA(hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(c.hitCode, WM_MOUSEMOVE)),
                  TRUE)
            << c.hitCode;
        EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, MAKEINTRESOURCEA(c.cursor))) << c.hitCode;
    }
    // Over a child window the child chooses its own cursor.
    EXPECT_EQ(SendMessageA(hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(launcher->gameHostPanel()->m_hWnd),
                           MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
              FALSE);
}

// ---------------------------------------------------------------------------
// Caption buttons: hover, press and release
// ---------------------------------------------------------------------------

TEST_F(LauncherWindow, ButtonsHoverPressAndReleaseOnlyInsideTheirBoxes) {
    CSkinButton& settings = *launcher->captionButtons()[2];
    const POINT centre = buttonCentre(hwnd, 2);
    const Rect r = window();
    const POINT leftEdge{r.right - 209, centre.y};  // on the box's left edge: outside
    const POINT justInside{r.right - 208, centre.y};

    SendMessageA(hwnd, WM_NCHITTEST, 0, pointParam(leftEdge));
    EXPECT_EQ(settings.State(), 0);
    SendMessageA(hwnd, WM_NCHITTEST, 0, pointParam(justInside));
    EXPECT_EQ(settings.State(), 1);

    // The press runs the action on the way down; the release brings the hover look back.
    EXPECT_EQ(launcher->PressedButtonAt(centre), 2);
    EXPECT_EQ(settings.State(), 2);
    releaseAt(centre);
    EXPECT_EQ(settings.State(), 1);
    // Released elsewhere: back to normal.
    releaseAt(POINT{r.left + 600, r.top + 40});
    EXPECT_EQ(settings.State(), 0);

    // Nothing but the buttons 0 to 8 answer presses; the title strip between them does not.
    EXPECT_EQ(launcher->PressedButtonAt(POINT{r.left + 600, r.top + 40}), -1);
    for (const CaptionButton& b : kCaptionButtons) {
        if (b.index == 3) continue;  // hidden until the game-server name arrives
        EXPECT_EQ(launcher->PressedButtonAt(buttonCentre(hwnd, b.index)), b.index);
    }
    EXPECT_EQ(launcher->PressedButtonAt(buttonCentre(hwnd, 3)), -1);
    launcher->ShowServerName(L"S1");
    EXPECT_EQ(launcher->PressedButtonAt(buttonCentre(hwnd, 3)), 3);
}

TEST_F(LauncherWindow, PointerMovesThatChangeNoButtonStateDrawNothing) {
    const Rect r = window();
    const POINT onForum = buttonCentre(hwnd, 1);
    const POINT alsoOnForum{onForum.x + 5, onForum.y + 3};
    const POINT emptyStrip{r.left + 600, r.top + 40};
    const POINT gameArea{r.left + 600, r.top + 400};

    SendMessageA(hwnd, WM_NCHITTEST, 0, pointParam(emptyStrip));
    struct Step {
        const char* what;
        POINT p;
        long blits;
    };
    const Step steps[] = {
        {"again over the empty strip", emptyStrip, 0},
        {"over the game area", gameArea, 0},
        {"onto the forum button", onForum, 1},
        {"within the forum button", alsoOnForum, 0},
        {"once more within it", onForum, 0},
        {"off the button", emptyStrip, 1},
        {"further along the strip", POINT{emptyStrip.x + 30, emptyStrip.y}, 0},
    };
    UpdateWindow(hwnd);
    for (const Step& s : steps) {
        const long before = CSkinButton::BlitCount();
        SendMessageA(hwnd, WM_NCHITTEST, 0, pointParam(s.p));
        // The hit-test only asks for a repaint; the paint draws.
        EXPECT_EQ(CSkinButton::BlitCount() - before, 0) << s.what;
        UpdateWindow(hwnd);
        EXPECT_EQ(CSkinButton::BlitCount() - before, s.blits) << s.what;
    }

    // A background erase draws every visible button once, forced: 0 to 8
    // without the hidden button 3.
    pumpMessages();
    const long before = CSkinButton::BlitCount();
    repaint(hwnd);
    EXPECT_EQ(CSkinButton::BlitCount() - before, 8);
}

// ---------------------------------------------------------------------------
// Caption actions
// ---------------------------------------------------------------------------

TEST_F(LauncherWindow, SiteButtonsOpenOnlyWebAddresses) {
    // Anything but an http or https address would be run as a program or
    // read as a switch by the file explorer.
    const struct {
        std::string address;
        bool opened;
    } cases[] = {
        {"http://127.0.0.1:9/main", true},
        {"https://bbs.quarrionol.com/forum.php?a=1", true},
        {"", false},
        {"   ", false},
        {"/select,C:\\Windows\\System32\\calc.exe", false},
        {"-e", false},
        {"C:\\Windows\\System32\\calc.exe", false},
        {"\\\\host\\share\\setup.exe", false},
        {"file:///C:/Windows/System32/calc.exe", false},
        {"javascript:alert(1)", false},
        {"http://host\" /e,C:\\", false},
    };
    for (const auto& c : cases) {
        for (int button : {0, 1}) {
            launcher->openedAddresses.clear();
            launcher->useSiteAddresses(button == 0 ? c.address : "", button == 1 ? c.address : "");
            clickButton(button);
            EXPECT_EQ(launcher->openedAddresses,
                      c.opened ? std::vector<std::string>{c.address} : std::vector<std::string>{})
                << button << ": " << c.address;
        }
    }
}

TEST_F(LauncherWindow, SettingsButtonShowsThePanelAndFreesTheBossKey) {
    launcher->SetBossKey(true, VK_F9, HOTKEYF_CONTROL);
    ASSERT_TRUE(hotKeyTaken(MOD_CONTROL, VK_F9));

    clickButton(2);
    EXPECT_TRUE(visible(launcher->panels().settings()));
    EXPECT_FALSE(hotKeyTaken(MOD_CONTROL, VK_F9));
    EXPECT_TRUE(launcher->bossKey().enabled());  // the flag survives; the panel registers the key again

    // Already open: the key is still let go.
    launcher->SetBossKey(true, VK_F9, HOTKEYF_CONTROL);
    clickButton(2);
    EXPECT_TRUE(visible(launcher->panels().settings()));
    EXPECT_FALSE(hotKeyTaken(MOD_CONTROL, VK_F9));
}

TEST_F(LauncherWindow, BossKeyComesBackWhenTheSettingsPanelIsHiddenOtherThanByItsButtons) {
    SendMessageA(hwnd, WM_GAMEREADY, 0, 0);
    const struct {
        const char* how;
        std::function<void()> hide;
        std::function<void()> bringBack;
    } ways[] = {
        {"to the tray", [this] { clickButton(4); },
         [this] { SendMessageA(hwnd, WM_TRAYNOTIFY, 5, WM_LBUTTONDOWN); }},
        {"minimised", [this] { clickButton(5); },
         [this] { launcher->ShowWindow(SW_RESTORE); }},
        {"tray click", [this] { SendMessageA(hwnd, WM_TRAYNOTIFY, 5, WM_LBUTTONDOWN); },
         [this] { SendMessageA(hwnd, WM_TRAYNOTIFY, 5, WM_LBUTTONDOWN); }},
        {"boss key", [this] { SendMessageA(hwnd, WM_HOTKEY, kBossHotKeyId, 0); },
         [this] { SendMessageA(hwnd, WM_HOTKEY, kBossHotKeyId, 0); }},
    };
    for (const auto& way : ways) {
        launcher->SetBossKey(true, VK_F9, HOTKEYF_CONTROL);
        clickButton(2);
        ASSERT_TRUE(visible(launcher->panels().settings())) << way.how;
        ASSERT_FALSE(hotKeyTaken(MOD_CONTROL, VK_F9)) << way.how;

        way.hide();
        EXPECT_FALSE(visible(launcher->panels().settings())) << way.how;
        EXPECT_TRUE(hotKeyTaken(MOD_CONTROL, VK_F9)) << way.how;
        way.bringBack();
        pumpMessages();
        EXPECT_TRUE(IsWindowVisible(hwnd)) << way.how;
        EXPECT_TRUE(hotKeyTaken(MOD_CONTROL, VK_F9)) << way.how;
    }

    // No boss key chosen: hiding the panel registers nothing.
    launcher->SetBossKey(false, VK_F9, HOTKEYF_CONTROL);
    clickButton(2);
    clickButton(5);
    launcher->ShowWindow(SW_RESTORE);
    EXPECT_FALSE(hotKeyTaken(MOD_CONTROL, VK_F9));
}

TEST_F(LauncherWindow, WebPageButtonTogglesThePanelOnceTheServerNameHasArrived) {
    ASSERT_NE(launcher->panels().webPage()->m_hWnd, nullptr);
    // Hidden button: a press in its box is an ordinary caption press.
    clickButton(3);
    EXPECT_FALSE(visible(launcher->panels().webPage()));

    launcher->ShowServerName(L"S1");
    launcher->StartMessageBlink();
    clickButton(3);
    ASSERT_TRUE(visible(launcher->panels().webPage()));
    const Rect r = window();
    EXPECT_EQ(screenRect(launcher->panels().webPage()->m_hWnd), makeRect(r.right - 500, r.top + 50, 434, 413));
    // Showing the page stops the blinking.
    EXPECT_FALSE(launcher->messageTimerStarted());
    EXPECT_FALSE(KillTimer(hwnd, kBlinkTimerId));

    clickButton(3);
    EXPECT_FALSE(visible(launcher->panels().webPage()));
}

TEST_F(LauncherWindow, MinimiseButtonHidesThePanelsAndTheGame) {
    SendMessageA(hwnd, WM_GAMEREADY, 0, 0);
    launcher->ShowServerName(L"S1");
    clickButton(3);
    clickButton(7);
    ASSERT_TRUE(visible(launcher->panels().webPage()));
    ASSERT_TRUE(visible(launcher->panels().exit()));
    ASSERT_TRUE(visible(launcher->gameHostPanel()));

    clickButton(5);
    EXPECT_TRUE(IsIconic(hwnd));
    EXPECT_FALSE(visible(launcher->panels().webPage()));
    EXPECT_FALSE(visible(launcher->panels().exit()));
    EXPECT_FALSE(IsWindowVisible(launcher->gameHostPanel()->m_hWnd));

    // Restored, the next background erase brings the game back (the panels stay hidden).
    ShowWindow(hwnd, SW_RESTORE);
    repaint(hwnd);
    EXPECT_TRUE(visible(launcher->gameHostPanel()));
    EXPECT_FALSE(visible(launcher->panels().exit()));
    // The start-up percentage does not come back over the game.
    EXPECT_FALSE(IsWindowVisible(control(IDC_PROGRESS_PERCENT)));
}

TEST_F(LauncherWindow, ReadyBeforeTheFirstProgressTickEndsTheProgressDisplayForGood) {
    // A quick client reports before the progress timer has ticked once.
    PostMessageA(hwnd, WM_GAMEWINDOW, 0, 0);
    SendMessageA(hwnd, WM_GAMEREADY, 0, 0);
    repaint(hwnd);
    // Many ticks later, nothing of the progress display is back.
    waitUntil([] { return false; }, static_cast<int>(kProgressPeriodMs) * 8);
    repaint(hwnd);
    EXPECT_FALSE(IsWindowVisible(control(IDC_PROGRESS_TEXT)));
    EXPECT_FALSE(IsWindowVisible(control(IDC_PROGRESS_PERCENT)));
    EXPECT_TRUE(launcher->startupProgress().ready());
}

TEST_F(LauncherWindow, SizeButtonAndCaptionDoubleClickSwitchBetweenFullAndRestoredSize) {
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const Rect full = window();
    ASSERT_EQ(full.left, 0);
    ASSERT_EQ(full.top, 0);
    ASSERT_EQ(full.width(), screenWidth);
    const Rect restored = makeRect((screenWidth - 1024) / 2, (full.height() - 738) / 2, 1024, 738);

    clickButton(6);
    EXPECT_EQ(window(), restored);
    EXPECT_FALSE(launcher->isMaximised());
    clickButton(6);  // the button has followed the right edge
    EXPECT_EQ(window(), full);
    EXPECT_TRUE(launcher->isMaximised());

    // Double clicks, each at a point of the window as it is at that moment.
    struct Click {
        const char* what;
        std::function<POINT()> at;
        Rect expected;
    };
    auto strip = [&] { return POINT{window().left + 600, window().top + 30}; };
    const Click clicks[] = {
        {"in the strip", strip, restored},
        {"on a button (does nothing)", [&] { return buttonCentre(hwnd, 1); }, restored},
        {"below the strip (does nothing)", [&] { return POINT{window().left + 500, window().top + 300}; }, restored},
        {"in the strip again", strip, full},
    };
    for (const Click& c : clicks) {
        SendMessageA(hwnd, WM_NCLBUTTONDBLCLK, HTCAPTION, pointParam(c.at()));
        EXPECT_EQ(window(), c.expected) << c.what;
    }
    EXPECT_TRUE(launcher->openedAddresses.empty());
}

TEST_F(LauncherWindow, ExitButtonOpensTheExitPanelOnce) {
    clickButton(7);
    ASSERT_TRUE(visible(launcher->panels().exit()));
    const Rect c = client();
    const Rect expected = makeRect(c.width() / 2 - 150, c.height() / 2 - 60, 290, 133);
    EXPECT_EQ(screenRect(launcher->panels().exit()->m_hWnd), expected);

    launcher->panels().exit()->MoveWindow(10, 10, 290, 133);
    clickButton(7);  // already open: left where it is
    EXPECT_EQ(screenRect(launcher->panels().exit()->m_hWnd), makeRect(10, 10, 290, 133));
}

TEST_F(LauncherWindow, LogoAndEmptyStripPressesChangeNothing) {
    const Rect before = window();
    clickButton(8);
    pressAt(POINT{before.left + 600, before.top + 40});
    EXPECT_EQ(window(), before);
    EXPECT_TRUE(IsWindowVisible(hwnd));
    for (tarvo::CDialog* panel : launcher->panels().all()) EXPECT_FALSE(visible(panel));
}

TEST_F(LauncherWindow, TrayButtonHidesEverythingAndKeepsAWayBack) {
    SendMessageA(hwnd, WM_GAMEREADY, 0, 0);
    clickButton(2);
    ASSERT_TRUE(trayIconPresent(*launcher));

    // Esc only removes the tray icon ...
    SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    EXPECT_TRUE(IsWindowVisible(hwnd));
    EXPECT_FALSE(trayIconPresent(*launcher));

    // ... and hiding to the tray puts it back, so the launcher can be brought back.
    clickButton(4);
    EXPECT_FALSE(IsWindowVisible(hwnd));
    EXPECT_FALSE(visible(launcher->panels().settings()));
    EXPECT_FALSE(IsWindowVisible(launcher->gameHostPanel()->m_hWnd));
    EXPECT_TRUE(trayIconPresent(*launcher));

    // Hidden, a close request (another program's, or a cancel) keeps the
    // way back: the icon stays.
    SendMessageA(hwnd, WM_CLOSE, 0, 0);
    pumpMessages();  // the dialog posts itself the cancel
    SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    EXPECT_FALSE(IsWindowVisible(hwnd));
    EXPECT_TRUE(trayIconPresent(*launcher));

    EXPECT_EQ(SendMessageA(hwnd, WM_TRAYNOTIFY, 5, WM_LBUTTONDOWN), 0);
    EXPECT_TRUE(IsWindowVisible(hwnd));
    EXPECT_TRUE(IsWindowVisible(launcher->gameHostPanel()->m_hWnd));
}

// ---------------------------------------------------------------------------
// Sizing and moving
// ---------------------------------------------------------------------------

TEST_F(LauncherWindow, SizingKeepsTheWidthAndHeightWithinLimits) {
    const int W = GetSystemMetrics(SM_CXSCREEN);
    struct Case {
        const char* what;
        Rect proposed;
        Rect expected;
    };
    const Case cases[] = {
        {"narrow and low: only the width", {0, 0, 1000, 700}, {0, 0, 1024, 700}},
        {"wider than the screen", {5, 0, 5 + W + 20, 800}, {5, 0, 5 + W, 800}},
        {"too low", {10, 10, 1110, 700}, {10, 10, 1110, 748}},
        {"within limits", {0, 0, 1100, 800}, {0, 0, 1100, 800}},
        {"very tall", {0, 0, 1100, 3000}, {0, 0, 1100, 3000}},
    };
    for (const Case& c : cases) {
        RECT r{c.proposed.left, c.proposed.top, c.proposed.right, c.proposed.bottom};
        EXPECT_EQ(SendMessageA(hwnd, WM_SIZING, WMSZ_BOTTOMRIGHT, reinterpret_cast<LPARAM>(&r)), TRUE) << c.what;
        EXPECT_EQ(toRect(r), c.expected) << c.what;
    }
}

TEST_F(LauncherWindow, GameAreaLabelAndPanelsFollowTheWindow) {
    SendMessageA(hwnd, WM_GAMEREADY, 0, 0);
    clickButton(2);  // the settings panel follows the window
    ASSERT_TRUE(visible(launcher->panels().settings()));
    launcher->ShowServerName(L"S1");

    MoveWindow(hwnd, 100, 60, 1100, 800, TRUE);
    RECT proposed = {100, 60, 1200, 860};
    SendMessageA(hwnd, WM_MOVING, WMSZ_LEFT, reinterpret_cast<LPARAM>(&proposed));
    pumpMessages();

    const Rect c = client();
    EXPECT_EQ(childRect(launcher->gameHostPanel()->m_hWnd), makeRect(0, 50, c.width(), c.height() - 50));
    EXPECT_EQ(childRect(control(IDC_MESSAGE_LABEL)), makeRect(c.right - 470, 25, 100, 20));
    const Rect r = window();
    EXPECT_EQ(screenRect(launcher->panels().settings()->m_hWnd), makeRect(r.right - 351 - 100, r.top + 50, 351, 166));
}

// ---------------------------------------------------------------------------
// Painting
// ---------------------------------------------------------------------------

// Painting draws from state and changes none of it: no label is moved,
// shown, hidden or given text, and no panel comes up, however often the
// window is painted.
TEST_F(LauncherWindow, PaintingMovesShowsAndSetsNothing) {
    const HWND progressText = control(IDC_PROGRESS_TEXT);
    const HWND messageLabel = control(IDC_MESSAGE_LABEL);
    SetWindowTextA(progressText, "left as it is");
    ShowWindow(progressText, SW_HIDE);
    MoveWindow(messageLabel, 5, 60, 40, 12, TRUE);
    const RECT labelBefore = windowRect(messageLabel);
    struct Case {
        const char* what;
        UINT flags;
    };
    const Case cases[] = {
        {"a full repaint", RDW_ERASE | RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN},
        {"an erase only", RDW_ERASE | RDW_INVALIDATE | RDW_ERASENOW},
        {"the title strip", RDW_INVALIDATE | RDW_UPDATENOW},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const RECT strip{0, 0, 1000, 50};
        RedrawWindow(hwnd, c.flags == (RDW_INVALIDATE | RDW_UPDATENOW) ? &strip : nullptr, nullptr, c.flags);
        pumpMessages();
        EXPECT_FALSE(IsWindowVisible(progressText));
        EXPECT_EQ(windowText(progressText), "left as it is");
        const RECT labelNow = windowRect(messageLabel);
        EXPECT_TRUE(EqualRect(&labelBefore, &labelNow)) << labelNow.left << "," << labelNow.top;
        for (tarvo::CDialog* panel : launcher->panels().all()) EXPECT_FALSE(panel->IsWindowVisible());
    }
}

TEST_F(LauncherWindow, PaintsFrameBandLogoAndButtons) {
    TempDir empty("paint");
    CurrentDirectory cd(empty.path());  // no splash picture here
    repaint(hwnd);
    const Rect c = client();
    ClientPixels screen(hwnd);

    // The brown frame on all four edges of the game area, black inside.
    const struct {
        int x;
        int y;
        COLORREF expected;
    } points[] = {
        {0, 300, kFrameColour},          {1, 300, kFrameColour},          {c.right - 1, 300, kFrameColour},
        {c.right - 2, 300, kFrameColour}, {600, c.bottom - 1, kFrameColour}, {600, c.bottom - 2, kFrameColour},
        {2, 300, kBlack},                {c.right - 3, 300, kBlack},       {600, c.bottom - 3, kBlack},
    };
    for (const auto& p : points) {
        EXPECT_EQ(hex(screen.at(p.x, p.y)), hex(p.expected)) << p.x << ", " << p.y;
    }

    // The band tile repeats up to the client's right edge, cut there.
    ResourceBitmap band(IDB_BAND);
    const int tile = band.size().cx;
    ASSERT_EQ(tile, 51);
    for (int x : {300, 301, 350, c.right / 2, c.right - 40, c.right - 1}) {
        for (int y : {5, 45}) {
            // Skip the caption buttons drawn over the band.
            if (x > c.right - 520 && x < c.right) continue;
            EXPECT_EQ(hex(screen.at(x, y)), hex(band.pixel(x % tile, y))) << x << ", " << y;
        }
    }
    for (int y : {4, 14, 40, 49}) {
        EXPECT_EQ(hex(screen.at(c.right - 1, y)), hex(band.pixel((c.right - 1) % tile, y))) << y;
    }

    // The logo over the band's start.
    ResourceBitmap logo(IDB_LOGO);
    for (POINT p : {POINT{10, 10}, POINT{100, 30}, POINT{223, 49}}) {
        EXPECT_EQ(hex(screen.at(p.x, p.y)), hex(logo.pixel(p.x, p.y))) << p.x << ", " << p.y;
    }

    // The exit button's normal image, 33 pixels left of the client's right edge.
    ResourceBitmap exitImage(IDB_BTN_CLOSE_NORMAL);
    for (POINT p : {POINT{2, 3}, POINT{14, 12}, POINT{27, 24}}) {
        EXPECT_EQ(hex(screen.at(c.right - 33 + p.x, 1 + p.y)), hex(exitImage.pixel(p.x, p.y)));
    }
}

TEST_F(LauncherWindow, WebPageButtonIsDrawnOnlyOnceTheServerNameHasArrived) {
    ResourceBitmap image(IDB_BTN_WEBPAGE_NORMAL);
    ResourceBitmap band(IDB_BAND);
    const Rect c = client();
    const int left = c.right - 500;
    // A pixel of the 24 x 24 image that differs from the band beneath it.
    POINT probe{-1, -1};
    for (int y = 0; y < 24 && probe.x < 0; ++y)
        for (int x = 0; x < 24 && probe.x < 0; ++x)
            if (image.pixel(x, y) != band.pixel((left + x) % 51, 19 + y)) probe = POINT{x, y};
    ASSERT_GE(probe.x, 0);

    repaint(hwnd);
    {
        ClientPixels screen(hwnd);
        EXPECT_EQ(hex(screen.at(left + probe.x, 19 + probe.y)), hex(band.pixel((left + probe.x) % 51, 19 + probe.y)));
    }
    launcher->ShowServerName(L"S1");
    UpdateWindow(hwnd);
    {
        ClientPixels screen(hwnd);
        EXPECT_EQ(hex(screen.at(left + probe.x, 19 + probe.y)), hex(image.pixel(probe.x, probe.y)));
    }
    EXPECT_TRUE(IsWindowVisible(control(IDC_MESSAGE_LABEL)));
    EXPECT_EQ(text(IDC_MESSAGE_LABEL), "S1");
    EXPECT_EQ(childRect(control(IDC_MESSAGE_LABEL)), makeRect(c.right - 470, 25, 100, 20));
}

TEST_F(LauncherWindow, SplashComesFromTheCurrentDirectoryUntilTheGameIsReady) {
    const Rect c = client();
    const Rect w = window();
    // The middle of the splash area: centred, 25 pixels lower.
    const POINT middle{(w.width() - 800) / 2 + 400, (w.height() - 550) / 2 + 25 + 275};

    TempDir withPicture("splash");
    ASSERT_TRUE(copyFileTo(joinPath(sourceDir(), "res\\bg.jpg"), withPicture.file("bg.jpg")));
    TempDir withoutPicture("nosplash");
    launcher->ForgetSplashLayout();

    {
        CurrentDirectory cd(withoutPicture.path());
        repaint(hwnd);
        ClientPixels screen(hwnd);
        EXPECT_EQ(hex(screen.at(middle.x, middle.y)), hex(kBlack));
        EXPECT_EQ(launcher->startupProgress().layout().cx, 0);  // nothing drawn, nothing measured
    }
    EXPECT_TRUE(IsWindowVisible(control(IDC_PROGRESS_TEXT)));
    EXPECT_EQ(text(IDC_PROGRESS_TEXT), u8"首次启动微端，正在初始化...");
    {
        CurrentDirectory cd(withPicture.path());
        repaint(hwnd);
        ClientPixels screen(hwnd);
        int lit = 0;
        for (int dx = -200; dx <= 200; dx += 50)
            for (int dy = -150; dy <= 150; dy += 50)
                if (screen.at(middle.x + dx, middle.y + dy) != kBlack) ++lit;
        EXPECT_GT(lit, 40) << "the splash picture should fill the middle";
        EXPECT_EQ(launcher->startupProgress().layout().cx, w.width());
        EXPECT_EQ(launcher->startupProgress().layout().cy, w.height());

        // Ready: the black game host panel covers all below the title strip.
        SendMessageA(hwnd, WM_GAMEREADY, 0, 0);
        repaint(hwnd);
        ClientPixels after(hwnd);
        for (POINT p : {middle, POINT{c.right / 2, 60}, POINT{0, 300}, POINT{c.right - 1, c.bottom - 1}}) {
            EXPECT_EQ(hex(after.at(p.x, p.y)), hex(kBlack)) << p.x << ", " << p.y;
        }
    }
    EXPECT_FALSE(IsWindowVisible(control(IDC_PROGRESS_TEXT)));
    EXPECT_FALSE(IsWindowVisible(control(IDC_PROGRESS_PERCENT)));
}

TEST_F(LauncherWindow, SplashThatIsNoJpegIsNotDrawnAndTheFileIsReadOnce) {
    const Rect w = window();
    const POINT middle{(w.width() - 800) / 2 + 400, (w.height() - 550) / 2 + 25 + 275};
    const auto litPoints = [&] {
        ClientPixels screen(hwnd);
        int lit = 0;
        for (int dx = -200; dx <= 200; dx += 50)
            for (int dy = -150; dy <= 150; dy += 50)
                if (screen.at(middle.x + dx, middle.y + dy) != kBlack) ++lit;
        return lit;
    };
    const std::string jpeg = readFile(joinPath(sourceDir(), "res\\bg.jpg")).value_or("");
    ASSERT_FALSE(jpeg.empty());
    const std::string bitmap = readFile(joinPath(sourceDir(), "res\\bmp\\132.bmp")).value_or("BM");
    const struct {
        const char* name;
        std::string bytes;
    } notJpeg[] = {
        {"placeable metafile", std::string("\xD7\xCD\xC6\x9A\0\0", 6) + std::string(4096, '\x7F')},
        {"enhanced metafile", std::string("\x01\0\0\0\x6C\0\0\0", 8) + std::string(4096, '\0')},
        {"bitmap", bitmap},
        {"garbage", std::string(100000, '\xA5')},
        {"empty", ""},
    };
    for (const auto& c : notJpeg) {
        // A fresh launcher, which has read no splash picture yet.
        if (launcher && launcher->m_hWnd) launcher->DestroyWindow();
        create();
        launcher->ForgetSplashLayout();
        TempDir dir("badsplash");
        ASSERT_TRUE(writeFile(dir.file("bg.jpg"), c.bytes));
        CurrentDirectory cd(dir.path());
        repaint(hwnd);
        EXPECT_EQ(litPoints(), 0) << c.name;
        EXPECT_EQ(launcher->startupProgress().layout().cx, 0) << c.name;
        EXPECT_TRUE(IsWindowVisible(control(IDC_PROGRESS_TEXT))) << c.name;

        // Read once per run: a picture put there later is not read.
        ASSERT_TRUE(writeFile(dir.file("bg.jpg"), jpeg));
        repaint(hwnd);
        EXPECT_EQ(litPoints(), 0) << c.name;
    }
}

// ---------------------------------------------------------------------------
// Timers and the game client's messages
// ---------------------------------------------------------------------------

TEST_F(LauncherWindow, ProgressTicksCountToNinetyNineBesideTheInitialisingText) {
    const Rect w = window();
    const int y = (w.height() - 550) / 2 + 480;
    const struct {
        int ticks;  // in total so far
        const char* shown;
    } steps[] = {{1, "1%"}, {2, "2%"}, {42, "42%"}, {99, "99%"}, {100, "99%"}, {130, "99%"}};
    int sent = 0;
    for (const auto& s : steps) {
        tick(kProgressTimerId, s.ticks - sent);
        sent = s.ticks;
        EXPECT_EQ(text(IDC_PROGRESS_PERCENT), s.shown) << s.ticks;
        EXPECT_TRUE(IsWindowVisible(control(IDC_PROGRESS_PERCENT)));
    }
    // Laid out from the window's outer size: the text spans the middle 200
    // pixels, the percentage follows on its right.
    EXPECT_EQ(childRect(control(IDC_PROGRESS_TEXT)), makeRect(w.width() / 2 - 100, y, 200, 20));
    EXPECT_EQ(childRect(control(IDC_PROGRESS_PERCENT)), makeRect(w.width() / 2 + 100, y, 50, 20));
}

// How many start-up labels were visible as the game host panel was shown
// (-1: it was not shown).
struct {
    HWND host;
    HWND labels[2];
    int visible;
} labelsAtGameShow;

LRESULT CALLBACK countLabelsAsTheGameShows(int code, WPARAM wParam, LPARAM lParam) {
    const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && message->hwnd == labelsAtGameShow.host && message->message == WM_SHOWWINDOW &&
        message->wParam) {
        labelsAtGameShow.visible = 0;
        for (HWND label : labelsAtGameShow.labels) labelsAtGameShow.visible += IsWindowVisible(label) ? 1 : 0;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(LauncherWindow, GameReadyBeforeTheFirstTickNeverShowsMoreThanZeroPercent) {
    repaint(hwnd);  // a paint before the first tick shows 0%
    EXPECT_EQ(text(IDC_PROGRESS_PERCENT), "0%");
    EXPECT_TRUE(IsWindowVisible(control(IDC_PROGRESS_PERCENT)));

    // The labels are gone by the moment the game shows: the game is never
    // seen under them, not even between two messages.
    labelsAtGameShow = {
        launcher->gameHostPanel()->m_hWnd, {control(IDC_PROGRESS_TEXT), control(IDC_PROGRESS_PERCENT)}, -1};
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, countLabelsAsTheGameShows, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    SendMessageA(hwnd, WM_GAMEREADY, 0, 0);
    UnhookWindowsHookEx(hook);
    EXPECT_EQ(labelsAtGameShow.visible, 0) << "labels still shown as the game came up (-1: the game never came up)";

    tick(kProgressTimerId);
    EXPECT_EQ(launcher->startupProgress().percentage(), 0);
    EXPECT_FALSE(IsWindowVisible(control(IDC_PROGRESS_PERCENT)));
}

TEST_F(LauncherWindow, GameReadyEndsTheProgressDisplay) {
    tick(kProgressTimerId, 3);
    EXPECT_EQ(SendMessageA(hwnd, WM_GAMEREADY, 0, 0), 0);
    EXPECT_TRUE(launcher->startupProgress().ready());
    EXPECT_TRUE(IsWindowVisible(launcher->gameHostPanel()->m_hWnd));
    EXPECT_FALSE(IsWindowVisible(control(IDC_PROGRESS_TEXT)));
    EXPECT_FALSE(IsWindowVisible(control(IDC_PROGRESS_PERCENT)));
    tick(kProgressTimerId);
    EXPECT_EQ(launcher->startupProgress().percentage(), 3);
    EXPECT_FALSE(IsWindowVisible(control(IDC_PROGRESS_PERCENT)));
}

// Takes a quit message waiting for this thread, if there is one.
bool takeQuitMessage() {
    MSG msg;
    return PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
}

TEST_F(LauncherWindow, WatchdogQuitsOnceTheReportedGameWindowIsGone) {
    // No game window reported: the watchdog never quits.
    tick(kWatchdogTimerId, 3);
    EXPECT_FALSE(takeQuitMessage());

    // A null handle or one that names no window (any program can post
    // them) is ignored: nothing is watched, nothing quits.
    HWND stale = CreateWindowExA(0, "STATIC", "game", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    DestroyWindow(stale);
    for (HWND junk : {stale, static_cast<HWND>(nullptr), reinterpret_cast<HWND>(0x12345678)}) {
        EXPECT_EQ(SendMessageA(hwnd, WM_GAMEWINDOW, reinterpret_cast<WPARAM>(junk), 0), 0);
        EXPECT_EQ(launcher->gameClientWindow(), nullptr);
    }
    tick(kWatchdogTimerId, 2);
    EXPECT_FALSE(takeQuitMessage());

    // A live window that is neither the client's nor inside the game host
    // panel (another program's use of the same number) is ignored: its
    // closing ends nothing.
    HWND foreign = CreateWindowExA(0, "STATIC", "other", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                   GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(foreign, nullptr);
    EXPECT_EQ(SendMessageA(hwnd, WM_GAMEWINDOW, reinterpret_cast<WPARAM>(foreign), 0), 0);
    EXPECT_EQ(launcher->gameClientWindow(), nullptr);
    DestroyWindow(foreign);
    tick(kWatchdogTimerId, 2);
    EXPECT_FALSE(takeQuitMessage());

    // A later report replaces it: watched, focused, and quit for once it goes.
    HWND game = CreateWindowExA(0, "STATIC", "game", WS_CHILD | WS_VISIBLE, 0, 0, 100, 100,
                                launcher->gameHostPanel()->m_hWnd, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(game, nullptr);
    SendMessageA(hwnd, WM_GAMEREADY, 0, 0);
    EXPECT_EQ(SendMessageA(hwnd, WM_GAMEWINDOW, reinterpret_cast<WPARAM>(game), 0), 0);
    EXPECT_EQ(launcher->gameClientWindow(), game);
    EXPECT_EQ(GetFocus(), game);
    tick(kWatchdogTimerId, 2);
    EXPECT_FALSE(takeQuitMessage());

    // Junk after a real report does not replace it.
    SendMessageA(hwnd, WM_GAMEWINDOW, reinterpret_cast<WPARAM>(stale), 0);
    EXPECT_EQ(launcher->gameClientWindow(), game);
    tick(kWatchdogTimerId);
    EXPECT_FALSE(takeQuitMessage());

    DestroyWindow(game);
    tick(kWatchdogTimerId);
    EXPECT_TRUE(takeQuitMessage());
}

TEST_F(LauncherWindow, NewMessageLabelBlinksWithOneTimer) {
    launcher->ShowServerName(L"S1");
    launcher->StartMessageBlink();
    launcher->StartMessageBlink();
    EXPECT_TRUE(launcher->messageTimerStarted());
    EXPECT_TRUE(KillTimer(hwnd, kBlinkTimerId));
    EXPECT_FALSE(KillTimer(hwnd, kBlinkTimerId));  // there was only one

    const bool shown[] = {false, true, false};
    for (bool expected : shown) {
        tick(kBlinkTimerId);
        EXPECT_EQ(IsWindowVisible(control(IDC_MESSAGE_LABEL)) != FALSE, expected);
    }
}

// ---------------------------------------------------------------------------
// Labels over the skin
// ---------------------------------------------------------------------------

// Paints whatever waits to be painted in the window and its children,
// without invalidating anything more.
void flushPaint(HWND window) {
    RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    pumpMessages();
}

bool overlaps(const Rect& a, const Rect& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

TEST_F(LauncherWindow, PlayerNameIsDrawnWholeAndCleanOverTheTitleStrip) {
    TempDir empty("name");
    CurrentDirectory cd(empty.path());
    repaint(hwnd);
    const HWND name = control(IDC_PLAYER_NAME);
    const Rect box = childRect(name);
    const Rect c = client();

    // The label lies in the title strip, clear of every caption button (the
    // image of button 8 drawn over a hollow label covered its first letters).
    EXPECT_LE(box.bottom, 50);
    for (const CaptionButton& b : kCaptionButtons) {
        const int left = b.fromRight ? c.right - b.x : b.x;
        EXPECT_FALSE(overlaps(box, makeRect(left, b.y, b.width, b.height)))
            << "button " << b.index << " and the label at " << box.left << ", " << box.top << ", " << box.width()
            << " x " << box.height();
    }

    const Pixels skin = Pixels::OfClient(hwnd);
    ASSERT_TRUE(skin.ok());

    // A longer text shown first, then the name, as a later reply would set it.
    const struct {
        const char* text;
    } texts[] = {{"欢迎光临！天下"}, {"玄洲游侠"}, {"A&B 玄洲"}, {"纵横玄洲之青龙游侠客"}};
    for (const auto& t : texts) {
        const std::wstring wide = tarvo::utf8ToWide(t.text);
        SetDlgItemTextW(hwnd, IDC_PLAYER_NAME, wide.c_str());
        ShowWindow(name, SW_SHOW);
        flushPaint(hwnd);

        // The whole name fits the label.
        HDC measure = GetDC(name);
        HGDIOBJ old = SelectObject(measure, reinterpret_cast<HGDIOBJ>(SendMessageA(name, WM_GETFONT, 0, 0)));
        SIZE extent{};
        GetTextExtentPoint32W(measure, wide.c_str(), static_cast<int>(wide.size()), &extent);
        SelectObject(measure, old);
        ReleaseDC(name, measure);
        EXPECT_LE(extent.cx, box.width()) << t.text;
        EXPECT_LE(extent.cy, box.height()) << t.text;

        // What the player should see: the skin alone with the name drawn
        // on it in the label's font and colours.
        Pixels expected = skin.Duplicate();
        SelectObject(expected.dc(), reinterpret_cast<HGDIOBJ>(SendMessageA(name, WM_GETFONT, 0, 0)));
        SetTextColor(expected.dc(), RGB(198, 170, 102));
        SetBkColor(expected.dc(), kBlack);
        SetBkMode(expected.dc(), OPAQUE);
        RECT place = toRECT(box);
        DrawTextW(expected.dc(), wide.c_str(), -1, &place, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);

        const Pixels shown = Pixels::OfClient(hwnd);
        EXPECT_GT(differingPixels(shown, skin, toRECT(box)), 20) << t.text << ": the name is drawn";
        EXPECT_EQ(differingPixels(shown, expected, toRECT(box)), 0) << t.text << ": nothing else is there";
    }
}

TEST_F(LauncherWindow, NothingOfTheProgressLabelsStaysOnceTheGameIsReady) {
    TempDir withPicture("labels");
    ASSERT_TRUE(copyFileTo(joinPath(sourceDir(), "res\\bg.jpg"), withPicture.file("bg.jpg")));
    CurrentDirectory cd(withPicture.path());
    tick(kProgressTimerId, 7);
    repaint(hwnd);
    const Rect labels[] = {childRect(control(IDC_PROGRESS_TEXT)), childRect(control(IDC_PROGRESS_PERCENT))};
    {
        const Pixels before = Pixels::OfClient(hwnd);
        for (const Rect& r : labels) {
            const int area = r.width() * r.height();
            EXPECT_LT(pixelsOfColour(before, toRECT(r), kBlack), area) << "the label shows over the splash";
        }
    }

    // A tick changes the percentage: the new one is drawn over the splash.
    tick(kProgressTimerId);
    flushPaint(hwnd);
    {
        const Pixels ticked = Pixels::OfClient(hwnd);
        const RECT percent = toRECT(labels[1]);
        EXPECT_GT(pixelsOfColour(ticked, percent, RGB(198, 170, 102)), 5) << text(IDC_PROGRESS_PERCENT);
        EXPECT_LT(pixelsOfColour(ticked, percent, kBlack), labels[1].width() * labels[1].height() / 2);
    }

    // The game becomes ready; only what the system asks to repaint is painted.
    SendMessageA(hwnd, WM_GAMEREADY, 0, 0);
    flushPaint(hwnd);
    tick(kProgressTimerId);
    flushPaint(hwnd);
    const Pixels after = Pixels::OfClient(hwnd);
    for (const Rect& r : labels) {
        const int area = r.width() * r.height();
        EXPECT_EQ(pixelsOfColour(after, toRECT(r), kBlack), area) << "the game host panel's black at " << r.left
                                                                   << ", " << r.top;
    }

    // Text changes of a hidden label leave nothing on screen either.
    SetDlgItemTextA(hwnd, IDC_PROGRESS_PERCENT, "55%");
    flushPaint(hwnd);
    const Pixels later = Pixels::OfClient(hwnd);
    EXPECT_EQ(pixelsOfColour(later, toRECT(labels[1]), kBlack), labels[1].width() * labels[1].height());
}

// ---------------------------------------------------------------------------
// Tray icon, boss key, About box
// ---------------------------------------------------------------------------

TEST_F(LauncherWindow, TrayClickHidesAndShowsTheLauncherAndTheGame) {
    SendMessageA(hwnd, WM_GAMEREADY, 0, 0);
    clickButton(7);
    ASSERT_TRUE(visible(launcher->panels().exit()));

    const struct {
        WPARAM icon;
        LPARAM mouse;
        LRESULT result;
    } ignored[] = {{4, WM_LBUTTONDOWN, 1}, {5, WM_RBUTTONDOWN, 0}, {5, WM_LBUTTONUP, 0}, {5, WM_LBUTTONDBLCLK, 0}};
    for (const auto& m : ignored) {
        EXPECT_EQ(SendMessageA(hwnd, WM_TRAYNOTIFY, m.icon, m.mouse), m.result) << m.icon << " " << m.mouse;
        EXPECT_TRUE(IsWindowVisible(hwnd));
    }

    EXPECT_EQ(SendMessageA(hwnd, WM_TRAYNOTIFY, 5, WM_LBUTTONDOWN), 0);
    EXPECT_FALSE(IsWindowVisible(hwnd));
    EXPECT_FALSE(visible(launcher->panels().exit()));
    EXPECT_FALSE(IsWindowVisible(launcher->gameHostPanel()->m_hWnd));

    EXPECT_EQ(SendMessageA(hwnd, WM_TRAYNOTIFY, 5, WM_LBUTTONDOWN), 0);
    EXPECT_TRUE(IsWindowVisible(hwnd));
    EXPECT_TRUE(IsWindowVisible(launcher->gameHostPanel()->m_hWnd));
    EXPECT_FALSE(visible(launcher->panels().exit()));  // panels are not shown again
    EXPECT_TRUE(trayIconPresent(*launcher));
}

TEST_F(LauncherWindow, BossKeyRegistersTheChosenCombination) {
    const struct {
        WORD key;
        WORD controlFlags;
        UINT modifiers;
    } cases[] = {
        {'B', HOTKEYF_CONTROL | HOTKEYF_SHIFT, MOD_CONTROL | MOD_SHIFT},
        {'B', HOTKEYF_ALT, MOD_ALT},
        {VK_HOME, HOTKEYF_CONTROL | HOTKEYF_EXT, MOD_CONTROL},  // the extended-key flag is no Win key
        {VK_F11, 0, 0},
    };
    for (const auto& c : cases) {
        launcher->SetBossKey(true, c.key, c.controlFlags);
        EXPECT_TRUE(launcher->bossKey().enabled());
        EXPECT_EQ(launcher->bossKey().modifiers(), c.modifiers) << c.controlFlags;
        EXPECT_TRUE(hotKeyTaken(c.modifiers, c.key)) << c.controlFlags;
        launcher->SetBossKey(false, c.key, c.controlFlags);
        EXPECT_FALSE(launcher->bossKey().enabled());
        EXPECT_FALSE(hotKeyTaken(c.modifiers, c.key)) << c.controlFlags;
    }
}

TEST_F(LauncherWindow, BossKeyHidesEverythingWithTheTrayIconAndBringsItBack) {
    SendMessageA(hwnd, WM_GAMEREADY, 0, 0);
    clickButton(7);
    // Disabled, or another hot key: nothing.
    EXPECT_EQ(SendMessageA(hwnd, WM_HOTKEY, kBossHotKeyId, 0), 0);
    EXPECT_TRUE(IsWindowVisible(hwnd));
    launcher->SetBossKey(true, VK_F9, HOTKEYF_CONTROL | HOTKEYF_ALT);
    SendMessageA(hwnd, WM_HOTKEY, kBossHotKeyId + 1, 0);
    EXPECT_TRUE(IsWindowVisible(hwnd));

    SendMessageA(hwnd, WM_HOTKEY, kBossHotKeyId, 0);
    EXPECT_FALSE(IsWindowVisible(hwnd));
    EXPECT_FALSE(visible(launcher->panels().exit()));
    EXPECT_FALSE(IsWindowVisible(launcher->gameHostPanel()->m_hWnd));
    EXPECT_FALSE(trayIconPresent(*launcher));

    SendMessageA(hwnd, WM_HOTKEY, kBossHotKeyId, 0);
    EXPECT_TRUE(IsWindowVisible(hwnd));
    EXPECT_TRUE(IsWindowVisible(launcher->gameHostPanel()->m_hWnd));
    EXPECT_TRUE(trayIconPresent(*launcher));
}

TEST_F(LauncherWindow, AboutCommandShowsTheAboutBoxModally) {

    std::string title;
    std::thread closer([&] {
        HWND box = waitForWindow(GetCurrentProcessId(), "#32770", u8"关于 TarvoLaunch", 10000);
        if (!box) return;
        title = windowText(box);
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
    SendMessageA(hwnd, WM_SYSCOMMAND, 16, 0);
    closer.join();
    EXPECT_EQ(title, u8"关于 TarvoLaunch");
    EXPECT_TRUE(IsWindowEnabled(hwnd));
    EXPECT_TRUE(IsWindowVisible(hwnd));
}

// A panel whose template does not create is reported by the set-up; the
// launcher runs on without it, and its caption button does nothing.
TEST_F(LauncherWindow, APanelThatFailsToCreateIsReported) {
    EXPECT_EQ(launcher->setupFailure(), "");
    launcher->DestroyWindow();
    pumpMessages();

    constexpr UINT kNoSuchTemplate = 9999;
    struct Case {
        const char* panel;
        int captionButton;
        UINT PanelTemplates::*templateId;
        tarvo::CDialog* (*pick)(const PanelSet&);
    };
    const Case cases[] = {
        {"server list", kButtonServerListToggle, &PanelTemplates::serverList,
         [](const PanelSet& p) -> tarvo::CDialog* { return p.serverList(); }},
        {"settings", kButtonSettings, &PanelTemplates::settings,
         [](const PanelSet& p) -> tarvo::CDialog* { return p.settings(); }},
        {"exit", kButtonExit, &PanelTemplates::exit, [](const PanelSet& p) -> tarvo::CDialog* { return p.exit(); }},
        {"web page", kButtonWebPage, &PanelTemplates::webPage,
         [](const PanelSet& p) -> tarvo::CDialog* { return p.webPage(); }},
    };
    for (const Case& c : cases) {
        TestLauncher broken;
        PanelTemplates templates = defaultPanelTemplates();
        templates.*c.templateId = kNoSuchTemplate;
        broken.templates = templates;
        ASSERT_TRUE(broken.Create(IDD_LAUNCHER_DIALOG, nullptr)) << c.panel;
        EXPECT_NE(broken.setupFailure().find(c.panel), std::string::npos) << broken.setupFailure();
        EXPECT_EQ(c.pick(broken.panels())->m_hWnd, nullptr) << c.panel;
        int created = 0;
        for (tarvo::CDialog* panel : broken.panels().all()) created += panel->m_hWnd != nullptr;
        EXPECT_EQ(created, 3) << c.panel;
        broken.RunCaptionAction(c.captionButton);
        EXPECT_TRUE(IsWindowVisible(broken.m_hWnd)) << c.panel;
        broken.DestroyWindow();
        pumpMessages();
    }
}

// The tray icon keeps apart whether it should be there and whether it is,
// through a shell that is missing, loses the icon or is re-created.
TEST(TrayIconOwner, WantedAndShownFollowTheShell) {
    struct Shell {
        bool there = false;
        bool hasIcon = false;
    } shell;
    TrayIcon icon([&shell](DWORD message, NOTIFYICONDATAW*) -> BOOL {
        if (!shell.there) return FALSE;
        switch (message) {
        case NIM_ADD:
            if (shell.hasIcon) return FALSE;  // already there
            shell.hasIcon = true;
            return TRUE;
        case NIM_DELETE: {
            const bool had = shell.hasIcon;
            shell.hasIcon = false;
            return had;
        }
        case NIM_MODIFY:
            return shell.hasIcon;
        }
        return FALSE;
    });
    icon.prepare(nullptr, kTrayIconId, WM_TRAYNOTIFY, nullptr, L"QuarrionOL");

    enum class Do { Add, Remove, NewTaskbar };
    struct Step {
        const char* what;
        bool shellThere;
        bool shellLosesIcon;  // a restarted shell starts empty
        Do action;
        bool wanted;
        bool present;
    };
    const Step steps[] = {
        {"added before the shell is there", false, false, Do::Add, true, false},
        {"the shell arrives", true, false, Do::NewTaskbar, true, true},
        {"a second announcement while it is there", true, false, Do::NewTaskbar, true, true},
        {"the shell restarts", true, true, Do::NewTaskbar, true, true},
        {"taken away", true, false, Do::Remove, false, false},
        {"a restart after it was taken away", true, true, Do::NewTaskbar, false, false},
        {"added again", true, false, Do::Add, true, true},
    };
    for (const Step& s : steps) {
        shell.there = s.shellThere;
        if (s.shellLosesIcon) shell.hasIcon = false;
        switch (s.action) {
        case Do::Add:
            icon.add();
            break;
        case Do::Remove:
            icon.remove();
            break;
        case Do::NewTaskbar:
            icon.restoreOnNewTaskbar();
            break;
        }
        EXPECT_EQ(icon.wanted(), s.wanted) << s.what;
        EXPECT_EQ(icon.present(), s.present) << s.what;
        EXPECT_EQ(shell.hasIcon, s.present) << s.what;
    }
}

TEST_F(LauncherWindow, ShutDownEndsTheClientReleasesTheHotKeyAndRemovesTheTrayIcon) {
    ChildProcess client;
    ASSERT_TRUE(client.start(toolExe("Launch.exe"), "client", "", lingering())) << client.error();
    HANDLE copy = nullptr;
    DuplicateHandle(GetCurrentProcess(), client.handle(), GetCurrentProcess(), &copy, 0, FALSE,
                    DUPLICATE_SAME_ACCESS);
    launcher->WatchWebEntryProcess(copy);
    launcher->SetBossKey(true, VK_F8, HOTKEYF_SHIFT);
    const NOTIFYICONDATAW tray = launcher->trayIcon().data();

    launcher->DestroyWindow();
    EXPECT_EQ(client.waitExit(5000), std::optional<DWORD>(0));
    EXPECT_FALSE(hotKeyTaken(MOD_SHIFT, VK_F8));
    NOTIFYICONDATAW probe = tray;
    EXPECT_FALSE(Shell_NotifyIconW(NIM_MODIFY, &probe));
    EXPECT_TRUE(launcher->captionButtons().empty());
    EXPECT_TRUE(launcher->panels().all().empty());
}

// ---------------------------------------------------------------------------
// Leaving through StartLaunchAndClose (run modally, as the exit panel does)
// ---------------------------------------------------------------------------

class LeavingThroughLaunch : public ::testing::Test {
protected:
    static void SetUpTestSuite() { trayKeeper_ = new TrayKeeper; }
    static void TearDownTestSuite() {
        delete trayKeeper_;
        trayKeeper_ = nullptr;
    }

    // Runs the launcher modally with `directory` as the launcher's directory
    // and a lingering stand-in as its client; StartLaunchAndClose runs from
    // the modal loop. Returns the modal result.
    INT_PTR runAndLeave(const std::string& directory, ChildProcess& client) {
        TestLauncher launcher;
        launcher.startup = [&](TestLauncher& self) {
            self.UseLauncherDirectory(tarvo::utf8ToWide(directory));
            HANDLE copy = nullptr;
            DuplicateHandle(GetCurrentProcess(), client.handle(), GetCurrentProcess(), &copy, 0, FALSE,
                            DUPLICATE_SAME_ACCESS);
            self.WatchWebEntryProcess(copy);
            self.PostMessage(TestLauncher::kRunLaunchAndClose);
        };
        return launcher.DoModal();
    }

    static TrayKeeper* trayKeeper_;
};

TrayKeeper* LeavingThroughLaunch::trayKeeper_ = nullptr;

TEST_F(LeavingThroughLaunch, StartsLaunchInTheLauncherDirectoryAndLeavesTheClientRunning) {
    TempDir dir("leave");
    ASSERT_TRUE(copyFileTo(toolExe("Launch.exe"), dir.file("Launch.exe")));
    const std::string log = dir.file("launch.log");
    ScopedEnv logEnv("TARVO_STUB_LOG", log);
    ChildProcess client;
    ASSERT_TRUE(client.start(toolExe("Launch.exe"), "client", "", lingering())) << client.error();

    const DWORD started = GetTickCount();
    EXPECT_EQ(runAndLeave(dir.path(), client), IDCANCEL);
    EXPECT_GE(GetTickCount() - started, 1000u);  // the one-second pause before closing

    ASSERT_TRUE(waitUntil([&] { return readLines(log).size() >= 2; }, 5000));
    EXPECT_EQ(readLines(log), (std::vector<std::string>{"tarvolunch-start", dir.path()}));
    // Neither the client nor Launch.exe is ended by the launcher, even though
    // its window was destroyed afterwards.
    EXPECT_TRUE(client.isRunning());
}

TEST_F(LeavingThroughLaunch, ReportsAMissingLaunchAndClosesAnyway) {
    TempDir dir("nolaunch");
    ChildProcess client;
    ASSERT_TRUE(client.start(toolExe("Launch.exe"), "client", "", lingering())) << client.error();
    std::optional<MessageBoxSeen> seen;
    std::thread closer([&] {
        seen = waitForMessageBox(GetCurrentProcessId(), 15000);
        if (seen) confirmMessageBox(seen->hwnd);
    });
    EXPECT_EQ(runAndLeave(dir.path(), client), IDCANCEL);
    closer.join();
    ASSERT_TRUE(seen.has_value());
    EXPECT_EQ(seen->text, u8"启动Launch失败, 请关闭防火墙后再启动游戏。");
    EXPECT_EQ(seen->caption, u8"失败");
    EXPECT_EQ(seen->owner, nullptr);
    EXPECT_TRUE(client.isRunning());
}

} // namespace
