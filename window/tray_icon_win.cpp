#include "window/tray_icon_win.h"


void TrayIcon::prepare(HWND window, UINT id, UINT callbackMessage, HICON icon, const std::wstring& tip) {
    data_ = NOTIFYICONDATAW{};
    data_.cbSize = NOTIFYICONDATAW_V1_SIZE;  // the 64-character-tip layout
    data_.hWnd = window;
    data_.uID = id;
    data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data_.uCallbackMessage = callbackMessage;
    data_.hIcon = icon;
    tip.copy(data_.szTip, sizeof(data_.szTip) / sizeof(data_.szTip[0]) - 1);
    prepared_ = true;
}

void TrayIcon::setIcon(HICON icon) {
    data_.hIcon = icon;
    if (present_) notify_(NIM_MODIFY, &data_);
}

void TrayIcon::add() {
    wanted_ = true;
    if (notify_(NIM_ADD, &data_)) present_ = true;
}

void TrayIcon::remove() {
    notify_(NIM_DELETE, &data_);
    wanted_ = false;
    present_ = false;
}

void TrayIcon::restoreOnNewTaskbar() {
    // A new taskbar starts with an empty notification area: add the icon if
    // it should be there, whether it was showing before (the shell was
    // restarted) or could not be added yet (the launcher started before the
    // shell). The boss key or Esc took it away on purpose otherwise.
    if (!wanted_ || !prepared_) return;
    add();
    // Refused because it is still there (a message not from a real new
    // taskbar): it is showing all the same.
    NOTIFYICONDATAW probe = data_;
    probe.uFlags = 0;
    present_ = notify_(NIM_MODIFY, &probe) != FALSE;
}
