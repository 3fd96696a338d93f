// The skinned panels inside a real launcher window (its start-up sequence
// left out): server list, settings, exit confirmation and web page panel.
// Mouse input is sent as the window messages the system would send.

#include "launcher/launcher_dlg_win.h"
#include "framework/text_win.h"
#include "panels/exit_panel_win.h"
#include "panels/settings_panel_win.h"
#include "panels/web_page_panel_win.h"
#include "resource.h"
#include "panels/server_list_panel_win.h"
#include "support/pixels_win.h"
#include "support/test_support_win.h"
#include "window/boss_key.h"
#include "window/skin_button_win.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include "win/quiet_launcher_win.h"
#include "support/window_probes_win.h"

#include <functional>
#include <memory>
#include <string>
#include <atomic>
#include <thread>
#include <vector>

using namespace tarvo_test;

namespace {

// A left click at a client point of a panel, as the system sends it.
void click(HWND panel, int x, int y) {
    SendMessageA(panel, WM_LBUTTONDOWN, MK_LBUTTON, pointParam(x, y));
    SendMessageA(panel, WM_LBUTTONUP, 0, pointParam(x, y));
}

void expectRect(HWND window, int left, int top, int width, int height) {
    const RECT r = windowRect(window);
    EXPECT_EQ(r.left, left);
    EXPECT_EQ(r.top, top);
    EXPECT_EQ(r.right - r.left, width);
    EXPECT_EQ(r.bottom - r.top, height);
}

class PanelTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_NE(launcher_ = createSharedLauncher(), nullptr); }
    static void TearDownTestSuite() { destroySharedLauncher(launcher_); }
    void SetUp() override {
        ASSERT_NE(launcher_, nullptr);
        launcher_->MoveWindow(0, 0, 1024, 738, TRUE);
    }

    CMyDlg& serverList() { return *launcher_->panels().serverList(); }
    CMyCfgDlg& settings() { return *launcher_->panels().settings(); }
    CExitDlg& exitPanel() { return *launcher_->panels().exit(); }
    CIeDlg& webPage() { return *launcher_->panels().webPage(); }

    static QuietLauncher* launcher_;
};

QuietLauncher* PanelTest::launcher_ = nullptr;

// ---- Creation ---------------------------------------------------------------

TEST_F(PanelTest, PanelsAreHiddenPopupsOfTheLauncherWithTheirButtons) {
    struct Case {
        tarvo::CDialog* panel;
        std::vector<int> buttons;
    };
    const Case cases[] = {
        {&serverList(), {10}},
        {&settings(), {13, 14}},
        {&exitPanel(), {17, 16}},
    };
    for (const Case& c : cases) {
        const HWND window = c.panel->m_hWnd;
        ASSERT_NE(window, nullptr);
        EXPECT_FALSE(styleVisible(window));
        EXPECT_TRUE(GetWindowLongA(window, GWL_STYLE) & WS_POPUP);
        EXPECT_FALSE(GetWindowLongA(window, GWL_STYLE) & WS_CAPTION);
        EXPECT_EQ(GetWindow(window, GW_OWNER), launcher_->m_hWnd);
    }
    auto indices = [](const std::vector<std::unique_ptr<CSkinButton>>& list) {
        std::vector<int> result;
        for (const auto& button : list) result.push_back(button->Index());
        return result;
    };
    EXPECT_EQ(indices(serverList().buttons()), cases[0].buttons);
    EXPECT_EQ(indices(settings().buttons()), cases[1].buttons);
    EXPECT_EQ(indices(exitPanel().buttons()), cases[2].buttons);
    ASSERT_NE(webPage().closeButton(), nullptr);
    EXPECT_EQ(webPage().closeButton()->Index(), 15);

    EXPECT_EQ(serverList().backgroundSize().cx, 299);
    EXPECT_EQ(serverList().backgroundSize().cy, 66);
    EXPECT_EQ(settings().backgroundSize().cx, 351);
    EXPECT_EQ(exitPanel().backgroundSize().cy, 166);
    EXPECT_EQ(tarvo::bitmapSize(webPage().header()).cx, 224);
}

// ---- Server list ------------------------------------------------------------

TEST_F(PanelTest, FillServerListReplacesLeadingEntriesInPlace) {
    struct Case {
        const char* what;
        std::vector<std::string> before;
        std::vector<std::string> names;
        std::vector<std::string> after;
        int selected;
        std::string editText;
    };
    const Case cases[] = {
        {"one empty name", {}, {""}, {""}, 0, ""},
        {"first entry replaced, later kept", {"z3", "a1", "m2"}, {"电信一区"}, {u8"电信一区", "a1", "m2"}, 0, "电信一区"},
        {"names inserted unsorted", {"x"}, {"b", "a"}, {"b", "a"}, 0, "b"},
        {"empty list only selects", {"x", "y"}, {}, {"x", "y"}, 0, "x"},
        {"empty list on an empty box", {}, {}, {}, -1, ""},
    };
    const tarvo::CComboBox& combo = serverList().serverList();
    for (const Case& c : cases) {
        combo.SendMessage(CB_RESETCONTENT);
        for (size_t i = 0; i < c.before.size(); ++i) {
            const std::wstring entry = tarvo::utf8ToWide(c.before[i]);
            combo.SendMessage(CB_INSERTSTRING, i, reinterpret_cast<LPARAM>(entry.c_str()));
        }
        serverList().FillServerList(c.names);
        EXPECT_EQ(comboEntries(combo.m_hWnd), c.after) << c.what;
        EXPECT_EQ(combo.GetCurSel(), c.selected) << c.what;
        EXPECT_EQ(combo.GetWindowText(), c.editText) << c.what;
    }
}

TEST_F(PanelTest, FillServerListFromTheWorkerThread) {
    const tarvo::CComboBox& combo = serverList().serverList();
    combo.SendMessage(CB_RESETCONTENT);
    std::atomic<bool> done{false};
    std::thread worker([&] {
        serverList().FillServerList({"网通二区"});
        done = true;
    });
    EXPECT_TRUE(waitUntil([&] { return done.load(); }, 5000));
    worker.join();
    EXPECT_EQ(comboEntries(combo.m_hWnd), std::vector<std::string>{u8"网通二区"});
    EXPECT_EQ(combo.GetCurSel(), 0);
}

// ---- Placement --------------------------------------------------------------

TEST_F(PanelTest, PanelsPlaceThemselvesBesideTheOwner) {
    struct Case {
        int x, y;
    };
    for (const Case& c : {Case{30, 40}, Case{0, 0}, Case{-200, 15}}) {
        launcher_->MoveWindow(c.x, c.y, 1024, 738, TRUE);
        serverList().PlaceNearOwner();
        settings().PlaceNearOwner();
        expectRect(serverList().m_hWnd, c.x + 50, c.y + 50, 299, 66);
        expectRect(settings().m_hWnd, c.x + 1024 - 351 - 100, c.y + 50, 351, 166);
    }
}

// A hidden panel left behind by a move comes up in its place when shown, and
// painting it moves nothing.
TEST_F(PanelTest, HiddenPanelIsPlacedWhenItIsShown) {
    launcher_->MoveWindow(0, 0, 1024, 738, TRUE);
    settings().PlaceNearOwner();
    serverList().PlaceNearOwner();
    launcher_->MoveWindow(70, 90, 1100, 738, TRUE);
    ASSERT_FALSE(settings().IsWindowVisible());
    const RECT before = windowRect(settings().m_hWnd);
    HDC dc = GetDC(settings().m_hWnd);
    EXPECT_TRUE(SendMessageA(settings().m_hWnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0));
    ReleaseDC(settings().m_hWnd, dc);
    expectRect(settings().m_hWnd, before.left, before.top, 351, 166);

    settings().ShowWindow(SW_SHOWNA);
    expectRect(settings().m_hWnd, 70 + 1100 - 451, 140, 351, 166);
    serverList().ShowWindow(SW_SHOWNA);
    expectRect(serverList().m_hWnd, 120, 140, 299, 66);
    settings().ShowWindow(SW_HIDE);
    serverList().ShowWindow(SW_HIDE);
}

// ---- Mouse: hover, press, release -------------------------------------------

TEST_F(PanelTest, HoverAndReleaseFollowEachPanelsColumn) {
    settings().PlaceNearOwner();
    serverList().PlaceNearOwner();
    exitPanel().MoveWindow(100, 100, 290, 133, TRUE);
    struct Case {
        const char* what;
        HWND panel;
        CSkinButton* button;
        POINT inside;  // client point inside the button
        int stateAfterHover;
    };
    const Case cases[] = {
        {"server list", serverList().m_hWnd, serverList().buttons()[0].get(), {230, 40}, 1},
        {"settings close", settings().m_hWnd, settings().buttons()[0].get(), {351 - 35 + 5, 10}, 1},
        {"settings confirm", settings().m_hWnd, settings().buttons()[1].get(), {260, 70}, 1},
        {"exit cancel", exitPanel().m_hWnd, exitPanel().buttons()[0].get(), {180, 100}, 0},
        {"exit confirm", exitPanel().m_hWnd, exitPanel().buttons()[1].get(), {80, 100}, 0},
    };
    for (const Case& c : cases) {
        const RECT w = windowRect(c.panel);
        SendMessageA(c.panel, WM_NCHITTEST, 0, pointParam(w.left + c.inside.x, w.top + c.inside.y));
        EXPECT_EQ(c.button->State(), c.stateAfterHover) << c.what;
        SendMessageA(c.panel, WM_NCHITTEST, 0, pointParam(w.left + 1, w.top + 1));
        EXPECT_EQ(c.button->State(), 0) << c.what;
    }
}

TEST_F(PanelTest, ServerListButtonHidesOnlyWhenPressedInsideItsBox) {
    serverList().PlaceNearOwner();
    const HWND panel = serverList().m_hWnd;
    struct Case {
        int x, y;
        bool hides;
    };
    // Button 10: box 220..280 x 32..55, edges outside.
    const Case cases[] = {{220, 40, false}, {221, 40, true}, {279, 54, true}, {280, 40, false},
                          {250, 32, false}, {250, 55, false}, {5, 5, false}};
    for (const Case& c : cases) {
        serverList().ShowWindow(SW_SHOWNA);
        click(panel, c.x, c.y);
        EXPECT_EQ(!styleVisible(panel), c.hides) << c.x << "," << c.y;
    }
    serverList().ShowWindow(SW_HIDE);
}

TEST_F(PanelTest, ExitPanelCancelHidesAndOtherPressesLeaveItOpen) {
    const HWND panel = exitPanel().m_hWnd;
    exitPanel().MoveWindow(100, 100, 290, 133, TRUE);
    exitPanel().ShowWindow(SW_SHOWNA);
    struct Case {
        int x, y;
    };
    // Text, background, the cancel box's left and top edges, the confirm
    // box's right edge: nothing happens.
    for (const Case& c : {Case{60, 55}, Case{5, 5}, Case{170, 100}, Case{200, 90}, Case{130, 100}}) {
        click(panel, c.x, c.y);
        EXPECT_TRUE(styleVisible(panel)) << c.x << "," << c.y;
    }
    click(panel, 171, 91);
    EXPECT_FALSE(styleVisible(panel));
}

struct BossKeyCase {
    const char* what;
    bool checked;
    BYTE key;
    BYTE hotKeyFlags;  // the hot-key control's flags
    int button;        // 13 (cross) or 14 (confirm)
    bool enabled;
    WORD storedKey;
    WORD storedModifiers;  // the hot-key registration's flags
    bool registered;
};

TEST_F(PanelTest, SettingsButtonsHideThePanelAndApplyTheBossKey) {
    const BossKeyCase cases[] = {
        {"Control+Shift+B, cross", true, 'B', HOTKEYF_CONTROL | HOTKEYF_SHIFT, 13, true, 'B', MOD_CONTROL | MOD_SHIFT,
         true},
        {"Alt+Q, confirm", true, 'Q', HOTKEYF_ALT, 14, true, 'Q', MOD_ALT, true},
        {"box unchecked", false, 'K', HOTKEYF_CONTROL, 14, false, 'Q', MOD_ALT, false},
        {"box checked, field empty", true, 0, 0, 13, true, 0, 0, false},
    };
    settings().PlaceNearOwner();
    const HWND panel = settings().m_hWnd;
    for (const BossKeyCase& c : cases) {
        settings().hotKeyField().SetHotKey(c.key, c.hotKeyFlags);
        settings().enableBox().SetCheck(c.checked ? BST_CHECKED : BST_UNCHECKED);
        settings().ShowWindow(SW_SHOWNA);
        const POINT at = c.button == 13 ? POINT{351 - 35 + 10, 15} : POINT{248 + 30, 62 + 10};
        click(panel, at.x, at.y);

        EXPECT_FALSE(styleVisible(panel)) << c.what;
        EXPECT_EQ(launcher_->bossKey().enabled(), c.enabled) << c.what;
        EXPECT_EQ(launcher_->bossKey().virtualKey(), c.storedKey) << c.what;
        EXPECT_EQ(launcher_->bossKey().modifiers(), c.storedModifiers) << c.what;
        // Unregistering succeeds only for a registered key.
        EXPECT_EQ(UnregisterHotKey(launcher_->m_hWnd, kBossHotKeyId) != FALSE, c.registered) << c.what;
        // The field keeps what it held.
        WORD key = 0, flags = 0;
        settings().hotKeyField().GetHotKey(key, flags);
        EXPECT_EQ(key, c.key) << c.what;
        EXPECT_EQ(flags, c.hotKeyFlags) << c.what;
    }
}

TEST_F(PanelTest, ABossKeyThatAnotherProgramHoldsIsRefusedAndThePreviousOneStays) {
    // The player's boss key so far: Ctrl+F9.
    ASSERT_TRUE(launcher_->SetBossKey(true, VK_F9, HOTKEYF_CONTROL));
    // Another program holds Ctrl+F10.
    ASSERT_TRUE(RegisterHotKey(nullptr, 0x7E00, MOD_CONTROL, VK_F10));

    const HWND panel = settings().m_hWnd;
    const HWND note = GetDlgItem(panel, IDC_BOSS_NOTE);
    ASSERT_NE(note, nullptr);
    launcher_->RunCaptionAction(kButtonSettings);  // opened as the caption button opens it
    settings().hotKeyField().SetHotKey(VK_F10, HOTKEYF_CONTROL);
    settings().enableBox().SetCheck(BST_CHECKED);
    for (const POINT at : {POINT{248 + 30, 62 + 10}, POINT{351 - 35 + 10, 15}}) {  // confirm, then the cross
        click(panel, at.x, at.y);
        // The panel stays open and says why; the key is still there to change.
        EXPECT_TRUE(styleVisible(panel));
        EXPECT_TRUE(IsWindowVisible(note));
        EXPECT_EQ(windowText(note), u8"该组合键已被其他程序占用，请换一个");
        WORD key = 0, flags = 0;
        settings().hotKeyField().GetHotKey(key, flags);
        EXPECT_EQ(key, VK_F10);
        // The previous key is kept, and let go of while the panel is open.
        EXPECT_EQ(launcher_->bossKey().virtualKey(), VK_F9);
        EXPECT_EQ(launcher_->bossKey().modifiers(), MOD_CONTROL);
        EXPECT_FALSE(hotKeyTaken(MOD_CONTROL, VK_F9));
    }

    // Another key is taken, and the note goes.
    settings().hotKeyField().SetHotKey(VK_F11, HOTKEYF_CONTROL);
    click(panel, 248 + 30, 62 + 10);
    EXPECT_FALSE(styleVisible(panel));
    EXPECT_FALSE(IsWindowVisible(note));
    EXPECT_EQ(launcher_->bossKey().virtualKey(), VK_F11);
    EXPECT_TRUE(hotKeyTaken(MOD_CONTROL, VK_F11));
    EXPECT_FALSE(hotKeyTaken(MOD_CONTROL, VK_F9));

    // Refused while the panel is away (an operation call), the previous key
    // stays registered and working.
    EXPECT_FALSE(launcher_->SetBossKey(true, VK_F10, HOTKEYF_CONTROL));
    EXPECT_EQ(launcher_->bossKey().virtualKey(), VK_F11);
    EXPECT_TRUE(hotKeyTaken(MOD_CONTROL, VK_F11));
    UnregisterHotKey(nullptr, 0x7E00);
    launcher_->SetBossKey(false, 0, 0);
}

// ---- Web page panel: drag strip and close button ----------------------------

TEST_F(PanelTest, WebPageHeaderDragsAndTheCloseButtonStartsRightAfterIt) {
    const HWND panel = webPage().m_hWnd;
    webPage().MoveWindow(300, 50, 434, 413, TRUE);
    struct HitCase {
        int x, y;
        LRESULT expected;
    };
    const HitCase hits[] = {{0, 0, HTCAPTION},   {399, 10, HTCAPTION}, {10, 29, HTCAPTION},
                            {400, 10, HTCLIENT}, {10, 30, HTCLIENT},  {420, 200, HTCLIENT}};
    for (const HitCase& h : hits) {
        EXPECT_EQ(SendMessageA(panel, WM_NCHITTEST, 0, pointParam(300 + h.x, 50 + h.y)), h.expected)
            << h.x << "," << h.y;
    }
    struct PressCase {
        int x, y;
        bool hides;
    };
    // Close image at 399..426 x 5..29; its hit box starts one pixel in.
    const PressCase presses[] = {{399, 10, false}, {400, 10, true}, {426, 29, true}, {427, 10, false},
                                 {410, 5, false},  {100, 100, false}};
    for (const PressCase& p : presses) {
        webPage().ShowWindow(SW_SHOWNA);
        click(panel, p.x, p.y);
        EXPECT_EQ(!styleVisible(panel), p.hides) << p.x << "," << p.y;
    }
    webPage().ShowWindow(SW_HIDE);
}

// ---- Control colours ----------------------------------------------------------

TEST_F(PanelTest, SkinColoursOnSettingsAndExitPanelsOnly) {
    struct Case {
        const char* what;
        HWND panel;
        HWND control;
        UINT message;
        bool skinned;
    };
    const Case cases[] = {
        {"settings check box", settings().m_hWnd, settings().GetDlgItem(IDC_BOSS_ENABLE), WM_CTLCOLORBTN, true},
        {"settings static", settings().m_hWnd, nullptr, WM_CTLCOLORSTATIC, true},
        {"settings dialog", settings().m_hWnd, settings().m_hWnd, WM_CTLCOLORDLG, true},
        {"exit text", exitPanel().m_hWnd, exitPanel().GetDlgItem(IDC_EXIT_TEXT), WM_CTLCOLORSTATIC, true},
        {"server list edit", serverList().m_hWnd, serverList().serverListHandle(), WM_CTLCOLOREDIT, false},
        {"server list dialog", serverList().m_hWnd, serverList().m_hWnd, WM_CTLCOLORDLG, false},
    };
    HDC screen = GetDC(nullptr);
    for (const Case& c : cases) {
        HDC dc = CreateCompatibleDC(screen);
        SetTextColor(dc, RGB(1, 2, 3));
        SetBkMode(dc, OPAQUE);
        const LRESULT brush = SendMessageA(c.panel, c.message, reinterpret_cast<WPARAM>(dc),
                                           reinterpret_cast<LPARAM>(c.control));
        if (c.skinned) {
            EXPECT_EQ(reinterpret_cast<HGDIOBJ>(brush), GetStockObject(NULL_BRUSH)) << c.what;
            EXPECT_EQ(GetTextColor(dc), RGB(198, 170, 102)) << c.what;
            EXPECT_EQ(GetBkMode(dc), TRANSPARENT) << c.what;
        } else {
            EXPECT_NE(reinterpret_cast<HGDIOBJ>(brush), GetStockObject(NULL_BRUSH)) << c.what;
            EXPECT_NE(GetTextColor(dc), RGB(198, 170, 102)) << c.what;
        }
        DeleteDC(dc);
    }
    ReleaseDC(nullptr, screen);
}

// ---- Backgrounds ------------------------------------------------------------

// A control's window rectangle in its panel's client coordinates, grown by
// `margin` on every side.
RECT childBox(HWND panel, int id, int margin) {
    RECT r = windowRect(GetDlgItem(panel, id));
    MapWindowPoints(nullptr, panel, reinterpret_cast<POINT*>(&r), 2);
    InflateRect(&r, margin, margin);
    return r;
}

// True when the client point lies in one of the panel's child windows or in
// one of the boxes.
bool covered(HWND panel, POINT p, const std::vector<RECT>& boxes) {
    for (const RECT& box : boxes) {
        if (PtInRect(&box, p)) return true;
    }
    for (HWND child = GetWindow(panel, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!styleVisible(child)) continue;
        RECT r = windowRect(child);
        MapWindowPoints(nullptr, panel, reinterpret_cast<POINT*>(&r), 2);
        if (PtInRect(&r, p)) return true;
    }
    return false;
}

// Compares the panel's pixels with `expected(x, y)` over a grid of client
// points that no control or listed box covers. Returns how many matched and
// how many were compared.
std::pair<int, int> comparePixels(HWND panel, int width, int height, const std::vector<RECT>& boxes,
                                  const std::function<COLORREF(int, int)>& expected) {
    RedrawWindow(panel, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    pumpMessages();
    int matched = 0, compared = 0;
    HDC dc = GetDC(panel);
    for (int y = 1; y < height; y += 7) {
        for (int x = 1; x < width; x += 11) {
            if (covered(panel, POINT{x, y}, boxes)) continue;
            ++compared;
            if (GetPixel(dc, x, y) == expected(x, y)) ++matched;
        }
    }
    ReleaseDC(panel, dc);
    return {matched, compared};
}

// A copy of a bitmap's pixels (the bitmap itself stays free to be selected
// into the panel's own device contexts while it paints).
class BitmapPixels {
public:
    explicit BitmapPixels(HBITMAP bitmap) {
        const SIZE size = tarvo::bitmapSize(bitmap);
        width_ = size.cx;
        height_ = size.cy;
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width_;
        info.bmiHeader.biHeight = -height_;  // top-down rows
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        pixels_.resize(static_cast<size_t>(width_) * static_cast<size_t>(height_));
        HDC screen = GetDC(nullptr);
        GetDIBits(screen, bitmap, 0, static_cast<UINT>(height_), pixels_.data(), &info, DIB_RGB_COLORS);
        ReleaseDC(nullptr, screen);
    }
    COLORREF at(int x, int y) const {
        if (x < 0 || y < 0 || x >= width_ || y >= height_) return CLR_INVALID;
        const DWORD bgr = pixels_[static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)];
        return RGB((bgr >> 16) & 0xFF, (bgr >> 8) & 0xFF, bgr & 0xFF);
    }

private:
    int width_ = 0, height_ = 0;
    std::vector<DWORD> pixels_;
};

TEST_F(PanelTest, BackgroundBitmapIsCopiedUnscaledAtTheTopLeftCorner) {
    launcher_->MoveWindow(0, 0, 1024, 738, TRUE);
    exitPanel().MoveWindow(300, 250, 290, 133, TRUE);
    struct Case {
        const char* what;
        tarvo::CDialog* panel;
        HBITMAP bitmap;
        int width, height;  // the panel's window
        std::vector<RECT> buttons;
    };
    const Case cases[] = {
        {"server list", &serverList(), serverList().background(), 299, 66, {RECT{220, 32, 280, 55}}},
        {"settings", &settings(), settings().background(), 351, 166,
         {RECT{316, 5, 344, 30}, RECT{248, 62, 308, 85}, childBox(settings().m_hWnd, IDC_BOSS_HOTKEY, 2)}},
        {"exit (top-left 290 x 133 of 351 x 166)", &exitPanel(), exitPanel().background(), 290, 133,
         {RECT{170, 90, 230, 113}, RECT{70, 90, 130, 113}}},
    };
    for (const Case& c : cases) {
        c.panel->ShowWindow(SW_SHOWNA);
        BitmapPixels bitmap(c.bitmap);
        const auto [matched, compared] =
            comparePixels(c.panel->m_hWnd, c.width, c.height, c.buttons, [&](int x, int y) { return bitmap.at(x, y); });
        EXPECT_GT(compared, 60) << c.what;
        EXPECT_EQ(matched, compared) << c.what;
        // A copy shifted by one pixel would not match: the artwork varies.
        const auto [shifted, total] = comparePixels(c.panel->m_hWnd, c.width, c.height, c.buttons,
                                                    [&](int x, int y) { return bitmap.at(x + 1, y + 1); });
        EXPECT_LT(shifted, total) << c.what;
        c.panel->ShowWindow(SW_HIDE);
    }
}

TEST_F(PanelTest, WebPageHeaderRepeatsEveryBitmapWidth) {
    webPage().MoveWindow(200, 40, 434, 413, TRUE);
    webPage().ShowWindow(SW_SHOWNA);
    BitmapPixels header(webPage().header());
    RedrawWindow(webPage().m_hWnd, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    pumpMessages();
    HDC dc = GetDC(webPage().m_hWnd);
    int compared = 0;
    for (int y : {0, 2, 4}) {
        for (int x : {0, 50, 150, 223, 224, 225, 300, 398}) {
            EXPECT_EQ(GetPixel(dc, x, y), header.at(x % 224, y)) << x << "," << y;
            ++compared;
        }
    }
    ReleaseDC(webPage().m_hWnd, dc);
    EXPECT_EQ(compared, 24);
    webPage().ShowWindow(SW_HIDE);
}


TEST_F(PanelTest, BossKeyFieldIsFramedAndShowsTheChosenKeyInTheSkinColour) {
    constexpr COLORREF kSkin = RGB(198, 170, 102);
    settings().PlaceNearOwner();
    const HWND panel = settings().m_hWnd;
    const RECT field = childBox(panel, IDC_BOSS_HOTKEY, 0);
    const RECT frame = childBox(panel, IDC_BOSS_HOTKEY, 1);
    const struct {
        const char* what;
        WORD key;
        WORD flags;
        const char* text;
    } cases[] = {
        {"empty", 0, 0, "无"},
        {"Ctrl+Alt+K", 'K', HOTKEYF_CONTROL | HOTKEYF_ALT, "Ctrl + Alt + K"},
        {"Shift+F9", VK_F9, HOTKEYF_SHIFT, "Shift + F9"},
    };
    int previousInk = -1;
    for (const auto& c : cases) {
        settings().hotKeyField().SetHotKey(c.key, c.flags);
        EXPECT_EQ(CMyCfgDlg::HotKeyText(c.key, c.flags), c.text) << c.what;
        // Shown from somewhere else, as the caption button shows it: the
        // panel places itself as it is shown.
        settings().MoveWindow(0, 0, 100, 100, FALSE);
        settings().ShowWindow(SW_SHOWNA);
        pumpMessages();
        // The player clicks into the field and ticks the box.
        SendMessageA(GetDlgItem(panel, IDC_BOSS_HOTKEY), WM_LBUTTONDOWN, MK_LBUTTON, pointParam(5, 5));
        SendMessageA(GetDlgItem(panel, IDC_BOSS_HOTKEY), WM_LBUTTONUP, 0, pointParam(5, 5));
        SendMessageA(GetDlgItem(panel, IDC_BOSS_ENABLE), BM_CLICK, 0, 0);
        SendMessageA(GetDlgItem(panel, IDC_BOSS_ENABLE), BM_CLICK, 0, 0);
        pumpMessages();
        RedrawWindow(panel, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        const Pixels shown = Pixels::OfClient(panel);
        ASSERT_TRUE(shown.ok());

        // A frame in the skin colour on all four sides of the field.
        const int width = frame.right - frame.left;
        const int height = frame.bottom - frame.top;
        EXPECT_EQ(pixelsOfColour(shown, RECT{frame.left, frame.top, frame.right, frame.top + 1}, kSkin), width) << c.what;
        EXPECT_EQ(pixelsOfColour(shown, RECT{frame.left, frame.bottom - 1, frame.right, frame.bottom}, kSkin), width)
            << c.what;
        EXPECT_EQ(pixelsOfColour(shown, RECT{frame.left, frame.top, frame.left + 1, frame.bottom}, kSkin), height)
            << c.what;
        EXPECT_EQ(pixelsOfColour(shown, RECT{frame.right - 1, frame.top, frame.right, frame.bottom}, kSkin), height)
            << c.what;

        // The prompt beside the field stays readable over the bitmap.
        const HWND prompt = FindWindowExA(panel, nullptr, "Static", nullptr);
        ASSERT_NE(prompt, nullptr);
        RECT promptBox = windowRect(prompt);
        MapWindowPoints(nullptr, panel, reinterpret_cast<POINT*>(&promptBox), 2);
        EXPECT_GT(pixelsOfColour(shown, promptBox, kSkin), 10) << c.what;

        // The key's text inside, in the skin colour; a longer text has more ink.
        const RECT inside{field.left + 1, field.top + 1, field.right - 1, field.bottom - 1};
        const int ink = pixelsOfColour(shown, inside, kSkin);
        EXPECT_GT(ink, 10) << c.what;
        EXPECT_NE(ink, previousInk) << c.what;
        previousInk = ink;
        settings().ShowWindow(SW_HIDE);
    }
    settings().hotKeyField().SetHotKey(0, 0);
}

}  // namespace
