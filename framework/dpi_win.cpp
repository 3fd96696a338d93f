#include "framework/dpi_win.h"

#include <string>

namespace tarvo {

namespace {

constexpr int kBaseDpi = 96;

// The dialog DPI-change flags (winuser.h of newer systems).
constexpr int kDialogDisableAll = 0x0001 | 0x0002 | 0x0004;

template <typename Function>
Function lookUp(const wchar_t* module, const char* name) {
    const HMODULE handle = ::GetModuleHandleW(module);
    return handle ? reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(handle, name))) : nullptr;
}

// shcore.dll from the system folder only, once; null where the system has none.
HMODULE shellCore() {
    static const HMODULE module = [] {
        wchar_t folder[MAX_PATH] = {};
        const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
        if (length == 0 || length >= MAX_PATH) return HMODULE{};
        return ::LoadLibraryW((std::wstring(folder, length) + L"\\shcore.dll").c_str());
    }();
    return module;
}

int screenDpi() {
    const HDC screen = ::GetDC(nullptr);
    const int dpi = screen ? ::GetDeviceCaps(screen, LOGPIXELSX) : kBaseDpi;
    if (screen) ::ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : kBaseDpi;
}

int scale(int value, int fromDpi, int toDpi) {
    return ::MulDiv(value, toDpi, fromDpi > 0 ? fromDpi : kBaseDpi);
}

} // namespace

int windowDpi(HWND window) {
    using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = lookUp<GetDpiForWindowFunction>(L"user32.dll", "GetDpiForWindow");
    if (getDpiForWindow && window) {
        if (const UINT dpi = getDpiForWindow(window)) return static_cast<int>(dpi);
    }
    using GetDpiForMonitorFunction = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
    static const auto getDpiForMonitor = [] {
        const HMODULE module = shellCore();
        return module ? reinterpret_cast<GetDpiForMonitorFunction>(
                            reinterpret_cast<void*>(::GetProcAddress(module, "GetDpiForMonitor")))
                      : nullptr;
    }();
    if (getDpiForMonitor && window) {
        UINT x = 0;
        UINT y = 0;
        // 0: the effective DPI, the one windows are scaled by.
        if (SUCCEEDED(getDpiForMonitor(::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), 0, &x, &y)) && x > 0) {
            return static_cast<int>(x);
        }
    }
    return screenDpi();
}

int systemMetricForDpi(int index, int dpi) {
    using GetSystemMetricsForDpiFunction = int(WINAPI*)(int, UINT);
    static const auto forDpi = lookUp<GetSystemMetricsForDpiFunction>(L"user32.dll", "GetSystemMetricsForDpi");
    if (forDpi && dpi > 0) return forDpi(index, static_cast<UINT>(dpi));
    return scale(::GetSystemMetrics(index), screenDpi(), dpi);
}

void keepDialogLayoutOnDpiChange(HWND dialog) {
    using SetBehaviorFunction = BOOL(WINAPI*)(HWND, int, int);
    static const auto setBehavior = lookUp<SetBehaviorFunction>(L"user32.dll", "SetDialogDpiChangeBehavior");
    if (setBehavior && dialog) setBehavior(dialog, kDialogDisableAll, kDialogDisableAll);
}

Font scaledFont(HFONT font, int fromDpi, int toDpi) {
    LOGFONTW face{};
    if (!font || !::GetObjectW(font, sizeof(face), &face)) return Font();
    face.lfHeight = scale(face.lfHeight, fromDpi, toDpi);
    face.lfWidth = scale(face.lfWidth, fromDpi, toDpi);
    return Font(::CreateFontIndirectW(&face));
}

void rescaleDialogChildren(HWND dialog, int fromDpi, int toDpi, Font& font) {
    if (!dialog || fromDpi == toDpi || fromDpi <= 0 || toDpi <= 0) return;
    const HFONT dialogFont = reinterpret_cast<HFONT>(::SendMessageW(dialog, WM_GETFONT, 0, 0));
    // The font the children had from the dialog: the template's, or the one
    // an earlier change made.
    const HFONT current = font.get() ? font.get() : dialogFont;
    Font next = scaledFont(current, fromDpi, toDpi);
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        RECT place{};
        ::GetWindowRect(child, &place);
        ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&place), 2);
        // Place and size are scaled apart, as everywhere in the launcher.
        ::SetWindowPos(child, nullptr, scale(place.left, fromDpi, toDpi), scale(place.top, fromDpi, toDpi),
                       scale(place.right - place.left, fromDpi, toDpi), scale(place.bottom - place.top, fromDpi, toDpi),
                       SWP_NOZORDER | SWP_NOACTIVATE);
        const HFONT childFont = reinterpret_cast<HFONT>(::SendMessageW(child, WM_GETFONT, 0, 0));
        if (next.get() && current && childFont == current) {
            ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(next.get()), TRUE);
        }
    }
    // The children no longer use the font they had: it may go now.
    if (next.get()) font = std::move(next);
}

} // namespace tarvo
