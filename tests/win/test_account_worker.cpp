// The account-information worker against an HTTP server inside the test,
// with real windows standing in for the launcher's name label, the
// server-list combo box and the web page panel, each answer finding its
// window by handle on this thread as the launcher's do.
#include <winsock2.h>

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "service/web_address.h"
#include "framework/text_win.h"
#include "framework/ui_task_win.h"
#include "resource.h"
#include "service/account_worker_win.h"
#include "service/request_sign.h"
#include "support/http_server_win.h"
#include "support/test_support_win.h"
#include "support/window_probes_win.h"

using tarvo_test::HttpReply;
using tarvo_test::HttpRequestSeen;
using tarvo_test::TestHttpServer;

namespace {

const std::string kXuanzhouUtf8 = "\xE7\x8E\x84\xE6\xB4\xB2";  // "玄洲"
const std::string kTianmenUtf8 = "\xE5\xA4\xA9\xE9\x97\xA8";  // "天门"

std::vector<std::string> g_navigations;

// Stands in for the web page panel: opens what its NavigateTo opens (a web
// address, or the empty one). Runs on this (the UI) thread.
void recordNavigation(HWND panel, const std::string& address) {
    if (!IsWindow(panel)) return;
    if (address.empty() || isWebAddress(address)) g_navigations.push_back(address);
}

// The server-list panel's fill: the first entries replaced in place, entry 0 selected.
void fillCombo(HWND combo, const std::vector<std::string>& names) {
    if (!IsWindow(combo)) return;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::wstring name = tarvo::utf8ToWide(names[i]);
        SendMessageW(combo, CB_DELETESTRING, i, 0);
        SendMessageW(combo, CB_INSERTSTRING, i, reinterpret_cast<LPARAM>(name.c_str()));
    }
    SendMessageW(combo, CB_SETCURSEL, 0, 0);
}

// Runs the thread procedure on a thread of its own while this thread keeps
// handling the messages the worker sends; true when it ended in time.
bool runWorker(const AccountInfoTargets& targets, DWORD timeoutMs = 60000) {
    HANDLE thread = CreateThread(nullptr, 0, AccountInfoThread, new AccountInfoTargets(targets),
                                 0, nullptr);
    if (!thread) return false;
    const DWORD start = GetTickCount();
    bool ended = false;
    while (GetTickCount() - start < timeoutMs) {
        const DWORD wait = MsgWaitForMultipleObjects(1, &thread, FALSE, 100, QS_ALLINPUT);
        tarvo_test::pumpMessages();
        if (wait == WAIT_OBJECT_0) {
            ended = true;
            break;
        }
    }
    tarvo_test::pumpMessages();  // messages posted just before the end
    CloseHandle(thread);
    return ended;
}

int typeOf(const HttpRequestSeen& request) {
    const std::size_t at = request.query.find("&type=");
    return at == std::string::npos ? -1 : std::atoi(request.query.c_str() + at + 6);
}

class AccountWorkerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server_.start());
        server_.setHandler([this](const HttpRequestSeen& request) {
            auto found = replies_.find(typeOf(request));
            return found != replies_.end() ? found->second
                                           : HttpReply::withStatus(404, "Not Found", "");
        });
        launcher_ = CreateWindowExA(0, "STATIC", "launcher", WS_POPUP, 0, 0, 400, 300, nullptr,
                                    nullptr, GetModuleHandleA(nullptr), nullptr);
        label_ = CreateWindowExA(0, "STATIC", "old name", WS_CHILD, 10, 10, 200, 20, launcher_,
                                 reinterpret_cast<HMENU>(IDC_PLAYER_NAME), nullptr, nullptr);
        combo_ = CreateWindowExA(0, "COMBOBOX", "", WS_CHILD | WS_VSCROLL | CBS_DROPDOWN | CBS_SORT,
                                 10, 40, 150, 200, launcher_, reinterpret_cast<HMENU>(IDC_SERVER_LIST),
                                 nullptr, nullptr);
        receiver_ = CreateWindowExA(0, "STATIC", "page", WS_POPUP, 0, 0, 10, 10, nullptr,
                                    nullptr, GetModuleHandleA(nullptr), nullptr);
        uiTasks_ = std::make_unique<tarvo::UiTaskQueue>();
        ASSERT_TRUE(uiTasks_->ok());
        ASSERT_TRUE(launcher_ && label_ && combo_ && receiver_);
        g_navigations.clear();

        targets_.values.apiBaseUrl = server_.url("/gs/api");
        targets_.values.apiPlatform = "tarvo";
        targets_.values.apiGameKey = "gk1";
        targets_.values.apiSignKey = "secret#1";
        targets_.values.serverNumber = "42";
        targets_.uiThread = GetCurrentThreadId();
        const HWND launcher = launcher_, combo = combo_, receiver = receiver_;
        targets_.answers.playerName = [launcher](const std::string& name) {
            if (!IsWindow(launcher)) return;
            SetDlgItemTextW(launcher, IDC_PLAYER_NAME, tarvo::utf8ToWide(name).c_str());
            ShowWindow(GetDlgItem(launcher, IDC_PLAYER_NAME), SW_SHOW);
        };
        targets_.answers.server = [combo](const std::string& server) { fillCombo(combo, {server}); };
        targets_.answers.page = [receiver](const std::string& page) { recordNavigation(receiver, page); };
    }

    void TearDown() override {
        if (receiver_) DestroyWindow(receiver_);
        if (launcher_) DestroyWindow(launcher_);
        tarvo_test::pumpMessages();
        uiTasks_.reset();
        server_.stop();
    }

    void addComboItems(const std::vector<std::string>& items) {
        for (const auto& item : items)
            SendMessageA(combo_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    }

    bool labelVisible() const { return (GetWindowLongA(label_, GWL_STYLE) & WS_VISIBLE) != 0; }

    TestHttpServer server_;
    std::map<int, HttpReply> replies_;
    AccountInfoTargets targets_;
    HWND launcher_ = nullptr;
    HWND label_ = nullptr;
    HWND combo_ = nullptr;
    HWND receiver_ = nullptr;
    std::unique_ptr<tarvo::UiTaskQueue> uiTasks_;
};

}  // namespace

TEST_F(AccountWorkerTest, AsksThreeSignedQuestionsAndShowsTheAnswers) {
    replies_[1] = HttpReply::ok("{\"code\":0,\"data\":{\"user_name\":\"\\u7384\\u6d32\"}}");
    replies_[5] = HttpReply::ok("{\"data\":{\"allserver\":[{\"server_name\":\"s1\"},"
                                "{\"server_name\":\"s2\"},{\"server_name\":\"" +
                                kTianmenUtf8 + "\"}]}}");
    replies_[2] = HttpReply::ok("{\"data\":{\"gsurl\":\"http://web.example/p?a=1&b=2\"}}");
    addComboItems({"previous"});

    ASSERT_TRUE(runWorker(targets_));

    const auto requests = server_.requests();
    ASSERT_EQ(requests.size(), 3u);
    const int order[] = {1, 5, 2};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const int type = order[i];
        const std::string sign = MakeRequestSign(targets_.values, type);
        EXPECT_EQ(sign.size(), 32u);
        EXPECT_EQ(requests[i].path, "/gs/api");
        EXPECT_EQ(requests[i].query, "platform=tarvo&gkey=gk1&skey=s42&type=" +
                                         std::to_string(type) + "&sign=" + sign);
    }

    EXPECT_EQ(tarvo_test::windowText(label_), kXuanzhouUtf8);
    EXPECT_TRUE(labelVisible());
    EXPECT_EQ(tarvo_test::comboEntries(combo_), std::vector<std::string>{kTianmenUtf8});
    EXPECT_EQ(SendMessageA(combo_, CB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(tarvo_test::windowText(combo_), kTianmenUtf8);
    EXPECT_EQ(g_navigations, std::vector<std::string>{"http://web.example/p?a=1&b=2"});
}

TEST_F(AccountWorkerTest, RawUtf8AndEscapedRepliesShowTheSame) {
    replies_[1] = HttpReply::ok("{\"data\":{\"user_name\":\"" + kXuanzhouUtf8 + "\"}}");
    replies_[5] = HttpReply::ok("{\"data\":{\"allserver\":[{\"server_name\":\"\\u5929\\u95e8\"}]}}");
    replies_[2] = HttpReply::ok("{\"data\":{\"gsurl\":\"http://web.example/" + kTianmenUtf8 + "\"}}");

    ASSERT_TRUE(runWorker(targets_));

    EXPECT_EQ(tarvo_test::windowText(label_), kXuanzhouUtf8);
    EXPECT_EQ(tarvo_test::comboEntries(combo_), std::vector<std::string>{kTianmenUtf8});
    EXPECT_EQ(g_navigations, std::vector<std::string>{"http://web.example/" + kTianmenUtf8});
}

// A reply that parses but lacks the value still reaches its target, empty.
TEST_F(AccountWorkerTest, RepliesWithoutTheValuesHandOnEmptyTexts) {
    replies_[1] = HttpReply::ok("{\"data\":{}}");
    replies_[5] = HttpReply::ok("{\"data\":{\"allserver\":[]}}");
    replies_[2] = HttpReply::ok("{}");
    addComboItems({"a", "b"});

    ASSERT_TRUE(runWorker(targets_));

    EXPECT_EQ(tarvo_test::windowText(label_), "");
    EXPECT_TRUE(labelVisible());
    EXPECT_EQ(tarvo_test::comboEntries(combo_), (std::vector<std::string>{"", "b"}));
    EXPECT_EQ(SendMessageA(combo_, CB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(g_navigations, std::vector<std::string>{""});
}

TEST_F(AccountWorkerTest, RepliesOfOtherShapes) {
    replies_[1] = HttpReply::ok("{\"data\":{\"user_name\":12345}}");
    replies_[5] = HttpReply::ok("{\"data\":{\"allserver\":{\"server_name\":\"x\"}}}");
    replies_[2] = HttpReply::ok("[{\"data\":{\"gsurl\":\"http://web.example/\"}}]");
    addComboItems({"a"});

    ASSERT_TRUE(runWorker(targets_));

    EXPECT_EQ(tarvo_test::windowText(label_), "12345");
    EXPECT_TRUE(labelVisible());
    EXPECT_EQ(tarvo_test::comboEntries(combo_), std::vector<std::string>{""});
    EXPECT_EQ(g_navigations, std::vector<std::string>{""});
}

TEST_F(AccountWorkerTest, UnparsableRepliesChangeNothingButAllThreeAreAsked) {
    replies_[1] = HttpReply::ok("<html>busy</html>");
    replies_[5] = HttpReply::withStatus(500, "Internal Server Error", "");
    replies_[2] = HttpReply::ok("{\"data\":{\"gsurl\":");
    addComboItems({"keep"});

    ASSERT_TRUE(runWorker(targets_));

    const auto requests = server_.requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(typeOf(requests[0]), 1);
    EXPECT_EQ(typeOf(requests[1]), 5);
    EXPECT_EQ(typeOf(requests[2]), 2);
    EXPECT_EQ(tarvo_test::windowText(label_), "old name");
    EXPECT_FALSE(labelVisible());
    EXPECT_EQ(tarvo_test::comboEntries(combo_), std::vector<std::string>{"keep"});
    EXPECT_EQ(SendMessageA(combo_, CB_GETCURSEL, 0, 0), CB_ERR);
    EXPECT_TRUE(g_navigations.empty());
}

TEST_F(AccountWorkerTest, ServiceDownChangesNothing) {
    server_.stop();  // the port is closed now
    addComboItems({"keep"});

    ASSERT_TRUE(runWorker(targets_));

    EXPECT_EQ(tarvo_test::windowText(label_), "old name");
    EXPECT_FALSE(labelVisible());
    EXPECT_EQ(tarvo_test::comboEntries(combo_), std::vector<std::string>{"keep"});
    EXPECT_TRUE(g_navigations.empty());
}

TEST_F(AccountWorkerTest, OneFailedRequestDoesNotStopTheOthers) {
    replies_[1] = HttpReply::withStatus(200, "OK", std::string(4000, ' ')).cutAt(1000);
    replies_[5] = HttpReply::ok("{\"data\":{\"allserver\":[{\"server_name\":\"s9\"}]}}");
    replies_[2] = HttpReply::ok("{\"data\":{\"gsurl\":\"http://web.example/\"}}");

    ASSERT_TRUE(runWorker(targets_));

    EXPECT_EQ(tarvo_test::windowText(label_), "old name");
    EXPECT_FALSE(labelVisible());
    EXPECT_EQ(tarvo_test::comboEntries(combo_), std::vector<std::string>{"s9"});
    EXPECT_EQ(g_navigations, std::vector<std::string>{"http://web.example/"});
}

// The launcher may be gone before the worker is done: the worker must then
// end quietly, whatever it still has to hand on.
TEST_F(AccountWorkerTest, TargetsDestroyedWhileTheWorkerRuns) {
    replies_[1] = HttpReply::ok("{\"data\":{\"user_name\":\"late\"}}").delayed(800);
    replies_[5] = HttpReply::ok("{\"data\":{\"allserver\":[{\"server_name\":\"s\"}]}}");
    replies_[2] = HttpReply::ok("{\"data\":{\"gsurl\":\"http://web.example/\"}}");

    HANDLE thread = CreateThread(nullptr, 0, AccountInfoThread, new AccountInfoTargets(targets_),
                                 0, nullptr);
    ASSERT_NE(thread, nullptr);
    Sleep(100);
    DestroyWindow(receiver_);
    DestroyWindow(launcher_);
    receiver_ = launcher_ = label_ = combo_ = nullptr;

    EXPECT_EQ(WaitForSingleObject(thread, 60000), WAIT_OBJECT_0);
    DWORD exitCode = 1;
    GetExitCodeThread(thread, &exitCode);
    EXPECT_EQ(exitCode, 0u);
    CloseHandle(thread);
    tarvo_test::pumpMessages();
    EXPECT_EQ(server_.requests().size(), 3u);
    EXPECT_TRUE(g_navigations.empty());
}

TEST_F(AccountWorkerTest, NoTargetsAtAll) {
    replies_[1] = HttpReply::ok("{\"data\":{\"user_name\":\"n\"}}");
    replies_[5] = HttpReply::ok("{\"data\":{\"allserver\":[{\"server_name\":\"s\"}]}}");
    replies_[2] = HttpReply::ok("{\"data\":{\"gsurl\":\"http://web.example/\"}}");
    AccountInfoTargets none;
    none.values = targets_.values;
    ASSERT_TRUE(runWorker(none));
    EXPECT_EQ(server_.requests().size(), 3u);
    EXPECT_TRUE(g_navigations.empty());
}

TEST_F(AccountWorkerTest, StartedWorkerRunsOnItsOwn) {
    replies_[1] = HttpReply::ok("{\"data\":{\"user_name\":\"abc\"}}");
    replies_[5] = HttpReply::ok("{\"data\":{\"allserver\":[{\"server_name\":\"s1\"}]}}");
    replies_[2] = HttpReply::ok("{\"data\":{\"gsurl\":\"http://web.example/\"}}");
    AccountInfoTargets copy = targets_;
    ASSERT_TRUE(startAccountInfoWorker(copy));
    copy = AccountInfoTargets();  // the worker has its own copy

    const DWORD start = GetTickCount();
    while (g_navigations.empty() && GetTickCount() - start < 60000) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
        tarvo_test::pumpMessages();
    }
    EXPECT_EQ(tarvo_test::windowText(label_), "abc");
    EXPECT_TRUE(labelVisible());
    EXPECT_EQ(tarvo_test::comboEntries(combo_), std::vector<std::string>{"s1"});
    EXPECT_EQ(g_navigations, std::vector<std::string>{"http://web.example/"});
}

// Only a web page is opened; any other kind of address is as good as no
// answer. An empty address still goes through.
TEST_F(AccountWorkerTest, OnlyWebAddressesReachTheWebPagePanel) {
    struct Case {
        const char* gsurl;
        bool handedOver;
    };
    const Case cases[] = {
        {"http://web.example/p?a=1", true},
        {"HTTPS://web.example/", true},
        {"", true},
        {"file:///C:/windows/win.ini", false},
        {"\\\\host\\share\\page.html", false},
        {"javascript:alert(1)", false},
        {"res://shell32.dll/#2/#132", false},
        {"mk:@MSITStore:C:\\x.chm::/a.htm", false},
        {"about:blank", false},
        {"C:\\page.html", false},
        {"\\\\host\\share", false},
        {"//web.example/", false},
        {"http:/web.example", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.gsurl);
        g_navigations.clear();
        replies_[1] = HttpReply::withStatus(404, "Not Found", "");
        replies_[5] = HttpReply::withStatus(404, "Not Found", "");
        std::string escaped;  // as the contents of a JSON string
        for (const char* p = c.gsurl; *p; ++p) escaped += *p == '\\' ? std::string("\\\\") : std::string(1, *p);
        replies_[2] = HttpReply::ok("{\"data\":{\"gsurl\":\"" + escaped + "\"}}");
        ASSERT_TRUE(runWorker(targets_));
        if (c.handedOver) {
            ASSERT_EQ(g_navigations.size(), 1u);
            EXPECT_EQ(g_navigations[0], c.gsurl);
        } else {
            EXPECT_TRUE(g_navigations.empty()) << g_navigations.front();
        }
    }
}

// Replies past the download's limits change nothing, and the requests after
// them still run.
TEST_F(AccountWorkerTest, RepliesPastTheLimitsChangeNothing) {
    replies_[1] = HttpReply::ok("{\"data\":{\"user_name\":\"" + std::string(2 << 20, 'n') + "\"}}");
    replies_[5] = HttpReply::head("Content-Length: 2147483648\r\n").followedBy(HttpReply::kEndless);
    replies_[2] = HttpReply::head("").followedBy(HttpReply::kEndless, 1, 100);
    addComboItems({"keep"});
    targets_.limits.timeMs = 2000;

    ASSERT_TRUE(runWorker(targets_));

    EXPECT_EQ(server_.requests().size(), 3u);
    EXPECT_EQ(tarvo_test::windowText(label_), "old name");
    EXPECT_FALSE(labelVisible());
    EXPECT_EQ(tarvo_test::comboEntries(combo_), std::vector<std::string>{"keep"});
    EXPECT_TRUE(g_navigations.empty());
}

// The worker's answers travel as tasks: the queue's message from anywhere
// else, whatever it holds, finds nothing to run, and an answer for a window
// that is gone by the time it arrives changes nothing.
TEST_F(AccountWorkerTest, HandOverMessageWithoutAHandOverFindsNothing) {
    const LPARAM junk[] = {0, 1, 0x12345678, -1, reinterpret_cast<LPARAM>(receiver_)};
    for (LPARAM lParam : junk) {
        PostMessageA(uiTasks_->window(), tarvo::WM_RUN_UI_TASKS, static_cast<WPARAM>(lParam), lParam);
        SendMessageA(uiTasks_->window(), tarvo::WM_RUN_UI_TASKS, 0, lParam);
        PostMessageA(receiver_, tarvo::WM_RUN_UI_TASKS, static_cast<WPARAM>(lParam), lParam);
    }
    tarvo_test::pumpMessages();
    EXPECT_TRUE(g_navigations.empty());

    // Answers that arrive after their windows are gone are dropped.
    replies_[1] = HttpReply::ok("{\"data\":{\"user_name\":\"n\"}}");
    replies_[5] = HttpReply::ok("{\"data\":{\"allserver\":[{\"server_name\":\"s\"}]}}");
    replies_[2] = HttpReply::ok("{\"data\":{\"gsurl\":\"http://web.example/\"}}");
    HANDLE thread = CreateThread(nullptr, 0, AccountInfoThread, new AccountInfoTargets(targets_),
                                 0, nullptr);
    ASSERT_NE(thread, nullptr);
    EXPECT_EQ(WaitForSingleObject(thread, 60000), WAIT_OBJECT_0);  // nothing dispatched yet
    CloseHandle(thread);
    EXPECT_EQ(uiTasks_->pending(), 3u);
    DestroyWindow(receiver_);
    DestroyWindow(launcher_);
    receiver_ = launcher_ = label_ = combo_ = nullptr;
    tarvo_test::pumpMessages();
    EXPECT_EQ(uiTasks_->pending(), 0u);
    EXPECT_TRUE(g_navigations.empty());
}
