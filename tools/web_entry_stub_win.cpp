// Stand-in for the web-entry game client, TarvoWebEntry.exe.
//
// The launcher starts it with a 13-word command line whose second word is the
// game host panel's window handle in signed decimal. The stand-in:
//   * appends its exact command line and its current directory (two lines) to
//     the file named by TARVO_STUB_LOG, if that variable is set;
//   * creates its game window, class "TarvoGameView", as a child of the host
//     panel covering the panel's client area, draws a small animated scene
//     into it and keeps it sized to the panel;
//   * sends WM_GAMEWINDOW (wParam = game window) and then WM_GAMEREADY to the
//     launcher window, the host panel's parent;
//   * ends when its game window is destroyed or the host panel disappears.
// With a missing or invalid handle it opens a top-level window instead.
//
// Environment options (for tests):
//   TARVO_STUB_LOG              file to append the two log lines to
//   TARVO_STUB_READY_DELAY_MS   delay before sending both messages (1500)
//   TARVO_STUB_NO_READY=1       never send WM_GAMEREADY
//   TARVO_STUB_NO_WINDOW_MSG=1  never send WM_GAMEWINDOW
//   TARVO_STUB_CLOSE_AFTER_MS   destroy the game window after that long
//   TARVO_STUB_EXIT_CODE        exit code of the process (0)
//   TARVO_STUB_EXIT_AT_ONCE=1   exit right after logging, with the exit code
//   TARVO_STUB_MAX_LIFE_MS      safety net: end after that long (600000)

#include "stub_common_win.h"

#include <windows.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using stub::envString;
using stub::envInt;
using stub::envFlag;
using stub::currentDirectory;
using stub::appendLog;

constexpr UINT kWmGameReady = 0x463;
constexpr UINT kWmGameWindow = 0x464;

constexpr UINT_PTR kReadyTimer = 2;
constexpr UINT_PTR kCloseTimer = 3;
constexpr UINT kAnimPeriodMs = 50;

const char kClassName[] = "TarvoGameView";

// Word `index` (0-based) of a command line split at single spaces.
std::string word(const char* cmdLine, size_t index) {
    std::string s(cmdLine ? cmdLine : "");
    size_t start = 0;
    for (size_t i = 0; i < index; ++i) {
        size_t sp = s.find(' ', start);
        if (sp == std::string::npos) return std::string();
        start = sp + 1;
    }
    size_t end = s.find(' ', start);
    return s.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

HWND parseHandle(const std::string& text) {
    if (text.empty()) return nullptr;
    char* end = nullptr;
    long long v = std::strtoll(text.c_str(), &end, 10);
    if (!end || *end != '\0') return nullptr;
    if (v < INT32_MIN || v > static_cast<long long>(UINT32_MAX)) return nullptr;
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(static_cast<uint32_t>(v)));
}

struct State {
    HWND host = nullptr;      // the host panel, or null in top-level mode
    HWND launcher = nullptr;  // the host panel's parent
    HWND game = nullptr;
    bool sendReady = true;
    bool sendWindowMsg = true;
    DWORD startTick = 0;
    DWORD maxLifeMs = 600000;
    unsigned phase = 0;
    HFONT font = nullptr;
} g;

void sendMessagesToLauncher() {
    if (!g.launcher || !IsWindow(g.launcher)) return;
    if (g.sendWindowMsg) SendMessageA(g.launcher, kWmGameWindow, reinterpret_cast<WPARAM>(g.game), 0);
    if (g.sendReady) SendMessageA(g.launcher, kWmGameReady, 0, 0);
}

void followHost(HWND hwnd) {
    if (!g.host) return;
    RECT hr, mine;
    if (!GetClientRect(g.host, &hr) || !GetClientRect(hwnd, &mine)) return;
    POINT origin = {0, 0};
    MapWindowPoints(hwnd, g.host, &origin, 1);
    if (origin.x != 0 || origin.y != 0 || mine.right != hr.right || mine.bottom != hr.bottom)
        MoveWindow(hwnd, 0, 0, hr.right, hr.bottom, TRUE);
}

COLORREF mix(COLORREF a, COLORREF b, int num, int den) {
    auto ch = [&](int x, int y) { return x + (y - x) * num / den; };
    return RGB(ch(GetRValue(a), GetRValue(b)), ch(GetGValue(a), GetGValue(b)), ch(GetBValue(a), GetBValue(b)));
}

void drawScene(HDC dc, int w, int h) {
    const int bands = 48;
    for (int i = 0; i < bands; ++i) {
        RECT r = {0, h * i / bands, w, h * (i + 1) / bands};
        HBRUSH b = CreateSolidBrush(mix(RGB(12, 16, 40), RGB(46, 14, 58), i, bands - 1));
        FillRect(dc, &r, b);
        DeleteObject(b);
    }
    double t = g.phase * 0.06;
    int radius = (w < h ? w : h) / 12 + 6;
    int cx = w / 2 + static_cast<int>(std::cos(t) * w / 3);
    int cy = h / 2 + static_cast<int>(std::sin(t * 2) * h / 5);
    HBRUSH gold = CreateSolidBrush(RGB(240, 190, 40));
    HPEN rim = CreatePen(PS_SOLID, 2, RGB(255, 230, 140));
    HGDIOBJ oldBrush = SelectObject(dc, gold);
    HGDIOBJ oldPen = SelectObject(dc, rim);
    Ellipse(dc, cx - radius, cy - radius, cx + radius, cy + radius);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(rim);
    DeleteObject(gold);

    HGDIOBJ oldFont = SelectObject(dc, g.font ? g.font : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(250, 215, 110));
    RECT tr = {0, h / 10, w, h / 10 + 60};
    DrawTextA(dc, "QuarrionOL", -1, &tr, DT_CENTER | DT_SINGLELINE | DT_VCENTER);
    SelectObject(dc, oldFont);
}

void paint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT rc;
    GetClientRect(hwnd, &rc);
    int w = rc.right > 0 ? rc.right : 1, h = rc.bottom > 0 ? rc.bottom : 1;
    HDC mem = CreateCompatibleDC(dc);
    HBITMAP bmp = CreateCompatibleBitmap(dc, w, h);
    HGDIOBJ old = SelectObject(mem, bmp);
    drawScene(mem, w, h);
    BitBlt(dc, 0, 0, w, h, mem, 0, 0, SRCCOPY);
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    EndPaint(hwnd, &ps);
}

LRESULT CALLBACK gameProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        paint(hwnd);
        return 0;
    case WM_TIMER:
        if (wp == kReadyTimer) {
            KillTimer(hwnd, kReadyTimer);
            sendMessagesToLauncher();
        } else if (wp == kCloseTimer) {
            KillTimer(hwnd, kCloseTimer);
            DestroyWindow(hwnd);
        }
        return 0;
    case WM_LBUTTONDOWN:
        SetFocus(hwnd);
        return 0;
    case WM_DESTROY:
        g.game = nullptr;
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

// The animation tick is a thread timer, not a window timer: when the
// launcher's process dies, the system removes the host panel together with
// the game window inside it without any WM_DESTROY here, and only a timer
// that does not belong to the window still notices.
void CALLBACK animationTick(HWND, UINT, UINT_PTR, DWORD) {
    if (!g.game || !IsWindow(g.game)) {
        g.game = nullptr;
        PostQuitMessage(0);
        return;
    }
    if ((g.host && !IsWindow(g.host)) || GetTickCount() - g.startTick >= g.maxLifeMs) {
        DestroyWindow(g.game);  // the launcher is gone, or the safety net ran out
        return;
    }
    followHost(g.game);
    ++g.phase;
    InvalidateRect(g.game, nullptr, FALSE);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    const char* cmdLine = GetCommandLineA();
    appendLog(std::string(cmdLine ? cmdLine : "") + "\n" + currentDirectory() + "\n");

    const int exitCode = static_cast<int>(envInt("TARVO_STUB_EXIT_CODE", 0));
    if (envFlag("TARVO_STUB_EXIT_AT_ONCE")) return exitCode;

    g.sendReady = !envFlag("TARVO_STUB_NO_READY");
    g.sendWindowMsg = !envFlag("TARVO_STUB_NO_WINDOW_MSG");
    g.startTick = GetTickCount();
    long maxLife = envInt("TARVO_STUB_MAX_LIFE_MS", 600000);
    g.maxLifeMs = maxLife > 0 ? static_cast<DWORD>(maxLife) : 600000;

    HWND host = parseHandle(word(cmdLine, 1));
    if (host && IsWindow(host)) {
        g.host = host;
        g.launcher = GetParent(host);
    }

    WNDCLASSA wc = {};
    wc.lpfnWndProc = gameProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = kClassName;
    if (!RegisterClassA(&wc)) return 2;

    g.font = CreateFontA(-36, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                         CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_SWISS, "Arial");

    if (g.host) {
        RECT rc;
        GetClientRect(g.host, &rc);
        g.game = CreateWindowExA(0, kClassName, "QuarrionOL", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0,
                                 rc.right, rc.bottom, g.host, nullptr, instance, nullptr);
    }
    if (!g.game) {  // no usable host panel: a window of its own
        g.host = nullptr;
        g.launcher = nullptr;
        g.game = CreateWindowExA(0, kClassName, "QuarrionOL", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CW_USEDEFAULT,
                                 CW_USEDEFAULT, 800, 600, nullptr, nullptr, instance, nullptr);
    }
    if (!g.game) return 3;

    UINT_PTR animTimer = SetTimer(nullptr, 0, kAnimPeriodMs, animationTick);
    long closeAfter = envInt("TARVO_STUB_CLOSE_AFTER_MS", -1);
    if (closeAfter >= 0) SetTimer(g.game, kCloseTimer, static_cast<UINT>(closeAfter), nullptr);
    long readyDelay = envInt("TARVO_STUB_READY_DELAY_MS", 1500);
    if (readyDelay <= 0)
        sendMessagesToLauncher();
    else
        SetTimer(g.game, kReadyTimer, static_cast<UINT>(readyDelay), nullptr);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    KillTimer(nullptr, animTimer);
    if (g.font) DeleteObject(g.font);
    return exitCode;
}
