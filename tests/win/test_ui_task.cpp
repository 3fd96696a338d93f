// The task queue that carries work from any thread to a UI thread.
#include "framework/ui_task_win.h"
#include "support/test_support_win.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <memory>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

using tarvo_test::pumpMessages;
using tarvo_test::waitUntil;

DWORD WINAPI endAtOnce(LPVOID) { return 0; }

TEST(UiTaskQueue, TasksFromOtherThreadsRunOnTheUiThreadInOrder) {
    tarvo::UiTaskQueue queue;
    ASSERT_TRUE(queue.ok());
    const DWORD ui = GetCurrentThreadId();

    // Only the UI thread touches `ran`: the tasks run there.
    std::vector<int> ran;
    std::vector<DWORD> ranOn;
    std::atomic<int> refused{0};
    std::vector<std::thread> posters;
    for (int t = 0; t < 4; ++t) {
        posters.emplace_back([&, t] {
            for (int i = 0; i < 25; ++i) {
                const int value = t * 100 + i;
                if (!tarvo::postUiTask(ui, [&ran, &ranOn, value] {
                        ran.push_back(value);
                        ranOn.push_back(GetCurrentThreadId());
                    }))
                    ++refused;
            }
        });
    }
    for (std::thread& poster : posters) poster.join();
    EXPECT_EQ(refused.load(), 0);
    EXPECT_TRUE(ran.empty()) << "a task ran before the UI thread dispatched";

    ASSERT_TRUE(waitUntil([&] { return ran.size() == 100; }, 10000));
    for (DWORD thread : ranOn) EXPECT_EQ(thread, ui);
    // Each thread's tasks run in the order it posted them.
    for (int t = 0; t < 4; ++t) {
        int last = -1;
        for (int value : ran) {
            if (value / 100 != t) continue;
            EXPECT_GT(value, last);
            last = value;
        }
        EXPECT_EQ(last, t * 100 + 24);
    }
    EXPECT_EQ(queue.pending(), 0u);
}

TEST(UiTaskQueue, TasksQueuedAtShutDownAreFreedWithoutRunning) {
    auto token = std::make_shared<int>(0);
    bool ran = false;
    DWORD ui = GetCurrentThreadId();
    {
        tarvo::UiTaskQueue queue;
        ASSERT_TRUE(queue.ok());
        std::thread poster([&] {
            for (int i = 0; i < 3; ++i) tarvo::postUiTask(ui, [token, &ran] { ran = true; });
        });
        poster.join();
        EXPECT_EQ(queue.pending(), 3u);
        EXPECT_EQ(token.use_count(), 4);
    }  // shut down without dispatching
    EXPECT_EQ(token.use_count(), 1) << "queued tasks were not freed";
    pumpMessages();
    EXPECT_FALSE(ran);

    // After shut-down a post is refused, and its task freed at once.
    EXPECT_FALSE(tarvo::postUiTask(ui, [token, &ran] { ran = true; }));
    EXPECT_EQ(token.use_count(), 1);
    pumpMessages();
    EXPECT_FALSE(ran);
}

TEST(UiTaskQueue, PostsThatFindNoQueueAreRefused) {
    struct Case {
        const char* name;
        DWORD thread;
    };
    DWORD ended = 0;
    HANDLE other = CreateThread(nullptr, 0, endAtOnce, nullptr, 0, &ended);
    ASSERT_NE(other, nullptr);
    WaitForSingleObject(other, INFINITE);
    CloseHandle(other);
    const Case cases[] = {
        {"thread id 0", 0},
        {"a thread that has ended", ended},
        {"this thread, without a queue", GetCurrentThreadId()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(tarvo::postUiTask(c.thread, [] { FAIL() << "ran"; }));
    }
    tarvo::UiTaskQueue queue;
    EXPECT_FALSE(tarvo::postUiTask(GetCurrentThreadId(), tarvo::UiTask())) << "an empty task";
}

// One queue per thread: a second one is inert and leaves the first working.
TEST(UiTaskQueue, SecondQueueOnAThreadIsInert) {
    tarvo::UiTaskQueue first;
    int ran = 0;
    {
        tarvo::UiTaskQueue second;
        EXPECT_FALSE(second.ok());
        EXPECT_EQ(second.window(), nullptr);
    }
    EXPECT_TRUE(tarvo::postUiTask(GetCurrentThreadId(), [&] { ++ran; }));
    pumpMessages();
    EXPECT_EQ(ran, 1);
}

// The queue's message carries nothing: sent or posted by anybody with junk
// in it, it runs nothing and breaks nothing. A task that throws does not
// stop the ones after it.
TEST(UiTaskQueue, ForeignMessagesAndThrowingTasksChangeNothing) {
    tarvo::UiTaskQueue queue;
    const HWND window = queue.window();
    ASSERT_NE(window, nullptr);
    const LPARAM junk[] = {0, 1, 0x12345678, -1, reinterpret_cast<LPARAM>(window), 0x7FFFFFFF};
    for (LPARAM value : junk) {
        PostMessageA(window, tarvo::WM_RUN_UI_TASKS, static_cast<WPARAM>(value), value);
        SendMessageA(window, tarvo::WM_RUN_UI_TASKS, static_cast<WPARAM>(value), value);
    }
    pumpMessages();
    EXPECT_TRUE(IsWindow(window));

    std::vector<int> ran;
    const DWORD ui = GetCurrentThreadId();
    EXPECT_TRUE(tarvo::postUiTask(ui, [&] { ran.push_back(1); }));
    EXPECT_TRUE(tarvo::postUiTask(ui, [] { throw std::runtime_error("task failed"); }));
    EXPECT_TRUE(tarvo::postUiTask(ui, [&] { ran.push_back(2); }));
    pumpMessages();
    EXPECT_EQ(ran, (std::vector<int>{1, 2}));
}

}  // namespace
