// The launcher's icon in the notification area. It keeps apart whether the
// icon should be there (from the set-up on, until the boss key, Esc or the
// shut-down takes it away) and whether it is there (added and not deleted
// since): a taskbar that appears later, or is re-created, gets the icon back
// only when it is wanted.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <functional>
#include <string>

class TrayIcon {
public:
    // Adds, modifies or deletes an icon (Shell_NotifyIconW or a stand-in).
    using Notify = std::function<BOOL(DWORD message, NOTIFYICONDATAW* data)>;

    explicit TrayIcon(Notify notify) : notify_(std::move(notify)) {}

    // Fills in the icon's description; nothing is shown yet.
    // The tip is wide text, so that it reads right on every system.
    void prepare(HWND window, UINT id, UINT callbackMessage, HICON icon, const std::wstring& tip);

    // Another picture (a new DPI): the shown icon changes at once.
    void setIcon(HICON icon);

    // The icon is wanted from now on; shown when the shell accepts it.
    void add();
    // The icon is neither wanted nor shown any more.
    void remove();
    // A new taskbar: the icon goes back when it is wanted.
    void restoreOnNewTaskbar();

    bool wanted() const { return wanted_; }
    bool present() const { return present_; }
    const NOTIFYICONDATAW& data() const { return data_; }

private:
    Notify notify_;
    NOTIFYICONDATAW data_{};
    bool prepared_ = false;
    bool wanted_ = false;
    bool present_ = false;
};
