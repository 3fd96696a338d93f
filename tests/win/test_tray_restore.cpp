// The tray icon after the shell's taskbar is re-created: it comes back when
// it was showing, and stays away when the boss key had taken it away.
#include "launcher/launcher_dlg_win.h"
#include "resource.h"
#include "support/test_support_win.h"

#include <gtest/gtest.h>

#include "win/quiet_launcher_win.h"

#include "support/tray_keeper_win.h"
#include "support/window_probes_win.h"
#include "window/boss_key.h"
#include <commctrl.h>
#include <ole2.h>

#include <memory>

using namespace tarvo_test;

namespace {

void deleteIconBehindItsBack(HWND window) {
    NOTIFYICONDATAW data{};
    data.cbSize = NOTIFYICONDATAW_V1_SIZE;
    data.hWnd = window;
    data.uID = 5;
    Shell_NotifyIconW(NIM_DELETE, &data);
}

TEST(TrayRestore, TaskbarCreatedBringsBackOnlyAnIconThatWasShowing) {
    OleInitialize(nullptr);
    TrayKeeper keeper;
    const UINT taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
    ASSERT_NE(taskbarCreated, 0u);

    auto launcher = std::make_unique<QuietLauncher>();
    ASSERT_TRUE(launcher->Create(IDD_LAUNCHER_DIALOG, nullptr));
    const HWND hwnd = launcher->m_hWnd;
    KillTimer(hwnd, kWatchdogTimerId);
    KillTimer(hwnd, kProgressTimerId);
    pumpMessages();
    ASSERT_TRUE(trayIconPresent(hwnd, kTrayIconId));

    // The new taskbar has lost the icon: it is added again.
    deleteIconBehindItsBack(hwnd);
    ASSERT_FALSE(trayIconPresent(hwnd, kTrayIconId));
    EXPECT_EQ(SendMessageA(hwnd, taskbarCreated, 0, 0), 0);
    EXPECT_TRUE(trayIconPresent(hwnd, kTrayIconId));

    // The message while the icon is still there: it stays, and a later
    // re-creation still brings it back (the launcher still counts it as showing).
    SendMessageA(hwnd, taskbarCreated, 0, 0);
    EXPECT_TRUE(trayIconPresent(hwnd, kTrayIconId));
    deleteIconBehindItsBack(hwnd);
    SendMessageA(hwnd, taskbarCreated, 0, 0);
    EXPECT_TRUE(trayIconPresent(hwnd, kTrayIconId));

    // Hidden with the boss key, the icon is gone on purpose and stays gone.
    launcher->SetBossKey(true, VK_F9, HOTKEYF_CONTROL | HOTKEYF_ALT);
    SendMessageA(hwnd, WM_HOTKEY, kBossHotKeyId, 0);
    ASSERT_FALSE(IsWindowVisible(hwnd));
    ASSERT_FALSE(trayIconPresent(hwnd, kTrayIconId));
    SendMessageA(hwnd, taskbarCreated, 0, 0);
    EXPECT_FALSE(trayIconPresent(hwnd, kTrayIconId));
    // Brought back with the boss key, the icon is back as well.
    SendMessageA(hwnd, WM_HOTKEY, kBossHotKeyId, 0);
    EXPECT_TRUE(IsWindowVisible(hwnd));
    EXPECT_TRUE(trayIconPresent(hwnd, kTrayIconId));

    // Esc removes the icon; the taskbar's re-creation does not undo that.
    SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    ASSERT_FALSE(trayIconPresent(hwnd, kTrayIconId));
    SendMessageA(hwnd, taskbarCreated, 0, 0);
    EXPECT_FALSE(trayIconPresent(hwnd, kTrayIconId));

    launcher->DestroyWindow();
    pumpMessages();
}

// A launcher started before the shell: every tray call fails until the
// shell is "there".
class LauncherBeforeTheShell : public QuietLauncher {
public:
    bool shellThere = false;

protected:
    BOOL ShellNotifyIcon(DWORD message, NOTIFYICONDATAW* data) override {
        return shellThere ? CLauncherDlg::ShellNotifyIcon(message, data) : FALSE;
    }
};

TEST(TrayRestore, IconAppearsOnceTheShellIsThereAndHidingWaitsForIt) {
    OleInitialize(nullptr);
    TrayKeeper keeper;
    const UINT taskbarCreated = RegisterWindowMessageA("TaskbarCreated");

    auto launcher = std::make_unique<LauncherBeforeTheShell>();
    ASSERT_TRUE(launcher->Create(IDD_LAUNCHER_DIALOG, nullptr));
    const HWND hwnd = launcher->m_hWnd;
    KillTimer(hwnd, kWatchdogTimerId);
    KillTimer(hwnd, kProgressTimerId);
    launcher->ShowWindow(SW_SHOW);
    pumpMessages();
    ASSERT_FALSE(trayIconPresent(hwnd, kTrayIconId));

    // To the tray with no icon to come back through: minimised, not hidden.
    launcher->RunCaptionAction(4);
    pumpMessages();
    EXPECT_TRUE(IsWindowVisible(hwnd));
    EXPECT_TRUE(IsIconic(hwnd));
    EXPECT_FALSE(trayIconPresent(hwnd, kTrayIconId));
    launcher->ShowWindow(SW_RESTORE);

    // The shell arrives and announces its taskbar: the icon is added.
    launcher->shellThere = true;
    SendMessageA(hwnd, taskbarCreated, 0, 0);
    EXPECT_TRUE(trayIconPresent(hwnd, kTrayIconId));

    // Now hiding to the tray hides.
    launcher->RunCaptionAction(4);
    EXPECT_FALSE(IsWindowVisible(hwnd));
    SendMessageA(hwnd, WM_TRAYNOTIFY, 5, WM_LBUTTONDOWN);
    EXPECT_TRUE(IsWindowVisible(hwnd));

    launcher->DestroyWindow();
    pumpMessages();
}

} // namespace
