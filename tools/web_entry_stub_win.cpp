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
// Wine on X draws no child window that belongs to another process, so there
// the game area would stay blank. With TARVO_STUB_SCREEN=1 the stand-in also
// keeps a window of its own, class "TarvoGameScreen", over the host panel:
// owned by the launcher window, just above it and below its panels, moved
// with the panel and shown only while the panel is. It draws the same scene
// and takes no activation; the game window in the host panel stays the one
// the launcher is told about and watches.
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
//   TARVO_STUB_SCREEN=1         also show the scene in a window over the host panel

#include "stub_common_win.h"

#include <windows.h>

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using stub::envFlag;
using stub::envInt;
using stub::kWmGameReady;
using stub::kWmGameWindow;

constexpr UINT_PTR kReadyTimer = 2;
constexpr UINT_PTR kCloseTimer = 3;
constexpr UINT kAnimPeriodMs = 50;

const char kClassName[] = "TarvoGameView";
const char kScreenClassName[] = "TarvoGameScreen";

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
    errno = 0;
    long long v = std::strtoll(text.c_str(), &end, 10);
    if (!end || *end != '\0') return nullptr;
    if (errno == ERANGE) return nullptr;
    // A 32-bit program's handles fit 32 bits (written signed, or unsigned by
    // an older launcher); a 64-bit one's are read whole.
    if (sizeof(HWND) == 4) {
        if (v < INT32_MIN || v > static_cast<long long>(UINT32_MAX)) return nullptr;
        return reinterpret_cast<HWND>(static_cast<uintptr_t>(static_cast<uint32_t>(v)));
    }
    return reinterpret_cast<HWND>(static_cast<intptr_t>(v));
}

struct State {
    HWND host = nullptr;      // the host panel, or null in top-level mode
    HWND launcher = nullptr;  // the host panel's parent
    HWND game = nullptr;
    HWND screen = nullptr;    // the window over the host panel, if any
    bool sendReady = true;
    bool sendWindowMsg = true;
    DWORD startTick = 0;
    DWORD maxLifeMs = 600000;
    unsigned phase = 0;
    HFONT font = nullptr;
    HFONT small = nullptr;
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

HBRUSH solid(COLORREF c) {
    return CreateSolidBrush(c);
}

void fillPolygon(HDC dc, const POINT* points, int count, COLORREF colour) {
    HBRUSH brush = solid(colour);
    HPEN pen = CreatePen(PS_SOLID, 1, colour);
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    Polygon(dc, points, count);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(pen);
    DeleteObject(brush);
}

void fillEllipse(HDC dc, int l, int t, int r, int b, COLORREF fill, COLORREF rim) {
    HBRUSH brush = solid(fill);
    HPEN pen = CreatePen(PS_SOLID, 2, rim);
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    Ellipse(dc, l, t, r, b);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(pen);
    DeleteObject(brush);
}

void fillBox(HDC dc, int l, int t, int r, int b, COLORREF colour) {
    RECT rect = {l, t, r, b};
    HBRUSH brush = solid(colour);
    FillRect(dc, &rect, brush);
    DeleteObject(brush);
}

// A ridge of mountains across the width: peaks every `step` pixels.
void drawRidge(HDC dc, int w, int h, int base, int height, int step, int seed, COLORREF colour) {
    std::vector<POINT> points;
    points.push_back(POINT{0, h});
    for (int x = -step; x <= w + step; x += step / 2) {
        const int k = (x / (step / 2) + seed) & 7;
        const int peak = (k % 2 == 0) ? height * (5 + (k * 3) % 5) / 9 : height / 6;
        points.push_back(POINT{x, base - peak});
    }
    points.push_back(POINT{w, h});
    fillPolygon(dc, points.data(), static_cast<int>(points.size()), colour);
}

void drawText(HDC dc, const wchar_t* text, RECT box, COLORREF colour, UINT format) {
    SetTextColor(dc, RGB(0, 0, 0));
    RECT shadow = {box.left + 2, box.top + 2, box.right + 2, box.bottom + 2};
    DrawTextW(dc, text, -1, &shadow, format);
    SetTextColor(dc, colour);
    DrawTextW(dc, text, -1, &box, format);
}

// A night landscape with a wandering hero, a title, a status bar and a
// small map: enough to tell at a glance that a game runs.
void drawScene(HDC dc, int w, int h) {
    const int bands = 48;
    const int horizon = h * 3 / 5;
    for (int i = 0; i < bands; ++i) {
        RECT r = {0, horizon * i / bands, w, horizon * (i + 1) / bands};
        HBRUSH b = solid(mix(RGB(10, 14, 42), RGB(70, 40, 70), i, bands - 1));
        FillRect(dc, &r, b);
        DeleteObject(b);
    }
    for (int i = 0; i < 60; ++i) {  // stars
        const int x = (i * 97 + 13) % (w > 1 ? w : 1);
        const int y = (i * 53 + 7) % (horizon > 1 ? horizon : 1);
        SetPixel(dc, x, y, RGB(230, 220, 190));
    }
    const int moon = (w < h ? w : h) / 10 + 10;
    fillEllipse(dc, w * 3 / 4 - moon, h / 6 - moon, w * 3 / 4 + moon, h / 6 + moon, RGB(250, 228, 160),
                RGB(255, 244, 200));
    drawRidge(dc, w, h, horizon + 10, h / 3, 180, 1, RGB(48, 40, 62));
    drawRidge(dc, w, h, horizon + 40, h / 4, 120, 4, RGB(30, 28, 38));
    fillBox(dc, 0, horizon + 40, w, h, RGB(24, 34, 22));
    fillBox(dc, 0, horizon + 70, w, horizon + 74, RGB(96, 78, 48));  // a road

    // The hero walks along the road and back.
    const int span = w > 200 ? w - 200 : 1;
    const int pos = static_cast<int>(g.phase * 3 % (2 * span));
    const int hx = 100 + (pos < span ? pos : 2 * span - pos);
    const int hy = horizon + 70;
    const int stride = (g.phase / 3) % 2 ? 6 : -6;
    HPEN body = CreatePen(PS_SOLID, 4, RGB(210, 60, 40));
    HGDIOBJ oldPen = SelectObject(dc, body);
    MoveToEx(dc, hx, hy - 46, nullptr);
    LineTo(dc, hx, hy - 18);
    LineTo(dc, hx - stride, hy);
    MoveToEx(dc, hx, hy - 18, nullptr);
    LineTo(dc, hx + stride, hy);
    MoveToEx(dc, hx - 12, hy - 38, nullptr);
    LineTo(dc, hx + 12, hy - 38);
    SelectObject(dc, oldPen);
    DeleteObject(body);
    HPEN blade = CreatePen(PS_SOLID, 2, RGB(230, 230, 240));
    oldPen = SelectObject(dc, blade);
    MoveToEx(dc, hx + 12, hy - 38, nullptr);
    LineTo(dc, hx + 30, hy - 62);
    SelectObject(dc, oldPen);
    DeleteObject(blade);
    fillEllipse(dc, hx - 8, hy - 62, hx + 8, hy - 46, RGB(240, 200, 160), RGB(60, 30, 20));

    HGDIOBJ oldFont = SelectObject(dc, g.font ? g.font : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    drawText(dc, L"QuarrionOL", RECT{0, h / 12, w, h / 12 + 60}, RGB(250, 215, 110),
             DT_CENTER | DT_SINGLELINE | DT_VCENTER);
    SelectObject(dc, g.small ? g.small : GetStockObject(DEFAULT_GUI_FONT));

    // Status bar: life and mana, and the small map in the top-right corner.
    fillBox(dc, 16, h - 56, 236, h - 12, RGB(20, 16, 12));
    fillBox(dc, 20, h - 52, 20 + 200 * (70 + (g.phase / 10) % 30) / 100, h - 38, RGB(190, 30, 30));
    fillBox(dc, 20, h - 30, 20 + 160, h - 16, RGB(40, 80, 200));
    drawText(dc, L"\u751F\u547D", RECT{24, h - 53, 200, h - 37}, RGB(255, 240, 220), DT_LEFT | DT_SINGLELINE | DT_VCENTER);
    drawText(dc, L"\u6CD5\u529B", RECT{24, h - 31, 200, h - 15}, RGB(255, 240, 220), DT_LEFT | DT_SINGLELINE | DT_VCENTER);
    fillEllipse(dc, w - 130, 14, w - 14, 130, RGB(30, 44, 30), RGB(198, 170, 102));
    fillEllipse(dc, w - 76 + (hx * 40 / (w > 1 ? w : 1)) - 30, 68, w - 70 + (hx * 40 / (w > 1 ? w : 1)) - 30, 74,
                RGB(240, 60, 40), RGB(240, 60, 40));
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

// What both scene windows do with painting messages: the scene covers every
// pixel, so there is no background to erase. True when `msg` was handled.
bool handleScenePainting(HWND hwnd, UINT msg, LRESULT& result) {
    if (msg == WM_ERASEBKGND) {
        result = 1;
        return true;
    }
    if (msg == WM_PAINT) {
        paint(hwnd);
        result = 0;
        return true;
    }
    return false;
}

LRESULT CALLBACK gameProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT painted = 0;
    if (handleScenePainting(hwnd, msg, painted)) return painted;
    switch (msg) {
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
        if (g.screen) DestroyWindow(g.screen);
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

// The screen window over the host panel: same scene, never activated.
LRESULT CALLBACK screenProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT painted = 0;
    if (handleScenePainting(hwnd, msg, painted)) return painted;
    switch (msg) {
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_DESTROY:
        g.screen = nullptr;
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

// Keeps the screen window on the host panel's place, just above the launcher
// window (so below the launcher's own panels), and visible only while the
// panel is visible.
void followHostWithScreen() {
    if (!g.screen || !g.host || !g.launcher) return;
    const bool show = IsWindowVisible(g.host) && !IsIconic(g.launcher);
    if (!show) {
        if (IsWindowVisible(g.screen)) ShowWindow(g.screen, SW_HIDE);
        return;
    }
    RECT host, mine;
    GetWindowRect(g.host, &host);
    GetWindowRect(g.screen, &mine);
    UINT flags = SWP_NOACTIVATE | SWP_SHOWWINDOW;
    if (EqualRect(&host, &mine)) flags |= SWP_NOMOVE | SWP_NOSIZE;
    HWND above = GetWindow(g.launcher, GW_HWNDPREV);
    if (above == g.screen && IsWindowVisible(g.screen) && (flags & SWP_NOMOVE)) return;
    HWND insertAfter = above && above != g.screen ? above : HWND_TOP;
    if (above == g.screen) flags |= SWP_NOZORDER;
    SetWindowPos(g.screen, insertAfter, host.left, host.top, host.right - host.left, host.bottom - host.top, flags);
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
    followHostWithScreen();
    ++g.phase;
    InvalidateRect(g.game, nullptr, FALSE);
    if (g.screen) InvalidateRect(g.screen, nullptr, FALSE);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    stub::logStart();
    const char* cmdLine = GetCommandLineA();

    const int exitCode = static_cast<int>(envInt("TARVO_STUB_EXIT_CODE", 0));
    if (envFlag("TARVO_STUB_EXIT_AT_ONCE")) return exitCode;

    g.sendReady = !envFlag("TARVO_STUB_NO_READY");
    g.sendWindowMsg = !envFlag("TARVO_STUB_NO_WINDOW_MSG");
    g.startTick = GetTickCount();
    g.maxLifeMs = stub::maxLifeMs();

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
    g.small = CreateFontA(-14, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                          CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_SWISS, "SimSun");  // life and mana labels

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

    if (g.host && envFlag("TARVO_STUB_SCREEN")) {
        WNDCLASSA sc = {};
        sc.lpfnWndProc = screenProc;
        sc.hInstance = instance;
        sc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        sc.lpszClassName = kScreenClassName;
        if (RegisterClassA(&sc)) {
            g.screen = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kScreenClassName, "QuarrionOL", WS_POPUP,
                                       0, 0, 1, 1, g.launcher, nullptr, instance, nullptr);
        }
    }

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
    if (g.screen) DestroyWindow(g.screen);
    if (g.font) DeleteObject(g.font);
    if (g.small) DeleteObject(g.small);
    return exitCode;
}
