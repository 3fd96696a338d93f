// The launcher's one-time preparation and launch of the game client.
#include "app/launcher_dlg_win.h"

#include "app/client_update_win.h"
#include "app/web_entry_command.h"
#include "panels/game_host_panel_win.h"
#include "panels/web_page_panel_win.h"
#include "service/account_worker_win.h"
#include "service/server_list_panel_win.h"

#include <string>
#include <vector>

namespace {

const char kAutoPatcherName[] = "TarvoRiftOnlineAutoPatch.exe";

// The full path of this program, however long.
std::string modulePath() {
    std::vector<char> buffer(512);
    for (;;) {
        DWORD length = ::GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return std::string();
        if (length < buffer.size()) return std::string(buffer.data(), length);
        if (buffer.size() >= 32768) return std::string(buffer.data(), length);
        buffer.resize(buffer.size() * 2);
    }
}

std::string launcherDirectoryOf(const std::string& path) {
    const std::string::size_type slash = path.rfind('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// The application's name: the launcher's file name without its extension.
std::string applicationName(const std::string& path) {
    std::string name = path.substr(path.rfind('\\') == std::string::npos ? 0 : path.rfind('\\') + 1);
    const std::string::size_type dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

} // namespace

void CLauncherDlg::runStartupSequence() {
    stopAutoPatcher(kAutoPatcherName);

    const std::string ownPath = modulePath();
    launcherDirectory = launcherDirectoryOf(ownPath);
    installPendingUpdate(launcherDirectory);

    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);

    const std::string commandLine = ::GetCommandLineA();
    parseLaunchParameters(commandLine, launchParameters);

    if (readServiceSettings(launcherDirectory + "\\client\\http.cfg", launchParameters.platformTag,
                            serviceSettings) != 0) {
        ::MessageBoxA(m_hWnd, "读取设置文件<http.cfg>失败", "", MB_OK);
    }

    launchParameters.markerTail = takeMarkerTail(commandLine);
    const long hostWindow = gameHostPanel ? static_cast<long>(reinterpret_cast<LONG_PTR>(gameHostPanel->m_hWnd)) : 0;
    // Composed whole, never cut: a line longer than the system accepts makes
    // the start fail, which is reported below like any failed start.
    const std::string clientLine = composeWebEntryCommandLine(hostWindow, launchParameters);
    std::vector<char> writableLine(clientLine.begin(), clientLine.end());
    writableLine.push_back('\0');

    PROCESS_INFORMATION process{};
    const std::string clientPath = launcherDirectory + "\\TarvoWebEntry.exe";
    if (!::CreateProcessA(clientPath.c_str(), writableLine.data(), nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS,
                          nullptr, nullptr, &startup, &process)) {
        ::MessageBoxA(m_hWnd, "启动TarvoWebEntry失败，文件不完整，请重新安装！", applicationName(ownPath).c_str(), MB_OK);
        process = PROCESS_INFORMATION{};
    }

    AccountInfoTargets targets;
    targets.values = requestValues();
    targets.uiThread = ::GetCurrentThreadId();
    targets.launcher = m_hWnd;
    targets.serverList = serverListPanel ? serverListPanel->serverListHandle() : nullptr;
    targets.webPagePanel = webPagePanel ? webPagePanel->m_hWnd : nullptr;
    targets.openPage = &CIeDlg::NavigateWindowTo;
    startAccountInfoWorker(targets);

    webEntryProcess.reset(process.hProcess);
    if (process.hThread) ::CloseHandle(process.hThread);
}
