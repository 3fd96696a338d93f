// Running the real launcher in a temporary install directory, the way the
// game platform starts it, for the end-to-end tests.
#pragma once

#include "support/test_support_win.h"

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

// A started launcher: its process, and its window once it has one.
struct LauncherRun {
    ChildProcess process;
    std::string stubLog;  // where the client stand-in writes its command line

    // Starts `install`'s launcher with the platform parameters as its
    // command line (after the quoted program path), in `currentDir` (the
    // install directory when empty), with extra environment variables.
    bool start(const InstallDir& install, const std::string& parameters = kExampleParameters,
               const std::string& currentDir = std::string(), EnvVars env = EnvVars());

    // The launcher window (a dialog titled "QuarrionOL"), waiting for it.
    HWND window(int timeoutMs = 15000) const;
    // The game host panel: the child dialog of the launcher window.
    HWND hostPanel(HWND launcher) const;
    // The command line the client stand-in received, once it has logged it.
    std::string clientCommandLine(int timeoutMs = 15000) const;
};

// A settings file for platform "web" whose information service is at
// `apiAddress`, signed with the key the service stand-in checks.
std::string settingsWithService(const std::string& apiAddress);
// The address of the information service stand-in that the test runner
// started ("http://127.0.0.1:<port>/pick/info"), or empty when none runs.
std::string standInServiceAddress();
// The server-list panel's combo box (control 1008) among the launcher's windows.
HWND serverListCombo(DWORD pid);
// Whether a window of another process has the visible style.
inline bool styleVisible(HWND window) {
    return window && (GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE) != 0;
}
// The first entry of a combo box of another process.
std::string comboEntry(HWND combo);

} // namespace tarvo_test
