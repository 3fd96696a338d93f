#include "support/pointer_input_win.h"

#include "support/test_support_win.h"

#include <optional>

namespace tarvo_test {

namespace {

// Runs a shell command line as a program of the host system (Wine starts
// such programs directly) and returns its output once it has finished. Wine
// hands back no process handle that can be waited on for such a program, so
// the command writes its exit status to a file last and the test waits for
// that file. The command must not hold double quotes.
std::optional<std::string> runHostShell(const std::string& command, int timeoutMs) {
    static LONG counter = 0;
    const std::string stem = "/tmp/tarvo-host-" + std::to_string(GetCurrentProcessId()) + "-" +
                             std::to_string(InterlockedIncrement(&counter));
    const std::string output = stem + ".out";
    const std::string done = stem + ".done";
    auto windowsPath = [](const std::string& unixPath) {
        std::string path = "Z:" + unixPath;
        for (char& c : path) {
            if (c == '/') c = '\\';
        }
        return path;
    };
    std::string commandLine =
        "/bin/sh -c \"" + command + " >" + output + " 2>&1; echo $? >" + done + ".tmp; mv " + done + ".tmp " + done + "\"";

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        return std::nullopt;
    }
    if (info.hProcess) CloseHandle(info.hProcess);
    if (info.hThread) CloseHandle(info.hThread);

    const std::string doneFile = windowsPath(done);
    const bool finished = waitUntil([&] { return fileExists(doneFile); }, timeoutMs);
    const std::string status = readFile(doneFile).value_or("");
    std::optional<std::string> text = readFile(windowsPath(output));
    DeleteFileA(doneFile.c_str());
    DeleteFileA(windowsPath(output).c_str());
    if (!finished || status.empty() || status[0] != '0') return std::nullopt;
    return text.value_or("");
}

}  // namespace

bool runXdotool(const std::string& arguments, int timeoutMs) {
    return runHostShell("xdotool " + arguments, timeoutMs).has_value();
}

bool pointerMoveTo(int x, int y) {
    return runXdotool("mousemove " + std::to_string(x) + " " + std::to_string(y));
}

bool pointerClick(int x, int y) {
    return runXdotool("mousemove " + std::to_string(x) + " " + std::to_string(y) + " mousedown 1 mouseup 1");
}

bool pointerClicks(const std::vector<POINT>& points, int pauseMs) {
    std::string arguments;
    for (const POINT& p : points) {
        if (!arguments.empty()) arguments += " sleep " + std::to_string(pauseMs / 1000.0) + " ";
        arguments += "mousemove " + std::to_string(p.x) + " " + std::to_string(p.y) + " mousedown 1 mouseup 1";
    }
    return runXdotool(arguments);
}

bool pointerDoubleClick(int x, int y) {
    // Each press is held a moment, as a hand holds it, so the program sees
    // the button down before it comes up.
    return runXdotool("mousemove " + std::to_string(x) + " " + std::to_string(y) +
                      " mousedown 1 sleep 0.06 mouseup 1 sleep 0.08 mousedown 1 sleep 0.06 mouseup 1");
}

bool pointerDrag(POINT from, POINT to, int steps) {
    if (steps < 1) steps = 1;
    // Short pauses let the program see the press and each move as a player's
    // hand would give them.
    std::string arguments = "mousemove " + std::to_string(from.x) + " " + std::to_string(from.y) +
                            " sleep 0.2 mousedown 1 sleep 0.3";
    for (int i = 1; i <= steps; ++i) {
        const long x = from.x + (to.x - from.x) * i / steps;
        const long y = from.y + (to.y - from.y) * i / steps;
        arguments += " mousemove " + std::to_string(x) + " " + std::to_string(y) + " sleep 0.05";
    }
    arguments += " sleep 0.3 mouseup 1";
    return runXdotool(arguments, 20000);
}

bool pointerPress() {
    return runXdotool("mousedown 1");
}

bool pointerRelease() {
    return runXdotool("mouseup 1");
}

bool windowManagerRunning() {
    const std::optional<std::string> text = runHostShell("xprop -root _NET_SUPPORTING_WM_CHECK", 10000);
    return text && text->find("window id") != std::string::npos;
}

}  // namespace tarvo_test
