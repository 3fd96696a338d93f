#include "framework/ui_task_win.h"

#include "framework/barrier_win.h"

#include <deque>
#include <map>
#include <mutex>
#include <utility>

namespace tarvo {

struct UiTaskQueue::State {
    std::mutex mutex;
    std::deque<UiTask> tasks;
    HWND window = nullptr;
    bool closed = false;

    // Takes the oldest task; empty when none waits.
    UiTask takeOne() {
        std::lock_guard<std::mutex> lock(mutex);
        if (tasks.empty()) return UiTask();
        UiTask task = std::move(tasks.front());
        tasks.pop_front();
        return task;
    }
};

namespace {

const wchar_t kWindowClass[] = L"TarvoUiTaskWindow";

// The queue of each thread that has one, by thread id.
std::mutex& registryMutex() {
    static std::mutex mutex;
    return mutex;
}
std::map<DWORD, std::shared_ptr<UiTaskQueue::State>>& registry() {
    static std::map<DWORD, std::shared_ptr<UiTaskQueue::State>> queues;
    return queues;
}

// Runs on the queue's own thread. The state pointer was set there by the
// queue when it made the window; the message itself carries nothing.
LRESULT CALLBACK taskWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_RUN_UI_TASKS) {
        auto* state = reinterpret_cast<UiTaskQueue::State*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        if (!state) return 0;
        // One at a time: a task that pumps messages (a message box) lets
        // the next notification run the rest.
        while (UiTask task = state->takeOne()) {
            callbackBarrier(0, [&] {
                task();
                return 0;
            });
        }
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

bool registerWindowClass() {
    static const bool registered = [] {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = taskWindowProc;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kWindowClass;
        return ::RegisterClassW(&windowClass) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }();
    return registered;
}

} // namespace

UiTaskQueue::UiTaskQueue() {
    if (!registerWindowClass()) return;
    const DWORD thread = ::GetCurrentThreadId();
    {
        std::lock_guard<std::mutex> lock(registryMutex());
        if (registry().count(thread)) return;
    }
    auto state = std::make_shared<State>();
    state->window = ::CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                      ::GetModuleHandleW(nullptr), nullptr);
    if (!state->window) return;
    ::SetWindowLongPtrW(state->window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state.get()));
    std::lock_guard<std::mutex> lock(registryMutex());
    registry()[thread] = state;
    state_ = std::move(state);
}

UiTaskQueue::~UiTaskQueue() {
    if (!state_) return;
    {
        std::lock_guard<std::mutex> lock(registryMutex());
        registry().erase(::GetCurrentThreadId());
    }
    std::deque<UiTask> dropped;
    {
        std::lock_guard<std::mutex> lock(state_->mutex);
        state_->closed = true;
        dropped.swap(state_->tasks);
    }
    ::SetWindowLongPtrW(state_->window, GWLP_USERDATA, 0);
    ::DestroyWindow(state_->window);
    // `dropped` frees the tasks here, unrun.
}

HWND UiTaskQueue::window() const {
    return state_ ? state_->window : nullptr;
}

std::size_t UiTaskQueue::pending() const {
    if (!state_) return 0;
    std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->tasks.size();
}

bool postUiTask(DWORD uiThread, UiTask task) {
    std::shared_ptr<UiTaskQueue::State> state;
    {
        std::lock_guard<std::mutex> lock(registryMutex());
        auto found = registry().find(uiThread);
        if (found != registry().end()) state = found->second;
    }
    if (!state || !task) return false;
    try {
        std::lock_guard<std::mutex> lock(state->mutex);
        if (state->closed) return false;
        state->tasks.push_back(std::move(task));
        // Under the lock: the window is destroyed only after the queue has
        // closed, so it still exists here.
        if (::PostMessageW(state->window, WM_RUN_UI_TASKS, 0, 0)) return true;
        state->tasks.pop_back();
        return false;
    } catch (...) {
        return false;  // out of memory: the task is not queued
    }
}

} // namespace tarvo
