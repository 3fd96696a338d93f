#include "app/file_paths.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using tarvo::fileNameOf;
using tarvo::joinPath;
using tarvo::parentFolder;
using tarvo::systemPath;
using tarvo::withoutExtension;

// A folder path of `length` characters under C:\, of names of 20 letters.
std::wstring folderOfLength(std::size_t length, const std::wstring& root = L"C:") {
    std::wstring path = root;
    while (path.size() + 21 <= length) path += L"\\abcdefghijklmnopqrst";
    while (path.size() < length) path += L'x';
    return path;
}

TEST(FilePaths, JoinParentAndName) {
    const std::wstring longFolder = folderOfLength(320);
    const struct Case {
        std::wstring path;    // as the system gives it
        std::wstring parent;  // parentFolder
        std::wstring name;    // fileNameOf
    } cases[] = {
        {L"C:\\games\\TarvoLaunch.exe", L"C:\\games", L"TarvoLaunch.exe"},
        {L"C:\\TarvoLaunch.exe", L"C:", L"TarvoLaunch.exe"},
        {L"C:\\games\\", L"C:", L""},
        {L"C:\\games\\\\a.exe", L"C:\\games", L"a.exe"},
        {L"\\\\host\\share\\a.exe", L"\\\\host\\share", L"a.exe"},
        {L"\\\\host", L"", L"host"},
        {L"\\\\?\\C:\\games\\a.exe", L"\\\\?\\C:\\games", L"a.exe"},
        {L"C:/games/a.exe", L"C:/games", L"a.exe"},
        {L"a.exe", L"", L"a.exe"},
        {L"", L"", L""},
        {L"D:\\游戏目录\\TarvoLaunch.exe", L"D:\\游戏目录", L"TarvoLaunch.exe"},
        {L"D:\\게임\\클라이언트.exe", L"D:\\게임", L"클라이언트.exe"},
        {longFolder + L"\\TarvoLaunch.exe", longFolder, L"TarvoLaunch.exe"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.path.begin(), c.path.end()));
        EXPECT_EQ(parentFolder(c.path), c.parent);
        EXPECT_EQ(fileNameOf(c.path), c.name);
        // A name joined onto the parent lands beside the path.
        if (!c.parent.empty() && !c.name.empty()) {
            EXPECT_EQ(fileNameOf(joinPath(c.parent, c.name)), c.name);
            EXPECT_EQ(parentFolder(joinPath(c.parent, L"TarvoWebEntry.exe")), c.parent);
        }
    }
}

TEST(FilePaths, JoinTakesOneBackslash) {
    const struct Case {
        std::wstring folder, name, joined;
    } cases[] = {
        {L"C:\\games", L"TarvoWebEntry.exe", L"C:\\games\\TarvoWebEntry.exe"},
        {L"C:\\games", L"\\TarvoWebEntry.exe", L"C:\\games\\TarvoWebEntry.exe"},
        {L"C:\\games\\", L"bg.jpg", L"C:\\games\\bg.jpg"},
        {L"C:\\", L"bg.jpg", L"C:\\bg.jpg"},
        {L"C:", L"bg.jpg", L"C:\\bg.jpg"},
        {L"C:\\games", L"client\\http.cfg", L"C:\\games\\client\\http.cfg"},
        {L"\\\\host\\share", L"Launch.exe", L"\\\\host\\share\\Launch.exe"},
        {L"", L"Launch.exe", L"Launch.exe"},
        {L"D:\\游戏目录", L"client\\http.cfg", L"D:\\游戏目录\\client\\http.cfg"},
    };
    for (const Case& c : cases) EXPECT_EQ(joinPath(c.folder, c.name), c.joined);
}

TEST(FilePaths, ExtendedLengthOnlyWhereNeeded) {
    const std::wstring atLimit = folderOfLength(tarvo::kClassicPathLimit);
    const std::wstring overLimit = folderOfLength(tarvo::kClassicPathLimit + 1);
    const std::wstring longUnc = folderOfLength(300, L"\\\\host\\share");
    const struct Case {
        std::wstring path, expected;
    } cases[] = {
        {L"C:\\games\\a.exe", L"C:\\games\\a.exe"},
        {atLimit, atLimit},
        {overLimit, L"\\\\?\\" + overLimit},
        {longUnc, L"\\\\?\\UNC\\" + longUnc.substr(2)},
        {L"\\\\?\\" + overLimit, L"\\\\?\\" + overLimit},
        // Only the system resolves these, and only without the prefix.
        {overLimit + L"\\..\\a.exe", overLimit + L"\\..\\a.exe"},
        {L"relative\\" + overLimit.substr(3), L"relative\\" + overLimit.substr(3)},
        {L"C:/" + overLimit.substr(3), L"\\\\?\\C:\\" + overLimit.substr(3)},
    };
    for (const Case& c : cases) EXPECT_EQ(systemPath(c.path), c.expected) << c.path.size();
}

TEST(FilePaths, WithoutExtension) {
    const struct Case {
        std::wstring name, stem;
    } cases[] = {
        {L"TarvoLaunch.exe", L"TarvoLaunch"}, {L"TarvoLaunch", L"TarvoLaunch"}, {L"a.b.exe", L"a.b"},
        {L".hidden", L".hidden"},            {L"启动器.exe", L"启动器"},
    };
    for (const Case& c : cases) EXPECT_EQ(withoutExtension(c.name), c.stem);
}

} // namespace
