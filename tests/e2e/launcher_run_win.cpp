#include "e2e/launcher_run_win.h"

#include <cstring>
#include <cwchar>

namespace tarvo_test {

bool LauncherRun::start(const InstallDir& install, const std::string& parameters, const std::string& currentDir,
                        EnvVars env) {
    stubLog = install.file("client-stub.log");
    env.emplace_back("TARVO_STUB_LOG", stubLog);
    const std::string commandLine = "\"" + install.launcher() + "\" " + parameters;
    return process.start(install.launcher(), commandLine, currentDir.empty() ? install.path() : currentDir, env);
}

// The window has its title from its creation on, before the dialog manager
// has made its labels; it counts as there once its last label exists.
HWND LauncherRun::window(int timeoutMs) const {
    const DWORD start = GetTickCount();
    HWND launcher = waitForWindow(process.pid(), "#32770", "QuarrionOL", timeoutMs);
    if (!launcher) return nullptr;
    const int left = timeoutMs - static_cast<int>(GetTickCount() - start);
    return waitUntil([&] { return GetDlgItem(launcher, 1020) != nullptr; }, left > 0 ? left : 0) ? launcher : nullptr;
}

HWND LauncherRun::hostPanel(HWND launcher) const {
    HWND host = nullptr;
    waitUntil([&] { return (host = findDescendant(launcher, "#32770", nullptr)) != nullptr; }, 10000);
    return host;
}

std::string LauncherRun::clientCommandLine(int timeoutMs) const {
    std::vector<std::string> lines;
    waitUntil(
        [&] {
            lines = readLines(stubLog);
            return !lines.empty();
        },
        timeoutMs);
    return lines.empty() ? std::string() : lines.front();
}

std::string settingsWithService(const std::string& apiAddress) {
    return "GS_MAIN_web=http://127.0.0.1:9/main.html#:\r\n"
           "GS_BBS_web=http://127.0.0.1:9/bbs.html#:\r\n"
           "GS_API_web=" + apiAddress + "#:\r\n"
           "GS_API_platform_web=web#:\r\n"
           "GS_API_gkey_web=quarrion#:\r\n"
           "GS_API_key_web=e2e-sign-key#:\r\n";
}

std::string standInServiceAddress() {
    const std::string file = envOr("TARVO_INFO_PORT_FILE", "");
    std::string port = file.empty() ? std::string() : readFile(file).value_or("");
    while (!port.empty() && (port.back() == '\n' || port.back() == '\r')) port.pop_back();
    return port.empty() ? std::string() : "http://127.0.0.1:" + port + "/pick/info";
}

HWND serverListCombo(DWORD pid) {
    for (HWND window : topLevelWindows(pid)) {
        if (HWND combo = GetDlgItem(window, 1008)) return combo;
    }
    return nullptr;
}

std::string comboEntry(HWND combo) {
    // Read as wide text: the system converts it reliably across processes.
    const LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, 0, 0);
    if (length == CB_ERR) return std::string();
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    SendMessageW(combo, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(&text[0]));
    text.resize(std::wcslen(text.c_str()));
    return ansiFromWide(text);
}

} // namespace tarvo_test
