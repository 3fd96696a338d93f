// Helpers for the Windows tests (GoogleTest programs that run under Wine):
// paths of the build tree, temporary directories and files, a launcher
// install laid out in a temporary directory, child processes, and finding
// windows and message boxes of another process.
//
// Paths and file names are std::string in UTF-8 (any length, any script);
// command lines and environment entries are in the ANSI code page.
// Text read from windows (window texts, message boxes) is UTF-8, whatever the
// system's code page, and so are the titles the searches below compare.
// Nothing here uses GoogleTest assertions; failures come back as results
// that the test checks itself.
#pragma once

#include <windows.h>

#include "text_win.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tarvo_test {

// ---------------------------------------------------------------------------
// Paths
// ---------------------------------------------------------------------------

// The Windows build tree, from the compile definition TARVO_BUILD_DIR (for
// example "Z:/work/main/build/windows"), with forward slashes turned into
// backslashes and no trailing backslash.
std::string buildDir();

// The source tree, from TARVO_SOURCE_DIR, normalised like buildDir(); empty
// when that definition is missing.
std::string sourceDir();

// buildDir() + "\\TarvoLaunch.exe".
std::string launcherExe();

// buildDir() + "\\tools\\" + name, e.g. toolExe("TarvoWebEntry.exe").
std::string toolExe(const std::string& name);

// The value of an environment variable of this process, or `fallback` when
// it is not set. Windows tests get the information service's port this way
// (TARVO_INFO_PORT), since the test runner starts the service.
std::string envOr(const char* name, const std::string& fallback);

// Joins a directory and a name with exactly one backslash between them.
std::string joinPath(const std::string& dir, const std::string& name);

// ---------------------------------------------------------------------------
// Files
// ---------------------------------------------------------------------------

// A unique new directory below the Windows temporary directory, removed with
// everything in it when the object is destroyed. Not copyable.
class TempDir {
public:
    // `prefix` starts the directory's name; the rest is unique per process,
    // object and time.
    explicit TempDir(const std::string& prefix = "tarvo");
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The directory, without a trailing backslash; empty if it could not be
    // created.
    const std::string& path() const { return path_; }
    // path() + "\\" + name (the name may hold further backslashes).
    std::string file(const std::string& name) const { return joinPath(path_, name); }

private:
    std::string path_;
};

// An environment variable of this process (inherited by the programs it
// starts) for the duration of a test.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        char buffer[1024] = {};
        had_ = GetEnvironmentVariableA(name, buffer, sizeof(buffer)) > 0;
        previous_ = buffer;
        SetEnvironmentVariableA(name, value.c_str());
    }
    ~ScopedEnv() { SetEnvironmentVariableA(name_, had_ ? previous_.c_str() : nullptr); }

private:
    const char* name_;
    bool had_ = false;
    std::string previous_;
};

// Deletes a file or a directory tree. True when nothing is left at the path.
bool removeTree(const std::string& path);

// Creates the directory and any missing parents. True when it exists after.
bool makeDirs(const std::string& path);

// Writes (replaces) the file with exactly these bytes, creating missing
// parent directories. True on success.
bool writeFile(const std::string& path, const std::string& bytes);

// The whole file's bytes; nullopt when it cannot be read.
std::optional<std::string> readFile(const std::string& path);

// True when a file or directory exists at the path.
bool fileExists(const std::string& path);

// Copies `from` to `to`, replacing `to`, creating missing parent directories
// of `to`. True on success.
bool copyFileTo(const std::string& from, const std::string& to);

// The file's lines without their "\n" or "\r\n" endings; a final line ending
// does not add an empty line. Empty when the file cannot be read.
std::vector<std::string> readLines(const std::string& path);

// Splits at every single space, so two spaces in a row give an empty word
// between them: "a  b" -> {"a", "", "b"}. An empty text gives {""}.
std::vector<std::string> splitWords(const std::string& text);

// ---------------------------------------------------------------------------
// A launcher install in a temporary directory
// ---------------------------------------------------------------------------

struct InstallOptions {
    bool launcher = true;     // copy TarvoLaunch.exe
    bool webEntry = true;     // copy the stand-in TarvoWebEntry.exe
    bool launch = true;       // copy the stand-in Launch.exe
    bool autoPatcher = false; // copy the stand-in TarvoRiftOnlineAutoPatch.exe
    // Text of client\http.cfg, written byte for byte; nullopt: no such file.
    std::optional<std::string> httpCfg;
    // Where in the temporary directory the install goes (UTF-8, may hold
    // backslashes); empty: the temporary directory itself.
    std::string folder;
};

// Lays out a launcher install in its own TempDir:
//   <dir>\TarvoLaunch.exe, <dir>\TarvoWebEntry.exe, <dir>\Launch.exe,
//   <dir>\TarvoRiftOnlineAutoPatch.exe, <dir>\client\http.cfg
// as the options say. Check ok() (and print error()) before using it.
class InstallDir {
public:
    explicit InstallDir(const InstallOptions& options = InstallOptions());

    bool ok() const { return error_.empty(); }
    // What failed while laying out the install (empty when ok()).
    const std::string& error() const { return error_; }

    // The install's folder.
    const std::string& path() const { return path_; }
    // The temporary directory that holds it: an ASCII path on every system.
    const std::string& root() const { return dir_.path(); }
    std::string file(const std::string& name) const { return joinPath(path_, name); }
    std::string launcher() const { return file("TarvoLaunch.exe"); }
    std::string webEntry() const { return file("TarvoWebEntry.exe"); }
    std::string launch() const { return file("Launch.exe"); }
    std::string autoPatcher() const { return file("TarvoRiftOnlineAutoPatch.exe"); }
    std::string httpCfg() const { return file("client\\http.cfg"); }

    // Replaces client\http.cfg with these bytes. True on success.
    bool writeHttpCfg(const std::string& text) { return writeFile(httpCfg(), text); }

private:
    TempDir dir_;
    std::string path_;
    std::string error_;
};

// ---------------------------------------------------------------------------
// Child processes
// ---------------------------------------------------------------------------

// Environment changes for a child: name and value. An empty value removes the
// variable from the child's environment. Names compare case-insensitively.
using EnvVars = std::vector<std::pair<std::string, std::string>>;

// One started process, terminated (exit code 1) on destruction if it still
// runs. Movable, not copyable.
class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(ChildProcess&& other) noexcept;
    ChildProcess& operator=(ChildProcess&& other) noexcept;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Starts `application` with exactly `commandLine` as its command line
    // (passed unchanged to CreateProcessA, so it need not begin with the
    // program's name). `currentDir` empty: this process's current directory.
    // `env`: changes to this process's environment. False on failure, with
    // the reason in error().
    bool start(const std::string& application, const std::string& commandLine,
               const std::string& currentDir = std::string(), const EnvVars& env = EnvVars());

    // Takes on a process that was started some other way, by its id. False
    // when it cannot be opened.
    bool adopt(DWORD pid);

    DWORD pid() const { return pid_; }
    HANDLE handle() const { return process_; }
    const std::string& error() const { return error_; }

    // Waits up to `timeoutMs` for the process to end, pumping this thread's
    // messages meanwhile; its exit code, or nullopt if it still runs (or was
    // never started).
    std::optional<DWORD> waitExit(int timeoutMs);
    // Terminates the process if it runs and waits for it to end.
    void terminate(UINT exitCode = 1);
    bool isRunning() const;

private:
    void close();
    HANDLE process_ = nullptr;
    DWORD pid_ = 0;
    std::string error_;
};

// This process's environment with `changes` applied (an empty value removes
// a variable), as the block that CreateProcessA takes.
std::string environmentBlockWith(const EnvVars& changes);

// The ids of the running processes whose program file is named `exeName`
// (case-insensitive).
std::vector<DWORD> processesNamed(const char* exeName);

// The Unix path of a Windows path (UTF-8), as Wine maps it; empty when it
// cannot tell.
std::string unixPathOf(const std::string& windowsPath);

// The private memory of a process in bytes (under Wine, which leaves the
// private usage at 0, its page-file usage); 0 when it cannot be read.
std::size_t privateBytes(HANDLE process);

// ---------------------------------------------------------------------------
// Waiting and windows
// ---------------------------------------------------------------------------

// Calls `condition` until it returns true or `timeoutMs` has passed, pumping
// this thread's messages between calls when `pumpMessages` is set (needed
// whenever another process sends messages to this thread's windows). The
// last call happens at or after the time limit. True if it became true.
bool waitUntil(const std::function<bool()>& condition, int timeoutMs, bool pumpMessages = true);

// Dispatches every message waiting for this thread.
void pumpMessages();

// The top-level windows of a process, in z-order.
std::vector<HWND> topLevelWindows(DWORD pid);
// Every window of a process: each top-level window followed by all its
// descendants.
std::vector<HWND> allWindows(DWORD pid);

// Class name and window text (UTF-8, read wide) of a window.
std::string windowClass(HWND hwnd);
std::string windowText(HWND hwnd);

// Waits for a top-level window of the process whose class (if className is
// not null) and text (if title is not null, UTF-8) match exactly; null on
// timeout.
HWND waitForWindow(DWORD pid, const char* className, const char* title, int timeoutMs);

// The first descendant window of `parent` whose class (if not null) and text
// (if not null, UTF-8) match exactly; null if there is none.
HWND findDescendant(HWND parent, const char* className, const char* title);

// ---------------------------------------------------------------------------
// Message boxes
// ---------------------------------------------------------------------------

struct MessageBoxSeen {
    HWND hwnd = nullptr;
    std::string text;     // the message text, UTF-8
    std::string caption;  // the window title, UTF-8
    HWND owner = nullptr; // owner window, null for a box without owner
};

// Waits for a visible message box of the process: a top-level window of
// class "#32770" holding a static control with id 0xFFFF (the message text).
std::optional<MessageBoxSeen> waitForMessageBox(DWORD pid, int timeoutMs);

// Presses OK on the message box (posts WM_COMMAND IDOK, so it never blocks).
void confirmMessageBox(HWND box);

}  // namespace tarvo_test
