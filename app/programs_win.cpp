#include "app/programs_win.h"

#include "app/file_paths.h"
#include "framework/text_win.h"
#include "framework/wnd_win.h"

#include <vector>

std::wstring modulePath() {
    std::vector<wchar_t> buffer(512);
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return std::wstring();
        if (length < buffer.size()) return std::wstring(buffer.data(), length);
        if (buffer.size() >= 65536) return std::wstring();  // never cut: no path at all
        buffer.resize(buffer.size() * 2);
    }
}

std::wstring currentDirectory() {
    std::vector<wchar_t> buffer(MAX_PATH + 1);
    for (int attempt = 0; attempt < 3; ++attempt) {
        const DWORD length = ::GetCurrentDirectoryW(static_cast<DWORD>(buffer.size()), buffer.data());
        if (length == 0) return std::wstring();
        if (length < buffer.size()) return std::wstring(buffer.data(), length);
        buffer.resize(length + 1);  // too small: the length asked for includes the terminator
    }
    return std::wstring();
}

std::wstring moduleDirectory() {
    return tarvo::parentFolder(modulePath());
}

bool pathExists(const std::wstring& path) {
    return !path.empty() && ::GetFileAttributesW(tarvo::systemPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string folderTooLongMessage(const std::wstring& folder) {
    return "游戏安装目录的路径太长，系统无法从中启动程序：\n" + tarvo::wideToUtf8(folder) +
           "\n请将游戏安装到路径较短的目录后再启动。";
}

namespace {

// The most characters a command line holds, its terminator included.
constexpr std::size_t kMaxCommandLine = 32767;

bool createProcess(const std::wstring& program, std::wstring commandLine, const std::wstring& directory,
                   PROCESS_INFORMATION& process) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    commandLine.push_back(L'\0');
    return ::CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr,
                            directory.empty() ? nullptr : directory.c_str(), &startup, &process) != FALSE;
}

// True where the system starts programs at paths past the classic limit:
// Windows 10 and later with long paths turned on. Elsewhere (older systems,
// and Wine, whose process start misreads such a path) no start is tried.
bool systemTakesLongPaths() {
    using Query = BOOLEAN(WINAPI*)();
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    const auto query = ntdll ? reinterpret_cast<Query>(
                                   reinterpret_cast<void*>(::GetProcAddress(ntdll, "RtlAreLongPathsEnabled")))
                             : nullptr;
    return query && query() != FALSE;
}

} // namespace

tarvo::UniqueHandle startProgram(const std::wstring& program, const std::string& commandLine,
                                 const std::wstring& directory, const StartFailureMessage& failure,
                                 StartFailure* why) {
    // Widened as the system would widen it for the ANSI call: the program
    // reads back the very bytes it was given.
    const std::wstring line = tarvo::ansiToWide(commandLine);
    const bool overLimit = program.size() > tarvo::kClassicPathLimit || directory.size() > tarvo::kClassicPathLimit;
    PROCESS_INFORMATION process{};
    StartFailure failed = StartFailure::None;
    if (line.size() >= kMaxCommandLine) {
        // Longer than a process's command line can be. Not every system
        // checks (Wine would start the program with the line cut), so the
        // start fails here, as it does on Windows.
        failed = StartFailure::Failed;
    } else if (overLimit && !systemTakesLongPaths()) {
        // A missing program is still missing, whatever its path's length.
        failed = pathExists(program) ? StartFailure::FolderTooLong : StartFailure::Failed;
    } else if (program.empty() || !createProcess(program, line, directory, process)) {
        const DWORD error = ::GetLastError();
        const bool pathError = error == ERROR_FILENAME_EXCED_RANGE || error == ERROR_PATH_NOT_FOUND ||
                               error == ERROR_FILE_NOT_FOUND || error == ERROR_INVALID_NAME ||
                               error == ERROR_DIRECTORY;
        failed = overLimit && pathError && pathExists(program) ? StartFailure::FolderTooLong : StartFailure::Failed;
    }
    if (why) *why = failed;
    if (failed == StartFailure::FolderTooLong) {
        tarvo::AfxMessageBox(failure.owner, folderTooLongMessage(tarvo::parentFolder(program)), failure.title);
        return tarvo::UniqueHandle();
    }
    if (failed == StartFailure::Failed) {
        tarvo::AfxMessageBox(failure.owner, failure.text, failure.title);
        return tarvo::UniqueHandle();
    }
    if (process.hThread) ::CloseHandle(process.hThread);
    return tarvo::UniqueHandle(process.hProcess);
}
