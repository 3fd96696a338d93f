#include "app/client_update_win.h"

#include "app/executable_image.h"
#include "app/file_paths.h"
#include "framework/handles_win.h"
#include "framework/wnd_win.h"

#include <tlhelp32.h>

#include <cstdint>
#include <cstdio>
#include <new>
#include <vector>

namespace {

const wchar_t kPendingUpdateName[] = L"TarvoWebEntry2.dat";
const wchar_t kClientName[] = L"TarvoWebEntry.exe";

// A pending update larger than this is not a client; it is not read.
constexpr DWORD kMaxUpdateSize = 512u * 1024 * 1024;

// Enables the debug privilege for its lifetime and then puts back the state
// the privilege had before. Every failure is ignored: without the privilege
// the open may still succeed.
class DebugPrivilegeScope {
public:
    DebugPrivilegeScope() {
        HANDLE rawToken = nullptr;
        if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &rawToken)) return;
        token_.reset(rawToken);
        TOKEN_PRIVILEGES wanted{};
        if (!::LookupPrivilegeValueW(nullptr, L"SeDebugPrivilege", &wanted.Privileges[0].Luid)) return;
        wanted.PrivilegeCount = 1;
        wanted.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
        DWORD previousSize = 0;
        // The call succeeds even when the token lacks the privilege; only
        // ERROR_SUCCESS means it was changed and must be changed back.
        if (::AdjustTokenPrivileges(token_.get(), FALSE, &wanted, sizeof(previous_), &previous_, &previousSize) &&
            ::GetLastError() == ERROR_SUCCESS) {
            adjusted_ = true;
        }
    }
    ~DebugPrivilegeScope() {
        // The previous state lists only what the call changed: nothing when
        // the privilege was enabled already.
        if (adjusted_) ::AdjustTokenPrivileges(token_.get(), FALSE, &previous_, 0, nullptr, nullptr);
    }
    DebugPrivilegeScope(const DebugPrivilegeScope&) = delete;
    DebugPrivilegeScope& operator=(const DebugPrivilegeScope&) = delete;

private:
    tarvo::UniqueHandle token_;
    TOKEN_PRIVILEGES previous_{};
    bool adjusted_ = false;
};

void reportStopFailure(DWORD error) {
    char text[64];
    std::snprintf(text, sizeof(text), "关闭进程失败!错误码:%d", static_cast<int>(error));
    tarvo::AfxMessageBox(nullptr, text, "提示");
}

// Ends one process; 0 on success, otherwise the error code of the failed step.
DWORD endProcess(DWORD processId) {
    tarvo::UniqueHandle process;
    {
        DebugPrivilegeScope privilege;
        process.reset(::OpenProcess(0x1F0FFF, FALSE, processId));
        if (!process) return ::GetLastError();
        if (!::TerminateProcess(process.get(), 0)) return ::GetLastError();
    }
    // Termination only starts the process's end; its files are closed once
    // it is gone.
    ::WaitForSingleObject(process.get(), kAutoPatcherExitWaitMs);
    return 0;
}

tarvo::UniqueHandle openFile(const std::wstring& path, DWORD access, DWORD share, DWORD disposition) {
    HANDLE file = ::CreateFileW(tarvo::systemPath(path).c_str(), access, share, nullptr, disposition,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    return tarvo::UniqueHandle(file == INVALID_HANDLE_VALUE ? nullptr : file);
}

// The whole pending file, or false when it cannot be read whole.
bool readWholeFile(HANDLE file, std::vector<unsigned char>& bytes) {
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file, &size) || size.QuadPart <= 0 || size.QuadPart > kMaxUpdateSize) return false;
    try {
        bytes.resize(static_cast<std::size_t>(size.QuadPart));
    } catch (const std::bad_alloc&) {
        return false;
    }
    DWORD done = 0;
    while (done < bytes.size()) {
        DWORD got = 0;
        if (!::ReadFile(file, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &got, nullptr) || got == 0)
            return false;
        done += got;
    }
    return true;
}

// Writes the bytes to a new file and flushes them to disk; false on any failure.
bool writeWholeFile(const std::wstring& path, const std::vector<unsigned char>& bytes) {
    tarvo::UniqueHandle file = openFile(path, GENERIC_WRITE, 0, CREATE_ALWAYS);
    if (!file) return false;
    DWORD done = 0;
    while (done < bytes.size()) {
        DWORD wrote = 0;
        if (!::WriteFile(file.get(), bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &wrote, nullptr) ||
            wrote == 0)
            return false;
        done += wrote;
    }
    return ::FlushFileBuffers(file.get()) != FALSE;
}

// What the launcher decided about a pending file, and the file as it was
// then: a decision holds while the file keeps its size and last-write time.
enum class Decision : std::uint32_t { Refused = 1, Installed = 2 };
struct PendingFileMemory {
    std::uint64_t size = 0;
    std::uint64_t lastWrite = 0;
    std::uint32_t decision = 0;
};

bool pendingFileIdentity(HANDLE file, PendingFileMemory& memory) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(file, &info)) return false;
    memory.size = (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
    memory.lastWrite = (std::uint64_t{info.ftLastWriteTime.dwHighDateTime} << 32) | info.ftLastWriteTime.dwLowDateTime;
    return true;
}

// The key of the kept decisions, created when `create` is set.
tarvo::RegistryKey openMemoryKey(bool create) {
    HKEY key = nullptr;
    const LONG status =
        create ? ::RegCreateKeyExW(HKEY_CURRENT_USER, kUpdateMemoryKey, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                                   nullptr, &key, nullptr)
               : ::RegOpenKeyExW(HKEY_CURRENT_USER, kUpdateMemoryKey, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &key);
    return tarvo::RegistryKey(status == ERROR_SUCCESS ? key : nullptr);
}

// The decision kept for the pending file of `directory` (0 when none, or
// when the file has changed since).
std::uint32_t rememberedDecision(const std::wstring& directory, const PendingFileMemory& now) {
    tarvo::RegistryKey key = openMemoryKey(false);
    if (!key) return 0;
    PendingFileMemory kept;
    DWORD type = 0;
    DWORD size = sizeof(kept);
    if (::RegQueryValueExW(key.get(), directory.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&kept), &size) !=
            ERROR_SUCCESS ||
        type != REG_BINARY || size != sizeof(kept) || kept.size != now.size || kept.lastWrite != now.lastWrite)
        return 0;
    return kept.decision;
}

// Keeps (or with Decision 0, forgets) the decision for `directory`. Failures
// only cost a later start another read.
void remember(const std::wstring& directory, PendingFileMemory memory, std::uint32_t decision) {
    tarvo::RegistryKey key = openMemoryKey(decision != 0);
    if (!key) return;
    if (decision == 0) {
        ::RegDeleteValueW(key.get(), directory.c_str());
        return;
    }
    memory.decision = decision;
    ::RegSetValueExW(key.get(), directory.c_str(), 0, REG_BINARY, reinterpret_cast<const BYTE*>(&memory),
                     sizeof(memory));
}

} // namespace

const wchar_t* const kUpdateMemoryKey = L"Software\\QuarrionOL\\TarvoLaunch\\PendingClientUpdates";

void stopAutoPatcher(const wchar_t* processName) {
    const HANDLE rawSnapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (rawSnapshot == INVALID_HANDLE_VALUE || !rawSnapshot) return;
    tarvo::UniqueHandle snapshot(rawSnapshot);
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more;
         more = ::Process32NextW(snapshot.get(), &entry)) {
        if (_wcsicmp(entry.szExeFile, processName) != 0) continue;
        if (const DWORD error = endProcess(entry.th32ProcessID)) reportStopFailure(error);
        break;  // only the first one
    }
}

UpdateOutcome installPendingUpdate(const std::wstring& directory) {
    const std::wstring pending = tarvo::joinPath(directory, kPendingUpdateName);
    const std::wstring client = tarvo::joinPath(directory, kClientName);

    std::vector<unsigned char> bytes;
    PendingFileMemory identity;
    bool known = false;
    {
        // Others may read it meanwhile, nobody may change it.
        tarvo::UniqueHandle file = openFile(pending, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
        if (!file) return UpdateOutcome::None;
        known = pendingFileIdentity(file.get(), identity);
        if (known) {
            switch (static_cast<Decision>(rememberedDecision(directory, identity))) {
            case Decision::Refused: return UpdateOutcome::NotAProgram;
            case Decision::Installed: return UpdateOutcome::None;
            }
        }
        if (!readWholeFile(file.get(), bytes) || !isWholeExecutable(bytes.data(), bytes.size())) {
            if (known) remember(directory, identity, static_cast<std::uint32_t>(Decision::Refused));
            return UpdateOutcome::NotAProgram;
        }
    }

    // Beside the client, so that the replacement stays on one volume and is
    // a rename, never a copy that could be cut short.
    const std::wstring temporary = client + L".new";
    if (!writeWholeFile(temporary, bytes) ||
        !::MoveFileExW(tarvo::systemPath(temporary).c_str(), tarvo::systemPath(client).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ::DeleteFileW(tarvo::systemPath(temporary).c_str());
        return UpdateOutcome::NotInstalled;
    }
    if (!::DeleteFileW(tarvo::systemPath(pending).c_str())) {
        // Installed, yet still there: not installed again at every start.
        if (known) remember(directory, identity, static_cast<std::uint32_t>(Decision::Installed));
        return UpdateOutcome::InstalledKept;
    }
    if (known) remember(directory, identity, 0);
    return UpdateOutcome::Installed;
}
