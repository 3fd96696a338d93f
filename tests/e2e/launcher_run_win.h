// Running the real launcher in a temporary install, the way the game
// platform starts it, for the end-to-end tests.
#pragma once

#include "support/test_support_win.h"
#include "support/window_probes_win.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarvo_test {

// The platform parameters of a complete example command line.
inline const char kExampleParameters[] =
    "keelmark:/start&k1=1&k2=t:0&k3=web_12_a&k4=4&k5=5&k6=6&k7=7&k8=8&k09=U1&k10=T2&k11=S3#";

// A settings file for platform "web" pointing at an address where nothing
// answers (the port is closed), so that no test depends on a network.
inline const char kExampleSettings[] =
    "GS_MAIN_web=http://127.0.0.1:9/main#:\r\n"
    "GS_BBS_web=http://127.0.0.1:9/bbs#:\r\n"
    "GS_API_web=http://127.0.0.1:9/pick/info#:\r\n"
    "GS_API_platform_web=web#:\r\n"
    "GS_API_gkey_web=quarrion#:\r\n"
    "GS_API_key_web=secret#:\r\n";

// An install with every program and this settings file.
InstallOptions withSettings(const std::string& httpCfg = kExampleSettings);

// A started launcher: its process, and its window once it has one.
struct LauncherRun {
    ChildProcess process;
    std::string stubLog;  // where the client stand-in writes its command line

    // Starts `install`'s launcher with the platform parameters as its
    // command line (after the quoted program path), in `currentDir` (the
    // install directory when empty), with extra environment variables.
    bool start(const InstallDir& install, const std::string& parameters = kExampleParameters,
               const std::string& currentDir = std::string(), EnvVars env = EnvVars());

    // Starts it as a Unix shell starts a Windows program (through Wine's
    // loader, with the install as the current directory): the way to start
    // it at a path that the system's CreateProcess refuses for its length.
    bool startFromUnixShell(const InstallDir& install, const std::string& parameters = kExampleParameters,
                            EnvVars env = EnvVars());

    // The launcher window (a dialog titled "QuarrionOL"), waiting for it.
    HWND window(int timeoutMs = 15000) const;
    // The game host panel: the child dialog of the launcher window.
    HWND hostPanel(HWND launcher) const;
    // The command line the client stand-in received, once it has logged it.
    std::string clientCommandLine(int timeoutMs = 15000) const;
    // Ends the launcher the way its watchdog does and waits for its exit
    // code, which must be 0.
    ::testing::AssertionResult quitsCleanly(HWND launcher, int timeoutMs = 10000);
};

// The usual set-up of a scenario: lays out an install, starts its launcher
// and waits for the launcher window.
//     LaunchedLauncher launched(withSettings());
//     ASSERT_TRUE(launched.start({{"TARVO_STUB_NO_READY", "1"}}));
struct LaunchedLauncher {
    InstallDir install;
    LauncherRun run;
    HWND window = nullptr;

    explicit LaunchedLauncher(const InstallOptions& options = withSettings()) : install(options) {}

    ::testing::AssertionResult start(const EnvVars& env = EnvVars(),
                                     const std::string& parameters = kExampleParameters,
                                     const std::string& currentDir = std::string());
    DWORD pid() const { return run.process.pid(); }
};

// A settings file for platform "web" whose information service is at
// `apiAddress`, signed with the key the service stand-in checks.
std::string settingsWithService(const std::string& apiAddress);
// The address of the information service stand-in that the test runner
// started ("http://127.0.0.1:<port>/pick/info"), or empty when none runs.
std::string standInServiceAddress();

// A server number of its own for one run (the example parameters hold 12),
// so that its requests can be told apart in the service stand-in's log.
std::string uniqueServerNumber();
// The example parameters with that server number.
std::string parametersForServer(const std::string& serverNumber);
// The lines of the service stand-in's request log holding every one of
// `parts`, in order.
std::vector<std::string> serviceLogLinesWith(const std::vector<std::string>& parts);

// Opens the exit panel through the launcher's close button and returns the
// panel once it shows; null when it does not.
HWND openExitPanel(DWORD pid, HWND launcher);
// The question the exit panel asks.
std::string question(HWND panel);
// A press on the exit panel's confirm button.
void pressConfirm(HWND panel);

// The server-list panel's combo box among the launcher's windows.
HWND serverListCombo(DWORD pid);
// The number of entries in the launcher's server list; -1 without one.
int serverListCount(DWORD pid);

// Leaving through the exit panel keeps the client running, but the client
// stand-in ends itself as soon as the launcher's window is gone. Runs that
// check the client give it an exit code of its own (`clientOwnExitCode()`,
// an environment entry for `start`): the client was not ended by the
// launcher when it still runs or ended with that code.
EnvVars::value_type clientOwnExitCode();
bool clientNotEndedByLauncher(const OpenedProcess& client);

} // namespace tarvo_test
