#include "service/account_worker_win.h"

#include <memory>
#include <optional>

#include "framework/handles_win.h"
#include "framework/ui_task_win.h"
#include "service/account_reply.h"

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

// Hands an answer to the UI thread, where `use` takes it.
void handOver(DWORD uiThread, const std::function<void(const std::string&)>& use, std::string answer) {
    if (!use) return;
    tarvo::postUiTask(uiThread, [use, answer = std::move(answer)] { use(answer); });
}

void askAllThree(const AccountInfoTargets& targets) {
    const DWORD ui = targets.uiThread;
    if (auto name = askService(targets, kRequestAccount, userNameFromReply))
        handOver(ui, targets.answers.playerName, std::move(*name));
    if (auto server = askService(targets, kRequestServers, lastServerNameFromReply))
        handOver(ui, targets.answers.server, std::move(*server));
    if (auto page = askService(targets, kRequestPage, pageAddressFromReply))
        handOver(ui, targets.answers.page, std::move(*page));
}

}  // namespace

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
