// The launcher's caption under real pointer input: X events on the display,
// through Wine's input handling into the launcher's input queue, as a
// player's hand gives them. The suite runs on the bare X server, again with a
// window manager on its own display (TARVO_EXPECT_WINDOW_MANAGER=1), and on
// displays scaled to 144 and 192 dpi (TARVO_EXPECT_DPI), where every place
// below is its 96-dpi figure scaled.
#include "e2e/launcher_run_win.h"

#include <gtest/gtest.h>

#include "res/resource.h"
#include "support/pointer_input_win.h"

#include <cstdlib>
#include <ostream>

namespace {

using namespace tarvo_test;

// A 96-dpi figure on this display.
int px(int logical) {
    static const int dpi = std::atoi(envOr("TARVO_EXPECT_DPI", "96").c_str());
    return MulDiv(logical, dpi > 0 ? dpi : 96, 96);
}

// The full-size placement: (0, 0), the screen's width and the work height
// (the screen less the launcher's 32-pixel taskbar allowance: neither display
// has a taskbar).
RECT fullSize() {
    return RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN) - px(32)};
}

// The restored placement: 1024 x 738 centred in the work area.
RECT restoredSize() {
    const RECT full = fullSize();
    const LONG left = (full.right - px(1024)) / 2;
    const LONG top = (full.bottom - px(738)) / 2;
    return RECT{left, top, left + px(1024), top + px(738)};
}

// The middle of a caption button of w x h at x pixels from the window's
// right edge and y down.
POINT rightAnchored(const RECT& window, int x, int y, int w, int h) {
    return POINT{window.right - px(x) + px(w) / 2, window.top + px(y) + px(h) / 2};
}

// Caption button 6 (full size / restored size): 28 x 25 at 61 pixels from
// the window's right edge, one pixel down. Its middle:
POINT sizeButton(const RECT& window) {
    return rightAnchored(window, 61, 1, 28, 25);
}

// A point of the caption strip where no button, label or child window is.
POINT bareCaption(const RECT& window) {
    return POINT{window.left + px(300), window.top + px(10)};
}

class Pointer : public ::testing::Test {
protected:
    void SetUp() override {
        if (envOr("TARVO_EXPECT_WINDOW_MANAGER", "") == "1") {
            ASSERT_TRUE(windowManagerRunning()) << "this run expects a window manager on the display";
        }
        ASSERT_TRUE(launched_.start({{"TARVO_STUB_READY_DELAY_MS", "200"}}));
        launcher_ = launched_.window;
        ASSERT_TRUE(waitUntil([&] { return IsWindowVisible(launcher_) && sameRect(windowRect(launcher_), fullSize()); },
                              10000))
            << "the launcher starts at full size; it is at " << describeRect(windowRect(launcher_));
        // The window is in the foreground and the game is shown before the
        // pointer comes near.
        ASSERT_NE(launched_.run.hostPanel(launcher_), nullptr);
        ASSERT_TRUE(pointerMoveTo(640, 600));
    }

    void TearDown() override {
        // A move loop left running by a fault would hold the pointer.
        pointerRelease();
    }

    // Waits for the launcher window to be at `expected`.
    ::testing::AssertionResult reaches(const RECT& expected, int timeoutMs = 5000) {
        if (waitUntil([&] { return sameRect(windowRect(launcher_), expected); }, timeoutMs)) {
            return ::testing::AssertionSuccess();
        }
        return ::testing::AssertionFailure() << "expected " << describeRect(expected) << ", the window is at "
                                             << describeRect(windowRect(launcher_));
    }

    // The window stays at `expected` while the pointer travels about
    // without a button held.
    ::testing::AssertionResult staysAtWhilePointerMoves(const RECT& expected) {
        for (const POINT p : {POINT{400, 500}, POINT{900, 700}, POINT{200, 300}, POINT{700, 650}}) {
            if (!pointerMoveTo(p.x, p.y)) return ::testing::AssertionFailure() << "xdotool failed";
            // Following the pointer would show within this time.
            if (waitUntil([&] { return !sameRect(windowRect(launcher_), expected); }, 400)) {
                return ::testing::AssertionFailure() << "the window followed the pointer to " << p.x << ", " << p.y
                                                     << ": it is at " << describeRect(windowRect(launcher_));
            }
        }
        return ::testing::AssertionSuccess();
    }

    LaunchedLauncher launched_;
    HWND launcher_ = nullptr;
};

// Two quick clicks (press and release with no pause, a touchpad tap) on the
// size button, the second where the button is once the window is restored
// and as soon as a hand could: full size again, and the window does not
// follow the pointer afterwards. Then the same with the restored size
// checked between the clicks.
TEST_F(Pointer, QuickClicksOnTheSizeButtonToggleAndLeaveTheWindowInPlace) {
    const POINT first = sizeButton(fullSize());
    const POINT second = sizeButton(restoredSize());
    // The first change of size in a run takes Wine longest (up to half a
    // second on a 200 % display): one round at a reader's pace comes first.
    ASSERT_TRUE(pointerClick(first.x, first.y));
    ASSERT_TRUE(reaches(restoredSize()));
    ASSERT_TRUE(pointerClick(second.x, second.y));
    ASSERT_TRUE(reaches(fullSize()));
    // Whether the release reaches the launcher before it has handled the
    // press depends on timing; a few rounds make the check reliable.
    for (int round = 0; round < 3; ++round) {
        ASSERT_TRUE(pointerClicks({first, second}, 300));
        ASSERT_TRUE(reaches(fullSize())) << "round " << round;
        ASSERT_TRUE(staysAtWhilePointerMoves(fullSize())) << "round " << round;
    }

    ASSERT_TRUE(pointerClick(first.x, first.y));
    ASSERT_TRUE(reaches(restoredSize()));
    ASSERT_TRUE(staysAtWhilePointerMoves(restoredSize()));
    ASSERT_TRUE(pointerClick(second.x, second.y));
    ASSERT_TRUE(reaches(fullSize()));
    EXPECT_TRUE(staysAtWhilePointerMoves(fullSize()));
}

// The button acts on the press, before any release; the release that
// follows later leaves the window where the action put it.
TEST_F(Pointer, SizeButtonActsOnThePressAndTheReleaseEndsNothingStuck) {
    const POINT button = sizeButton(windowRect(launcher_));
    ASSERT_TRUE(pointerMoveTo(button.x, button.y));
    ASSERT_TRUE(pointerPress());
    EXPECT_TRUE(reaches(restoredSize())) << "the size toggles on the press";
    ASSERT_TRUE(pointerRelease());
    EXPECT_TRUE(staysAtWhilePointerMoves(restoredSize()));
}

// A real drag on the caption moves the window by the pointer's travel, and
// the window stays there once the button is up.
TEST_F(Pointer, CaptionDragMovesTheWindowByThePointersTravel) {
    const RECT start = windowRect(launcher_);
    const POINT from = bareCaption(start);
    const POINT to{from.x + 150, from.y + 100};
    ASSERT_TRUE(pointerDrag(from, to));
    const RECT moved{start.left + 150, start.top + 100, start.right + 150, start.bottom + 100};
    ASSERT_TRUE(reaches(moved));
    EXPECT_TRUE(staysAtWhilePointerMoves(moved));
}

// A double click on the bare caption toggles the size, and a second one
// toggles it back.
TEST_F(Pointer, DoubleClickOnTheCaptionTogglesTheSize) {
    POINT caption = bareCaption(windowRect(launcher_));
    ASSERT_TRUE(pointerDoubleClick(caption.x, caption.y));
    ASSERT_TRUE(reaches(restoredSize()));
    ASSERT_TRUE(staysAtWhilePointerMoves(restoredSize()));

    caption = bareCaption(windowRect(launcher_));
    ASSERT_TRUE(pointerDoubleClick(caption.x, caption.y));
    ASSERT_TRUE(reaches(fullSize()));
    EXPECT_TRUE(staysAtWhilePointerMoves(fullSize()));
}

// The settings and exit buttons open their panels, whose own buttons close
// them again, and the minimise button minimises: each where it is drawn.
TEST_F(Pointer, CaptionAndPanelButtonsAnswerWhereTheyAreDrawn) {
    const DWORD pid = launched_.pid();
    const POINT settings = rightAnchored(windowRect(launcher_), 209, 19, 80, 29);
    ASSERT_TRUE(pointerClick(settings.x, settings.y));
    HWND panel = nullptr;
    ASSERT_TRUE(waitUntil([&] { return (panel = visiblePanelWith(pid, IDC_BOSS_HOTKEY, launcher_)) != nullptr; }, 5000));
    const POINT close = rightAnchored(windowRect(panel), 35, 5, 28, 25);
    ASSERT_TRUE(pointerClick(close.x, close.y));
    EXPECT_TRUE(waitUntil([&] { return !IsWindowVisible(panel); }, 5000)) << "the settings panel's close button";

    const POINT exit = rightAnchored(windowRect(launcher_), 33, 1, 28, 25);
    ASSERT_TRUE(pointerClick(exit.x, exit.y));
    ASSERT_TRUE(waitUntil([&] { return (panel = visiblePanelWith(pid, IDC_EXIT_TEXT, launcher_)) != nullptr; }, 5000));
    // The panel comes up in its place, at its size for the DPI.
    RECT exitPanel{};
    EXPECT_TRUE(waitUntil([&] {
        exitPanel = windowRect(panel);
        return exitPanel.right - exitPanel.left == px(290) && exitPanel.bottom - exitPanel.top == px(133);
    }, 5000)) << "the exit panel is at " << describeRect(exitPanel);
    const POINT cancel{exitPanel.left + px(170) + px(60) / 2, exitPanel.top + px(90) + px(23) / 2};
    ASSERT_TRUE(pointerClick(cancel.x, cancel.y));
    EXPECT_TRUE(waitUntil([&] { return !IsWindowVisible(panel); }, 5000)) << "the exit panel's cancel button";

    const POINT minimise = rightAnchored(windowRect(launcher_), 89, 1, 28, 25);
    ASSERT_TRUE(pointerClick(minimise.x, minimise.y));
    EXPECT_TRUE(waitUntil([&] { return IsIconic(launcher_) != FALSE; }, 5000));
}

}  // namespace
