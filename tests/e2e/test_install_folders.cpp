// The real launcher installed where players install it: in a folder named in
// a script that the system's code page cannot hold (run under the generated
// UTF-8 locales), and at a path past the classic 260-character limit. The
// settings are read, a pending update is installed, the client starts, the
// player's name shows and leaving starts Launch.exe, with no failure box; a
// path the system refuses for its length is named to the player, never
// called an incomplete installation.
#include "e2e/launcher_run_win.h"

#include "app/programs_win.h"
#include "framework/text_win.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

using namespace tarvo_test;

const char kPlayerName[] = u8"玄洲游侠";
const char kReinstall[] = u8"启动TarvoWebEntry失败，文件不完整，请重新安装！";

// An install in `folder` (inside its temporary directory) that talks to the
// service stand-in, with a pending update of the client beside it.
struct FolderInstall {
    InstallDir install;

    explicit FolderInstall(const std::string& folder) : install(options(folder)) {}

    static InstallOptions options(const std::string& folder) {
        InstallOptions options = withSettings(settingsWithService(standInServiceAddress()));
        options.folder = folder;
        return options;
    }
    ::testing::AssertionResult ready() {
        if (standInServiceAddress().empty()) return ::testing::AssertionFailure() << "no service stand-in runs";
        if (!install.ok()) return ::testing::AssertionFailure() << install.error();
        if (!copyFileTo(toolExe("TarvoWebEntry.exe"), install.file("TarvoWebEntry2.dat")))
            return ::testing::AssertionFailure() << "no pending update";
        return ::testing::AssertionSuccess();
    }
};

// Whether Launch.exe logged its start in `directory`.
bool launchStartedIn(const std::string& log, const std::string& directory) {
    const std::vector<std::string> lines = readLines(log);
    for (size_t i = 0; i + 1 < lines.size(); ++i) {
        if (lines[i] == "tarvolunch-start" && lstrcmpiA(lines[i + 1].c_str(), directory.c_str()) == 0) return true;
    }
    return false;
}

// A message box of the process once its text is in place.
std::optional<MessageBoxSeen> shownBox(DWORD pid) {
    std::optional<MessageBoxSeen> box = waitForMessageBox(pid, 0);
    if (box && box->text.empty()) box.reset();
    return box;
}

const EnvVars kLongLivedClient = {{"TARVO_STUB_MAX_LIFE_MS", "120000"}};

TEST(WidePathRun, AnInstallInAFolderOfAnotherScriptRunsLikeAnyOther) {
    for (const char* name : {u8"游戏目录", u8"게임"}) {
        SCOPED_TRACE(name);
        FolderInstall folder(joinPath(u8"网络游戏", name));
        ASSERT_TRUE(folder.ready());
        const InstallDir& install = folder.install;
        LauncherRun run;
        ASSERT_TRUE(run.start(install, kExampleParameters, "", kLongLivedClient)) << run.process.error();
        HWND launcher = run.window();
        ASSERT_NE(launcher, nullptr);

        // The client started with its 13 words, and no box was shown.
        EXPECT_EQ(splitWords(run.clientCommandLine()).size(), 13u) << run.clientCommandLine();
        EXPECT_FALSE(waitForMessageBox(run.process.pid(), 0).has_value());
        // The update was installed before it started.
        EXPECT_FALSE(fileExists(install.file("TarvoWebEntry2.dat")));
        HWND nameLabel = GetDlgItem(launcher, IDC_PLAYER_NAME);
        EXPECT_TRUE(waitUntil([&] { return windowText(nameLabel) == kPlayerName; }, 15000)) << windowText(nameLabel);

        HWND panel = openExitPanel(run.process.pid(), launcher);
        ASSERT_NE(panel, nullptr);
        pressConfirm(panel);
        const std::optional<DWORD> code = run.process.waitExit(15000);
        ASSERT_TRUE(code.has_value()) << "the launcher is still running";
        EXPECT_EQ(*code, 0u);
        EXPECT_TRUE(waitUntil([&] { return launchStartedIn(run.stubLog, install.path()); }, 10000))
            << "Launch.exe did not start in " << install.path();
    }
}

// The system may refuse to start a program whose path passes the limit (Wine
// does, whatever the form of the path): the player is then told that the
// install folder's path is too long, and everything else works.
TEST(LongPathRun, AnInstallPastTheLimitIsReadAndUpdatedAndAPathTheSystemRefusesIsNamed) {
    std::string name;
    for (int i = 0; name.size() < 300; ++i) name = joinPath(name, "a-folder-of-forty-characters-for-length" + std::to_string(i));
    FolderInstall folder(name);
    ASSERT_TRUE(folder.ready());
    const InstallDir& install = folder.install;
    ASSERT_GT(install.path().size(), 300u);
    LauncherRun run;
    ASSERT_TRUE(run.startFromUnixShell(install, kExampleParameters, kLongLivedClient)) << run.process.error();

    // The client starts, or the one box there is names the folder.
    std::optional<MessageBoxSeen> box;
    ASSERT_TRUE(waitUntil(
        [&] {
            box = shownBox(run.process.pid());
            return box.has_value() || fileExists(run.stubLog);
        },
        20000));
    if (box) {
        EXPECT_NE(box->text, kReinstall);
        EXPECT_EQ(box->text, folderTooLongMessage(tarvo::utf8ToWide(install.path())));
        EXPECT_EQ(box->caption, "TarvoLaunch");
        confirmMessageBox(box->hwnd);
    } else {
        EXPECT_EQ(splitWords(run.clientCommandLine()).size(), 13u);
    }
    HWND launcher = run.window();
    ASSERT_NE(launcher, nullptr);
    EXPECT_FALSE(fileExists(install.file("TarvoWebEntry2.dat"))) << "the update was not installed";
    HWND nameLabel = GetDlgItem(launcher, IDC_PLAYER_NAME);
    EXPECT_TRUE(waitUntil([&] { return windowText(nameLabel) == kPlayerName; }, 15000)) << windowText(nameLabel);
    EXPECT_FALSE(waitForMessageBox(run.process.pid(), 0).has_value());

    // Leaving: Launch.exe starts, or the box names the folder once more.
    HWND panel = openExitPanel(run.process.pid(), launcher);
    ASSERT_NE(panel, nullptr);
    pressConfirm(panel);
    std::optional<DWORD> code;
    ASSERT_TRUE(waitUntil(
        [&] {
            if (auto leaving = shownBox(run.process.pid())) {
                EXPECT_EQ(leaving->text, folderTooLongMessage(tarvo::utf8ToWide(install.path())));
                confirmMessageBox(leaving->hwnd);
            }
            return (code = run.process.waitExit(0)).has_value();
        },
        20000));
    EXPECT_EQ(*code, 0u);
}

} // namespace
