// The stand-in programs that the other Windows tests rely on: the web-entry
// client, Launch.exe and the auto-patcher. The web-entry client is given a
// launcher-like window of this test program to draw into and report to.

#include "support/pixels_win.h"
#include "support/test_support_win.h"
#include "support/window_probes_win.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tarvo_test;

namespace {

constexpr UINT kWmGameReady = 0x463;
constexpr UINT kWmGameWindow = 0x464;
constexpr int kWait = 10000;

// A top-level window standing in for the launcher window, with a child host
// panel below a 50-pixel strip. Records the messages the client sends it.
class FakeLauncher {
public:
    struct Received {
        UINT msg;
        WPARAM wParam;
    };

    FakeLauncher() {
        registerClasses();
        // Left hidden: under Wine on a bare X server, destroying a visible
        // top-level window waits two seconds for it to unmap.
        window = CreateWindowExA(0, "TarvoTestLauncher", "QuarrionOL", WS_POPUP, 40, 40, 640, 480, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        RECT rc;
        GetClientRect(window, &rc);
        host = CreateWindowExA(0, "TarvoTestHost", "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 50, rc.right,
                               rc.bottom - 50, window, nullptr, GetModuleHandleA(nullptr), nullptr);
    }
    ~FakeLauncher() {
        if (IsWindow(window)) DestroyWindow(window);
    }

    std::string hostText() const { return std::to_string(static_cast<int>(reinterpret_cast<intptr_t>(host))); }
    std::vector<UINT> messages() const {
        std::vector<UINT> ids;
        for (const Received& r : received) ids.push_back(r.msg);
        return ids;
    }

    HWND window = nullptr;
    HWND host = nullptr;
    std::vector<Received> received;

private:
    static LRESULT CALLBACK proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        if (msg == kWmGameReady || msg == kWmGameWindow) {
            auto* self = reinterpret_cast<FakeLauncher*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
            if (self) self->received.push_back({msg, wp});
            return 0;
        }
        return DefWindowProcA(hwnd, msg, wp, lp);
    }
    static void registerClasses() {
        static bool done = false;
        if (done) return;
        WNDCLASSA wc = {};
        wc.lpfnWndProc = proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "TarvoTestLauncher";
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
        RegisterClassA(&wc);
        wc.lpfnWndProc = DefWindowProcA;
        wc.lpszClassName = "TarvoTestHost";
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        RegisterClassA(&wc);
        done = true;
    }
};

SIZE clientSize(HWND hwnd) {
    RECT rc = {};
    GetClientRect(hwnd, &rc);
    return {rc.right, rc.bottom};
}

bool sameSize(HWND a, HWND b) {
    SIZE sa = clientSize(a), sb = clientSize(b);
    return sa.cx == sb.cx && sa.cy == sb.cy;
}

// A launcher-style command line for the client; the empty pass-on value
// leaves two spaces in a row, and the marker tail holds GBK text.
std::string clientCommandLine(const std::string& hostText) {
    return "1 " + hostText + " 1 none http://127.0.0.1:8681/pick/multiinfo none none M\xD0\xFE  a S3 T2 1";
}

TEST(WebEntryStandIn, LogsCommandLineReportsGameWindowFollowsHostAndEndsWithWindow) {
    TempDir tmp;
    FakeLauncher launcher;
    const std::string log = tmp.file("stub.log");
    const std::string cmd = clientCommandLine(launcher.hostText());
    ChildProcess client;
    ASSERT_TRUE(client.start(toolExe("TarvoWebEntry.exe"), cmd, tmp.path(),
                             {{"TARVO_STUB_LOG", log}, {"TARVO_STUB_READY_DELAY_MS", "200"}}))
        << client.error();

    ASSERT_TRUE(waitUntil([&] { return launcher.received.size() >= 2; }, kWait));
    EXPECT_EQ(launcher.messages(), (std::vector<UINT>{kWmGameWindow, kWmGameReady}));

    HWND game = reinterpret_cast<HWND>(launcher.received[0].wParam);
    ASSERT_TRUE(IsWindow(game));
    EXPECT_EQ(GetParent(game), launcher.host);
    EXPECT_EQ(windowClass(game), "TarvoGameView");
    DWORD owner = 0;
    GetWindowThreadProcessId(game, &owner);
    EXPECT_EQ(owner, client.pid());
    EXPECT_TRUE(sameSize(game, launcher.host));

    MoveWindow(launcher.host, 0, 50, 300, 200, TRUE);
    EXPECT_TRUE(waitUntil([&] { return sameSize(game, launcher.host); }, 3000));

    std::vector<std::string> lines = readLines(log);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], cmd);  // byte for byte, double space included
    EXPECT_EQ(splitWords(lines[0]).size(), 13u);
    EXPECT_EQ(_stricmp(lines[1].c_str(), tmp.path().c_str()), 0) << lines[1];

    PostMessageA(game, WM_CLOSE, 0, 0);
    EXPECT_EQ(client.waitExit(kWait), std::optional<DWORD>(0));
}

TEST(WebEntryStandIn, MessageOptionsAndEndings) {
    struct Row {
        const char* name;
        EnvVars env;
        std::vector<UINT> expected;
        bool closesItself;  // else the test destroys the host panel
    };
    const std::vector<Row> rows = {
        {"no ready", {{"TARVO_STUB_NO_READY", "1"}}, {kWmGameWindow}, false},
        {"no window message", {{"TARVO_STUB_NO_WINDOW_MSG", "1"}}, {kWmGameReady}, false},
        {"neither, closes after 300 ms",
         {{"TARVO_STUB_NO_READY", "1"}, {"TARVO_STUB_NO_WINDOW_MSG", "1"}, {"TARVO_STUB_CLOSE_AFTER_MS", "300"}},
         {},
         true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        FakeLauncher launcher;
        EnvVars env = row.env;
        env.push_back({"TARVO_STUB_READY_DELAY_MS", "0"});
        ChildProcess client;
        ASSERT_TRUE(client.start(toolExe("TarvoWebEntry.exe"), clientCommandLine(launcher.hostText()), "", env))
            << client.error();
        ASSERT_TRUE(waitUntil([&] { return findDescendant(launcher.host, "TarvoGameView", nullptr) != nullptr; },
                              kWait));
        waitUntil([] { return false; }, 500);  // time for messages that must not come
        EXPECT_EQ(launcher.messages(), row.expected);
        if (!row.closesItself) DestroyWindow(launcher.host);  // the launcher went away
        EXPECT_EQ(client.waitExit(kWait), std::optional<DWORD>(0));
    }
}

TEST(WebEntryStandIn, EndsWhenTheHostsProcessIsKilled) {
    // A first client without a host opens its own window; a second one uses
    // that window as its host, like a launcher that is then killed.
    ChildProcess hostProcess;
    ASSERT_TRUE(hostProcess.start(toolExe("TarvoWebEntry.exe"), clientCommandLine("0"))) << hostProcess.error();
    HWND host = waitForWindow(hostProcess.pid(), "TarvoGameView", nullptr, kWait);
    ASSERT_NE(host, nullptr);
    ChildProcess client;
    ASSERT_TRUE(client.start(toolExe("TarvoWebEntry.exe"),
                             clientCommandLine(std::to_string(static_cast<int>(reinterpret_cast<intptr_t>(host))))))
        << client.error();
    ASSERT_TRUE(waitUntil([&] { return findDescendant(host, "TarvoGameView", nullptr) != nullptr; }, kWait));
    hostProcess.terminate();
    EXPECT_EQ(client.waitExit(kWait), std::optional<DWORD>(0));
}

TEST(WebEntryStandIn, WithoutUsableHandleOpensOwnWindow) {
    for (const char* handle : {"0", "x12"}) {
        SCOPED_TRACE(handle);
        TempDir tmp;
        const std::string cmd = clientCommandLine(handle);
        ChildProcess client;
        ASSERT_TRUE(client.start(toolExe("TarvoWebEntry.exe"), cmd, "", {{"TARVO_STUB_LOG", tmp.file("log")}}))
            << client.error();
        HWND game = waitForWindow(client.pid(), "TarvoGameView", nullptr, kWait);
        ASSERT_NE(game, nullptr);
        EXPECT_EQ(readLines(tmp.file("log")).at(0), cmd);
        PostMessageA(game, WM_CLOSE, 0, 0);
        EXPECT_EQ(client.waitExit(kWait), std::optional<DWORD>(0));
    }
}

TEST(WebEntryStandIn, ExitAtOnceLogsAndReturnsConfiguredCode) {
    TempDir tmp;
    FakeLauncher launcher;
    ChildProcess client;
    ASSERT_TRUE(client.start(toolExe("TarvoWebEntry.exe"), clientCommandLine(launcher.hostText()), tmp.path(),
                             {{"TARVO_STUB_LOG", tmp.file("log")},
                              {"TARVO_STUB_EXIT_AT_ONCE", "1"},
                              {"TARVO_STUB_EXIT_CODE", "7"}}));
    EXPECT_EQ(client.waitExit(kWait), std::optional<DWORD>(7));
    EXPECT_EQ(readLines(tmp.file("log")).size(), 2u);
    EXPECT_TRUE(launcher.received.empty());
}

TEST(LaunchStandIn, LogsCommandLineAndDirectoryThenLingers) {
    TempDir tmp;
    const std::string log = tmp.file("launch.log");
    ChildProcess launch;
    ASSERT_TRUE(launch.start(toolExe("Launch.exe"), "tarvolunch-start", tmp.path(),
                             {{"TARVO_STUB_LOG", log}, {"TARVO_STUB_LINGER_MS", "1500"}}))
        << launch.error();
    ASSERT_TRUE(waitUntil([&] { return readLines(log).size() == 2; }, kWait));
    EXPECT_TRUE(launch.isRunning());
    std::vector<std::string> lines = readLines(log);
    EXPECT_EQ(lines[0], "tarvolunch-start");
    EXPECT_EQ(_stricmp(lines[1].c_str(), tmp.path().c_str()), 0) << lines[1];
    EXPECT_EQ(launch.waitExit(kWait), std::optional<DWORD>(0));
}

TEST(AutoPatcherStandIn, RunsUnderItsNameUntilTerminated) {
    TempDir tmp;
    ChildProcess patcher;
    ASSERT_TRUE(patcher.start(toolExe("TarvoRiftOnlineAutoPatch.exe"), "TarvoRiftOnlineAutoPatch.exe", "",
                              {{"TARVO_STUB_LOG", tmp.file("pid")}}))
        << patcher.error();
    ASSERT_TRUE(waitUntil([&] { return !readLines(tmp.file("pid")).empty(); }, kWait));
    EXPECT_EQ(readLines(tmp.file("pid")), std::vector<std::string>{std::to_string(patcher.pid())});

    // The launcher finds it by executable name in a process snapshot.
    EXPECT_EQ(childProcessOf(GetCurrentProcessId(), "TarvoRiftOnlineAutoPatch.exe"), patcher.pid());

    EXPECT_FALSE(patcher.waitExit(500).has_value());
    patcher.terminate(0);
    EXPECT_FALSE(patcher.isRunning());
}

// Every stand-in that waits ends by itself once its life limit is over, and
// only then; a limit that is no positive number means the default ten minutes.
TEST(StandIns, EndAtTheirLifeLimit) {
    struct Row {
        const char* program;
        const char* commandLine;
        const char* maxLifeMs;
        bool endsSoon;
    };
    const Row rows[] = {
        {"TarvoRiftOnlineAutoPatch.exe", "TarvoRiftOnlineAutoPatch.exe", "300", true},
        {"TarvoRiftOnlineAutoPatch.exe", "TarvoRiftOnlineAutoPatch.exe", "0", false},
        {"TarvoRiftOnlineAutoPatch.exe", "TarvoRiftOnlineAutoPatch.exe", "soon", false},
        {"TarvoWebEntry.exe", "1 0 1 none none none none M  a S3 T2 1", "300", true},
        {"TarvoWebEntry.exe", "1 0 1 none none none none M  a S3 T2 1", "-5", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.program) + " with a limit of " + row.maxLifeMs);
        ChildProcess program;
        ASSERT_TRUE(program.start(toolExe(row.program), row.commandLine, "", {{"TARVO_STUB_MAX_LIFE_MS", row.maxLifeMs}}))
            << program.error();
        const std::optional<DWORD> code = program.waitExit(row.endsSoon ? kWait : 2000);
        EXPECT_EQ(code.has_value(), row.endsSoon);
        if (code) {
            EXPECT_EQ(*code, 0u);
        }
    }
}

// The message-box and word helpers that the launcher tests rely on.
// Chinese text comes back as UTF-8 under any code page.
const char kBoxText[] = u8"关闭进程失败!";
const char kBoxCaption[] = u8"提示";

DWORD WINAPI showBox(LPVOID) {
    return static_cast<DWORD>(
        MessageBoxW(nullptr, wideFromUtf8(kBoxText).c_str(), wideFromUtf8(kBoxCaption).c_str(), MB_OK));
}

TEST(TestSupport, FindsReadsAndConfirmsAMessageBox) {
    HANDLE thread = CreateThread(nullptr, 0, showBox, nullptr, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    std::optional<MessageBoxSeen> seen = waitForMessageBox(GetCurrentProcessId(), kWait);
    ASSERT_TRUE(seen.has_value());
    EXPECT_EQ(seen->text, kBoxText);
    EXPECT_EQ(seen->caption, kBoxCaption);
    EXPECT_EQ(seen->owner, nullptr);
    confirmMessageBox(seen->hwnd);
    ASSERT_EQ(WaitForSingleObject(thread, kWait), WAIT_OBJECT_0);
    DWORD result = 0;
    GetExitCodeThread(thread, &result);
    CloseHandle(thread);
    EXPECT_EQ(result, static_cast<DWORD>(IDOK));
}

TEST(TestSupport, SplitWordsKeepsEmptyWords) {
    const std::vector<std::pair<std::string, std::vector<std::string>>> table = {
        {"1 2 3", {"1", "2", "3"}},
        {"M  a", {"M", "", "a"}},
        {"a ", {"a", ""}},
        {"", {""}},
    };
    for (const auto& row : table) EXPECT_EQ(splitWords(row.first), row.second) << row.first;
}

// Combo boxes read from outside: every entry, in order, as UTF-8 text.
TEST(TestSupport, ComboReadersGiveEveryEntry) {
    const std::vector<std::vector<std::string>> tables = {
        {},
        {"North-1"},
        {u8"白虎二区", "", "North-1"},  // Chinese text and an empty entry
    };
    for (const std::vector<std::string>& entries : tables) {
        SCOPED_TRACE(std::to_string(entries.size()) + " entries");
        HWND combo = CreateWindowExA(0, "COMBOBOX", "", WS_POPUP | CBS_DROPDOWNLIST, 0, 0, 100, 100, nullptr, nullptr,
                                     GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(combo, nullptr);
        for (const std::string& entry : entries)
            SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wideFromUtf8(entry).c_str()));
        EXPECT_EQ(comboCount(combo), static_cast<int>(entries.size()));
        EXPECT_EQ(comboEntries(combo), entries);
        EXPECT_EQ(comboEntry(combo), entries.empty() ? std::string() : entries.front());
        EXPECT_EQ(comboEntry(combo, static_cast<int>(entries.size())), "");  // past the end
        DestroyWindow(combo);
    }
    EXPECT_EQ(comboCount(nullptr), -1);
}

// A bitmap's pixels read back where they are, top row first, in their colours.
TEST(TestSupport, PixelsOfABitmapKeepPlaceAndColour) {
    Pixels drawn(3, 2);
    ASSERT_TRUE(drawn.ok());
    const struct {
        int x, y;
        COLORREF colour;
    } points[] = {{0, 0, RGB(255, 0, 0)}, {2, 0, RGB(0, 255, 0)}, {0, 1, RGB(0, 0, 255)}, {2, 1, RGB(12, 34, 56)}};
    for (const auto& p : points) SetPixel(drawn.dc(), p.x, p.y, p.colour);
    HBITMAP bitmap = static_cast<HBITMAP>(GetCurrentObject(drawn.dc(), OBJ_BITMAP));
    // Read from a bitmap that no device context holds.
    HBITMAP copy = static_cast<HBITMAP>(CopyImage(bitmap, IMAGE_BITMAP, 0, 0, 0));
    ASSERT_NE(copy, nullptr);
    const Pixels read = Pixels::OfBitmap(copy);
    DeleteObject(copy);
    ASSERT_EQ(read.width(), 3);
    ASSERT_EQ(read.height(), 2);
    for (const auto& p : points) EXPECT_EQ(hexColour(read.at(p.x, p.y)), hexColour(p.colour)) << p.x << ", " << p.y;
    EXPECT_EQ(read.at(3, 0), CLR_INVALID);
}

// A process found among this program's children is ended when its owner goes.
TEST(TestSupport, OpenedChildProcessEndsWithItsOwner) {
    ChildProcess launch;
    ASSERT_TRUE(launch.start(toolExe("Launch.exe"), "child", "", {{"TARVO_STUB_LINGER_MS", "60000"}})) << launch.error();
    EXPECT_EQ(childProcessOf(GetCurrentProcessId(), "TarvoWebEntry.exe"), 0u);
    const DWORD found = childProcessOf(GetCurrentProcessId(), "LAUNCH.EXE");
    ASSERT_EQ(found, launch.pid());
    {
        OpenedProcess opened(found);
        ASSERT_TRUE(opened.valid());
        EXPECT_TRUE(opened.isRunning());
        EXPECT_FALSE(opened.waitExit(0).has_value());
    }
    EXPECT_EQ(launch.waitExit(kWait), std::optional<DWORD>(1));
    EXPECT_FALSE(OpenedProcess(0).valid());
}

}  // namespace
