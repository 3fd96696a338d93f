// The launcher asks the information service stand-in its three questions at
// start and shows the answers.
#include "e2e/launcher_run_win.h"

#include "res/resource.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace tarvo_test;

TEST(AccountInfo, ShowsNameServerAndSignsThreeRequestsInOrder) {
    const std::string service = standInServiceAddress();
    ASSERT_FALSE(service.empty()) << "the information service stand-in is not running";
    // A server number of its own tells this run's requests apart in the log.
    const std::string serverNumber = uniqueServerNumber();
    LaunchedLauncher launched(withSettings(settingsWithService(service)));
    ASSERT_TRUE(launched.start({{"TARVO_STUB_NO_READY", "1"}}, parametersForServer(serverNumber)));

    HWND name = GetDlgItem(launched.window, IDC_PLAYER_NAME);
    ASSERT_TRUE(waitUntil([&] { return windowText(name) == u8"玄洲游侠"; }, 20000)) << windowText(name);
    // The worker sets the text, then shows the label.
    EXPECT_TRUE(waitUntil([&] { return styleVisible(name); }, 5000));

    HWND combo = serverListCombo(launched.pid());
    ASSERT_NE(combo, nullptr);
    ASSERT_TRUE(waitUntil([&] { return comboEntry(combo) == u8"白虎二区"; }, 20000))
        << comboCount(combo) << " entries, first \"" << comboEntry(combo) << "\"";
    EXPECT_EQ(comboCount(combo), 1);

    const std::string marker = "skey=s" + serverNumber + "&";
    std::vector<std::string> requests;
    waitUntil([&] { return (requests = serviceLogLinesWith({marker})).size() >= 3; }, 20000);
    ASSERT_EQ(requests.size(), 3u);
    const char* types[] = {"\"type\":\"1\"", "\"type\":\"5\"", "\"type\":\"2\""};
    for (int i = 0; i < 3; ++i) {
        EXPECT_NE(requests[i].find(types[i]), std::string::npos) << requests[i];
        EXPECT_NE(requests[i].find("\"sign_ok\":true"), std::string::npos) << requests[i];
        EXPECT_NE(requests[i].find("platform=web&gkey=quarrion&skey=s" + serverNumber), std::string::npos)
            << requests[i];
    }
}

TEST(AccountInfo, ServiceDownLeavesNameAndServerListEmpty) {
    // Nothing listens at the service's address.
    LaunchedLauncher launched(withSettings(settingsWithService("http://127.0.0.1:9/pick/info")));
    ASSERT_TRUE(launched.start({{"TARVO_STUB_NO_READY", "1"}}));
    Sleep(4000);  // the three refused requests are long over
    ASSERT_TRUE(launched.run.process.isRunning());
    HWND name = GetDlgItem(launched.window, IDC_PLAYER_NAME);
    EXPECT_FALSE(styleVisible(name));
    EXPECT_EQ(windowText(name), u8"欢迎光临！");
    EXPECT_EQ(serverListCount(launched.pid()), 0);
}

} // namespace
