// Keeps an icon of the test program in the notification area while a test
// runs. Under Wine without a window manager the tray window is unmapped
// whenever its last icon goes, and every unmapping waits two seconds for a
// window manager that never answers; with this icon it stays put.
#pragma once

#include <windows.h>
#include <shellapi.h>

namespace tarvo_test {

class TrayKeeper {
public:
    explicit TrayKeeper(UINT id = 77) {
        data_.cbSize = NOTIFYICONDATAA_V1_SIZE;
        data_.hWnd = CreateWindowExA(0, "STATIC", "tray keeper", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                     GetModuleHandleA(nullptr), nullptr);
        data_.uID = id;
        data_.uFlags = NIF_ICON | NIF_TIP;
        data_.hIcon = LoadIconA(nullptr, MAKEINTRESOURCEA(32512));  // IDI_APPLICATION
        lstrcpyA(data_.szTip, "tests");
        Shell_NotifyIconA(NIM_ADD, &data_);
    }
    ~TrayKeeper() {
        Shell_NotifyIconA(NIM_DELETE, &data_);
        DestroyWindow(data_.hWnd);
    }
    TrayKeeper(const TrayKeeper&) = delete;
    TrayKeeper& operator=(const TrayKeeper&) = delete;

private:
    NOTIFYICONDATAA data_{};
};

} // namespace tarvo_test
