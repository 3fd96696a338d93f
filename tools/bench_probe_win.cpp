// BenchProbe.exe: the measuring side of scripts/bench. Prints "name value"
// lines on standard output; never judges the figures.
//
//   BenchProbe start --exe <path> [--args <text>] [--dir <dir>]
//                    [--client-log <file>] [--settle <s>] [--idle <s>]
//                    [--timeout <s>] [--class <name>] [--title <text>]
//     Starts <exe> with the command line "<exe>" <text> in <dir> (with
//     TARVO_STUB_LOG=<file> in its environment when --client-log is given)
//     and polls, about once a millisecond, for
//       visible_ms        its visible top-level window of that class and
//                         title ("#32770", "QuarrionOL"), counted from just
//                         before CreateProcess;
//       client_process_ms the creation time of its child TarvoWebEntry.exe;
//       client_log_ms     when <file> appears (the client logs first thing).
//     Then it waits <settle> seconds (the game becomes ready meanwhile) and
//     measures over <idle> more seconds:
//       idle_cpu_ms       the process's user + kernel time in that period;
//     and, sampled every 100 ms over both periods, the largest memory
//     counters (peak_private_bytes, peak_pagefile_bytes,
//     peak_working_set_bytes); then it ends the program and its client.
//
//   BenchProbe draws [--moves <n>]
//     Creates the launcher window inside this process (the same code as the
//     exe, without the start-up sequence), moves the pointer over its
//     caption strip with SendInput and counts the caption buttons' bitmap
//     copies (CSkinButton::BlitCount) per pointer move:
//       draws_per_move_strip   over the strip where no button is;
//       draws_per_move_button  within one button (its hover look stays);
//       draws_per_move_across  in and out of a button on every move: each
//                              move changes a state, so this shows that the
//                              counter sees real draws.
//
//   BenchProbe actions --exe <path> [--args <text>] [--dir <dir>]
//                      [--client-log <file>] [--settle <s>] [--after <s>]
//     Starts the launcher like `start`, lets the game become ready, sets a
//     boss key through the settings panel (caption button 2, its fields,
//     its confirm button), then runs every player action in turn, each as
//     the system delivers it: caption-button clicks as pointer input
//     (SendInput), the tray click and the boss key as the messages they
//     produce (WM_TRAYNOTIFY, WM_HOTKEY), the restore of a minimised window
//     as the window-list's SC_RESTORE. For each action <a>:
//       action_<a>_change_ms   from just before the input until the window
//                              state shows the change (visible, hidden,
//                              moved, minimised), polled about once a ms;
//       action_<a>_round_trip_ms  the worst time a message (WM_NULL sent by
//                              a second thread about once a ms) took to
//                              be handled by the launcher's window over the
//                              <after> seconds (default 2) from the input;
//       action_<a>_round_trips the number of those messages.
//     Actions: tray_hide, tray_show, boss_hide, boss_show, panel_open,
//     panel_close (the exit panel: caption button 7, its cancel button),
//     size_restore, size_full (caption button 6 twice), minimise, restore.
//
// Exit status 0 when every figure could be taken, 1 otherwise.

#include <windows.h>
#include <commctrl.h>
#include <ole2.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <atomic>
#include <cstdio>
#include <functional>
#include <thread>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "launcher/launcher_dlg_win.h"
#include "resource.h"
#include "tests/support/window_probes_win.h"
#include "window/boss_key.h"
#include "window/caption_layout.h"
#include "window/skin_button_win.h"

namespace {

// ---------------------------------------------------------------------------
// Small helpers
// ---------------------------------------------------------------------------

using Options = std::map<std::string, std::string>;

using tarvo_test::childProcessOf;
using tarvo_test::styleVisible;
using tarvo_test::visiblePanelWith;
using tarvo_test::windowRect;

// "--name value" pairs after the mode word.
bool parseOptions(int argc, char** argv, Options& options) {
    for (int i = 2; i < argc; i += 2) {
        if (std::strncmp(argv[i], "--", 2) != 0 || i + 1 >= argc) {
            std::fprintf(stderr, "bad option: %s\n", argv[i]);
            return false;
        }
        options[argv[i] + 2] = argv[i + 1];
    }
    return true;
}

std::string option(const Options& options, const char* name, const char* fallback = "") {
    auto it = options.find(name);
    return it == options.end() ? std::string(fallback) : it->second;
}

double seconds(const Options& options, const char* name, double fallback) {
    const std::string text = option(options, name);
    return text.empty() ? fallback : std::atof(text.c_str());
}

double nowMs() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

unsigned long long fileTimeValue(const FILETIME& t) {
    return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

// Milliseconds from `from` to `to` (100-ns file-time units).
double fileTimeMs(unsigned long long from, unsigned long long to) {
    return (static_cast<double>(to) - static_cast<double>(from)) / 10000.0;
}

unsigned long long nowFileTime() {
    FILETIME t;
    GetSystemTimeAsFileTime(&t);
    return fileTimeValue(t);
}

struct ProcessTimes {
    unsigned long long creation = 0;
    double cpuMs = 0;  // user + kernel
    bool ok = false;
};

ProcessTimes processTimes(HANDLE process) {
    ProcessTimes result;
    FILETIME creation, exit, kernel, user;
    if (GetProcessTimes(process, &creation, &exit, &kernel, &user)) {
        result.creation = fileTimeValue(creation);
        result.cpuMs = static_cast<double>(fileTimeValue(kernel) + fileTimeValue(user)) / 10000.0;
        result.ok = true;
    }
    return result;
}

// The largest memory counters seen while sampling. Wine fills PrivateUsage
// with 0 for other processes and reports the resident anonymous memory as
// the page-file usage, its peak being the current value: hence the sampling.
struct MemoryPeaks {
    SIZE_T privateUsage = 0;
    SIZE_T pagefile = 0;
    SIZE_T workingSet = 0;
    int samples = 0;
};

void sampleMemory(HANDLE process, MemoryPeaks& peaks) {
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof memory;
    if (!GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory))
        return;
    auto raise = [](SIZE_T& peak, SIZE_T value) {
        if (value > peak) peak = value;
    };
    raise(peaks.privateUsage, memory.PrivateUsage);
    raise(peaks.pagefile, memory.PagefileUsage);
    raise(peaks.pagefile, memory.PeakPagefileUsage);
    raise(peaks.workingSet, memory.PeakWorkingSetSize);
    ++peaks.samples;
}

// Waits that long, sampling the memory counters every 100 ms.
void sampleMemoryFor(HANDLE process, double secondsToWait, MemoryPeaks& peaks) {
    const double until = nowMs() + secondsToWait * 1000;
    do {
        sampleMemory(process, peaks);
        const double left = until - nowMs();
        if (left > 0) Sleep(static_cast<DWORD>(left < 100 ? left : 100));
    } while (nowMs() < until);
    sampleMemory(process, peaks);
}

void print(const char* name, double value) {
    std::printf("%s %.1f\n", name, value);
}

// ---------------------------------------------------------------------------
// start: one run of a program
// ---------------------------------------------------------------------------

struct WindowQuery {
    DWORD pid;
    const std::string* className;
    const std::string* title;
    HWND found;
};

BOOL CALLBACK matchWindow(HWND window, LPARAM param) {
    WindowQuery& query = *reinterpret_cast<WindowQuery*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != query.pid || !IsWindowVisible(window)) return TRUE;
    char text[256] = {};
    if (!query.className->empty()) {
        GetClassNameA(window, text, sizeof text);
        if (*query.className != text) return TRUE;
    }
    if (!query.title->empty()) {
        GetWindowTextA(window, text, sizeof text);
        if (*query.title != text) return TRUE;
    }
    query.found = window;
    return FALSE;
}

HWND visibleWindow(DWORD pid, const std::string& className, const std::string& title) {
    WindowQuery query{pid, &className, &title, nullptr};
    EnumWindows(matchWindow, reinterpret_cast<LPARAM>(&query));
    return query.found;
}

void endProcess(HANDLE process) {
    if (!process) return;
    if (WaitForSingleObject(process, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process, 0);
        WaitForSingleObject(process, 5000);
    }
    CloseHandle(process);
}

// Ends the measured program and the game client it started (`client`, or
// the one found now when that is null).
void endProgramAndClient(const PROCESS_INFORMATION& program, HANDLE client) {
    if (!client) {
        if (DWORD pid = childProcessOf(program.dwProcessId, "TarvoWebEntry.exe"))
            client = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
    }
    endProcess(program.hProcess);
    endProcess(client);
}

// The quoted program path and the --args option, if any.
std::string commandLineOf(const std::string& exe, const Options& options) {
    std::string commandLine = "\"" + exe + "\"";
    if (options.count("args")) commandLine += " " + option(options, "args");
    return commandLine;
}

// Starts the program in `dir` (this process's directory when empty); false
// with the reason on standard error when it cannot be started.
bool startProgram(const std::string& exe, const std::string& commandLine, const std::string& dir,
                  PROCESS_INFORMATION& info) {
    std::vector<char> commandBuffer(commandLine.begin(), commandLine.end());
    commandBuffer.push_back('\0');
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (!CreateProcessA(exe.c_str(), commandBuffer.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        dir.empty() ? nullptr : dir.c_str(), &startup, &info)) {
        std::fprintf(stderr, "CreateProcess failed: %lu\n", GetLastError());
        return false;
    }
    CloseHandle(info.hThread);
    return true;
}

int runStart(const Options& options) {
    const std::string exe = option(options, "exe");
    if (exe.empty()) {
        std::fprintf(stderr, "start needs --exe\n");
        return 1;
    }
    const std::string dir = option(options, "dir");
    const std::string clientLog = option(options, "client-log");
    const std::string className = option(options, "class", "#32770");
    const std::string title = option(options, "title", "QuarrionOL");
    const double settleS = seconds(options, "settle", 3);
    const double idleS = seconds(options, "idle", 0);
    const double timeoutS = seconds(options, "timeout", 30);
    const bool expectClient = !clientLog.empty();

    if (expectClient) {
        DeleteFileA(clientLog.c_str());
        SetEnvironmentVariableA("TARVO_STUB_LOG", clientLog.c_str());
    }
    const std::string commandLine = commandLineOf(exe, options);
    PROCESS_INFORMATION info{};
    const unsigned long long startFileTime = nowFileTime();
    const double start = nowMs();
    if (!startProgram(exe, commandLine, dir, info)) return 1;
    const double created = nowMs();

    double visibleMs = -1, clientLogMs = -1, clientProcessMs = -1, startupCpuMs = -1, clientFoundMs = -1;
    HWND window = nullptr;
    HANDLE client = nullptr;
    while (nowMs() - start < timeoutS * 1000) {
        if (!window && (window = visibleWindow(info.dwProcessId, className, title))) {
            visibleMs = nowMs() - start;
            startupCpuMs = processTimes(info.hProcess).cpuMs;
        }
        if (expectClient && clientLogMs < 0 && GetFileAttributesA(clientLog.c_str()) != INVALID_FILE_ATTRIBUTES)
            clientLogMs = nowMs() - start;
        if (expectClient && !client) {
            if (DWORD pid = childProcessOf(info.dwProcessId, "TarvoWebEntry.exe")) {
                client = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
                clientFoundMs = nowMs() - start;
            }
        }
        if (client && clientProcessMs < 0) {
            // A process caught while it is still being set up may report a
            // creation time that is not one yet: ask again until it is.
            const ProcessTimes times = processTimes(client);
            const unsigned long long now = nowFileTime();
            if (times.ok && times.creation + 10000000ULL >= startFileTime && times.creation <= now)
                clientProcessMs = fileTimeMs(startFileTime, times.creation);
        }
        const bool clientDone =
            client && clientLogMs >= 0 && (clientProcessMs >= 0 || nowMs() - start - clientFoundMs > 2000);
        if (window && (!expectClient || clientDone)) break;
        if (WaitForSingleObject(info.hProcess, 0) == WAIT_OBJECT_0) break;  // it ended early
        Sleep(1);
    }

    const ProcessTimes own = processTimes(info.hProcess);
    print("create_call_ms", created - start);
    if (own.ok) print("process_created_ms", fileTimeMs(startFileTime, own.creation));
    print("visible_ms", visibleMs);
    print("startup_cpu_ms", startupCpuMs);
    if (expectClient) {
        print("client_process_ms", clientProcessMs);
        print("client_log_ms", clientLogMs);
    }
    if (window) {
        RECT r{};
        GetWindowRect(window, &r);
        std::printf("window_size %ldx%ld\n", r.right - r.left, r.bottom - r.top);
    }
    bool ok = window && (!expectClient || (client && clientLogMs >= 0));

    if (ok) {
        MemoryPeaks peaks;
        sampleMemoryFor(info.hProcess, settleS, peaks);
        if (idleS > 0) {
            const ProcessTimes before = processTimes(info.hProcess);
            sampleMemoryFor(info.hProcess, idleS, peaks);
            const ProcessTimes after = processTimes(info.hProcess);
            const bool alive = WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT;
            if (before.ok && after.ok && alive) {
                print("idle_seconds", idleS);
                print("idle_cpu_ms", after.cpuMs - before.cpuMs);
            } else {
                std::printf("idle_cpu_ms -1\n");
                ok = false;
            }
        }
        if (peaks.samples > 0) {
            std::printf("peak_private_bytes %lu\n", static_cast<unsigned long>(peaks.privateUsage));
            std::printf("peak_pagefile_bytes %lu\n", static_cast<unsigned long>(peaks.pagefile));
            std::printf("peak_working_set_bytes %lu\n", static_cast<unsigned long>(peaks.workingSet));
        }
        print("total_cpu_ms", processTimes(info.hProcess).cpuMs);
    }

    // A client started after the polling stopped is ended as well.
    endProgramAndClient(info, client);
    std::printf("result %s\n", ok ? "ok" : "incomplete");
    std::fflush(stdout);
    return ok ? 0 : 1;
}

// ---------------------------------------------------------------------------
// draws: the launcher window in this process, pointer moves over its caption
// ---------------------------------------------------------------------------

// The launcher window without its start-up sequence (no client, no worker)
// and without opening addresses.
class ProbeLauncher : public CLauncherDlg {
protected:
    void runStartupSequence() override {}
    void OpenAddress(const std::string&) override {}
};

WNDPROC g_launcherProc = nullptr;
long g_hitTests = 0;
long g_paints = 0;

LRESULT CALLBACK countingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCHITTEST) ++g_hitTests;
    if (message == WM_PAINT) ++g_paints;
    return CallWindowProcA(g_launcherProc, window, message, wParam, lParam);
}

void pumpFor(double ms) {
    const double until = nowMs() + ms;
    do {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(1);
    } while (nowMs() < until);
}

// Moves the pointer to a screen point as real input does.
void movePointer(POINT p) {
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = static_cast<LONG>((p.x * 65536LL + width - 1) / width);
    input.mi.dy = static_cast<LONG>((p.y * 65536LL + height - 1) / height);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &input, sizeof input);
    pumpFor(4);
}

struct MoveResult {
    long moves = 0;
    long draws = 0;
    long hitTests = 0;
    long paints = 0;  // WM_PAINT of the launcher window itself
    long missed = 0;  // the pointer did not arrive where it was sent
};

MoveResult moveAlong(const std::vector<POINT>& path) {
    MoveResult result;
    const long drawsBefore = CSkinButton::BlitCount();
    const long hitsBefore = g_hitTests;
    const long paintsBefore = g_paints;
    for (POINT p : path) {
        movePointer(p);
        POINT at{};
        GetCursorPos(&at);
        if (at.x != p.x || at.y != p.y) ++result.missed;
        ++result.moves;
    }
    pumpFor(50);
    result.draws = CSkinButton::BlitCount() - drawsBefore;
    result.hitTests = g_hitTests - hitsBefore;
    result.paints = g_paints - paintsBefore;
    return result;
}

void printMoves(const char* name, const MoveResult& r) {
    std::printf("%s %.3f\n", name, r.moves ? static_cast<double>(r.draws) / r.moves : -1.0);
    std::printf("%s_detail moves=%ld draws=%ld hit_tests=%ld window_paints=%ld missed=%ld\n", name, r.moves,
                r.draws, r.hitTests, r.paints, r.missed);
}

bool insideAnyButton(const CLauncherDlg& launcher, POINT p, int margin) {
    for (const auto& button : launcher.captionButtons()) {
        if (!button->IsVisible()) continue;
        const Rect box = button->HitBox();
        if (p.x >= box.left - margin && p.x <= box.right + margin && p.y >= box.top - margin &&
            p.y <= box.bottom + margin)
            return true;
    }
    return false;
}

int runDraws(const Options& options) {
    const int moves = std::atoi(option(options, "moves", "200").c_str());
    InitCommonControls();
    OleInitialize(nullptr);

    auto launcher = std::make_unique<ProbeLauncher>();
    if (!launcher->Create(IDD_LAUNCHER_DIALOG, nullptr)) {
        std::fprintf(stderr, "could not create the launcher window\n");
        return 1;
    }
    const HWND window = launcher->m_hWnd;
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    UpdateWindow(window);
    pumpFor(800);
    g_launcherProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&countingProc)));

    RECT frame{};
    GetWindowRect(window, &frame);
    const int stripTop = frame.top + 8, stripBottom = frame.top + kTitleStripHeight - 8;

    // Over the strip, away from every button and from the sizing border.
    std::vector<POINT> free;
    for (int x = frame.left + 10; x < frame.right - 20; x += 3) {
        for (int y = stripTop; y <= stripBottom; y += 6) {
            POINT p{x, y};
            if (!insideAnyButton(*launcher, p, 3)) free.push_back(p);
        }
    }
    std::vector<POINT> strip;
    for (int i = 0; i < moves && !free.empty(); ++i) strip.push_back(free[(i * 7) % free.size()]);

    // Within one visible button, away from its edges; and in and out of it.
    std::vector<POINT> within, across;
    for (const auto& button : launcher->captionButtons()) {
        if (!button->IsVisible()) continue;
        const Rect box = button->HitBox();
        if (box.right - box.left < 10 || box.bottom - box.top < 10) continue;
        POINT outside{-1, -1};
        for (const POINT& p : free) {
            if (p.y > box.top && p.y < box.bottom) {
                outside = p;
                break;
            }
        }
        for (int i = 0; i < moves; ++i) {
            within.push_back(POINT{box.left + 3 + i % (box.right - box.left - 6),
                                   box.top + 3 + (i / 3) % (box.bottom - box.top - 6)});
            across.push_back(i % 2 ? outside : within.back());
        }
        break;
    }

    bool ok = !strip.empty() && !within.empty();
    movePointer(strip.empty() ? POINT{frame.left + 300, frame.top + 25} : strip.front());
    pumpFor(100);
    const MoveResult overStrip = moveAlong(strip);
    MoveResult inButton, inAndOut;
    if (!within.empty()) {
        movePointer(within.front());  // enters the button: its hover draw is not counted
        pumpFor(100);
        inButton = moveAlong(within);
        movePointer(strip.front());
        pumpFor(100);
        inAndOut = moveAlong(across);
    }

    printMoves("draws_per_move_strip", overStrip);
    printMoves("draws_per_move_button", inButton);
    printMoves("draws_per_move_across", inAndOut);
    ok = ok && overStrip.missed == 0 && overStrip.hitTests > 0;
    std::printf("result %s\n", ok ? "ok" : "incomplete");
    std::fflush(stdout);

    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_launcherProc));
    NOTIFYICONDATAW trayIcon = launcher->trayIcon().data();
    Shell_NotifyIconW(NIM_DELETE, &trayIcon);
    // The process ends here; the launcher's own shut-down is not measured.
    ExitProcess(ok ? 0 : 1);
}


// ---------------------------------------------------------------------------
// actions: the player's actions on a running launcher
// ---------------------------------------------------------------------------

// A quick click (move, press, release in one call) at a screen point.
void tapAt(POINT p) {
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    INPUT inputs[3] = {};
    for (INPUT& input : inputs) input.type = INPUT_MOUSE;
    inputs[0].mi.dx = static_cast<LONG>((p.x * 65536LL + width - 1) / width);
    inputs[0].mi.dy = static_cast<LONG>((p.y * 65536LL + height - 1) / height);
    inputs[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    inputs[2].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(3, inputs, sizeof(INPUT));
}

// Polls `condition` about once a millisecond for up to `timeoutMs`.
bool waitFor(const std::function<bool()>& condition, double timeoutMs) {
    const double until = nowMs() + timeoutMs;
    while (!condition()) {
        if (nowMs() > until) return false;
        Sleep(1);
    }
    return true;
}

struct ActionResult {
    double changeMs = -1;
    double worstRoundTripMs = -1;
    long roundTrips = 0;
};

// Runs one action: `input` gives it, `changed` says when the window state
// shows it. A second thread sends WM_NULL to the launcher window, one
// message after another, for `afterS` seconds from the input and keeps the
// longest round trip.
ActionResult measureAction(HWND launcher, double afterS, const std::function<void()>& input,
                           const std::function<bool()>& changed) {
    ActionResult result;
    std::atomic<bool> started{false};
    std::atomic<long> trips{0};
    std::atomic<long> worstMicroseconds{-1};
    const double start = nowMs();
    std::thread roundTrips([&] {
        started = true;
        while (nowMs() - start < afterS * 1000) {
            const double sent = nowMs();
            DWORD_PTR answer = 0;
            if (!SendMessageTimeoutA(launcher, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &answer)) break;
            const long took = static_cast<long>((nowMs() - sent) * 1000);
            if (took > worstMicroseconds) worstMicroseconds = took;
            ++trips;
            Sleep(1);  // a steady trickle, not a flood that would itself keep the window busy
        }
    });
    while (!started) Sleep(0);
    input();
    if (waitFor(changed, afterS * 1000 + 3000)) result.changeMs = nowMs() - start;
    roundTrips.join();
    result.roundTrips = trips;
    if (worstMicroseconds >= 0) result.worstRoundTripMs = worstMicroseconds / 1000.0;
    return result;
}

void printAction(const char* name, const ActionResult& r) {
    std::printf("action_%s_change_ms %.1f\n", name, r.changeMs);
    std::printf("action_%s_round_trip_ms %.1f\n", name, r.worstRoundTripMs);
    std::printf("action_%s_round_trips %ld\n", name, r.roundTrips);
    std::fflush(stdout);
}

int runActions(const Options& options) {
    const std::string exe = option(options, "exe");
    if (exe.empty()) {
        std::fprintf(stderr, "actions needs --exe\n");
        return 1;
    }
    const std::string dir = option(options, "dir");
    const std::string clientLog = option(options, "client-log");
    const double settleS = seconds(options, "settle", 3);
    const double afterS = seconds(options, "after", 2);
    if (!clientLog.empty()) SetEnvironmentVariableA("TARVO_STUB_LOG", clientLog.c_str());
    PROCESS_INFORMATION info{};
    if (!startProgram(exe, commandLineOf(exe, options), dir, info)) return 1;
    const DWORD pid = info.dwProcessId;
    const std::string className = "#32770", title = "QuarrionOL";
    HWND launcher = nullptr;
    waitFor([&] { return (launcher = visibleWindow(pid, className, title)) != nullptr; }, 30000);
    bool ok = launcher != nullptr;
    auto finish = [&](bool success) {
        endProgramAndClient(info, nullptr);
        std::printf("result %s\n", success ? "ok" : "incomplete");
        std::fflush(stdout);
        return success ? 0 : 1;
    };
    if (!ok) return finish(false);
    Sleep(static_cast<DWORD>(settleS * 1000));  // the game becomes ready

    // A boss key, set as the player sets it: the settings panel (caption
    // button 2), Control+Shift+B in its hot-key field, the box checked, its
    // confirm button once the panel is in place.
    const RECT full = windowRect(launcher);
    SetForegroundWindow(launcher);
    tapAt(POINT{full.right - 209 + 40, full.top + 19 + 14});
    HWND settings = nullptr;
    if (!waitFor([&] { return (settings = visiblePanelWith(pid, IDC_BOSS_HOTKEY)) != nullptr; }, 5000)) {
        std::fprintf(stderr, "the settings panel did not open\n");
        return finish(false);
    }
    SendMessageA(GetDlgItem(settings, IDC_BOSS_HOTKEY), HKM_SETHOTKEY, MAKEWORD('B', HOTKEYF_CONTROL | HOTKEYF_SHIFT), 0);
    SendMessageA(GetDlgItem(settings, IDC_BOSS_ENABLE), BM_SETCHECK, BST_CHECKED, 0);
    RECT panel{};
    waitFor([&] {
        panel = windowRect(settings);
        return panel.right == full.right - 100 && panel.top == full.top + 50;
    }, 5000);
    Sleep(200);
    tapAt(POINT{panel.left + 248 + 30, panel.top + 62 + 11});
    if (!waitFor([&] { return !styleVisible(settings); }, 5000)) {
        std::fprintf(stderr, "the settings panel did not close\n");
        return finish(false);
    }
    Sleep(500);

    const UINT trayNotify = WM_USER + 0x65;
    const LPARAM bossKeyValue = MAKELPARAM(MOD_CONTROL | MOD_SHIFT, 'B');
    struct Step {
        const char* name;
        std::function<void()> input;
        std::function<bool()> changed;
    };
    HWND exitPanel = nullptr;
    const std::vector<Step> steps = {
        {"tray_hide", [&] { PostMessageA(launcher, trayNotify, 5, WM_LBUTTONDOWN); },
         [&] { return !IsWindowVisible(launcher); }},
        {"tray_show", [&] { PostMessageA(launcher, trayNotify, 5, WM_LBUTTONDOWN); },
         [&] { return IsWindowVisible(launcher) != FALSE; }},
        {"boss_hide", [&] { PostMessageA(launcher, WM_HOTKEY, kBossHotKeyId, bossKeyValue); },
         [&] { return !IsWindowVisible(launcher); }},
        {"boss_show", [&] { PostMessageA(launcher, WM_HOTKEY, kBossHotKeyId, bossKeyValue); },
         [&] { return IsWindowVisible(launcher) != FALSE; }},
        {"panel_open", [&] { const RECT w = windowRect(launcher); tapAt(POINT{w.right - 33 + 14, w.top + 1 + 12}); },
         [&] { return (exitPanel = visiblePanelWith(pid, IDC_EXIT_TEXT, launcher)) != nullptr; }},
        {"panel_close",
         [&] { const RECT p = windowRect(exitPanel); tapAt(POINT{p.left + 170 + 30, p.top + 90 + 11}); },
         [&] { return !styleVisible(exitPanel); }},
        {"size_restore", [&] { const RECT w = windowRect(launcher); tapAt(POINT{w.right - 61 + 14, w.top + 1 + 12}); },
         [&] { const RECT w = windowRect(launcher); return w.right - w.left == 1024 && w.bottom - w.top == 738; }},
        {"size_full", [&] { const RECT w = windowRect(launcher); tapAt(POINT{w.right - 61 + 14, w.top + 1 + 12}); },
         [&] { const RECT w = windowRect(launcher); return EqualRect(&w, &full) != FALSE; }},
        {"minimise", [&] { const RECT w = windowRect(launcher); tapAt(POINT{w.right - 89 + 14, w.top + 1 + 12}); },
         [&] { return IsIconic(launcher) != FALSE; }},
        {"restore", [&] { PostMessageA(launcher, WM_SYSCOMMAND, SC_RESTORE, 0); },
         [&] { return !IsIconic(launcher) && IsWindowVisible(launcher); }},
    };
    for (const Step& step : steps) {
        const ActionResult result = measureAction(launcher, afterS, step.input, step.changed);
        printAction(step.name, result);
        if (result.changeMs < 0 || result.worstRoundTripMs < 0) ok = false;
        // Between actions the pointer rests over the game, away from the
        // caption buttons.
        movePointer(POINT{640, 700});
        Sleep(300);
    }
    return finish(ok);
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (argc < 2 || !parseOptions(argc, argv, options)) {
        std::fprintf(stderr, "usage: BenchProbe start --exe <path> [options] | BenchProbe draws [--moves n] | BenchProbe actions --exe <path> [options]\n");
        return 2;
    }
    const std::string mode = argv[1];
    if (mode == "start") return runStart(options);
    if (mode == "draws") return runDraws(options);
    if (mode == "actions") return runActions(options);
    std::fprintf(stderr, "unknown mode: %s\n", mode.c_str());
    return 2;
}
