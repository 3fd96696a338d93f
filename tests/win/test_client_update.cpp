// Installing a pending client update and stopping the auto-patcher, called
// directly on a temporary install directory.
#include "app/client_update_win.h"
#include "framework/text_win.h"
#include "support/test_support_win.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

using namespace tarvo_test;

const char kOldClient[] = "the old client";

std::string stubProgram() {
    return readFile(toolExe("TarvoWebEntry.exe")).value_or(std::string());
}

struct UpdateCase {
    const char* name;
    std::function<std::string(const std::string& program)> pending;  // the .dat's bytes
    UpdateOutcome outcome;
};

TEST(ClientUpdate, OnlyAWholeProgramReplacesTheClient) {
    const std::string program = stubProgram();
    ASSERT_GT(program.size(), 4096u);
    const UpdateCase cases[] = {
        {"a whole program", [](const std::string& p) { return p; }, UpdateOutcome::Installed},
        {"cut short by a killed patcher", [](const std::string& p) { return p.substr(0, p.size() / 2); },
         UpdateOutcome::NotAProgram},
        {"cut by one byte", [](const std::string& p) { return p.substr(0, p.size() - 1); },
         UpdateOutcome::NotAProgram},
        {"only the headers", [](const std::string& p) { return p.substr(0, 1024); }, UpdateOutcome::NotAProgram},
        {"not a program", [](const std::string&) { return std::string("a newer client"); },
         UpdateOutcome::NotAProgram},
        {"empty", [](const std::string&) { return std::string(); }, UpdateOutcome::NotAProgram},
    };
    for (const UpdateCase& c : cases) {
        TempDir dir("tarvo-update");
        ASSERT_TRUE(writeFile(dir.file("TarvoWebEntry.exe"), kOldClient));
        const std::string pending = c.pending(program);
        ASSERT_TRUE(writeFile(dir.file("TarvoWebEntry2.dat"), pending));

        EXPECT_EQ(installPendingUpdate(tarvo::utf8ToWide(dir.path())), c.outcome) << c.name;
        const bool installed = c.outcome == UpdateOutcome::Installed;
        EXPECT_TRUE(readFile(dir.file("TarvoWebEntry.exe")) == (installed ? pending : std::string(kOldClient)))
            << c.name;
        EXPECT_EQ(fileExists(dir.file("TarvoWebEntry2.dat")), !installed) << c.name;
        EXPECT_FALSE(fileExists(dir.file("TarvoWebEntry.exe.new"))) << c.name;
    }
}

TEST(ClientUpdate, ClientInUseStaysWholeAndTheUpdateWaits) {
    TempDir dir("tarvo-update");
    ASSERT_TRUE(writeFile(dir.file("TarvoWebEntry.exe"), kOldClient));
    ASSERT_TRUE(writeFile(dir.file("TarvoWebEntry2.dat"), stubProgram()));
    HANDLE inUse = CreateFileA(dir.file("TarvoWebEntry.exe").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(inUse, INVALID_HANDLE_VALUE);
    EXPECT_EQ(installPendingUpdate(tarvo::utf8ToWide(dir.path())), UpdateOutcome::NotInstalled);
    CloseHandle(inUse);
    EXPECT_TRUE(readFile(dir.file("TarvoWebEntry.exe")) == std::string(kOldClient));
    EXPECT_TRUE(fileExists(dir.file("TarvoWebEntry2.dat")));
    EXPECT_FALSE(fileExists(dir.file("TarvoWebEntry.exe.new")));

    // The next start installs it.
    EXPECT_EQ(installPendingUpdate(tarvo::utf8ToWide(dir.path())), UpdateOutcome::Installed);
    EXPECT_EQ(installPendingUpdate(tarvo::utf8ToWide(dir.path())), UpdateOutcome::None);
}

// The pending file's last-write time, read or set through a handle of its own.
FILETIME lastWriteTime(const std::string& path) {
    FILETIME t{};
    HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    GetFileTime(f, nullptr, nullptr, &t);
    CloseHandle(f);
    return t;
}
bool setLastWriteTime(const std::string& path, FILETIME t) {
    HANDLE f = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    const bool ok = f != INVALID_HANDLE_VALUE && SetFileTime(f, nullptr, nullptr, &t);
    CloseHandle(f);
    return ok;
}
FILETIME later(FILETIME t) {
    ULARGE_INTEGER v{{t.dwLowDateTime, t.dwHighDateTime}};
    v.QuadPart += 20000000;  // two seconds
    return FILETIME{v.LowPart, v.HighPart};
}

TEST(ClientUpdate, ARefusedFileIsNotReadAgainUntilItChanges) {
    const std::string program = stubProgram();
    ASSERT_GT(program.size(), 4096u);
    std::string garbled = program;
    garbled[garbled.size() / 2] ^= 0x55;  // the stored checksum no longer matches
    TempDir dir("tarvo-update");
    const std::string pending = dir.file("TarvoWebEntry2.dat");
    ASSERT_TRUE(writeFile(dir.file("TarvoWebEntry.exe"), kOldClient));
    ASSERT_TRUE(writeFile(pending, garbled));
    EXPECT_EQ(installPendingUpdate(tarvo::utf8ToWide(dir.path())), UpdateOutcome::NotAProgram);
    const FILETIME refusedAt = lastWriteTime(pending);

    // The same size and time, other bytes: the decision is kept, so the file
    // was not read again (a whole program would have been installed).
    ASSERT_TRUE(writeFile(pending, program));
    ASSERT_TRUE(setLastWriteTime(pending, refusedAt));
    EXPECT_EQ(installPendingUpdate(tarvo::utf8ToWide(dir.path())), UpdateOutcome::NotAProgram);
    EXPECT_TRUE(readFile(dir.file("TarvoWebEntry.exe")) == std::string(kOldClient));

    // Written anew: checked afresh, and installed.
    ASSERT_TRUE(setLastWriteTime(pending, later(refusedAt)));
    EXPECT_EQ(installPendingUpdate(tarvo::utf8ToWide(dir.path())), UpdateOutcome::Installed);
    EXPECT_TRUE(readFile(dir.file("TarvoWebEntry.exe")) == program);
    EXPECT_FALSE(fileExists(pending));
}

TEST(ClientUpdate, AnInstalledFileThatCannotBeRemovedIsNotInstalledAgain) {
    const std::string program = stubProgram();
    TempDir dir("tarvo-update");
    const std::string pending = dir.file("TarvoWebEntry2.dat");
    ASSERT_TRUE(writeFile(dir.file("TarvoWebEntry.exe"), kOldClient));
    ASSERT_TRUE(writeFile(pending, program));
    // Another program reads it and does not let it be deleted meanwhile.
    HANDLE reader = CreateFileA(pending.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    EXPECT_EQ(installPendingUpdate(tarvo::utf8ToWide(dir.path())), UpdateOutcome::InstalledKept);
    CloseHandle(reader);
    EXPECT_TRUE(readFile(dir.file("TarvoWebEntry.exe")) == program);
    EXPECT_TRUE(fileExists(pending));

    // The next start leaves the client alone while the file stays as it was.
    ASSERT_TRUE(writeFile(dir.file("TarvoWebEntry.exe"), kOldClient));
    EXPECT_EQ(installPendingUpdate(tarvo::utf8ToWide(dir.path())), UpdateOutcome::None);
    EXPECT_TRUE(readFile(dir.file("TarvoWebEntry.exe")) == std::string(kOldClient));

    // A new pending file is installed and removed as usual.
    ASSERT_TRUE(setLastWriteTime(pending, later(lastWriteTime(pending))));
    EXPECT_EQ(installPendingUpdate(tarvo::utf8ToWide(dir.path())), UpdateOutcome::Installed);
    EXPECT_FALSE(fileExists(pending));
}

// The debug privilege's state in this process's token: enabled or not.
bool debugPrivilegeEnabled() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
    LUID luid{};
    LookupPrivilegeValueA(nullptr, "SeDebugPrivilege", &luid);
    PRIVILEGE_SET set{};
    set.PrivilegeCount = 1;
    set.Privilege[0].Luid = luid;
    BOOL enabled = FALSE;
    PrivilegeCheck(token, &set, &enabled);
    CloseHandle(token);
    return enabled != FALSE;
}

TEST(ClientUpdate, StoppingThePatcherEndsItAndLeavesTheDebugPrivilegeAsItWas) {
    TempDir dir("tarvo-patcher");
    ASSERT_TRUE(copyFileTo(toolExe("TarvoRiftOnlineAutoPatch.exe"), dir.file("TarvoRiftOnlineAutoPatch.exe")));
    const bool before = debugPrivilegeEnabled();
    ChildProcess patcher;
    ASSERT_TRUE(patcher.start(dir.file("TarvoRiftOnlineAutoPatch.exe"), "patcher", dir.path()));

    stopAutoPatcher(L"TarvoRiftOnlineAutoPatch.exe");
    // Waited for: already gone when the call returns.
    EXPECT_FALSE(patcher.isRunning());
    EXPECT_EQ(debugPrivilegeEnabled(), before);
}

}  // namespace
