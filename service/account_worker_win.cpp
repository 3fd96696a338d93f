#include "service/account_worker_win.h"

#include <memory>
#include <optional>

#include "app/web_address.h"
#include "framework/handles_win.h"
#include "framework/text_win.h"
#include "framework/ui_task_win.h"
#include "resource.h"
#include "service/account_reply.h"
#include "service/net_library_win.h"

namespace {

constexpr int kRequestAccount = 1;
constexpr int kRequestServers = 5;
constexpr int kRequestPage = 2;

// Downloads the reply to one request type and takes one value from it with
// `take`. nullopt when the download fails or the reply does not parse;
// otherwise the value as UTF-8 (empty when absent).
template <typename Take>
std::optional<std::string> askService(const AccountInfoTargets& targets, int type, Take take) {
    try {
        std::string body;
        if (!DownloadUrlBytes(MakeRequestUrl(targets.values, type), body, targets.limits))
            return std::nullopt;
        return take(body);
    } catch (...) {
        return std::nullopt;  // out of memory on the way: a failed request
    }
}

// The three hand-overs. Each runs on the UI thread and finds its window by
// handle there.
void showUserName(HWND launcher, const std::string& name) {
    if (!launcher || !IsWindow(launcher)) return;
    SetDlgItemTextW(launcher, IDC_PLAYER_NAME, tarvo::utf8ToWide(name).c_str());
    if (HWND label = GetDlgItem(launcher, IDC_PLAYER_NAME)) ShowWindow(label, SW_SHOW);
}

void showServer(HWND combo, const std::string& server) {
    if (combo && IsWindow(combo)) fillServerListControl(combo, {server});
}

void askAllThree(const AccountInfoTargets& targets) {
    const DWORD ui = targets.uiThread;
    if (auto name = askService(targets, kRequestAccount, userNameFromReply)) {
        if (targets.launcher)
            tarvo::postUiTask(ui, [launcher = targets.launcher, name = std::move(*name)] {
                showUserName(launcher, name);
            });
    }

    if (auto server = askService(targets, kRequestServers, lastServerNameFromReply)) {
        if (targets.serverList)
            tarvo::postUiTask(ui, [combo = targets.serverList, server = std::move(*server)] {
                showServer(combo, server);
            });
    }

    // Only a web page is opened: an address of another kind (a local file,
    // a share, script) is as good as no answer.
    if (auto page = askService(targets, kRequestPage, pageAddressFromReply)) {
        if ((page->empty() || isWebAddress(*page)) && targets.webPagePanel && targets.openPage)
            tarvo::postUiTask(ui, [open = targets.openPage, panel = targets.webPagePanel, page = std::move(*page)] {
                if (IsWindow(panel)) open(panel, page);
            });
    }
}

}  // namespace

int fillServerListControl(HWND combo, const std::vector<std::string>& names) {
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::wstring name = tarvo::utf8ToWide(names[i]);
        SendMessageW(combo, CB_DELETESTRING, static_cast<WPARAM>(i), 0);
        SendMessageW(combo, CB_INSERTSTRING, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(name.c_str()));
    }
    return static_cast<int>(SendMessageW(combo, CB_SETCURSEL, 0, 0));
}

bool startAccountInfoWorker(const AccountInfoTargets& targets) {
    auto copy = std::make_unique<AccountInfoTargets>(targets);
    tarvo::UniqueHandle thread(CreateThread(nullptr, 0, AccountInfoThread, copy.get(), 0, nullptr));
    if (!thread) return false;
    copy.release();  // the thread owns it now
    return true;
}

DWORD WINAPI AccountInfoThread(LPVOID heapTargets) {
    try {
        const std::unique_ptr<AccountInfoTargets> targets(static_cast<AccountInfoTargets*>(heapTargets));
        if (!targets) return 0;

        const net::ScopedSockets sockets;
        const tarvo::ScopedCom com;
        try {
            askAllThree(*targets);
        } catch (...) {
            // Leaves the rest undone; the owners above still clean up.
        }
        return 0;
    } catch (...) {
        return 1;
    }
}
