// The launcher's one-time preparation and launch of the game client.
#include "launcher/launcher_dlg_win.h"

#include "app/client_update_win.h"
#include "app/file_paths.h"
#include "app/programs_win.h"
#include "app/settings_file_win.h"
#include "app/web_entry_command.h"
#include "framework/text_win.h"
#include "panels/game_host_panel_win.h"
#include "service/account_worker_win.h"

#include <string>

namespace {

const wchar_t kAutoPatcherName[] = L"TarvoRiftOnlineAutoPatch.exe";

} // namespace

void CLauncherDlg::runStartupSequence() {
    stopAutoPatcher(kAutoPatcherName);

    const std::wstring ownPath = modulePath();
    launcherDirectory_ = tarvo::parentFolder(ownPath);
    // The application's name: the launcher's file name without its extension.
    const std::string applicationName = tarvo::wideToUtf8(tarvo::withoutExtension(tarvo::fileNameOf(ownPath)));
    installPendingUpdate(launcherDirectory_);

    const std::string commandLine = ::GetCommandLineA();
    parseLaunchParameters(commandLine, launchParameters_);

    const std::wstring settingsPath = tarvo::joinPath(launcherDirectory_, L"client\\http.cfg");
    switch (readServiceSettings(settingsPath, launchParameters_.platformTag, serviceSettings_)) {
    case SettingsRead::Read: break;
    case SettingsRead::PathTooLong: tarvo::AfxMessageBox(m_hWnd, folderTooLongMessage(launcherDirectory_), ""); break;
    default: tarvo::AfxMessageBox(m_hWnd, "读取设置文件<http.cfg>失败", ""); break;
    }

    launchParameters_.markerTail = takeMarkerTail(commandLine);
    // The handle's full value, signed (LONG_PTR is as wide as a pointer).
    const std::int64_t hostWindow =
        gameHostPanel_ ? static_cast<std::int64_t>(reinterpret_cast<LONG_PTR>(gameHostPanel_->m_hWnd)) : 0;
    // Composed whole, never cut: a line longer than the system accepts makes
    // the start fail, which is reported like any failed start.
    tarvo::UniqueHandle process = startProgram(
        tarvo::joinPath(launcherDirectory_, L"TarvoWebEntry.exe"),
        composeWebEntryCommandLine(hostWindow, launchParameters_), std::wstring(),
        StartFailureMessage{m_hWnd, "启动TarvoWebEntry失败，文件不完整，请重新安装！", applicationName});

    // Each answer finds this window by its handle on the UI thread: a window
    // gone by then gets nothing.
    AccountInfoTargets targets;
    targets.values = requestValues();
    targets.uiThread = ::GetCurrentThreadId();
    const HWND self = m_hWnd;
    targets.answers.playerName = [self](const std::string& name) {
        if (CLauncherDlg* launcher = FromWindow(self)) launcher->ShowPlayerName(name);
    };
    targets.answers.server = [self](const std::string& server) {
        if (CLauncherDlg* launcher = FromWindow(self)) launcher->ShowServer(server);
    };
    targets.answers.page = [self](const std::string& address) {
        if (CLauncherDlg* launcher = FromWindow(self)) launcher->OpenPage(address);
    };
    startAccountInfoWorker(targets);

    webEntryProcess_ = std::move(process);
}
