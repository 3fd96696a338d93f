// The launcher at the display's scale: run in the usual prefix (96 dpi) and
// again in prefixes whose system DPI is 144 and 192 (TARVO_EXPECT_DPI says
// which). Everything must lie inside its panel, every text must fit its
// label, the artwork must come from the set for the DPI, and a DPI change
// while running must lay everything out again and leave nothing behind.
#include "launcher/launcher_dlg_win.h"
#include "framework/dpi_win.h"
#include "framework/text_win.h"
#include "panels/exit_panel_win.h"
#include "panels/game_host_panel_win.h"
#include "panels/server_list_panel_win.h"
#include "panels/settings_panel_win.h"
#include "panels/web_page_panel_win.h"
#include "resource.h"
#include "support/pixels_win.h"
#include "support/test_support_win.h"
#include "support/tray_keeper_win.h"
#include "support/window_probes_win.h"
#include "window/button_table.h"
#include "window/dpi_scale.h"
#include "window/rect_win.h"
#include "window/skin_button_win.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <ostream>
#include <string>

using namespace tarvo_test;

namespace {

class ScaledLauncher : public CLauncherDlg {
protected:
    void runStartupSequence() override {}
    void OpenAddress(const std::string&) override {}
};

bool inside(const RECT& outer, const RECT& inner) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

bool overlap(const RECT& a, const RECT& b) {
    RECT common{};
    return IntersectRect(&common, &a, &b) != FALSE;
}

// A window's rectangle in its parent's (or owner's) client coordinates.
RECT rectIn(HWND window, HWND reference) {
    RECT r = windowRect(window);
    MapWindowPoints(nullptr, reference, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// The size the control's text takes in the control's font: wrapped at the
// control's width when it is a multi-line static, on one line otherwise.
SIZE textExtent(HWND control) {
    wchar_t text[256] = {};
    const int length = GetWindowTextW(control, text, 256);
    RECT client{};
    GetClientRect(control, &client);
    const HDC dc = GetDC(control);
    const HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    RECT box{0, 0, client.right, 0};
    DrawTextW(dc, text, length, &box, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(dc, previous);
    ReleaseDC(control, dc);
    return SIZE{box.right, box.bottom};
}

::testing::AssertionResult textFits(HWND control, const char* what) {
    RECT client{};
    GetClientRect(control, &client);
    const SIZE need = textExtent(control);
    if (need.cx <= client.right && need.cy <= client.bottom) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << what << ": the text needs " << need.cx << " x " << need.cy
                                         << ", the label is " << client.right << " x " << client.bottom;
}

int fontHeight(HFONT font) {
    LOGFONTW face{};
    GetObjectW(font, sizeof(face), &face);
    return face.lfHeight;
}

void repaint(HWND window) {
    RedrawWindow(window, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

int expectedDpi() {
    const char* value = std::getenv("TARVO_EXPECT_DPI");
    return value && *value ? std::atoi(value) : 0;
}

class ScaledLayout : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        OleInitialize(nullptr);
        trayKeeper_ = new TrayKeeper;
    }
    static void TearDownTestSuite() {
        delete trayKeeper_;
        trayKeeper_ = nullptr;
    }

    void SetUp() override {
        launcher = std::make_unique<ScaledLauncher>();
        ASSERT_TRUE(launcher->Create(IDD_LAUNCHER_DIALOG, nullptr));
        hwnd = launcher->m_hWnd;
        KillTimer(hwnd, kWatchdogTimerId);
        KillTimer(hwnd, kProgressTimerId);
        launcher->ShowPlayerName("玄洲游侠");
        launcher->ShowServerName(L"一区 玄洲");
        SendMessageW(hwnd, WM_TIMER, kProgressTimerId, 0);  // places the progress labels
        launcher->RunCaptionAction(kButtonExit);
        pumpMessages();
    }
    void TearDown() override {
        if (launcher && launcher->m_hWnd) launcher->DestroyWindow();
        pumpMessages();
    }

    HWND control(int id) const { return GetDlgItem(hwnd, id); }
    CExitDlg& exitPanel() const { return *launcher->panels().exit(); }
    HWND exitText() const { return GetDlgItem(exitPanel().m_hWnd, IDC_EXIT_TEXT); }

    std::unique_ptr<ScaledLauncher> launcher;
    HWND hwnd = nullptr;

private:
    static TrayKeeper* trayKeeper_;
};

TrayKeeper* ScaledLayout::trayKeeper_ = nullptr;

TEST_F(ScaledLayout, RunsAtTheSystemDpi) {
    const int expected = expectedDpi();
    if (expected == 0) GTEST_SKIP() << "no DPI expected for this prefix";
    EXPECT_EQ(launcher->dpi(), expected);
    EXPECT_EQ(tarvo::windowDpi(hwnd), expected);
    for (const tarvo::CDialog* panel : launcher->panels().all()) {
        EXPECT_EQ(static_cast<const CSkinnedPanel*>(panel)->Dpi(), expected);
    }
}

TEST_F(ScaledLayout, EveryControlLiesInsideItsPanel) {
    CSkinnedPanel* panels[] = {launcher->panels().serverList(), launcher->panels().settings(),
                               launcher->panels().exit(), launcher->panels().webPage()};
    for (CSkinnedPanel* panel : panels) ASSERT_NE(panel, nullptr);
    launcher->panels().serverList()->ShowWindow(SW_SHOW);
    launcher->panels().settings()->ShowWindow(SW_SHOW);
    launcher->RunCaptionAction(kButtonWebPage);  // the launcher places it when it shows it
    pumpMessages();
    for (CSkinnedPanel* panel : panels) {
        RECT client{};
        GetClientRect(panel->m_hWnd, &client);
        for (HWND child = GetWindow(panel->m_hWnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            EXPECT_TRUE(inside(client, rectIn(child, panel->m_hWnd)))
                << "control " << GetDlgCtrlID(child) << " at " << describeRect(rectIn(child, panel->m_hWnd)) << " of a panel "
                << client.right << " x " << client.bottom;
        }
        for (const auto& button : panel->buttons()) {
            EXPECT_TRUE(inside(client, toRECT(button->DrawRect()))) << "button " << button->Index();
        }
    }
}

TEST_F(ScaledLayout, EveryTextFitsItsLabelAndNothingCoversIt) {
    EXPECT_TRUE(textFits(control(IDC_PLAYER_NAME), "player name"));
    EXPECT_TRUE(textFits(control(IDC_PROGRESS_TEXT), "initialising text"));
    EXPECT_TRUE(textFits(control(IDC_PROGRESS_PERCENT), "percentage"));
    EXPECT_TRUE(textFits(control(IDC_MESSAGE_LABEL), "server name"));
    EXPECT_TRUE(textFits(exitText(), "exit question"));
    const HWND settings = launcher->panels().settings()->m_hWnd;
    for (HWND child = GetWindow(settings, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t className[16] = {};
        GetClassNameW(child, className, 16);
        if (lstrcmpiW(className, L"Static") == 0) EXPECT_TRUE(textFits(child, "settings label"));
    }

    // The game host panel starts below the name, and the exit question
    // stands clear of the panel's buttons.
    const HWND host = launcher->gameHostPanel()->m_hWnd;
    EXPECT_LE(windowRect(control(IDC_PLAYER_NAME)).bottom, windowRect(host).top);
    const RECT question = rectIn(exitText(), exitPanel().m_hWnd);
    for (const auto& button : exitPanel().buttons()) {
        EXPECT_FALSE(overlap(question, toRECT(button->DrawRect())))
            << "question " << describeRect(question) << ", button " << button->Index() << " "
            << describeRect(toRECT(button->DrawRect()));
    }
}

TEST_F(ScaledLayout, ArtworkComesFromTheSetForTheDpi) {
    const int dpi = launcher->dpi();
    if (dpi != 96 && dpi != 144 && dpi != 192) GTEST_SKIP() << "between sets at " << dpi << " dpi";
    CSkinButton& mainSite = *launcher->captionButtons()[kButtonMainSite];
    Pixels shown = Pixels::OfBitmap(mainSite.NormalBitmap());
    tarvo::Bitmap own = tarvo::loadBitmapResource(artResourceId(IDB_BTN_MAINSITE_NORMAL, artScaleForDpi(dpi)));
    Pixels set = Pixels::OfBitmap(own.get());
    ASSERT_EQ(shown.width(), scaleToDpi(64, dpi));
    ASSERT_EQ(shown.height(), scaleToDpi(29, dpi));
    ASSERT_EQ(set.width(), shown.width());
    EXPECT_EQ(differingPixels(shown, set, RECT{0, 0, shown.width(), shown.height()}), 0);
}

// A DPI change while running (a move to another monitor, or the scale
// changed): to 144 and back. The layout and the fonts follow, and back at
// 96 the window is what it was, to the pixel.
TEST_F(ScaledLayout, DpiChangeLaysOutAgainAndBackLeavesNothing) {
    if (launcher->dpi() != 96) GTEST_SKIP() << "starts at 96 dpi";
    repaint(hwnd);
    const RECT window = windowRect(hwnd);
    RECT client{};
    GetClientRect(hwnd, &client);
    const RECT strip{0, 0, client.right, 50};
    Pixels before = Pixels::OfClient(hwnd);
    const RECT nameBefore = rectIn(control(IDC_PLAYER_NAME), hwnd);
    const RECT exitBefore = windowRect(exitPanel().m_hWnd);
    const RECT exitTextBefore = rectIn(exitText(), exitPanel().m_hWnd);
    const int labelFontBefore = fontHeight(launcher->labelFont());

    RECT suggested = window;
    SendMessageW(hwnd, tarvo::kDpiChangedMessage, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    pumpMessages();
    EXPECT_EQ(launcher->dpi(), 144);
    EXPECT_EQ(exitPanel().Dpi(), 144);
    // Full size stays full size; the allowance for a taskbar that is not
    // there (32 pixels at 96 dpi) scales.
    const RECT full{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN) - 48};
    EXPECT_TRUE(sameRect(windowRect(hwnd), full)) << describeRect(windowRect(hwnd));
    GetClientRect(hwnd, &client);
    const Rect exitButton = launcher->captionButtons()[kButtonExit]->DrawRect();
    EXPECT_EQ(exitButton.left, client.right - 50);
    EXPECT_EQ(exitButton.top, 2);
    EXPECT_EQ(exitButton.width(), 42);
    EXPECT_EQ(exitButton.height(), 38);
    EXPECT_EQ(rectIn(launcher->gameHostPanel()->m_hWnd, hwnd).top, 75);
    EXPECT_EQ(fontHeight(launcher->labelFont()), 21);
    EXPECT_EQ(fontHeight(exitPanel().textFont()), 21);
    const RECT exitNow = windowRect(exitPanel().m_hWnd);
    EXPECT_EQ(exitNow.right - exitNow.left, 435);
    EXPECT_EQ(exitNow.bottom - exitNow.top, 200);
    const RECT nameNow = rectIn(control(IDC_PLAYER_NAME), hwnd);
    EXPECT_NEAR(nameNow.left, nameBefore.left * 3 / 2, 1);
    EXPECT_NEAR(nameNow.right - nameNow.left, (nameBefore.right - nameBefore.left) * 3 / 2, 1);
    EXPECT_TRUE(textFits(control(IDC_PLAYER_NAME), "player name at 144"));
    EXPECT_TRUE(textFits(exitText(), "exit question at 144"));
    EXPECT_LE(windowRect(control(IDC_PLAYER_NAME)).bottom, windowRect(launcher->gameHostPanel()->m_hWnd).top);

    SendMessageW(hwnd, tarvo::kDpiChangedMessage, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&suggested));
    pumpMessages();
    EXPECT_EQ(launcher->dpi(), 96);
    EXPECT_TRUE(sameRect(windowRect(hwnd), window));
    EXPECT_TRUE(sameRect(rectIn(control(IDC_PLAYER_NAME), hwnd), nameBefore));
    EXPECT_TRUE(sameRect(windowRect(exitPanel().m_hWnd), exitBefore));
    EXPECT_TRUE(sameRect(rectIn(exitText(), exitPanel().m_hWnd), exitTextBefore));
    EXPECT_EQ(fontHeight(launcher->labelFont()), labelFontBefore);
    repaint(hwnd);
    Pixels after = Pixels::OfClient(hwnd);
    EXPECT_EQ(differingPixels(before, after, strip), 0) << "the title strip is as it was";
}

// The restored window keeps the place and size the system suggests for the
// new DPI: its size in 96-dpi pixels stays.
TEST_F(ScaledLayout, RestoredWindowTakesTheSuggestedPlace) {
    if (launcher->dpi() != 96) GTEST_SKIP() << "starts at 96 dpi";
    launcher->RunCaptionAction(kButtonSizeToggle);
    pumpMessages();
    ASSERT_FALSE(launcher->isMaximised());
    RECT suggested{40, 30, 40 + 1280, 30 + 923};
    SendMessageW(hwnd, tarvo::kDpiChangedMessage, MAKEWPARAM(120, 120), reinterpret_cast<LPARAM>(&suggested));
    pumpMessages();
    EXPECT_TRUE(sameRect(windowRect(hwnd), suggested)) << describeRect(windowRect(hwnd));
    EXPECT_EQ(rectIn(launcher->gameHostPanel()->m_hWnd, hwnd).top, scaleToDpi(50, 120));
    // Between artwork sets: the 150 % set scaled down to the bitmap's size at 120 dpi.
    Pixels mainSite = Pixels::OfBitmap(launcher->captionButtons()[kButtonMainSite]->NormalBitmap());
    EXPECT_EQ(mainSite.width(), 80);
    EXPECT_EQ(mainSite.height(), 36);
}

}  // namespace
