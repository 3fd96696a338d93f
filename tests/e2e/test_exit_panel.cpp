// Leaving through the exit panel: the real launcher in a temporary install,
// its close button (caption button 7) opening the panel, and the panel's
// confirm button ending the process with exit code 0 while the game client
// keeps running.
#include "e2e/launcher_run_win.h"

#include "res/resource.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace tarvo_test;

const char kExitText[] = u8"纵横玄洲壮志未酬是否要放弃征战？";
const char kLaunchFailure[] = u8"启动Launch失败, 请关闭防火墙后再启动游戏。";
const char kLaunchFailureCaption[] = u8"失败";

// The launcher started with or without Launch.exe beside it, and the game
// client it started.
struct ExitRun : LaunchedLauncher {
    OpenedProcess client;

    explicit ExitRun(bool withLaunch) : LaunchedLauncher(options(withLaunch)) {}

    static InstallOptions options(bool withLaunch) {
        InstallOptions options = withSettings();
        options.launch = withLaunch;
        return options;
    }

    // Starts the launcher and waits for its window and its client.
    ::testing::AssertionResult start() {
        ::testing::AssertionResult started = LaunchedLauncher::start({{"TARVO_STUB_MAX_LIFE_MS", "120000"}, clientOwnExitCode()});
        if (!started) return started;
        if (run.clientCommandLine().empty()) return ::testing::AssertionFailure() << "the client did not start";
        client = OpenedProcess(childProcessOf(pid(), "TarvoWebEntry.exe"));
        if (!client.valid()) return ::testing::AssertionFailure() << "client process not found";
        return ::testing::AssertionSuccess();
    }
};

TEST(ExitPanel, ConfirmStartsLaunchAndEndsTheLauncherLeavingTheClientRunning) {
    ExitRun exit(true);
    ASSERT_TRUE(exit.start());

    HWND panel = openExitPanel(exit.pid(), exit.window);
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(question(panel), kExitText);
    pressConfirm(panel);

    const std::optional<DWORD> code = exit.run.process.waitExit(15000);
    ASSERT_TRUE(code.has_value()) << "the launcher is still running";
    EXPECT_EQ(*code, 0u);
    EXPECT_TRUE(clientNotEndedByLauncher(exit.client)) << "the game client was ended";

    // Launch.exe ran from the install directory with its command line.
    std::vector<std::string> lines;
    EXPECT_TRUE(waitUntil(
        [&] {
            lines = readLines(exit.run.stubLog);
            for (const std::string& line : lines) {
                if (line == "tarvolunch-start") return true;
            }
            return false;
        },
        10000));
    bool launchLogged = false;
    for (size_t i = 0; i + 1 < lines.size(); ++i) {
        if (lines[i] == "tarvolunch-start") {
            launchLogged = true;
            EXPECT_EQ(lstrcmpiA(lines[i + 1].c_str(), exit.install.path().c_str()), 0) << lines[i + 1];
        }
    }
    EXPECT_TRUE(launchLogged);
    EXPECT_FALSE(waitForMessageBox(exit.pid(), 0).has_value());
}

TEST(ExitPanel, ConfirmWithoutLaunchReportsTheFailureThenEndsTheLauncher) {
    ExitRun exit(false);
    ASSERT_TRUE(exit.start());

    HWND panel = openExitPanel(exit.pid(), exit.window);
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(question(panel), kExitText);
    pressConfirm(panel);

    const std::optional<MessageBoxSeen> box = waitForMessageBox(exit.pid(), 15000);
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->text, kLaunchFailure);
    EXPECT_EQ(box->caption, kLaunchFailureCaption);
    EXPECT_EQ(box->owner, nullptr);
    // The launcher waits for the player's answer.
    EXPECT_FALSE(exit.run.process.waitExit(300).has_value());
    confirmMessageBox(box->hwnd);

    const std::optional<DWORD> code = exit.run.process.waitExit(15000);
    ASSERT_TRUE(code.has_value()) << "the launcher is still running";
    EXPECT_EQ(*code, 0u);
    EXPECT_TRUE(clientNotEndedByLauncher(exit.client)) << "the game client was ended";
}

}  // namespace
