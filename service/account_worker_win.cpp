#include "service/account_worker_win.h"

#include <memory>
#include <optional>

#include "service/account_reply.h"
#include "service/download_win.h"
#include "service/net_library_win.h"
#include "service/text_convert_win.h"

namespace {

constexpr int kRequestAccount = 1;
constexpr int kRequestServers = 5;
constexpr int kRequestPage = 2;

// Downloads the reply to one request type and takes one value from it with
// `take`. nullopt when the download fails or the reply does not parse;
// otherwise the value converted to the ANSI code page (empty when absent).
template <typename Take>
std::optional<std::string> askService(const RequestValues& values, int type, Take take) {
    std::string body;
    if (!DownloadUrlBytes(MakeRequestUrl(values, type), body)) return std::nullopt;
    const std::optional<std::string> value = take(body);
    if (!value) return std::nullopt;
    return Utf8ToAnsi(*value, CP_UTF8);
}

void showUserName(HWND launcher, const std::string& name) {
    if (!launcher) return;
    SetDlgItemTextA(launcher, kNameLabelId, name.c_str());
    if (HWND label = GetDlgItem(launcher, kNameLabelId)) ShowWindow(label, SW_SHOW);
}

void navigateTo(HWND webPagePanel, const std::string& address) {
    // A null handle would post to this thread's own queue: never do that.
    if (!webPagePanel || !IsWindow(webPagePanel)) return;
    auto payload = std::make_unique<std::string>(address);
    if (PostMessageA(webPagePanel, WM_NAVIGATE_TO, 0, reinterpret_cast<LPARAM>(payload.get())))
        payload.release();  // the receiver owns it now
}

}  // namespace

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

DWORD WINAPI AccountInfoThread(LPVOID heapTargets) {
    const std::unique_ptr<AccountInfoTargets> targets(static_cast<AccountInfoTargets*>(heapTargets));
    if (!targets) return 0;

    const bool socketsStarted = net::startSockets();
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);

    if (auto name = askService(targets->values, kRequestAccount, userNameFromReply))
        showUserName(targets->launcher, *name);

    if (auto server = askService(targets->values, kRequestServers, lastServerNameFromReply)) {
        if (targets->serverList) fillServerListControl(targets->serverList, {*server});
    }

    if (auto page = askService(targets->values, kRequestPage, pageAddressFromReply))
        navigateTo(targets->webPagePanel, *page);

    if (SUCCEEDED(com)) CoUninitialize();
    if (socketsStarted) net::stopSockets();
    return 0;
}
