// The launcher started as the platform starts it: window, client command
// line, pending update, auto-patcher, settings failures.
#include "e2e/launcher_run_win.h"

#include "res/resource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

namespace {

using namespace tarvo_test;

const char kSettingsFailure[] = u8"读取设置文件<http.cfg>失败";
const char kClientFailure[] = u8"启动TarvoWebEntry失败，文件不完整，请重新安装！";
const char kServiceAddress[] = "http://pick.quarrionol.com:8681/pick/multiinfo";
const char kMarkerTail[] =
    "keelmark:/start&k1=1&k2=t:0&k3=web_12_a&k4=4&k5=5&k6=6&k7=7&k8=8&k09=U1&k10=T2&k11=S3#";

std::string handleText(HWND window) {
    return std::to_string(static_cast<long long>(reinterpret_cast<LONG_PTR>(window)));
}

TEST(Startup, StartsTheClientWithItsThirteenWordsAndTheHostPanelsHandle) {
    LaunchedLauncher launched;
    ASSERT_TRUE(launched.start({{"TARVO_STUB_NO_READY", "1"}}));
    LauncherRun& run = launched.run;
    HWND launcher = launched.window;
    HWND host = run.hostPanel(launcher);
    ASSERT_NE(host, nullptr);

    const std::string line = run.clientCommandLine();
    const std::vector<std::string> expected = {
        "1", handleText(host), "1", "none", kServiceAddress, "none", "none", kMarkerTail, "U1", "a", "S3", "T2", "1"};
    EXPECT_EQ(splitWords(line), expected) << line;
    EXPECT_EQ(GetParent(host), launcher);

    // The window covers the work area; the host panel sits below the title
    // strip and stays hidden until the client reports that it is ready.
    RECT window{};
    GetWindowRect(launcher, &window);
    EXPECT_EQ(window.left, 0);
    EXPECT_EQ(window.top, 0);
    EXPECT_EQ(window.right, GetSystemMetrics(SM_CXSCREEN));
    HWND tray = FindWindowA("Shell_TrayWnd", nullptr);
    RECT trayRect{};
    if (tray) GetWindowRect(tray, &trayRect);
    const int allowance = std::max<int>(trayRect.bottom - trayRect.top, 32);  // a bottom or empty taskbar
    EXPECT_EQ(window.bottom, GetSystemMetrics(SM_CYSCREEN) - allowance);

    RECT hostRect{};
    GetWindowRect(host, &hostRect);
    MapWindowPoints(nullptr, launcher, reinterpret_cast<POINT*>(&hostRect), 2);
    EXPECT_EQ(hostRect.left, 0);
    EXPECT_EQ(hostRect.top, 50);
    EXPECT_EQ(hostRect.bottom - hostRect.top, window.bottom - window.top - 50);
    EXPECT_FALSE(styleVisible(host));
}

TEST(Startup, ShowsTheGameOnceTheClientIsReady) {
    LaunchedLauncher launched;
    ASSERT_TRUE(launched.start({{"TARVO_STUB_READY_DELAY_MS", "300"}}));
    HWND host = launched.run.hostPanel(launched.window);
    ASSERT_NE(host, nullptr);
    EXPECT_TRUE(waitUntil([&] { return styleVisible(host); }, 15000));
}

TEST(Startup, EnterDoesNotCloseTheWindow) {
    LaunchedLauncher launched;
    ASSERT_TRUE(launched.start());
    HWND launcher = launched.window;
    PostMessageA(launcher, WM_KEYDOWN, VK_RETURN, 0);
    PostMessageA(launcher, WM_KEYUP, VK_RETURN, 0);
    SendMessageA(launcher, WM_COMMAND, IDOK, 0);
    Sleep(500);
    EXPECT_TRUE(IsWindow(launcher));
    EXPECT_TRUE(launched.run.process.isRunning());
}

TEST(Startup, MissingSettingsFileIsReportedAndTheClientStillStarts) {
    InstallDir install;  // no client\http.cfg
    ASSERT_TRUE(install.ok()) << install.error();
    LauncherRun run;
    ASSERT_TRUE(run.start(install));

    auto box = waitForMessageBox(run.process.pid(), 15000);
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->text, kSettingsFailure);
    EXPECT_EQ(box->caption, "");
    EXPECT_NE(box->owner, nullptr);  // owned by the launcher window
    confirmMessageBox(box->hwnd);

    EXPECT_FALSE(run.clientCommandLine().empty());
    EXPECT_NE(run.window(), nullptr);
}

TEST(Startup, SettingsEntryMissingUnderBothKeysIsReported) {
    InstallDir install(withSettings("GS_MAIN_web=http://127.0.0.1:9/main#:\r\n"));  // GS_BBS_ missing
    ASSERT_TRUE(install.ok()) << install.error();
    LauncherRun run;
    ASSERT_TRUE(run.start(install));
    auto box = waitForMessageBox(run.process.pid(), 15000);
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->text, kSettingsFailure);
    confirmMessageBox(box->hwnd);
    waitUntil([&] { return !IsWindow(box->hwnd); }, 5000);
    // Exactly one message: start-up goes on and the window opens.
    EXPECT_NE(run.window(), nullptr);
    EXPECT_FALSE(waitForMessageBox(run.process.pid(), 1000).has_value());
}

TEST(Startup, MissingClientIsReportedWithTheApplicationsNameAndStartUpGoesOn) {
    InstallOptions options = withSettings();
    options.webEntry = false;
    InstallDir install(options);
    ASSERT_TRUE(install.ok()) << install.error();
    LauncherRun run;
    ASSERT_TRUE(run.start(install));

    auto box = waitForMessageBox(run.process.pid(), 15000);
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->text, kClientFailure);
    EXPECT_EQ(box->caption, "TarvoLaunch");
    confirmMessageBox(box->hwnd);
    HWND launcher = run.window();
    ASSERT_NE(launcher, nullptr);
    EXPECT_TRUE(waitUntil([&] { return styleVisible(launcher); }, 5000));
}

TEST(Startup, PendingUpdateIsInstalledOnceAndRemoved) {
    InstallOptions options = withSettings();
    options.webEntry = false;
    InstallDir install(options);
    ASSERT_TRUE(install.ok()) << install.error();
    ASSERT_TRUE(copyFileTo(toolExe("TarvoWebEntry.exe"), install.file("TarvoWebEntry2.dat")));

    LauncherRun run;
    ASSERT_TRUE(run.start(install, kExampleParameters, "", {{"TARVO_STUB_NO_READY", "1"}}));
    EXPECT_FALSE(run.clientCommandLine().empty());  // the installed update is the client that started
    EXPECT_TRUE(fileExists(install.webEntry()));
    EXPECT_FALSE(fileExists(install.file("TarvoWebEntry2.dat")));
}

TEST(Startup, PendingUpdateThatCannotBeCopiedStaysForTheNextStart) {
    LaunchedLauncher launched;
    const InstallDir& install = launched.install;
    ASSERT_TRUE(writeFile(install.file("TarvoWebEntry2.dat"), "a newer client"));
    const auto before = readFile(install.webEntry());
    // The client file is in use and cannot be overwritten.
    HANDLE inUse = CreateFileA(install.webEntry().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(inUse, INVALID_HANDLE_VALUE);

    ASSERT_TRUE(launched.start({{"TARVO_STUB_NO_READY", "1"}}));
    // The copy failed silently; the only message is the client's failed start.
    auto box = waitForMessageBox(launched.pid(), 15000);
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->text, kClientFailure);
    confirmMessageBox(box->hwnd);
    CloseHandle(inUse);
    EXPECT_TRUE(fileExists(install.file("TarvoWebEntry2.dat")));
    EXPECT_EQ(readFile(install.webEntry()), before);
}

TEST(Startup, PendingUpdateThatIsNoWholeProgramStaysAndTheOldClientStarts) {
    const std::string program = readFile(toolExe("TarvoWebEntry.exe")).value_or(std::string());
    ASSERT_GT(program.size(), 4096u);
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"cut short by a killed patcher", program.substr(0, program.size() * 2 / 3)},
        {"not a program", "a newer client"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        InstallDir install(withSettings());
        ASSERT_TRUE(install.ok()) << install.error();
        ASSERT_TRUE(writeFile(install.file("TarvoWebEntry2.dat"), c.bytes));
        const auto before = readFile(install.webEntry());

        LauncherRun run;
        ASSERT_TRUE(run.start(install, kExampleParameters, "", {{"TARVO_STUB_NO_READY", "1"}}));
        EXPECT_FALSE(run.clientCommandLine().empty());  // the old client started
        EXPECT_FALSE(waitForMessageBox(run.process.pid(), 300).has_value());
        EXPECT_TRUE(readFile(install.webEntry()) == before);
        EXPECT_TRUE(readFile(install.file("TarvoWebEntry2.dat")) == c.bytes);  // kept for the next start
    }
}

TEST(Startup, UpdateHeldOpenByTheStoppedPatcherIsInstalled) {
    InstallOptions options = withSettings();
    options.autoPatcher = true;
    InstallDir install(options);
    ASSERT_TRUE(install.ok()) << install.error();
    ASSERT_TRUE(copyFileTo(toolExe("TarvoWebEntry.exe"), install.file("TarvoWebEntry2.dat")));
    const auto update = readFile(install.file("TarvoWebEntry2.dat"));

    // The patcher still has the update open when the launcher starts.
    const std::string patcherLog = install.file("patcher.log");
    ChildProcess patcher;
    ASSERT_TRUE(patcher.start(install.autoPatcher(), "\"" + install.autoPatcher() + "\"", install.path(),
                              {{"TARVO_STUB_HOLD_FILE", install.file("TarvoWebEntry2.dat")},
                               {"TARVO_STUB_LOG", patcherLog}}));
    ASSERT_TRUE(waitUntil([&] { return !readLines(patcherLog).empty(); }, 10000));

    LauncherRun run;
    ASSERT_TRUE(run.start(install, kExampleParameters, "", {{"TARVO_STUB_NO_READY", "1"}}));
    EXPECT_FALSE(run.clientCommandLine().empty());
    EXPECT_FALSE(patcher.isRunning());
    EXPECT_TRUE(readFile(install.webEntry()) == update);
    EXPECT_FALSE(fileExists(install.file("TarvoWebEntry2.dat")));
}

TEST(Startup, StopsOnlyTheFirstAutoPatcher) {
    InstallOptions options = withSettings();
    options.autoPatcher = true;
    InstallDir install(options);
    ASSERT_TRUE(install.ok()) << install.error();
    ChildProcess first, second;
    ASSERT_TRUE(first.start(install.autoPatcher(), "\"" + install.autoPatcher() + "\"", install.path()));
    ASSERT_TRUE(second.start(install.autoPatcher(), "\"" + install.autoPatcher() + "\"", install.path()));

    LauncherRun run;
    ASSERT_TRUE(run.start(install, kExampleParameters, "", {{"TARVO_STUB_NO_READY", "1"}}));
    ASSERT_NE(run.window(), nullptr);
    waitUntil([&] { return !first.isRunning() || !second.isRunning(); }, 5000);
    Sleep(300);
    EXPECT_EQ(static_cast<int>(first.isRunning()) + static_cast<int>(second.isRunning()), 1);
    EXPECT_FALSE(waitForMessageBox(run.process.pid(), 300).has_value());
}

TEST(Startup, PatcherLibraryCountsOnlyInTheCurrentDirectory) {
    // In the current directory: the game counts as ready at once, so the
    // start-up percentage never shows.
    {
        TempDir current("tarvo-cwd");
        ASSERT_TRUE(writeFile(current.file("Brisken-AutoPatch.dll"), "x"));
        LaunchedLauncher launched;
        ASSERT_TRUE(launched.start({{"TARVO_STUB_NO_READY", "1"}}, kExampleParameters, current.path()));
        Sleep(1200);
        HWND percent = GetDlgItem(launched.window, IDC_PROGRESS_PERCENT);
        EXPECT_EQ(windowText(percent).find('%'), std::string::npos);
    }
    // Only beside the launcher while started elsewhere: the percentage climbs.
    {
        LaunchedLauncher launched;
        ASSERT_TRUE(writeFile(launched.install.file("Brisken-AutoPatch.dll"), "x"));
        TempDir current("tarvo-cwd");
        ASSERT_TRUE(launched.start({{"TARVO_STUB_NO_READY", "1"}}, kExampleParameters, current.path()));
        HWND percent = GetDlgItem(launched.window, IDC_PROGRESS_PERCENT);
        EXPECT_TRUE(waitUntil([&] { return windowText(percent).find('%') != std::string::npos; }, 5000));
    }
}

} // namespace
