// The real launcher against hostile input from outside: an information
// service whose replies are far too long, far too slow or compressed bombs,
// and another program posting the launcher's own messages with junk in them.
// The launcher survives, keeps answering, stays small and shows nothing of it.
#include "e2e/launcher_run_win.h"

#include "res/resource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using namespace tarvo_test;

const char kDefaultName[] = u8"欢迎光临！";
const char kLastServer[] = u8"白虎二区";
constexpr std::size_t kMemoryCeiling = 32u << 20;

// Messages of the launcher (their numbers as the launcher defines them).
constexpr UINT kPageHandOver = WM_APP + 0x10;
constexpr UINT kGameWindow = WM_USER + 0x64;

// How many requests for `path` of this run's server number the service logged.
std::size_t loggedRequests(const std::string& path, const std::string& serverNumber) {
    return serviceLogLinesWith({"\"path\":\"" + path + "\"", "skey=s" + serverNumber + "&"}).size();
}

// ---------------------------------------------------------------------------
// Hostile replies
// ---------------------------------------------------------------------------

struct HostileService {
    const char* prefix;      // selects the stand-in's behaviour for this run
    bool serverShown;        // the later requests still answer normally
    int settleMs;            // how long the three requests take at most
};

TEST(HostileInput, HostileRepliesLeaveTheLauncherSmallResponsiveAndUnchanged) {
    const std::string service = standInServiceAddress();
    ASSERT_FALSE(service.empty()) << "the information service stand-in is not running";
    const HostileService cases[] = {
        {"/flood", false, 60000},   // a 100 MB body
        // Content-Length: 2 GB, then filler. Wine's URL loader may read it
        // before it reports anything, so the first request may end only at
        // its 60 s limit.
        {"/huge", false, 180000},
        {"/bomb", false, 60000},    // about 0.5 MB of gzip inflating to 500 MB
        {"/trickle", true, 120000}, // request 1 trickles for ever: ends at the 60 s limit
    };
    for (const HostileService& c : cases) {
        SCOPED_TRACE(c.prefix);
        const std::string serverNumber = uniqueServerNumber();
        const std::string base = service.substr(0, service.find("/pick/info"));
        LaunchedLauncher launched(withSettings(settingsWithService(base + c.prefix + "/pick/info")));
        ASSERT_TRUE(launched.start({{"TARVO_STUB_NO_READY", "1"}}, parametersForServer(serverNumber)));
        LauncherRun& run = launched.run;
        HWND launcher = launched.window;
        HWND name = GetDlgItem(launcher, IDC_PLAYER_NAME);

        // Until the third request has been asked and a moment after, the
        // launcher answers every round trip and stays small.
        const std::string path = std::string(c.prefix) + "/pick/info";
        bool alwaysResponsive = true;
        std::size_t largest = 0;
        DWORD thirdAskedAt = 0;
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < static_cast<DWORD>(c.settleMs) && run.process.isRunning()) {
            alwaysResponsive = alwaysResponsive && responsive(launcher);
            largest = std::max(largest, privateBytes(run.process.handle()));
            if (!thirdAskedAt && loggedRequests(path, serverNumber) >= 3) thirdAskedAt = GetTickCount();
            const bool settled = c.serverShown ? serverListCount(run.process.pid()) == 1 : true;
            if (thirdAskedAt && GetTickCount() - thirdAskedAt > 3000 && settled) break;
            Sleep(200);
        }
        ASSERT_TRUE(run.process.isRunning());
        std::printf("%s: largest private memory %u KiB\n", c.prefix, static_cast<unsigned>(largest / 1024));
        EXPECT_TRUE(alwaysResponsive);
        EXPECT_EQ(loggedRequests(path, serverNumber), 3u);
        EXPECT_GT(largest, 0u);
        EXPECT_LT(largest, kMemoryCeiling) << largest / 1024 << " KiB";
        // The hostile reply changed nothing.
        EXPECT_EQ(windowText(name), kDefaultName);
        EXPECT_FALSE(styleVisible(name));
        if (c.serverShown) {
            EXPECT_EQ(comboEntry(serverListCombo(run.process.pid())), kLastServer);
        } else {
            EXPECT_EQ(serverListCount(run.process.pid()), 0);
        }
        EXPECT_TRUE(run.quitsCleanly(launcher));
    }
}

// ---------------------------------------------------------------------------
// Another program posting the launcher's messages
// ---------------------------------------------------------------------------

// The page hand-over message and the game window message, posted by this
// (other) process with junk in them to every window of the launcher, change
// nothing: the launcher neither crashes nor quits (a junk game window would
// make its watchdog quit it) and keeps answering.
TEST(HostileInput, ForeignMessagesWithJunkChangeNothing) {
    LaunchedLauncher launched;
    ASSERT_TRUE(launched.start({{"TARVO_STUB_NO_READY", "1"}}));
    LauncherRun& run = launched.run;
    HWND launcher = launched.window;
    ASSERT_NE(run.hostPanel(launcher), nullptr);
    ASSERT_FALSE(run.clientCommandLine().empty());  // the client runs

    // A handle that named a window once.
    HWND gone = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    DestroyWindow(gone);
    const LPARAM junk[] = {0, 1, 0x12345678, -1, static_cast<LPARAM>(0x80000000u), reinterpret_cast<LPARAM>(gone)};
    const std::vector<HWND> windows = allWindows(run.process.pid());
    ASSERT_GT(windows.size(), 5u);
    for (HWND window : windows) {
        for (LPARAM value : junk) {
            PostMessageA(window, kPageHandOver, static_cast<WPARAM>(value), value);
            PostMessageA(window, kGameWindow, static_cast<WPARAM>(value), value);
        }
        // The rest of the application range, too.
        for (UINT message = WM_APP; message < WM_APP + 0x100; ++message)
            PostMessageA(window, message, 0x5A5A5A5A, 0x12345678);
    }

    // Several watchdog ticks (500 ms each) later the launcher still runs and
    // answers.
    const DWORD start = GetTickCount();
    bool alwaysResponsive = true;
    while (GetTickCount() - start < 3000 && run.process.isRunning()) {
        alwaysResponsive = alwaysResponsive && responsive(launcher);
        Sleep(200);
    }
    ASSERT_TRUE(run.process.isRunning());
    EXPECT_TRUE(alwaysResponsive);
    for (HWND window : windows) {
        if (IsWindow(window) && GetWindowThreadProcessId(window, nullptr) == GetWindowThreadProcessId(launcher, nullptr)) {
            EXPECT_TRUE(responsive(window)) << windowClass(window);
        }
    }
    EXPECT_FALSE(waitForMessageBox(run.process.pid(), 0).has_value());
    EXPECT_TRUE(run.quitsCleanly(launcher));
}

}  // namespace
