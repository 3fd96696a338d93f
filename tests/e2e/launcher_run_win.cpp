#include "e2e/launcher_run_win.h"

#include "framework/text_win.h"
#include "res/resource.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace tarvo_test {

InstallOptions withSettings(const std::string& httpCfg) {
    InstallOptions options;
    options.httpCfg = httpCfg;
    return options;
}

bool LauncherRun::start(const InstallDir& install, const std::string& parameters, const std::string& currentDir,
                        EnvVars env) {
    // Beside the install, not in it: its path goes through the environment,
    // which takes only what the code page holds.
    stubLog = joinPath(install.root(), "client-stub.log");
    env.emplace_back("TARVO_STUB_LOG", stubLog);
    // The command line is ANSI text: a path that the code page cannot hold
    // shows there with stand-in characters, as the system's own ANSI view
    // of it would.
    const std::string commandLine = "\"" + tarvo::utf8ToAnsi(install.launcher()) + "\" " + parameters;
    return process.start(install.launcher(), commandLine, currentDir.empty() ? install.path() : currentDir, env);
}

bool LauncherRun::startFromUnixShell(const InstallDir& install, const std::string& parameters, EnvVars env) {
    stubLog = joinPath(install.root(), "client-stub.log");
    env.emplace_back("TARVO_STUB_LOG", stubLog);
    const std::string loader = envOr("TARVO_WINE_LOADER", "");
    const std::string exe = unixPathOf(install.launcher());
    const std::string dir = unixPathOf(install.path());
    if (loader.empty() || exe.empty() || dir.empty()) return false;
    env.emplace_back("TARVO_UNIX_EXE", exe);
    env.emplace_back("TARVO_UNIX_DIR", dir);
    env.emplace_back("TARVO_UNIX_PARAMETERS", parameters);
    const std::vector<DWORD> before = processesNamed("TarvoLaunch.exe");

    // A script file: Wine splits the command line by Windows rules, which
    // know no quoting that a shell script would survive.
    const std::string script = joinPath(install.root(), "start-launcher.sh");
    if (!writeFile(script, "cd \"$TARVO_UNIX_DIR\" && WINEDLLOVERRIDES=\"mscoree,mshtml=\" "
                           "exec \"$TARVO_WINE_LOADER\" \"$TARVO_UNIX_EXE\" \"$TARVO_UNIX_PARAMETERS\"\n"))
        return false;
    std::string commandLine = "/bin/sh \"" + unixPathOf(script) + "\"";
    std::vector<char> writable(commandLine.begin(), commandLine.end());
    writable.push_back('\0');
    const std::string block = environmentBlockWith(env);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION shell{};
    // Wine hands back no handle worth keeping for a Unix program: none is kept.
    if (!CreateProcessA("Z:\\bin\\sh", writable.data(), nullptr, nullptr, FALSE, 0,
                        const_cast<char*>(block.data()), nullptr, &startup, &shell))
        return false;

    DWORD pid = 0;
    waitUntil(
        [&] {
            for (DWORD candidate : processesNamed("TarvoLaunch.exe")) {
                if (std::find(before.begin(), before.end(), candidate) == before.end()) pid = candidate;
            }
            return pid != 0;
        },
        15000);
    return pid != 0 && process.adopt(pid);
}

// The window has its title from its creation on, before the dialog manager
// has made its labels; it counts as there once its last label exists.
HWND LauncherRun::window(int timeoutMs) const {
    const DWORD start = GetTickCount();
    HWND launcher = waitForWindow(process.pid(), "#32770", "QuarrionOL", timeoutMs);
    if (!launcher) return nullptr;
    const int left = timeoutMs - static_cast<int>(GetTickCount() - start);
    return waitUntil([&] { return GetDlgItem(launcher, IDC_MESSAGE_LABEL) != nullptr; }, left > 0 ? left : 0)
               ? launcher
               : nullptr;
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

::testing::AssertionResult LauncherRun::quitsCleanly(HWND launcher, int timeoutMs) {
    if (!postQuit(launcher)) return ::testing::AssertionFailure() << "no quit message could be posted";
    const std::optional<DWORD> code = process.waitExit(timeoutMs);
    if (!code) return ::testing::AssertionFailure() << "the launcher still runs";
    if (*code != 0) return ::testing::AssertionFailure() << "exit code " << *code;
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult LaunchedLauncher::start(const EnvVars& env, const std::string& parameters,
                                                   const std::string& currentDir) {
    if (!install.ok()) return ::testing::AssertionFailure() << install.error();
    if (!run.start(install, parameters, currentDir, env)) return ::testing::AssertionFailure() << run.process.error();
    window = run.window();
    if (!window) return ::testing::AssertionFailure() << "no launcher window";
    return ::testing::AssertionSuccess();
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

std::string uniqueServerNumber() { return std::to_string(GetTickCount() % 100000 + 100); }

std::string parametersForServer(const std::string& serverNumber) {
    std::string parameters = kExampleParameters;
    parameters.replace(parameters.find("web_12_a"), 8, "web_" + serverNumber + "_a");
    return parameters;
}

std::vector<std::string> serviceLogLinesWith(const std::vector<std::string>& parts) {
    std::vector<std::string> found;
    for (const std::string& line : readLines(envOr("TARVO_INFO_LOG", ""))) {
        bool all = true;
        for (const std::string& part : parts) all = all && line.find(part) != std::string::npos;
        if (all) found.push_back(line);
    }
    return found;
}

HWND serverListCombo(DWORD pid) {
    for (HWND window : topLevelWindows(pid)) {
        if (HWND combo = GetDlgItem(window, IDC_SERVER_LIST)) return combo;
    }
    return nullptr;
}

int serverListCount(DWORD pid) { return comboCount(serverListCombo(pid)); }

namespace {
constexpr DWORD kClientOwnExitCode = 7;
}

EnvVars::value_type clientOwnExitCode() {
    return {"TARVO_STUB_EXIT_CODE", std::to_string(kClientOwnExitCode)};
}

bool clientNotEndedByLauncher(const OpenedProcess& client) {
    return client.isRunning() || client.waitExit(0) == std::optional<DWORD>(kClientOwnExitCode);
}

// Opens the exit panel through the launcher's close button (caption button
// 7: 28 x 25 pixels, 33 pixels left of the window's right edge, 1 below its
// top) and returns the panel once it shows.
HWND openExitPanel(DWORD pid, HWND launcher) {
    RECT window{};
    GetWindowRect(launcher, &window);
    const int x = window.right - 33 + 10;
    const int y = window.top + 1 + 10;
    PostMessageA(launcher, WM_NCLBUTTONDOWN, HTNOWHERE, pointParam(x, y));
    PostMessageA(launcher, WM_NCLBUTTONUP, HTNOWHERE, pointParam(x, y));
    HWND panel = nullptr;
    waitUntil([&] { return (panel = visiblePanelWith(pid, IDC_EXIT_TEXT, launcher)) != nullptr; }, 10000);
    return panel;
}

// The question the exit panel asks.
std::string question(HWND panel) { return windowText(GetDlgItem(panel, IDC_EXIT_TEXT)); }

// A press on the confirm button (60 x 23 at 70, 90 in the panel).
void pressConfirm(HWND panel) {
    PostMessageA(panel, WM_LBUTTONDOWN, MK_LBUTTON, pointParam(70 + 20, 90 + 10));
}

} // namespace tarvo_test
