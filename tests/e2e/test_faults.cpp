// The real launcher against a misbehaving information service, broken
// settings files, a failing or silent game client, a shut-down in the middle
// of a download and an over-long command line. In every case it stays
// responsive, shows what it should and ends cleanly when told to.
// The test server's header brings winsock2.h, which must come before windows.h.
#include "support/http_server_win.h"

#include "e2e/launcher_run_win.h"

#include "res/resource.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

using namespace tarvo_test;

const char kDefaultName[] = u8"欢迎光临！";
const char kPlayerName[] = u8"玄洲游侠";
const char kSettingsFailure[] = u8"读取设置文件<http.cfg>失败";
const char kClientFailure[] = u8"启动TarvoWebEntry失败，文件不完整，请重新安装！";

// Replies as the service sends them (UTF-8 JSON; the name in \u escapes).
const char kAccountReply[] = "{\"code\":0,\"data\":{\"user_name\":\"\\u7384\\u6d32\\u6e38\\u4fa0\"}}";
const char kServersReply[] = "{\"code\":0,\"data\":{\"allserver\":[{\"server_name\":\"North-1\"}]}}";
const char kPageReply[] = "{\"code\":0,\"data\":{\"gsurl\":\"about:blank\"}}";

// The request type of a signed request ("...&type=5&sign=...").
int requestType(const HttpRequestSeen& request) {
    const std::string::size_type p = request.query.find("&type=");
    return p == std::string::npos ? 0 : std::atoi(request.query.c_str() + p + 6);
}

std::string goodBody(int type) {
    return type == 1 ? kAccountReply : type == 5 ? kServersReply : kPageReply;
}

// ---------------------------------------------------------------------------
// The information service misbehaving
// ---------------------------------------------------------------------------

struct ServiceCase {
    const char* what;
    // The reply to a request of the given type; unused when `refuse` is set.
    std::function<HttpReply(int type)> reply;
    bool refuse;          // nothing listens at the address
    bool nameShown;       // the player's name arrives and is shown
    int serverEntries;    // entries of the server list afterwards
    int settleMs;         // how long the replies take at most
};

TEST(Faults, MisbehavingServiceLeavesTheLauncherResponsiveAndShowsOnlyGoodAnswers) {
    const std::string big(6 * 1024 * 1024, 'x');
    const ServiceCase cases[] = {
        {"refused", nullptr, true, false, 0, 3000},
        {"HTTP 500 with an error page",
         [](int) {
             return HttpReply::withStatus(500, "Internal Server Error", "<html><body>500</body></html>", "",
                                          "text/html");
         },
         false, false, 0, 3000},
        {"malformed JSON", [](int) { return HttpReply::ok("{\"code\":0,\"data\":{\"user_name\":"); }, false, false,
         0, 3000},
        // A good answer, but far past the 1 MiB a reply may have: refused.
        {"several MB of reply",
         [&](int t) {
             std::string body = goodBody(t);
             body.insert(body.size() - 2, ",\"pad\":\"" + big + "\"");
             return HttpReply::ok(body);
         },
         false, false, 0, 8000},
        {"closed mid-reply",
         [](int t) {
             HttpReply r = HttpReply::ok(goodBody(t));
             return r.cutAt(r.bytes.size() - 10);
         },
         false, false, 0, 3000},
        {"5 s late", [](int t) { return HttpReply::ok(goodBody(t)).delayed(5000); }, false, true, 1, 20000},
    };
    for (const ServiceCase& c : cases) {
        SCOPED_TRACE(c.what);
        TestHttpServer server;
        std::string address = "http://127.0.0.1:9/pick/info";
        if (!c.refuse) {
            ASSERT_TRUE(server.start());
            server.setHandler([&c](const HttpRequestSeen& request) { return c.reply(requestType(request)); });
            address = server.url("/pick/info");
        }
        LaunchedLauncher launched(withSettings(settingsWithService(address)));
        ASSERT_TRUE(launched.start({{"TARVO_STUB_NO_READY", "1"}}));
        HWND launcher = launched.window;
        HWND name = GetDlgItem(launcher, IDC_PLAYER_NAME);

        // Responsive all the while the replies are on their way.
        const DWORD start = GetTickCount();
        bool alwaysResponsive = true;
        while (GetTickCount() - start < static_cast<DWORD>(c.settleMs)) {
            alwaysResponsive = alwaysResponsive && responsive(launcher);
            if (c.nameShown && windowText(name) == kPlayerName && styleVisible(name) &&
                serverListCount(launched.pid()) == c.serverEntries)
                break;
            Sleep(250);
        }
        EXPECT_TRUE(alwaysResponsive);
        ASSERT_TRUE(launched.run.process.isRunning());
        EXPECT_EQ(windowText(name), c.nameShown ? kPlayerName : kDefaultName);
        EXPECT_EQ(styleVisible(name), c.nameShown);
        EXPECT_EQ(serverListCount(launched.pid()), c.serverEntries);
        EXPECT_FALSE(waitForMessageBox(launched.pid(), 0).has_value());
        EXPECT_TRUE(launched.run.quitsCleanly(launcher));
    }
}

TEST(Faults, ShutDownDuringASlowDownloadEndsPromptlyWithExitCodeZero) {
    TestHttpServer server;
    ASSERT_TRUE(server.start());
    server.setHandler([](const HttpRequestSeen& r) { return HttpReply::ok(goodBody(requestType(r))).delayed(30000); });
    LaunchedLauncher launched(withSettings(settingsWithService(server.url("/pick/info"))));
    ASSERT_TRUE(launched.start({{"TARVO_STUB_NO_READY", "1"}}));
    ASSERT_TRUE(waitUntil([&] { return !server.requests().empty(); }, 10000));  // the worker is downloading

    EXPECT_TRUE(launched.run.quitsCleanly(launched.window, 8000));
    server.stop();
}

// An endless reply in the middle of being read does not hold up the exit:
// the game window closes and the process is gone within 5 s, every time.
TEST(Faults, EndlessReplyBeingReadDoesNotHoldUpTheExit) {
    TestHttpServer server;
    ASSERT_TRUE(server.start());
    server.setHandler([](const HttpRequestSeen&) { return HttpReply::head("").followedBy(HttpReply::kEndless); });
    for (int run = 0; run < 20; ++run) {
        SCOPED_TRACE(run);
        const std::size_t asked = server.requests().size();
        LaunchedLauncher launched(withSettings(settingsWithService(server.url("/pick/info"))));
        ASSERT_TRUE(launched.start({{"TARVO_STUB_READY_DELAY_MS", "200"}, {"TARVO_STUB_CLOSE_AFTER_MS", "2500"}}));
        HWND host = launched.run.hostPanel(launched.window);
        HWND game = nullptr;
        ASSERT_TRUE(waitUntil([&] { return (game = findDescendant(host, "TarvoGameView", nullptr)) != nullptr; },
                              15000));
        EXPECT_TRUE(waitUntil([&] { return server.requests().size() > asked; }, 10000)) << "the worker is reading";
        ASSERT_TRUE(waitUntil([&] { return !IsWindow(game); }, 15000));
        EXPECT_TRUE(launched.run.process.waitExit(5000).has_value()) << "still running 5 s after the game window went";
    }
    server.stop();
}

// ---------------------------------------------------------------------------
// Broken settings files
// ---------------------------------------------------------------------------

TEST(Faults, UnusableSettingsFileIsReportedOnceAndStartUpGoesOn) {
    const std::string padding(5 * 1024 * 1024, ' ');
    struct Case {
        const char* what;
        std::function<bool(InstallDir&)> prepare;
        bool reported;
    };
    const Case cases[] = {
        {"empty", [](InstallDir& d) { return d.writeHttpCfg(""); }, true},
        {"a directory", [](InstallDir& d) { return makeDirs(d.httpCfg()); }, true},
        {"several MB of nothing", [&](InstallDir& d) { return d.writeHttpCfg(padding + "\r\n"); }, true},
        // Above 1 MiB a file is not read at all, whatever it holds.
        {"several MB with the entries at its end",
         [&](InstallDir& d) { return d.writeHttpCfg(padding + "\r\n" + kExampleSettings); }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        InstallDir install;
        ASSERT_TRUE(install.ok()) << install.error();
        ASSERT_TRUE(c.prepare(install));
        LauncherRun run;
        ASSERT_TRUE(run.start(install, kExampleParameters, "", {{"TARVO_STUB_NO_READY", "1"}}));
        auto box = waitForMessageBox(run.process.pid(), c.reported ? 15000 : 4000);
        EXPECT_EQ(box.has_value(), c.reported);
        if (box) {
            EXPECT_EQ(box->text, kSettingsFailure);
            confirmMessageBox(box->hwnd);
        }
        HWND launcher = run.window();
        ASSERT_NE(launcher, nullptr);
        EXPECT_FALSE(run.clientCommandLine().empty());  // the client started all the same
        EXPECT_TRUE(responsive(launcher));
        EXPECT_TRUE(run.quitsCleanly(launcher));
    }
}

// ---------------------------------------------------------------------------
// The game client failing or silent, and an over-long command line
// ---------------------------------------------------------------------------

TEST(Faults, ClientThatFailsOrStaysSilentLeavesTheLauncherWaiting) {
    struct Case {
        const char* what;
        EnvVars env;
    };
    const Case cases[] = {
        {"exits at once", {{"TARVO_STUB_EXIT_AT_ONCE", "1"}, {"TARVO_STUB_EXIT_CODE", "3"}}},
        {"never reports", {{"TARVO_STUB_NO_READY", "1"}, {"TARVO_STUB_NO_WINDOW_MSG", "1"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        LaunchedLauncher launched;
        ASSERT_TRUE(launched.start(c.env));
        LauncherRun& run = launched.run;
        HWND launcher = launched.window;
        EXPECT_FALSE(run.clientCommandLine().empty());
        HWND percent = GetDlgItem(launcher, IDC_PROGRESS_PERCENT);
        EXPECT_TRUE(waitUntil([&] { return std::atoi(windowText(percent).c_str()) >= 10; }, 15000))
            << windowText(percent);
        EXPECT_TRUE(run.process.isRunning());
        EXPECT_TRUE(responsive(launcher));
        EXPECT_FALSE(styleVisible(run.hostPanel(launcher)));
        EXPECT_FALSE(waitForMessageBox(run.process.pid(), 0).has_value());
        EXPECT_TRUE(run.quitsCleanly(launcher));
    }
}

TEST(Faults, CommandLineTooLongForTheClientIsReportedAndTheLauncherCarriesOn) {
    InstallDir install(withSettings());
    ASSERT_TRUE(install.ok()) << install.error();
    // 32 KiB in all with the quoted program path: within what the launcher
    // itself can be started with, too long once the client's words are added.
    std::string parameters = kExampleParameters;
    const std::size_t total = 32767 - 1;
    const std::size_t used = install.launcher().size() + 3 + parameters.size();
    ASSERT_LT(used, total);
    parameters.insert(parameters.size() - 1, std::string(total - used, 'p'));

    LauncherRun run;
    ASSERT_TRUE(run.start(install, parameters, "", {{"TARVO_STUB_NO_READY", "1"}})) << run.process.error();
    auto box = waitForMessageBox(run.process.pid(), 15000);
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->text, kClientFailure);
    confirmMessageBox(box->hwnd);
    HWND launcher = run.window();
    ASSERT_NE(launcher, nullptr);
    EXPECT_TRUE(waitUntil([&] { return styleVisible(launcher); }, 5000));
    EXPECT_TRUE(responsive(launcher));
    EXPECT_FALSE(fileExists(run.stubLog));  // no client ever started
    EXPECT_TRUE(run.quitsCleanly(launcher));
}

} // namespace
