#include "framework/subclass_win.h"

#include <commctrl.h>

namespace tarvo {

namespace {

UINT_PTR keyOf(SubclassHandler handler) {
    return reinterpret_cast<UINT_PTR>(handler);
}

// The procedure the system calls for every installed handler.
LRESULT CALLBACK subclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR key,
                              DWORD_PTR data) {
    const auto handler = reinterpret_cast<SubclassHandler>(key);
    const LRESULT result = handler(window, message, wParam, lParam, reinterpret_cast<void*>(data));
    if (message == WM_NCDESTROY) ::RemoveWindowSubclass(window, &subclassProc, key);
    return result;
}

// The system's subclass lookup, from the module that holds the other
// subclass functions: the 64-bit toolchain's import library lacks it.
using GetWindowSubclassFunction = BOOL(WINAPI*)(HWND, SUBCLASSPROC, UINT_PTR, DWORD_PTR*);
GetWindowSubclassFunction getWindowSubclass() {
    static const GetWindowSubclassFunction function = [] {
        // The program's manifest makes this the version that has subclassing.
        const HMODULE module = ::GetModuleHandleW(L"comctl32.dll");
        if (!module) return GetWindowSubclassFunction{};
        FARPROC found = ::GetProcAddress(module, "GetWindowSubclass");
        if (!found) found = ::GetProcAddress(module, MAKEINTRESOURCEA(411));  // its ordinal
        return reinterpret_cast<GetWindowSubclassFunction>(reinterpret_cast<void*>(found));
    }();
    return function;
}

} // namespace

bool installSubclass(HWND window, SubclassHandler handler, void* data) {
    if (!window || !handler || !::IsWindow(window)) return false;
    if (::GetWindowThreadProcessId(window, nullptr) != ::GetCurrentThreadId()) return false;
    return ::SetWindowSubclass(window, &subclassProc, keyOf(handler), reinterpret_cast<DWORD_PTR>(data)) != FALSE;
}

void removeSubclass(HWND window, SubclassHandler handler) {
    if (window && handler) ::RemoveWindowSubclass(window, &subclassProc, keyOf(handler));
}

bool hasSubclass(HWND window, SubclassHandler handler) {
    DWORD_PTR data = 0;
    const GetWindowSubclassFunction lookUp = getWindowSubclass();
    return window && handler && lookUp && lookUp(window, &subclassProc, keyOf(handler), &data) != FALSE;
}

LRESULT callNext(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefSubclassProc(window, message, wParam, lParam);
}

} // namespace tarvo
