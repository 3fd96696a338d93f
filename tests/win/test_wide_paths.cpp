// The install's files at any path: the settings file read from disk, a
// pending update installed, the client started and the auto-patcher found,
// in folders named in scripts the code page cannot hold (run under the
// locales that the test runner generates) and at paths past the classic
// 260-character limit.
#include "app/client_update_win.h"
#include "app/programs_win.h"
#include "app/settings_file_win.h"
#include "framework/text_win.h"
#include "support/test_support_win.h"

#include <gtest/gtest.h>

#include <atomic>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace tarvo_test;

const std::string U = "unchanged";

const char kTwoPlatforms[] =
    "GS_MAIN_=B#:\r\nGS_MAIN_web=A#:\r\n"
    "GS_BBS_=http://bbs/#:GS_BBS_web=http://bbs.web/#:\r\n"
    "GS_API_=http://api/q#:GS_API_web=http://api.web/q#:\r\n"
    "GS_API_platform_=p#:GS_API_platform_web=webp#:\r\n"
    "GS_API_gkey_=g#:GS_API_gkey_web=wg#:\r\n"
    "GS_API_key_=k#:GS_API_key_web=wk#:\r\n";

std::wstring wide(const std::string& path) { return tarvo::utf8ToWide(path); }

// A folder under `base` whose path is longer than 300 characters.
std::string longFolderUnder(const std::string& base) {
    std::string folder = base;
    for (int i = 0; folder.size() <= 300; ++i) folder = joinPath(folder, "a-folder-of-forty-characters-for-length" + std::to_string(i));
    return folder;
}

// ---------------------------------------------------------------------------
// The settings file
// ---------------------------------------------------------------------------

TEST(SettingsFile, IsReadWholeAndAsItIs) {
    TempDir dir("settings");
    ASSERT_TRUE(makeDirs(dir.file("a-folder.cfg")));
    struct Case {
        const char* name;
        std::optional<std::string> bytes;  // nullopt: nothing written
        SettingsRead result;
        std::string mainSiteUrl;
        std::string apiSignKey;
    } cases[] = {
        {"full.cfg", kTwoPlatforms, SettingsRead::Read, "A", "wk"},
        // Binary reading: the CR LF inside a value arrives unchanged.
        {"crlf.cfg", "GS_MAIN_=a\r\nb#:GS_BBS_=f#:GS_API_=u#:GS_API_platform_=p#:GS_API_gkey_=g#:GS_API_key_=k#:",
         SettingsRead::Read, "a\r\nb", "k"},
        {"partial.cfg", "GS_MAIN_web=A#:GS_API_=u#:", SettingsRead::EntryMissing, "A", U},
        {"empty.cfg", "", SettingsRead::Empty, U, U},
        {"missing.cfg", std::nullopt, SettingsRead::Missing, U, U},
        {"a-folder.cfg", std::nullopt, SettingsRead::Missing, U, U},
        {"no-such-folder\\http.cfg", std::nullopt, SettingsRead::Missing, U, U},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.bytes) {
            ASSERT_TRUE(writeFile(dir.file(c.name), *c.bytes));
        }
        ServiceSettings settings{U, U, U, U, U, U};
        EXPECT_EQ(readServiceSettings(wide(dir.file(c.name)), "web", settings), c.result);
        EXPECT_EQ(settings.mainSiteUrl, c.mainSiteUrl);
        EXPECT_EQ(settings.apiSignKey, c.apiSignKey);
    }
}

TEST(SettingsFile, FilesAboveOneMebibyteAreUnreadable) {
    // Filler with many near-misses for every key, the entries at the very end.
    const auto fileOf = [](std::size_t size) {
        const std::string filler = "GS_API GS_MAIN GS_BBS = # : filler text\r\n";
        std::string bytes;
        while (bytes.size() + filler.size() + std::string(kTwoPlatforms).size() <= size) bytes += filler;
        bytes.append(size - bytes.size() - std::string(kTwoPlatforms).size(), ' ');
        return bytes + kTwoPlatforms;
    };
    const struct Case {
        std::size_t size;
        SettingsRead result;
        std::string mainSiteUrl;
    } cases[] = {
        {kMaxSettingsFileSize, SettingsRead::Read, "B"},
        {kMaxSettingsFileSize + 1, SettingsRead::TooLarge, U},
        {6 * kMaxSettingsFileSize, SettingsRead::TooLarge, U},
    };
    TempDir dir("settings-big");
    for (const Case& c : cases) {
        ASSERT_TRUE(writeFile(dir.file("http.cfg"), fileOf(c.size)));
        ServiceSettings settings{U, U, U, U, U, U};
        EXPECT_EQ(readServiceSettings(wide(dir.file("http.cfg")), "other", settings), c.result) << c.size;
        EXPECT_EQ(settings.mainSiteUrl, c.mainSiteUrl) << c.size;
    }
}

TEST(SettingsFile, AFileThatCannotBeOpenedIsToldApartFromAMissingOne) {
    TempDir dir("settings-locked");
    const std::string path = dir.file("http.cfg");
    ASSERT_TRUE(writeFile(path, kTwoPlatforms));
    {
        // Held by another program that lets nobody else in.
        const HANDLE held = CreateFileW(wide(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        ServiceSettings settings{U, U, U, U, U, U};
        EXPECT_EQ(readServiceSettings(wide(path), "web", settings), SettingsRead::Unopenable);
        EXPECT_EQ(settings.mainSiteUrl, U);
        CloseHandle(held);
    }
    ServiceSettings settings;
    EXPECT_EQ(readServiceSettings(wide(path), "web", settings), SettingsRead::Read);
    ASSERT_TRUE(removeTree(path));
    EXPECT_EQ(readServiceSettings(wide(path), "web", settings), SettingsRead::Missing);
}

// ---------------------------------------------------------------------------
// An install's files in a given folder
// ---------------------------------------------------------------------------

// Lays out settings, a client and a pending update (a newer client) in
// `folder`, then reads the settings and installs the update as the start-up
// does.
void expectSettingsAndUpdateWorkIn(const std::string& folder) {
    ASSERT_TRUE(makeDirs(joinPath(folder, "client")));
    ASSERT_TRUE(writeFile(joinPath(folder, "client\\http.cfg"), kTwoPlatforms));
    ASSERT_TRUE(writeFile(joinPath(folder, "TarvoWebEntry.exe"), "the old client"));
    const std::optional<std::string> program = readFile(toolExe("TarvoWebEntry.exe"));
    ASSERT_TRUE(program.has_value());
    ASSERT_TRUE(writeFile(joinPath(folder, "TarvoWebEntry2.dat"), *program));

    ServiceSettings settings;
    EXPECT_EQ(readServiceSettings(wide(joinPath(folder, "client\\http.cfg")), "web", settings), SettingsRead::Read);
    EXPECT_EQ(settings.mainSiteUrl, "A");
    EXPECT_EQ(installPendingUpdate(wide(folder)), UpdateOutcome::Installed);
    EXPECT_EQ(readFile(joinPath(folder, "TarvoWebEntry.exe")), program);
    EXPECT_FALSE(fileExists(joinPath(folder, "TarvoWebEntry2.dat")));
    EXPECT_FALSE(fileExists(joinPath(folder, "TarvoWebEntry.exe.new")));
}

// What starting the client stand-in in `folder` came to.
struct StartSeen {
    StartFailure why = StartFailure::None;
    std::optional<MessageBoxSeen> box;
    std::vector<std::string> logged;  // the client's log: command line, directory
};

StartSeen startClientIn(const std::string& folder, const std::string& log) {
    StartSeen seen;
    ScopedEnv logEnv("TARVO_STUB_LOG", log);
    ScopedEnv quick("TARVO_STUB_EXIT_AT_ONCE", "1");
    std::atomic<bool> returned{false};
    std::thread closer([&] {
        while (!returned && !seen.box) seen.box = waitForMessageBox(GetCurrentProcessId(), 200);
        if (seen.box) confirmMessageBox(seen.box->hwnd);
    });
    tarvo::UniqueHandle process =
        startProgram(wide(joinPath(folder, "TarvoWebEntry.exe")), "1 0 1 none http://a:8681/pick/multiinfo none none",
                     wide(folder), StartFailureMessage{nullptr, "the client is missing", "test"}, &seen.why);
    returned = true;
    if (process) {
        WaitForSingleObject(process.get(), 10000);
        waitUntil([&] { return readLines(log).size() >= 2; }, 5000);
        seen.logged = readLines(log);
    }
    closer.join();
    return seen;
}

TEST(LongPaths, SettingsAndUpdateWorkPastTheClassicLimit) {
    TempDir dir("long");
    const std::string folder = longFolderUnder(dir.path());
    ASSERT_GT(folder.size(), 300u);
    expectSettingsAndUpdateWorkIn(folder);
}

// The system (Wine today) may refuse to start a program past the limit;
// the player is then told that the folder's path is too long, never that
// the installation is incomplete.
TEST(LongPaths, AClientTheSystemCannotStartForItsPathIsNamedNotCalledIncomplete) {
    TempDir dir("long-start");
    const std::string folder = longFolderUnder(dir.path());
    ASSERT_TRUE(copyFileTo(toolExe("TarvoWebEntry.exe"), joinPath(folder, "TarvoWebEntry.exe")));
    const StartSeen seen = startClientIn(folder, dir.file("client.log"));
    EXPECT_NE(seen.why, StartFailure::Failed);
    if (seen.why == StartFailure::None) {
        ASSERT_GE(seen.logged.size(), 2u);
        EXPECT_EQ(seen.logged[0], "1 0 1 none http://a:8681/pick/multiinfo none none");
        EXPECT_FALSE(seen.box.has_value());
    } else {
        ASSERT_TRUE(seen.box.has_value());
        EXPECT_EQ(seen.box->text, folderTooLongMessage(wide(folder)));
        EXPECT_NE(seen.box->text.find(folder), std::string::npos);
        EXPECT_EQ(seen.box->caption, "test");
    }
}

TEST(LongPaths, AMissingClientPastTheLimitIsStillCalledMissing) {
    TempDir dir("long-missing");
    const std::string folder = longFolderUnder(dir.path());
    ASSERT_TRUE(makeDirs(folder));
    const StartSeen seen = startClientIn(folder, dir.file("client.log"));
    EXPECT_EQ(seen.why, StartFailure::Failed);
    ASSERT_TRUE(seen.box.has_value());
    EXPECT_EQ(seen.box->text, "the client is missing");
}

// ---------------------------------------------------------------------------
// Folders named in other scripts (run under the generated UTF-8 locales)
// ---------------------------------------------------------------------------

const char* const kForeignFolders[] = {u8"游戏目录", u8"게임", u8"ゲーム フォルダ"};

TEST(WidePaths, SettingsUpdateAndClientInAFolderOfAnotherScript) {
    for (const char* name : kForeignFolders) {
        SCOPED_TRACE(name);
        TempDir dir("wide");
        const std::string folder = dir.file(name);
        ASSERT_TRUE(makeDirs(folder)) << "the file system cannot hold the name: is the locale generated?";
        expectSettingsAndUpdateWorkIn(folder);

        const StartSeen seen = startClientIn(folder, dir.file("client.log"));
        EXPECT_EQ(seen.why, StartFailure::None);
        EXPECT_FALSE(seen.box.has_value());
        ASSERT_GE(seen.logged.size(), 2u);
        EXPECT_EQ(seen.logged[0], "1 0 1 none http://a:8681/pick/multiinfo none none");
        EXPECT_EQ(seen.logged[1], folder);  // started in its own folder, named whole
    }
}

TEST(WidePaths, APatcherInAFolderOfAnotherScriptIsFoundAndStopped) {
    for (const char* name : kForeignFolders) {
        SCOPED_TRACE(name);
        TempDir dir("wide-patcher");
        const std::string patcherPath = joinPath(dir.file(name), "TarvoRiftOnlineAutoPatch.exe");
        ASSERT_TRUE(copyFileTo(toolExe("TarvoRiftOnlineAutoPatch.exe"), patcherPath));
        ChildProcess patcher;
        ASSERT_TRUE(patcher.start(patcherPath, "patcher", dir.file(name))) << patcher.error();
        stopAutoPatcher(L"TarvoRiftOnlineAutoPatch.exe");
        EXPECT_FALSE(patcher.isRunning());
    }
}

} // namespace
