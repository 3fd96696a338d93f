// The framework's one subclass helper: handlers in front of a window's own
// procedure, chained, answered by the next in line, and gone with the window.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <thread>
#include <vector>

#include "framework/subclass_win.h"

namespace {

// What each handler saw, in order, and what it answers to WM_USER.
struct Seen {
    std::string name;
    std::vector<std::string>* log;
    LRESULT answer;  // 0: pass WM_USER on
};

LRESULT first(HWND window, UINT message, WPARAM wParam, LPARAM lParam, void* data) {
    auto* seen = static_cast<Seen*>(data);
    if (message == WM_USER) {
        seen->log->push_back(seen->name);
        if (seen->answer) return seen->answer;
    }
    if (message == WM_NCDESTROY) seen->log->push_back(seen->name + " destroyed");
    return tarvo::callNext(window, message, wParam, lParam);
}

LRESULT second(HWND window, UINT message, WPARAM wParam, LPARAM lParam, void* data) {
    return first(window, message, wParam, lParam, data);
}

// The window's own procedure answers WM_USER with 7.
LRESULT CALLBACK ownProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_USER) return 7;
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND makeWindow() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = ownProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"TarvoSubclassTest";
    RegisterClassW(&windowClass);
    return CreateWindowExW(0, L"TarvoSubclassTest", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

} // namespace

TEST(Subclass, HandlersChainAndPassOnToTheWindowsOwnProcedure) {
    std::vector<std::string> log;
    Seen a{"a", &log, 0};
    Seen b{"b", &log, 0};
    const HWND window = makeWindow();
    ASSERT_TRUE(window);

    struct Step {
        const char* what;
        void (*change)(HWND, Seen&, Seen&);
        LRESULT result;
        std::vector<std::string> order;
    };
    const Step steps[] = {
        {"none installed", [](HWND, Seen&, Seen&) {}, 7, {}},
        {"one", [](HWND w, Seen& a, Seen&) { ASSERT_TRUE(tarvo::installSubclass(w, first, &a)); }, 7, {"a"}},
        {"the latest goes first", [](HWND w, Seen&, Seen& b) { ASSERT_TRUE(tarvo::installSubclass(w, second, &b)); },
         7, {"b", "a"}},
        {"an answer ends the chain", [](HWND, Seen&, Seen& b) { b.answer = 42; }, 42, {"b"}},
        {"installed again: new data, same place",
         [](HWND w, Seen& a, Seen&) { ASSERT_TRUE(tarvo::installSubclass(w, second, &a)); }, 7, {"a", "a"}},
        {"removed", [](HWND w, Seen&, Seen&) { tarvo::removeSubclass(w, second); }, 7, {"a"}},
        {"removed twice changes nothing", [](HWND w, Seen&, Seen&) { tarvo::removeSubclass(w, second); }, 7, {"a"}},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        s.change(window, a, b);
        log.clear();
        EXPECT_EQ(SendMessageW(window, WM_USER, 0, 0), s.result);
        EXPECT_EQ(log, s.order);
    }
    EXPECT_TRUE(tarvo::hasSubclass(window, first));
    EXPECT_FALSE(tarvo::hasSubclass(window, second));

    // Destroyed: the handler sees the window's last message, then is gone.
    log.clear();
    DestroyWindow(window);
    EXPECT_EQ(log, std::vector<std::string>{"a destroyed"});
    EXPECT_FALSE(tarvo::hasSubclass(window, first));
}

TEST(Subclass, RefusesWhatItCannotSubclass) {
    std::vector<std::string> log;
    Seen a{"a", &log, 0};
    EXPECT_FALSE(tarvo::installSubclass(nullptr, first, &a));
    EXPECT_FALSE(tarvo::installSubclass(reinterpret_cast<HWND>(static_cast<INT_PTR>(0x7fff0)), first, &a));

    // A window of another thread.
    HWND foreign = nullptr;
    HANDLE made = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread owner([&] {
        foreign = makeWindow();
        SetEvent(made);
        WaitForSingleObject(done, 10000);
        DestroyWindow(foreign);
    });
    WaitForSingleObject(made, 10000);
    EXPECT_FALSE(tarvo::installSubclass(foreign, first, &a));
    EXPECT_FALSE(tarvo::hasSubclass(foreign, first));
    SetEvent(done);
    owner.join();
    CloseHandle(made);
    CloseHandle(done);
    EXPECT_TRUE(log.empty());
}
