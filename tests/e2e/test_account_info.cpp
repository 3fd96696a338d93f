// The launcher asks the information service stand-in its three questions at
// start and shows the answers.
#include "e2e/launcher_run_win.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace tarvo_test;


// Requests logged by the service for this run's server number, in order.
std::vector<std::string> loggedRequests(const std::string& marker) {
    std::vector<std::string> lines;
    for (const std::string& line : readLines(envOr("TARVO_INFO_LOG", ""))) {
        if (line.find(marker) != std::string::npos) lines.push_back(line);
    }
    return lines;
}

TEST(AccountInfo, ShowsNameServerAndSignsThreeRequestsInOrder) {
    const std::string service = standInServiceAddress();
    ASSERT_FALSE(service.empty()) << "the information service stand-in is not running";
    InstallOptions options;
    options.httpCfg = settingsWithService(service);
    InstallDir install(options);
    ASSERT_TRUE(install.ok()) << install.error();

    // A server number of its own tells this run's requests apart in the log.
    const std::string serverNumber = std::to_string(GetTickCount() % 100000 + 100);
    std::string parameters = kExampleParameters;
    parameters.replace(parameters.find("web_12_a"), 8, "web_" + serverNumber + "_a");

    LauncherRun run;
    ASSERT_TRUE(run.start(install, parameters, "", {{"TARVO_STUB_NO_READY", "1"}}));
    HWND launcher = run.window();
    ASSERT_NE(launcher, nullptr);

    HWND name = GetDlgItem(launcher, 1003);
    ASSERT_TRUE(waitUntil([&] { return windowText(name) == "玄洲游侠"; }, 20000)) << windowText(name);
    // The worker sets the text, then shows the label.
    EXPECT_TRUE(waitUntil([&] { return styleVisible(name); }, 5000));

    HWND combo = serverListCombo(run.process.pid());
    ASSERT_NE(combo, nullptr);
    ASSERT_TRUE(waitUntil([&] { return comboEntry(combo) == "白虎二区"; }, 20000))
        << SendMessageA(combo, CB_GETCOUNT, 0, 0) << " entries, first \"" << comboEntry(combo) << "\"";
    EXPECT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 1);

    const std::string marker = "skey=s" + serverNumber + "&";
    std::vector<std::string> requests;
    waitUntil([&] { return (requests = loggedRequests(marker)).size() >= 3; }, 20000);
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
    InstallOptions options;
    options.httpCfg = settingsWithService("http://127.0.0.1:9/pick/info");  // nothing listens there
    InstallDir install(options);
    ASSERT_TRUE(install.ok()) << install.error();
    LauncherRun run;
    ASSERT_TRUE(run.start(install, kExampleParameters, "", {{"TARVO_STUB_NO_READY", "1"}}));
    HWND launcher = run.window();
    ASSERT_NE(launcher, nullptr);
    Sleep(4000);  // the three refused requests are long over
    ASSERT_TRUE(run.process.isRunning());
    HWND name = GetDlgItem(launcher, 1003);
    EXPECT_FALSE(GetWindowLongA(name, GWL_STYLE) & WS_VISIBLE);
    EXPECT_EQ(windowText(name), "欢迎光临！");
    HWND combo = serverListCombo(run.process.pid());
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 0);
}

} // namespace
