// The real launcher with the client stand-in: it ends when the game window
// goes, and ends the client when it is shut down. (Leaving through the exit
// panel is covered with the exit panel's own tests.)
#include "e2e/launcher_run_win.h"

#include <gtest/gtest.h>

#include "support/tray_keeper_win.h"

#include <optional>

namespace {

using namespace tarvo_test;

InstallOptions withSettings() {
    InstallOptions options;
    options.httpCfg = kExampleSettings;
    return options;
}


// The client stand-in's process, found through the game window it has put
// into the launcher's host panel.
struct GameClient {
    HWND gameWindow = nullptr;
    HANDLE process = nullptr;

    GameClient() = default;
    GameClient(const GameClient&) = delete;
    GameClient& operator=(const GameClient&) = delete;
    ~GameClient() {
        if (!process) return;
        if (WaitForSingleObject(process, 0) == WAIT_TIMEOUT) TerminateProcess(process, 1);
        CloseHandle(process);
    }

    bool find(HWND hostPanel) {
        waitUntil([&] { return (gameWindow = findDescendant(hostPanel, "TarvoGameView", nullptr)) != nullptr; },
                  15000);
        if (!gameWindow) return false;
        DWORD pid = 0;
        GetWindowThreadProcessId(gameWindow, &pid);
        process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_TERMINATE, FALSE, pid);
        return process != nullptr;
    }
    // The exit code once the process has ended within the time, else nothing.
    std::optional<DWORD> exitCode(int timeoutMs) const {
        if (WaitForSingleObject(process, static_cast<DWORD>(timeoutMs)) != WAIT_OBJECT_0) return std::nullopt;
        DWORD code = 0;
        GetExitCodeProcess(process, &code);
        return code;
    }
};

TEST(WindowBehaviour, LauncherEndsWithinTwoWatchdogTicksOfTheGameWindowClosing) {
    InstallDir install(withSettings());
    ASSERT_TRUE(install.ok()) << install.error();
    LauncherRun run;
    ASSERT_TRUE(run.start(install, kExampleParameters, "",
                          {{"TARVO_STUB_READY_DELAY_MS", "200"}, {"TARVO_STUB_CLOSE_AFTER_MS", "3000"}}));
    HWND launcher = run.window();
    ASSERT_NE(launcher, nullptr);
    GameClient client;
    ASSERT_TRUE(client.find(run.hostPanel(launcher)));

    TrayKeeper trayKeeper;
    ASSERT_TRUE(waitUntil([&] { return !IsWindow(client.gameWindow); }, 15000));
    const DWORD closed = GetTickCount();
    // The shut-down takes the launcher window down as soon as the loop has
    // ended; the process itself lingers while Wine waits for the unmapping.
    ASSERT_TRUE(waitUntil([&] { return !IsWindow(launcher) || !IsWindowVisible(launcher); }, 5000));
    EXPECT_LE(GetTickCount() - closed, 1500u) << "two 500 ms watchdog ticks and some slack";
    EXPECT_TRUE(run.process.waitExit(10000).has_value()) << "the launcher should end once the game window is gone";
    EXPECT_TRUE(client.exitCode(5000).has_value()) << "the client process should be gone";
}

TEST(WindowBehaviour, ShutDownEndsTheClientProcess) {
    InstallDir install(withSettings());
    ASSERT_TRUE(install.ok()) << install.error();
    LauncherRun run;
    // The stand-in ends itself with 7; ended by the launcher it gives 0.
    ASSERT_TRUE(run.start(install, kExampleParameters, "",
                          {{"TARVO_STUB_READY_DELAY_MS", "200"}, {"TARVO_STUB_EXIT_CODE", "7"}}));
    HWND launcher = run.window();
    ASSERT_NE(launcher, nullptr);
    GameClient client;
    ASSERT_TRUE(client.find(run.hostPanel(launcher)));

    // The quit message ends the launcher's loop as the watchdog's does.
    PostMessageA(launcher, WM_QUIT, 0, 0);
    ASSERT_TRUE(run.process.waitExit(10000).has_value());
    EXPECT_EQ(client.exitCode(5000), std::optional<DWORD>(0));
}

} // namespace
