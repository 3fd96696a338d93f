// Looking at windows and processes from outside, the way a test or a
// benchmark sees another program (or this program's own windows): rectangles,
// visibility, combo box entries, whether a window still answers, tray icons
// and hot keys, child processes.
//
// Header only, so that the benchmark tools can use it without the test
// library. Text read from windows is std::string in UTF-8.
#pragma once

#include <windows.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include "text_win.h"

#include <optional>
#include <string>
#include <vector>

namespace tarvo_test {

// ---------------------------------------------------------------------------
// Rectangles and points
// ---------------------------------------------------------------------------

// The window's rectangle in screen coordinates (empty when it is gone).
inline RECT windowRect(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

// A child window's rectangle in its parent's client coordinates.
inline RECT childRect(HWND child) {
    RECT rect = windowRect(child);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

inline bool sameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// "(left, top) width x height", for failure messages.
inline std::string describeRect(const RECT& r) {
    return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ") " + std::to_string(r.right - r.left) +
           " x " + std::to_string(r.bottom - r.top);
}

// A client point packed as mouse messages carry it.
inline LPARAM pointParam(int x, int y) { return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)); }
inline LPARAM pointParam(POINT p) { return pointParam(p.x, p.y); }

// ---------------------------------------------------------------------------
// State of a window
// ---------------------------------------------------------------------------

// Whether the window has the visible style (works for windows of another
// process, and for a window whose parent is hidden).
inline bool styleVisible(HWND window) {
    return window && (GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE) != 0;
}

// Whether the window's thread answers a message within `timeoutMs`.
inline bool responsive(HWND window, int timeoutMs = 2500) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, static_cast<UINT>(timeoutMs), &result) != 0;
}

// Ends the window's message loop the way the launcher's watchdog does: a
// quit message to its thread. False when the window has no thread.
inline bool postQuit(HWND window) {
    const DWORD thread = GetWindowThreadProcessId(window, nullptr);
    return thread != 0 && PostThreadMessageA(thread, WM_QUIT, 0, 0);
}

namespace probes_detail {

struct PanelQuery {
    DWORD pid;
    int controlId;
    HWND except;
    HWND found;
};

inline BOOL CALLBACK matchPanel(HWND window, LPARAM param) {
    PanelQuery& query = *reinterpret_cast<PanelQuery*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != query.pid || window == query.except || !styleVisible(window) || !GetDlgItem(window, query.controlId))
        return TRUE;
    query.found = window;
    return FALSE;
}

}  // namespace probes_detail

// The first visible top-level window of process `pid`, other than `except`,
// that holds a control `controlId` (one of the launcher's panels, say); null
// when none shows. Windows are searched in z-order.
inline HWND visiblePanelWith(DWORD pid, int controlId, HWND except = nullptr) {
    probes_detail::PanelQuery query{pid, controlId, except, nullptr};
    EnumWindows(probes_detail::matchPanel, reinterpret_cast<LPARAM>(&query));
    return query.found;
}

// ---------------------------------------------------------------------------
// Combo boxes (also of another process)
// ---------------------------------------------------------------------------

// The number of entries; -1 without a combo box.
inline int comboCount(HWND combo) {
    return combo ? static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0)) : -1;
}

// The text of entry `index` in UTF-8; empty when there is no such entry.
// Read as wide text, which the system converts reliably across processes.
inline std::string comboEntry(HWND combo, int index = 0) {
    const LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == CB_ERR) return std::string();
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&text[0]));
    return utf8FromWide(text);
}

// Every entry, in order.
inline std::vector<std::string> comboEntries(HWND combo) {
    std::vector<std::string> entries;
    for (int i = 0, count = comboCount(combo); i < count; ++i) entries.push_back(comboEntry(combo, i));
    return entries;
}

// ---------------------------------------------------------------------------
// Tray icons and hot keys
// ---------------------------------------------------------------------------

// Whether the window's tray icon `id` is in the notification area: only an
// icon that is there can be modified.
inline bool trayIconPresent(HWND window, UINT id) {
    NOTIFYICONDATAA data{};
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = window;
    data.uID = id;
    return Shell_NotifyIconA(NIM_MODIFY, &data) != FALSE;
}

// Whether some program holds the combination as a hot key: one that is taken
// cannot be registered a second time.
inline bool hotKeyTaken(UINT modifiers, UINT virtualKey) {
    if (!RegisterHotKey(nullptr, 0x7F00, modifiers, virtualKey)) return true;
    UnregisterHotKey(nullptr, 0x7F00);
    return false;
}

// ---------------------------------------------------------------------------
// Processes
// ---------------------------------------------------------------------------

// The first process started by `parentPid` whose program file is named
// `exeName` (case-insensitive); 0 when there is none.
inline DWORD childProcessOf(DWORD parentPid, const char* exeName) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 0;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    DWORD found = 0;
    for (BOOL more = Process32First(snapshot, &entry); more && !found; more = Process32Next(snapshot, &entry)) {
        if (entry.th32ParentProcessID == parentPid && lstrcmpiA(entry.szExeFile, exeName) == 0)
            found = entry.th32ProcessID;
    }
    CloseHandle(snapshot);
    return found;
}

// The process that owns a window; 0 when the window is gone.
inline DWORD windowProcess(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    return pid;
}

// A process that a test caused to start (the launcher's game client, say),
// opened by its id and terminated when the owner goes if it still runs.
// Movable, not copyable.
class OpenedProcess {
public:
    OpenedProcess() = default;
    explicit OpenedProcess(DWORD pid)
        : handle_(pid ? OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION, FALSE, pid)
                      : nullptr) {}
    ~OpenedProcess() { close(); }
    OpenedProcess(OpenedProcess&& other) noexcept : handle_(other.handle_) { other.handle_ = nullptr; }
    OpenedProcess& operator=(OpenedProcess&& other) noexcept {
        if (this != &other) {
            close();
            handle_ = other.handle_;
            other.handle_ = nullptr;
        }
        return *this;
    }
    OpenedProcess(const OpenedProcess&) = delete;
    OpenedProcess& operator=(const OpenedProcess&) = delete;

    bool valid() const { return handle_ != nullptr; }
    HANDLE handle() const { return handle_; }
    bool isRunning() const { return handle_ && WaitForSingleObject(handle_, 0) == WAIT_TIMEOUT; }
    // The exit code once the process has ended within `timeoutMs`; nothing
    // while it still runs (or when it was never opened).
    std::optional<DWORD> waitExit(int timeoutMs) const {
        if (!handle_ || WaitForSingleObject(handle_, static_cast<DWORD>(timeoutMs)) != WAIT_OBJECT_0)
            return std::nullopt;
        DWORD code = 0;
        GetExitCodeProcess(handle_, &code);
        return code;
    }

private:
    void close() {
        if (!handle_) return;
        if (isRunning()) {
            TerminateProcess(handle_, 1);
            WaitForSingleObject(handle_, 5000);
        }
        CloseHandle(handle_);
        handle_ = nullptr;
    }
    HANDLE handle_ = nullptr;
};

}  // namespace tarvo_test
