// The real launcher with the client stand-in: it ends when the game window
// goes, and ends the client when it is shut down. (Leaving through the exit
// panel is covered with the exit panel's own tests.)
#include "e2e/launcher_run_win.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include "support/tray_keeper_win.h"

#include <optional>

namespace {

using namespace tarvo_test;

// The client stand-in's game window in the launcher's host panel, and the
// process that owns it.
struct GameClient {
    HWND gameWindow = nullptr;
    OpenedProcess process;

    bool find(HWND hostPanel) {
        waitUntil([&] { return (gameWindow = findDescendant(hostPanel, "TarvoGameView", nullptr)) != nullptr; },
                  15000);
        if (!gameWindow) return false;
        process = OpenedProcess(windowProcess(gameWindow));
        return process.valid();
    }
};

TEST(WindowBehaviour, LauncherEndsWithinTwoWatchdogTicksOfTheGameWindowClosing) {
    LaunchedLauncher launched;
    ASSERT_TRUE(launched.start({{"TARVO_STUB_READY_DELAY_MS", "200"}, {"TARVO_STUB_CLOSE_AFTER_MS", "3000"}}));
    HWND launcher = launched.window;
    GameClient client;
    ASSERT_TRUE(client.find(launched.run.hostPanel(launcher)));

    TrayKeeper trayKeeper;
    ASSERT_TRUE(waitUntil([&] { return !IsWindow(client.gameWindow); }, 15000));
    const DWORD closed = GetTickCount();
    // The shut-down takes the launcher window down as soon as the loop has
    // ended; the process itself lingers while Wine waits for the unmapping.
    ASSERT_TRUE(waitUntil([&] { return !IsWindow(launcher) || !IsWindowVisible(launcher); }, 5000));
    EXPECT_LE(GetTickCount() - closed, 1500u) << "two 500 ms watchdog ticks and some slack";
    EXPECT_TRUE(launched.run.process.waitExit(10000).has_value())
        << "the launcher should end once the game window is gone";
    EXPECT_TRUE(client.process.waitExit(5000).has_value()) << "the client process should be gone";
}

TEST(WindowBehaviour, AClientThatReportsAtOnceLeavesNoProgressOverTheGame) {
    LaunchedLauncher launched;
    ASSERT_TRUE(launched.start({{"TARVO_STUB_READY_DELAY_MS", "0"}}));
    HWND launcher = launched.window;
    GameClient client;
    ASSERT_TRUE(client.find(launched.run.hostPanel(launcher)));
    HWND host = launched.run.hostPanel(launcher);
    ASSERT_TRUE(waitUntil([&] { return IsWindowVisible(host) != FALSE; }, 10000));
    // Ready: the labels go, and stay gone over many progress ticks.
    for (int i = 0; i < 10; ++i) {
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(launcher, IDC_PROGRESS_TEXT))) << i;
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(launcher, IDC_PROGRESS_PERCENT))) << i;
        Sleep(200);
    }
}

TEST(WindowBehaviour, AnotherProgramsWindowReportedAsTheGameEndsNothing) {
    LaunchedLauncher launched;
    ASSERT_TRUE(launched.start({{"TARVO_STUB_READY_DELAY_MS", "200"}}));
    HWND launcher = launched.window;
    GameClient client;
    HWND host = launched.run.hostPanel(launcher);
    ASSERT_TRUE(client.find(host));
    // The client has reported its window and readiness.
    ASSERT_TRUE(waitUntil([&] { return IsWindowVisible(host) != FALSE; }, 10000));

    // This test program is another program: it hands in a window of its own
    // with the same message number, then closes it.
    HWND foreign = CreateWindowExA(0, "STATIC", "other", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                   GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(foreign, nullptr);
    SendMessageA(launcher, WM_USER + 0x64, reinterpret_cast<WPARAM>(foreign), 0);
    DestroyWindow(foreign);
    Sleep(2000);
    EXPECT_TRUE(IsWindow(launcher));
    EXPECT_FALSE(launched.run.process.waitExit(0).has_value()) << "the launcher should still run";
    EXPECT_FALSE(client.process.waitExit(0).has_value()) << "the client should still run";
    EXPECT_TRUE(IsWindow(client.gameWindow));
}

TEST(WindowBehaviour, ShutDownEndsTheClientProcess) {
    LaunchedLauncher launched;
    // The stand-in ends itself with 7; ended by the launcher it gives 0.
    ASSERT_TRUE(launched.start({{"TARVO_STUB_READY_DELAY_MS", "200"}, {"TARVO_STUB_EXIT_CODE", "7"}}));
    HWND launcher = launched.window;
    GameClient client;
    ASSERT_TRUE(client.find(launched.run.hostPanel(launcher)));

    // The quit message ends the launcher's loop as the watchdog's does.
    PostMessageA(launcher, WM_QUIT, 0, 0);
    ASSERT_TRUE(launched.run.process.waitExit(10000).has_value());
    EXPECT_EQ(client.process.waitExit(5000), std::optional<DWORD>(0));
}

} // namespace
