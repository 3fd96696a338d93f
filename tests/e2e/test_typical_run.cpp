// The whole road of a typical run against the real exe, the client stand-in
// and the information service stand-in: splash and percentage, the client's
// command line, name, server and page from the service, the game shown, the
// boss key hiding and restoring everything with the tray icon, and quitting
// when the game window closes. Pointer and key actions go through the
// system's input queue (SendInput), as a player's would. The texts the player
// reads are checked as wide text, so that the road also holds on systems
// whose code page has no Chinese (the test runner runs it under other
// locales too).
#include "e2e/launcher_run_win.h"

#include "res/resource.h"
#include "window/boss_key.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <cstdlib>
#include <string>

namespace {

using namespace tarvo_test;

void sendMouse(DWORD flags, int x = 0, int y = 0) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    if (flags & MOUSEEVENTF_ABSOLUTE) {
        input.mi.dx = (x * 65535) / (GetSystemMetrics(SM_CXSCREEN) - 1);
        input.mi.dy = (y * 65535) / (GetSystemMetrics(SM_CYSCREEN) - 1);
    }
    SendInput(1, &input, sizeof(input));
}

// A left click at a screen point through the input queue.
void click(int x, int y) {
    sendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, x, y);
    Sleep(100);
    sendMouse(MOUSEEVENTF_LEFTDOWN);
    Sleep(100);
    sendMouse(MOUSEEVENTF_LEFTUP);
    Sleep(400);
}

// The boss key as the system delivers it. (Wine on a bare X server does not
// turn injected key strokes into hot-key messages, so the test posts the
// message that a press of the registered combination produces.)
void pressBossKey(HWND launcher) {
    PostMessageA(launcher, WM_HOTKEY, kBossHotKeyId, MAKELPARAM(MOD_CONTROL | MOD_SHIFT, 'B'));
    Sleep(300);
}

const char kExitText[] = u8"纵横玄洲壮志未酬是否要放弃征战？";
const char kInitialising[] = u8"首次启动微端，正在初始化...";
const char kPlayerName[] = u8"玄洲游侠";
const char kServerName[] = u8"白虎二区";
const char kBossKeyPrompt[] = u8"请输入老板键：";
const char kBossKeyBox[] = u8"启用老板键";
// The same two texts in code page 936 (GBK).
const char kInitialisingGbk[] =
    "\xCA\xD7\xB4\xCE\xC6\xF4\xB6\xAF\xCE\xA2\xB6\xCB\xA3\xAC\xD5\xFD\xD4\xDA\xB3\xF5\xCA\xBC\xBB\xAF...";
const char kPlayerNameGbk[] = "\xD0\xFE\xD6\xDE\xD3\xCE\xCF\xC0";

// A label's text as a program that reads it as ANSI text gets it.
std::string ansiWindowText(HWND window) {
    char text[256] = {};
    DWORD_PTR copied = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000,
                        &copied);
    return text;
}

// The system locale the run was started under (the test runner names it in
// TARVO_EXPECT_LOCALE; the usual runs are Chinese) and its ANSI code page.
TEST(TypicalRun, RunsUnderTheSystemLocaleItWasGiven) {
    const std::string locale = envOr("TARVO_EXPECT_LOCALE", "zh_CN.GBK");
    const struct {
        const char* locale;
        UINT codePage;
    } known[] = {{"zh_CN.GBK", 936}, {"en_US.UTF-8", 1252}, {"ja_JP.UTF-8", 932}, {"zh_CN.UTF-8", 936}};
    UINT expected = 0;
    for (const auto& k : known)
        if (locale == k.locale) expected = k.codePage;
    ASSERT_NE(expected, 0u) << "no code page known for " << locale;
    EXPECT_EQ(GetACP(), expected) << locale;
}

TEST(TypicalRun, FromStartToQuittingWithTheGameWindow) {
    const std::string service = standInServiceAddress();
    ASSERT_FALSE(service.empty()) << "the information service stand-in is not running";
    LaunchedLauncher launched(withSettings(settingsWithService(service)));
    ASSERT_TRUE(launched.start({{"TARVO_STUB_READY_DELAY_MS", "2500"}}));
    LauncherRun& run = launched.run;
    HWND launcher = launched.window;
    ASSERT_TRUE(waitUntil([&] { return styleVisible(launcher); }, 10000));
    HWND host = run.hostPanel(launcher);
    ASSERT_NE(host, nullptr);

    // Splash: the initialising text and a climbing percentage.
    HWND percent = GetDlgItem(launcher, IDC_PROGRESS_PERCENT);
    EXPECT_TRUE(waitUntil([&] { return windowText(percent).find('%') != std::string::npos; }, 5000));
    const int first = std::atoi(windowText(percent).c_str());
    Sleep(600);
    EXPECT_GT(std::atoi(windowText(percent).c_str()), first);
    HWND initialising = GetDlgItem(launcher, IDC_PROGRESS_TEXT);
    EXPECT_EQ(windowText(initialising), kInitialising);

    // The client got its 13 words with the host panel's handle.
    const std::vector<std::string> words = splitWords(run.clientCommandLine());
    ASSERT_EQ(words.size(), 13u);
    EXPECT_EQ(words[1], std::to_string(static_cast<long long>(reinterpret_cast<LONG_PTR>(host))));

    // Name and server from the service.
    HWND name = GetDlgItem(launcher, IDC_PLAYER_NAME);
    EXPECT_TRUE(waitUntil([&] { return windowText(name) == kPlayerName; }, 15000)) << windowText(name);
    // On a Chinese system, programs that read the labels as ANSI text get
    // them in code page 936, as they always have.
    if (GetACP() == 936) {
        EXPECT_EQ(ansiWindowText(name), kPlayerNameGbk);
        EXPECT_EQ(ansiWindowText(initialising), kInitialisingGbk);
    }
    HWND combo = serverListCombo(run.process.pid());
    ASSERT_NE(combo, nullptr);
    EXPECT_TRUE(waitUntil([&] { return comboEntry(combo) == kServerName; }, 15000)) << comboEntry(combo);

    // The client reports its game window and readiness: the game shows and
    // the progress display ends.
    ASSERT_TRUE(waitUntil([&] { return styleVisible(host); }, 15000));
    EXPECT_TRUE(waitUntil([&] { return !styleVisible(percent); }, 3000));
    HWND game = findDescendant(host, "TarvoGameView", nullptr);
    ASSERT_NE(game, nullptr);

    // Set the boss key in the settings panel: caption button 2, then the
    // hot-key field and the box, then the confirm button.
    RECT window{};
    GetWindowRect(launcher, &window);
    click(window.right - 209 + 40, window.top + 19 + 14);
    HWND settings = nullptr;
    ASSERT_TRUE(waitUntil([&] { return (settings = visiblePanelWith(run.process.pid(), IDC_BOSS_HOTKEY)) != nullptr; }, 5000));
    // Its texts: the prompt beside the hot-key field and the box's label.
    EXPECT_NE(findDescendant(settings, "Static", kBossKeyPrompt), nullptr);
    EXPECT_EQ(windowText(GetDlgItem(settings, IDC_BOSS_ENABLE)), kBossKeyBox);
    SendMessageA(GetDlgItem(settings, IDC_BOSS_HOTKEY), HKM_SETHOTKEY, MAKEWORD('B', HOTKEYF_CONTROL | HOTKEYF_SHIFT), 0);
    SendMessageA(GetDlgItem(settings, IDC_BOSS_ENABLE), BM_SETCHECK, BST_CHECKED, 0);
    // The panel takes its place beside the launcher's right edge when it
    // first paints; click only once it is there.
    RECT panel{};
    ASSERT_TRUE(waitUntil([&] {
        GetWindowRect(settings, &panel);
        return panel.right == window.right - 100 && panel.top == window.top + 50;
    }, 5000));
    click(panel.left + 248 + 30, panel.top + 62 + 11);
    EXPECT_TRUE(waitUntil([&] { return !styleVisible(settings); }, 3000));
    EXPECT_TRUE(waitUntil([] { return hotKeyTaken(MOD_CONTROL | MOD_SHIFT, 'B'); }, 3000));  // the launcher registered it

    // The boss key hides launcher, game and tray icon, and brings them back.
    ASSERT_TRUE(trayIconPresent(launcher, kTrayIconId));
    // (Hiding a top-level window takes Wine on a bare X server a moment.)
    pressBossKey(launcher);
    EXPECT_TRUE(waitUntil([&] { return !styleVisible(launcher) && !styleVisible(host) && !trayIconPresent(launcher, kTrayIconId); }, 10000));
    pressBossKey(launcher);
    EXPECT_TRUE(waitUntil([&] { return styleVisible(launcher) && styleVisible(host) && trayIconPresent(launcher, kTrayIconId); }, 10000));

    // The player closes the game window: the launcher quits at its next
    // watchdog tick and ends the client.
    PostMessageA(game, WM_CLOSE, 0, 0);
    const auto exitCode = run.process.waitExit(10000);
    ASSERT_TRUE(exitCode.has_value());
    EXPECT_FALSE(IsWindow(launcher));
}

TEST(TypicalRun, LeavingThroughTheExitPanelStartsLaunchAndKeepsTheClient) {
    LaunchedLauncher launched(withSettings(settingsWithService("http://127.0.0.1:9/pick/info")));
    ASSERT_TRUE(launched.start({{"TARVO_STUB_READY_DELAY_MS", "300"}, clientOwnExitCode()}));
    LauncherRun& run = launched.run;
    HWND launcher = launched.window;
    HWND host = run.hostPanel(launcher);
    ASSERT_TRUE(waitUntil([&] { return styleVisible(launcher) && host && styleVisible(host); }, 15000));
    HWND game = findDescendant(host, "TarvoGameView", nullptr);
    ASSERT_NE(game, nullptr);
    OpenedProcess client(windowProcess(game));
    ASSERT_TRUE(client.valid());

    // Caption button 7 opens the exit panel; its confirm button leaves.
    RECT window{};
    GetWindowRect(launcher, &window);
    click(window.right - 33 + 14, window.top + 1 + 12);
    HWND exitPanel = nullptr;
    ASSERT_TRUE(waitUntil(
        [&] { return (exitPanel = visiblePanelWith(run.process.pid(), IDC_EXIT_TEXT, launcher)) != nullptr; }, 5000));
    HWND question = GetDlgItem(exitPanel, IDC_EXIT_TEXT);
    EXPECT_TRUE(waitUntil([&] { return windowText(question) == kExitText; }, 2000)) << windowText(question);
    RECT panel{};
    GetWindowRect(exitPanel, &panel);
    click(panel.left + 70 + 30, panel.top + 90 + 11);

    const auto exitCode = run.process.waitExit(10000);
    ASSERT_TRUE(exitCode.has_value());
    EXPECT_EQ(*exitCode, 0u);
    const std::vector<std::string> launchLog = readLines(run.stubLog);
    bool launchStarted = false;
    for (const std::string& line : launchLog) launchStarted = launchStarted || line == "tarvolunch-start";
    EXPECT_TRUE(launchStarted);
    EXPECT_TRUE(clientNotEndedByLauncher(client));  // the client keeps running
}

} // namespace
