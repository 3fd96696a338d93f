// Leaving through the exit panel: the real launcher in a temporary install,
// its close button (caption button 7) opening the panel, and the panel's
// confirm button ending the process with exit code 0 while the game client
// keeps running.
#include "e2e/launcher_run_win.h"

#include <gtest/gtest.h>
#include <tlhelp32.h>

#include <string>

namespace {

using namespace tarvo_test;

const char kExitText[] = "纵横玄洲壮志未酬是否要放弃征战？";

// The exit panel: the launcher's top-level dialog holding the question.
HWND findExitPanel(DWORD pid) {
    for (HWND window : topLevelWindows(pid)) {
        if (windowClass(window) == "#32770" && findDescendant(window, "Static", kExitText)) return window;
    }
    return nullptr;
}

// The client stand-in the launcher started: a process of that name whose
// parent is the launcher.
DWORD findClient(DWORD launcherPid) {
    DWORD found = 0;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 0;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        if (entry.th32ParentProcessID == launcherPid && lstrcmpiA(entry.szExeFile, "TarvoWebEntry.exe") == 0) {
            found = entry.th32ProcessID;
            break;
        }
    }
    CloseHandle(snapshot);
    return found;
}

// A process this test caused to start, ended when the test is over.
// The stand-in client's exit code when it ends by itself.
const char kClientOwnExitCode[] = "7";

class StartedProcess {
public:
    explicit StartedProcess(DWORD pid)
        : handle_(pid ? OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION, FALSE, pid)
                      : nullptr) {}
    ~StartedProcess() {
        if (handle_) {
            if (isRunning()) {
                TerminateProcess(handle_, 1);
                WaitForSingleObject(handle_, 5000);
            }
            CloseHandle(handle_);
        }
    }
    StartedProcess(const StartedProcess&) = delete;
    StartedProcess& operator=(const StartedProcess&) = delete;
    bool valid() const { return handle_ != nullptr; }
    bool isRunning() const { return handle_ && WaitForSingleObject(handle_, 0) == WAIT_TIMEOUT; }
    // The client was not ended by the launcher: it still runs, or it ended
    // itself (the stand-in does so once the launcher's window is gone) with
    // its own exit code rather than the launcher's 0.
    bool notEndedByLauncher(DWORD ownExitCode) const {
        DWORD code = 0;
        return isRunning() || (handle_ && GetExitCodeProcess(handle_, &code) && code == ownExitCode);
    }

private:
    HANDLE handle_;
};

// Opens the exit panel through the launcher's close button (caption button
// 7: 28 x 25 pixels, 33 pixels left of the window's right edge, 1 below its
// top) and returns the panel once it shows.
HWND openExitPanel(DWORD pid, HWND launcher) {
    RECT window{};
    GetWindowRect(launcher, &window);
    const int x = window.right - 33 + 10;
    const int y = window.top + 1 + 10;
    PostMessageA(launcher, WM_NCLBUTTONDOWN, HTNOWHERE, MAKELPARAM(x, y));
    PostMessageA(launcher, WM_NCLBUTTONUP, HTNOWHERE, MAKELPARAM(x, y));
    HWND panel = nullptr;
    waitUntil([&] { return (panel = findExitPanel(pid)) != nullptr && styleVisible(panel); }, 10000);
    return panel && styleVisible(panel) ? panel : nullptr;
}

// A press on the confirm button (60 x 23 at 70, 90 in the panel).
void pressConfirm(HWND panel) {
    PostMessageA(panel, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(70 + 20, 90 + 10));
}

struct ExitRun {
    InstallDir install;
    LauncherRun run;
    HWND launcher = nullptr;
    DWORD clientPid = 0;

    explicit ExitRun(bool withLaunch) : install(options(withLaunch)) {}

    static InstallOptions options(bool withLaunch) {
        InstallOptions options;
        options.launch = withLaunch;
        options.httpCfg = kExampleSettings;
        return options;
    }

    // Starts the launcher and waits for its window and its client.
    ::testing::AssertionResult start() {
        if (!install.ok()) return ::testing::AssertionFailure() << install.error();
        if (!run.start(install, kExampleParameters, "",
                       {{"TARVO_STUB_MAX_LIFE_MS", "120000"}, {"TARVO_STUB_EXIT_CODE", kClientOwnExitCode}}))
            return ::testing::AssertionFailure() << run.process.error();
        launcher = run.window();
        if (!launcher) return ::testing::AssertionFailure() << "no launcher window";
        if (run.clientCommandLine().empty()) return ::testing::AssertionFailure() << "the client did not start";
        clientPid = findClient(run.process.pid());
        if (!clientPid) return ::testing::AssertionFailure() << "client process not found";
        return ::testing::AssertionSuccess();
    }
};

TEST(ExitPanel, ConfirmStartsLaunchAndEndsTheLauncherLeavingTheClientRunning) {
    ExitRun exit(true);
    ASSERT_TRUE(exit.start());
    StartedProcess client(exit.clientPid);
    ASSERT_TRUE(client.valid());

    HWND panel = openExitPanel(exit.run.process.pid(), exit.launcher);
    ASSERT_NE(panel, nullptr);
    pressConfirm(panel);

    const std::optional<DWORD> code = exit.run.process.waitExit(15000);
    ASSERT_TRUE(code.has_value()) << "the launcher is still running";
    EXPECT_EQ(*code, 0u);
    EXPECT_TRUE(client.notEndedByLauncher(7)) << "the game client was ended";

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
    EXPECT_FALSE(waitForMessageBox(exit.run.process.pid(), 0).has_value());
}

TEST(ExitPanel, ConfirmWithoutLaunchReportsTheFailureThenEndsTheLauncher) {
    ExitRun exit(false);
    ASSERT_TRUE(exit.start());
    StartedProcess client(exit.clientPid);
    ASSERT_TRUE(client.valid());

    HWND panel = openExitPanel(exit.run.process.pid(), exit.launcher);
    ASSERT_NE(panel, nullptr);
    pressConfirm(panel);

    const std::optional<MessageBoxSeen> box = waitForMessageBox(exit.run.process.pid(), 15000);
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->text, "启动Launch失败, 请关闭防火墙后再启动游戏。");
    EXPECT_EQ(box->caption, "失败");
    EXPECT_EQ(box->owner, nullptr);
    // The launcher waits for the player's answer.
    EXPECT_FALSE(exit.run.process.waitExit(300).has_value());
    confirmMessageBox(box->hwnd);

    const std::optional<DWORD> code = exit.run.process.waitExit(15000);
    ASSERT_TRUE(code.has_value()) << "the launcher is still running";
    EXPECT_EQ(*code, 0u);
    EXPECT_TRUE(client.notEndedByLauncher(7)) << "the game client was ended";
}

}  // namespace
