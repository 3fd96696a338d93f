#include "app/programs_win.h"

#include "framework/wnd_win.h"

#include <vector>

std::string modulePath() {
    std::vector<char> buffer(512);
    for (;;) {
        const DWORD length = ::GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return std::string();
        if (length < buffer.size() || buffer.size() >= 32768) return std::string(buffer.data(), length);
        buffer.resize(buffer.size() * 2);
    }
}

std::string currentDirectory() {
    std::vector<char> buffer(MAX_PATH + 1);
    for (int attempt = 0; attempt < 3; ++attempt) {
        const DWORD length = ::GetCurrentDirectoryA(static_cast<DWORD>(buffer.size()), buffer.data());
        if (length == 0) return std::string();
        if (length < buffer.size()) return std::string(buffer.data(), length);
        buffer.resize(length + 1);  // too small: the length asked for includes the terminator
    }
    return std::string();
}

std::string directoryOf(const std::string& path) {
    const std::string::size_type slash = path.rfind('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string moduleDirectory() {
    return directoryOf(modulePath());
}

tarvo::UniqueHandle startProgram(const std::string& program, const std::string& commandLine,
                                 const std::string& directory, const StartFailureMessage& failure) {
    std::vector<char> writableLine(commandLine.begin(), commandLine.end());
    writableLine.push_back('\0');
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!::CreateProcessA(program.c_str(), writableLine.data(), nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS,
                          nullptr, directory.empty() ? nullptr : directory.c_str(), &startup, &process)) {
        tarvo::AfxMessageBox(failure.owner, failure.text, failure.title);
        return tarvo::UniqueHandle();
    }
    if (process.hThread) ::CloseHandle(process.hThread);
    return tarvo::UniqueHandle(process.hProcess);
}
