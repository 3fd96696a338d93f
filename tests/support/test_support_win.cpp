#include "test_support_win.h"

#include "app/file_paths.h"
#include "framework/text_win.h"

#include <psapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <map>

namespace tarvo_test {

namespace {

// A path of these helpers (UTF-8) as the wide file functions take it, at any
// length.
std::wstring sys(const std::string& path) { return tarvo::systemPath(tarvo::utf8ToWide(path)); }

std::string normalisePath(std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    while (path.size() > 3 && path.back() == '\\') path.pop_back();  // keep "C:\"
    return path;
}

#ifndef TARVO_BUILD_DIR
std::string moduleDir() {
    wchar_t buf[MAX_PATH * 4] = {};
    DWORD n = GetModuleFileNameW(nullptr, buf, MAX_PATH * 4);
    std::string path = tarvo::wideToUtf8(std::wstring(buf, n));
    size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}
#endif

std::string lastErrorText(const char* what) {
    char buf[256];
    std::snprintf(buf, sizeof buf, "%s failed, error %lu", what, static_cast<unsigned long>(GetLastError()));
    return buf;
}

std::string parentOf(const std::string& path) {
    size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// The environment block of this process with `changes` applied, sorted by
// name as Windows expects.
std::string environmentBlock(const EnvVars& changes) {
    std::map<std::string, std::string> byUpperName;  // upper name -> "Name=value"
    std::vector<std::string> hidden;                 // "=C:=C:\..." entries keep their place first
    if (char* block = GetEnvironmentStringsA()) {
        for (const char* p = block; *p; p += std::strlen(p) + 1) {
            std::string entry(p);
            if (entry[0] == '=') {
                hidden.push_back(entry);
                continue;
            }
            size_t eq = entry.find('=');
            byUpperName[upper(entry.substr(0, eq))] = entry;
        }
        FreeEnvironmentStringsA(block);
    }
    for (const auto& change : changes) {
        if (change.second.empty())
            byUpperName.erase(upper(change.first));
        else
            byUpperName[upper(change.first)] = change.first + "=" + change.second;
    }
    std::string out;
    for (const auto& entry : hidden) out += entry + '\0';
    for (const auto& entry : byUpperName) out += entry.second + '\0';
    out += '\0';
    return out;
}

}  // namespace

// ---------------------------------------------------------------------------
// Paths
// ---------------------------------------------------------------------------

std::string buildDir() {
#ifdef TARVO_BUILD_DIR
    return normalisePath(TARVO_BUILD_DIR);
#else
    return moduleDir();  // the test programs live in the build tree's top
#endif
}

std::string sourceDir() {
#ifdef TARVO_SOURCE_DIR
    return normalisePath(TARVO_SOURCE_DIR);
#else
    return std::string();
#endif
}

std::string launcherExe() { return buildDir() + "\\TarvoLaunch.exe"; }

std::string toolExe(const std::string& name) { return buildDir() + "\\tools\\" + name; }

std::string envOr(const char* name, const std::string& fallback) {
    DWORD n = GetEnvironmentVariableA(name, nullptr, 0);
    if (n == 0) return fallback;
    std::vector<char> buf(n + 1);
    DWORD got = GetEnvironmentVariableA(name, buf.data(), static_cast<DWORD>(buf.size()));
    if (got >= buf.size()) return fallback;
    return std::string(buf.data(), got);
}

std::string joinPath(const std::string& dir, const std::string& name) {
    if (dir.empty()) return name;
    if (dir.back() == '\\' || dir.back() == '/') return dir + name;
    return dir + "\\" + name;
}

// ---------------------------------------------------------------------------
// Files
// ---------------------------------------------------------------------------

TempDir::TempDir(const std::string& prefix) {
    static LONG counter = 0;
    wchar_t tmp[MAX_PATH + 1] = {};
    DWORD n = GetTempPathW(MAX_PATH + 1, tmp);
    if (n == 0 || n > MAX_PATH) return;
    wchar_t longTmp[MAX_PATH * 2] = {};
    std::string base = tarvo::wideToUtf8(GetLongPathNameW(tmp, longTmp, MAX_PATH * 2) ? longTmp : tmp);
    makeDirs(normalisePath(base));
    for (int attempt = 0; attempt < 100; ++attempt) {
        char name[128];
        std::snprintf(name, sizeof name, "%s-%lu-%ld-%lu", prefix.c_str(),
                      static_cast<unsigned long>(GetCurrentProcessId()), InterlockedIncrement(&counter),
                      static_cast<unsigned long>(GetTickCount()));
        std::string candidate = joinPath(normalisePath(base), name);
        if (CreateDirectoryW(sys(candidate).c_str(), nullptr)) {
            path_ = candidate;
            return;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS) return;
    }
}

TempDir::~TempDir() {
    if (path_.empty()) return;
    // A process that has just ended may still hold its image file for a moment.
    waitUntil([&] { return removeTree(path_); }, 3000, false);
}

bool removeTree(const std::string& path) {
    DWORD attrs = GetFileAttributesW(sys(path).c_str());
    if (attrs == INVALID_FILE_ATTRIBUTES) return true;
    if (attrs & FILE_ATTRIBUTE_READONLY) SetFileAttributesW(sys(path).c_str(), attrs & ~FILE_ATTRIBUTE_READONLY);
    if (!(attrs & FILE_ATTRIBUTE_DIRECTORY)) return DeleteFileW(sys(path).c_str()) || !fileExists(path);

    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileW(sys(joinPath(path, "*")).c_str(), &fd);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if (std::wcscmp(fd.cFileName, L".") == 0 || std::wcscmp(fd.cFileName, L"..") == 0) continue;
            removeTree(joinPath(path, tarvo::wideToUtf8(fd.cFileName)));
        } while (FindNextFileW(find, &fd));
        FindClose(find);
    }
    return RemoveDirectoryW(sys(path).c_str()) || !fileExists(path);
}

bool makeDirs(const std::string& rawPath) {
    std::string path = normalisePath(rawPath);
    if (path.empty()) return false;
    DWORD attrs = GetFileAttributesW(sys(path).c_str());
    if (attrs != INVALID_FILE_ATTRIBUTES) return (attrs & FILE_ATTRIBUTE_DIRECTORY) != 0;
    std::string parent = parentOf(path);
    if (!parent.empty() && parent != path) makeDirs(parent);
    return CreateDirectoryW(sys(path).c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

bool writeFile(const std::string& path, const std::string& bytes) {
    std::string parent = parentOf(path);
    if (!parent.empty()) makeDirs(parent);
    HANDLE f = CreateFileW(sys(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(f);
    return ok && written == bytes.size();
}

std::optional<std::string> readFile(const std::string& path) {
    HANDLE f = CreateFileW(sys(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return std::nullopt;
    std::string out;
    char buf[65536];
    DWORD got = 0;
    while (ReadFile(f, buf, sizeof buf, &got, nullptr) && got > 0) out.append(buf, got);
    CloseHandle(f);
    return out;
}

bool fileExists(const std::string& path) { return GetFileAttributesW(sys(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

bool copyFileTo(const std::string& from, const std::string& to) {
    std::string parent = parentOf(to);
    if (!parent.empty()) makeDirs(parent);
    return CopyFileW(sys(from).c_str(), sys(to).c_str(), FALSE) != 0;
}

std::vector<std::string> readLines(const std::string& path) {
    std::vector<std::string> lines;
    std::optional<std::string> text = readFile(path);
    if (!text) return lines;
    size_t start = 0;
    while (start < text->size()) {
        size_t nl = text->find('\n', start);
        size_t end = nl == std::string::npos ? text->size() : nl;
        std::string line = text->substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        if (nl == std::string::npos) break;
        start = nl + 1;
    }
    return lines;
}

std::vector<std::string> splitWords(const std::string& text) {
    std::vector<std::string> words;
    size_t start = 0;
    for (;;) {
        size_t sp = text.find(' ', start);
        words.push_back(text.substr(start, sp == std::string::npos ? std::string::npos : sp - start));
        if (sp == std::string::npos) return words;
        start = sp + 1;
    }
}

// ---------------------------------------------------------------------------
// Launcher install
// ---------------------------------------------------------------------------

InstallDir::InstallDir(const InstallOptions& options) : dir_("tarvo-install") {
    if (dir_.path().empty()) {
        error_ = "could not create a temporary directory";
        return;
    }
    path_ = options.folder.empty() ? dir_.path() : joinPath(dir_.path(), options.folder);
    if (!makeDirs(path_)) {
        error_ = lastErrorText(("creating " + path_).c_str());
        return;
    }
    auto copy = [&](bool wanted, const std::string& from, const std::string& name) {
        if (wanted && !copyFileTo(from, file(name))) error_ += lastErrorText(("copying " + from).c_str()) + "; ";
    };
    copy(options.launcher, launcherExe(), "TarvoLaunch.exe");
    copy(options.webEntry, toolExe("TarvoWebEntry.exe"), "TarvoWebEntry.exe");
    copy(options.launch, toolExe("Launch.exe"), "Launch.exe");
    copy(options.autoPatcher, toolExe("TarvoRiftOnlineAutoPatch.exe"), "TarvoRiftOnlineAutoPatch.exe");
    if (options.httpCfg && !writeHttpCfg(*options.httpCfg)) error_ += "writing client\\http.cfg failed; ";
}

// ---------------------------------------------------------------------------
// Child processes
// ---------------------------------------------------------------------------

ChildProcess::~ChildProcess() {
    terminate();
    close();
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : process_(other.process_), pid_(other.pid_), error_(std::move(other.error_)) {
    other.process_ = nullptr;
    other.pid_ = 0;
}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
    if (this != &other) {
        terminate();
        close();
        process_ = other.process_;
        pid_ = other.pid_;
        error_ = std::move(other.error_);
        other.process_ = nullptr;
        other.pid_ = 0;
    }
    return *this;
}

void ChildProcess::close() {
    if (process_) CloseHandle(process_);
    process_ = nullptr;
}

bool ChildProcess::start(const std::string& application, const std::string& commandLine,
                         const std::string& currentDir, const EnvVars& env) {
    terminate();
    close();
    pid_ = 0;
    error_.clear();

    std::vector<char> cmd(commandLine.begin(), commandLine.end());
    cmd.push_back('\0');
    std::string block;
    if (!env.empty()) block = environmentBlock(env);

    // The command line is ANSI text, as the ANSI call would take it; the
    // paths are UTF-8 like every path here.
    std::wstring wideCmd = tarvo::ansiToWide(std::string(cmd.data()));
    wideCmd.push_back(L'\0');
    const std::wstring wideApplication = tarvo::utf8ToWide(application);
    const std::wstring wideDir = tarvo::utf8ToWide(currentDir);
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(wideApplication.c_str(), &wideCmd[0], nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS,
                        block.empty() ? nullptr : const_cast<char*>(block.data()),
                        currentDir.empty() ? nullptr : wideDir.c_str(), &si, &pi)) {
        error_ = lastErrorText(("CreateProcessW " + application).c_str());
        return false;
    }
    CloseHandle(pi.hThread);
    process_ = pi.hProcess;
    pid_ = pi.dwProcessId;
    return true;
}

bool ChildProcess::adopt(DWORD pid) {
    terminate();
    close();
    error_.clear();
    process_ = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    pid_ = process_ ? pid : 0;
    if (!process_) error_ = lastErrorText("OpenProcess");
    return process_ != nullptr;
}

std::vector<DWORD> processesNamed(const char* exeName) {
    std::vector<DWORD> found;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return found;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    const std::wstring name = tarvo::utf8ToWide(exeName);
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        if (_wcsicmp(entry.szExeFile, name.c_str()) == 0) found.push_back(entry.th32ProcessID);
    }
    CloseHandle(snapshot);
    return found;
}

std::string unixPathOf(const std::string& windowsPath) {
    // Wine's own export; on Windows there is none, and no Unix path either.
    using Convert = char*(CDECL*)(const WCHAR*);
    const auto convert = reinterpret_cast<Convert>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!convert) return std::string();
    char* unix = convert(tarvo::utf8ToWide(windowsPath).c_str());
    if (!unix) return std::string();
    std::string path = unix;
    HeapFree(GetProcessHeap(), 0, unix);
    return path;
}

std::string environmentBlockWith(const EnvVars& changes) { return environmentBlock(changes); }

std::optional<DWORD> ChildProcess::waitExit(int timeoutMs) {
    if (!process_) return std::nullopt;
    DWORD start = GetTickCount();
    for (;;) {
        DWORD elapsed = GetTickCount() - start;
        DWORD left = elapsed >= static_cast<DWORD>(timeoutMs) ? 0 : static_cast<DWORD>(timeoutMs) - elapsed;
        DWORD r = MsgWaitForMultipleObjects(1, &process_, FALSE, left, QS_ALLINPUT);
        if (r == WAIT_OBJECT_0) break;
        if (r == WAIT_OBJECT_0 + 1) {
            pumpMessages();
            continue;
        }
        if (WaitForSingleObject(process_, 0) == WAIT_OBJECT_0) break;
        return std::nullopt;
    }
    DWORD code = 0;
    if (!GetExitCodeProcess(process_, &code)) return std::nullopt;
    return code;
}

void ChildProcess::terminate(UINT exitCode) {
    if (!isRunning()) return;
    TerminateProcess(process_, exitCode);
    WaitForSingleObject(process_, 5000);
}

bool ChildProcess::isRunning() const { return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

// ---------------------------------------------------------------------------
// Waiting and windows
// ---------------------------------------------------------------------------

void pumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

bool waitUntil(const std::function<bool()>& condition, int timeoutMs, bool pump) {
    DWORD start = GetTickCount();
    for (;;) {
        if (pump) pumpMessages();
        if (condition()) return true;
        if (GetTickCount() - start >= static_cast<DWORD>(timeoutMs)) return false;
        if (pump)
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        else
            Sleep(10);
    }
}

namespace {

struct ProcessWindows {
    DWORD pid;
    std::vector<HWND> found;
};

BOOL CALLBACK collectProcessWindow(HWND hwnd, LPARAM lp) {
    auto* c = reinterpret_cast<ProcessWindows*>(lp);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    if (owner == c->pid) c->found.push_back(hwnd);
    return TRUE;
}

}  // namespace

std::vector<HWND> topLevelWindows(DWORD pid) {
    ProcessWindows ctx{pid, {}};
    EnumWindows(collectProcessWindow, reinterpret_cast<LPARAM>(&ctx));
    return ctx.found;
}

std::size_t privateBytes(HANDLE process) {
    // Looked up at run time: the kernel's copy needs no import library.
    using MemoryInfo = BOOL(WINAPI*)(HANDLE, PROCESS_MEMORY_COUNTERS*, DWORD);
    static const auto memoryInfo = reinterpret_cast<MemoryInfo>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "K32GetProcessMemoryInfo")));
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof(memory);
    if (!memoryInfo ||
        !memoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof(memory)))
        return 0;
    return memory.PrivateUsage ? memory.PrivateUsage : memory.PagefileUsage;
}

namespace {
BOOL CALLBACK collectChild(HWND hwnd, LPARAM lp) {
    reinterpret_cast<std::vector<HWND>*>(lp)->push_back(hwnd);
    return TRUE;
}
}  // namespace

std::vector<HWND> allWindows(DWORD pid) {
    std::vector<HWND> windows;
    for (HWND top : topLevelWindows(pid)) {
        windows.push_back(top);
        EnumChildWindows(top, collectChild, reinterpret_cast<LPARAM>(&windows));
    }
    return windows;
}

std::string windowClass(HWND hwnd) {
    char buf[256] = {};
    int n = GetClassNameA(hwnd, buf, sizeof buf);
    return std::string(buf, n > 0 ? n : 0);
}

// Asked as wide text through WM_GETTEXT: Wine's direct read of another
// process's window text can come back garbled.
std::string windowText(HWND hwnd) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length)) return std::string();
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]), SMTO_ABORTIFHUNG, 5000,
                        &copied);
    text.resize(std::wcslen(text.c_str()));
    return utf8FromWide(text);
}
namespace {

bool matches(HWND hwnd, const char* className, const char* title) {
    return (!className || windowClass(hwnd) == className) && (!title || windowText(hwnd) == title);
}

}  // namespace

HWND waitForWindow(DWORD pid, const char* className, const char* title, int timeoutMs) {
    HWND found = nullptr;
    waitUntil(
        [&] {
            for (HWND hwnd : topLevelWindows(pid))
                if (matches(hwnd, className, title)) {
                    found = hwnd;
                    return true;
                }
            return false;
        },
        timeoutMs);
    return found;
}

namespace {

struct DescendantSearch {
    const char* cls;
    const char* title;
    HWND found;
};

BOOL CALLBACK checkDescendant(HWND hwnd, LPARAM lp) {
    auto* c = reinterpret_cast<DescendantSearch*>(lp);
    if (!matches(hwnd, c->cls, c->title)) return TRUE;
    c->found = hwnd;
    return FALSE;
}

}  // namespace

HWND findDescendant(HWND parent, const char* className, const char* title) {
    DescendantSearch ctx{className, title, nullptr};
    EnumChildWindows(parent, checkDescendant, reinterpret_cast<LPARAM>(&ctx));
    return ctx.found;
}

// ---------------------------------------------------------------------------
// Message boxes
// ---------------------------------------------------------------------------

namespace {

// The message text control of a message box: a static with id 0xFFFF that
// is not the icon.
BOOL CALLBACK checkMessageText(HWND child, LPARAM lp) {
    if (GetDlgCtrlID(child) != 0xFFFF || _stricmp(windowClass(child).c_str(), "Static") != 0) return TRUE;
    if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) return TRUE;
    *reinterpret_cast<HWND*>(lp) = child;
    return FALSE;
}

HWND messageTextControl(HWND box) {
    HWND found = nullptr;
    EnumChildWindows(box, checkMessageText, reinterpret_cast<LPARAM>(&found));
    return found;
}

}  // namespace

std::optional<MessageBoxSeen> waitForMessageBox(DWORD pid, int timeoutMs) {
    std::optional<MessageBoxSeen> seen;
    waitUntil(
        [&] {
            for (HWND hwnd : topLevelWindows(pid)) {
                if (!IsWindowVisible(hwnd) || windowClass(hwnd) != "#32770") continue;
                if (!(GetWindowLongA(hwnd, GWL_STYLE) & WS_CAPTION)) continue;  // skinned panels have none
                HWND text = messageTextControl(hwnd);
                if (!text) continue;
                seen = MessageBoxSeen{hwnd, windowText(text), windowText(hwnd), GetWindow(hwnd, GW_OWNER)};
                return true;
            }
            return false;
        },
        timeoutMs);
    return seen;
}

void confirmMessageBox(HWND box) {
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
}

}  // namespace tarvo_test
