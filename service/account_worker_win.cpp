#include "service/account_worker_win.h"

#include <memory>
#include <optional>

#include "app/web_address.h"
#include "service/account_reply.h"
#include "service/address_queue.h"
#include "service/net_library_win.h"
#include "service/text_convert_win.h"

namespace {

constexpr int kRequestAccount = 1;
constexpr int kRequestServers = 5;
constexpr int kRequestPage = 2;

// The page addresses on their way to the web page panel.
AddressQueue& pageAddresses() {
    static AddressQueue queue;
    return queue;
}

std::uintptr_t keyOf(HWND window) { return reinterpret_cast<std::uintptr_t>(window); }

// Downloads the reply to one request type and takes one value from it with
// `take`. nullopt when the download fails or the reply does not parse;
// otherwise the value converted to the ANSI code page (empty when absent).
template <typename Take>
std::optional<std::string> askService(const AccountInfoTargets& targets, int type, Take take) {
    try {
        std::string body;
        if (!DownloadUrlBytes(MakeRequestUrl(targets.values, type), body, targets.limits))
            return std::nullopt;
        const std::optional<std::string> value = take(body);
        if (!value) return std::nullopt;
        return Utf8ToAnsi(*value, CP_UTF8);
    } catch (...) {
        return std::nullopt;  // out of memory on the way: a failed request
    }
}

void showUserName(HWND launcher, const std::string& name) {
    if (!launcher) return;
    SetDlgItemTextA(launcher, kNameLabelId, name.c_str());
    if (HWND label = GetDlgItem(launcher, kNameLabelId)) ShowWindow(label, SW_SHOW);
}

}  // namespace

bool HandOverPageAddress(HWND panel, const std::string& address) {
    // A null handle would post to this thread's own queue: never do that.
    if (!panel || !IsWindow(panel)) return false;
    pageAddresses().push(keyOf(panel), address);
    if (PostMessageA(panel, WM_NAVIGATE_TO, 0, 0)) return true;
    // Gone in the meantime: nobody will take what waits for it. (A window
    // that is still there takes it with its next notification.)
    if (!IsWindow(panel)) pageAddresses().drop(keyOf(panel));
    return false;
}

std::vector<std::string> TakePageAddresses(HWND panel) {
    return pageAddresses().take(keyOf(panel));
}

void DropPageAddresses(HWND panel) {
    pageAddresses().drop(keyOf(panel));
}

int fillServerListControl(HWND combo, const std::vector<std::string>& names) {
    for (std::size_t i = 0; i < names.size(); ++i) {
        SendMessageA(combo, CB_DELETESTRING, static_cast<WPARAM>(i), 0);
        SendMessageA(combo, CB_INSERTSTRING, static_cast<WPARAM>(i),
                     reinterpret_cast<LPARAM>(names[i].c_str()));
    }
    return static_cast<int>(SendMessageA(combo, CB_SETCURSEL, 0, 0));
}

bool startAccountInfoWorker(const AccountInfoTargets& targets) {
    auto copy = std::make_unique<AccountInfoTargets>(targets);
    HANDLE thread = CreateThread(nullptr, 0, AccountInfoThread, copy.get(), 0, nullptr);
    if (!thread) return false;
    copy.release();  // the thread owns it now
    CloseHandle(thread);
    return true;
}

namespace {

void askAllThree(const AccountInfoTargets& targets) {
    if (auto name = askService(targets, kRequestAccount, userNameFromReply))
        showUserName(targets.launcher, *name);

    if (auto server = askService(targets, kRequestServers, lastServerNameFromReply)) {
        if (targets.serverList) fillServerListControl(targets.serverList, {*server});
    }

    // Only a web page is opened: an address of another kind (a local file,
    // a share, script) is as good as no answer.
    if (auto page = askService(targets, kRequestPage, pageAddressFromReply)) {
        if (page->empty() || isWebAddress(*page)) HandOverPageAddress(targets.webPagePanel, *page);
    }
}

}  // namespace

DWORD WINAPI AccountInfoThread(LPVOID heapTargets) {
    try {
        const std::unique_ptr<AccountInfoTargets> targets(static_cast<AccountInfoTargets*>(heapTargets));
        if (!targets) return 0;

        const bool socketsStarted = net::startSockets();
        const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        try {
            askAllThree(*targets);
        } catch (...) {
            // Leaves the rest undone; the clean-up below still runs.
        }
        if (SUCCEEDED(com)) CoUninitialize();
        if (socketsStarted) net::stopSockets();
        return 0;
    } catch (...) {
        return 1;
    }
}
