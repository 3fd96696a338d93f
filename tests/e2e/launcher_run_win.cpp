#include "e2e/launcher_run_win.h"

#include "framework/text_win.h"
#include "res/resource.h"

#include <optional>
#include <string>

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

} // namespace tarvo_test
