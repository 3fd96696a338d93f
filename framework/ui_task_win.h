// The one way from any thread to a UI thread: a queue of tasks on a
// message-only window of that thread. Any thread posts a task; the UI thread
// runs it the next time it dispatches messages, then frees it. Tasks still
// queued when the queue shuts down are freed without running, and a post
// after that is refused.
//
// A task carries values (window handles, text), never a window object: it
// looks its window up by handle when it runs, and does nothing if the
// window is gone. The queue's message carries nothing either, so the same
// message from another program finds no task to run.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>

namespace tarvo {

using UiTask = std::function<void()>;

// The message that tells the queue's window that tasks wait. wParam and
// lParam are 0 and never read.
constexpr UINT WM_RUN_UI_TASKS = WM_APP + 0x10;

// Owns the task queue of the thread that creates it. One per thread: a
// second queue made on a thread that has one stays inert (ok() is false).
class UiTaskQueue {
public:
    UiTaskQueue();
    // Shuts the queue down: what is still queued is freed unrun.
    ~UiTaskQueue();
    UiTaskQueue(const UiTaskQueue&) = delete;
    UiTaskQueue& operator=(const UiTaskQueue&) = delete;

    // True when this queue is its thread's queue and has its window.
    bool ok() const { return state_ != nullptr; }
    // The message-only window (null when not ok).
    HWND window() const;
    // Tasks waiting to run.
    std::size_t pending() const;

    struct State;

private:
    std::shared_ptr<State> state_;
};

// Posts `task` to the queue of the thread `uiThread` (a thread id). False,
// with the task freed unrun, when that thread has no queue or its queue has
// shut down. Safe from any thread.
bool postUiTask(DWORD uiThread, UiTask task);

} // namespace tarvo
