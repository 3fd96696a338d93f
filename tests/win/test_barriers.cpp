// Exceptions stop at the places where the system calls into the launcher:
// a window's procedure answers the message with 0 and the window carries on.
#include "framework/barrier_win.h"
#include "framework/wnd_win.h"
#include "support/test_support_win.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

using namespace tarvo_test;

namespace {

constexpr UINT kThrowRuntimeError = WM_APP + 1;
constexpr UINT kThrowBadAlloc = WM_APP + 2;
constexpr UINT kAnswer = WM_APP + 3;

class ThrowingWindow : public tarvo::CWnd {
public:
    int paints = 0;
    bool throwOnPaint = false;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        switch (message) {
        case kThrowRuntimeError:
            throw std::runtime_error("handler failed");
        case kThrowBadAlloc:
            throw std::bad_alloc();
        case kAnswer:
            return 42;
        case WM_PAINT:
            ++paints;
            if (throwOnPaint) throw std::runtime_error("paint failed");
            break;
        }
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

TEST(Barriers, WindowThatThrowsAnswersZeroAndCarriesOn) {
    ThrowingWindow window;
    ASSERT_TRUE(window.CreateEx(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, RECT{0, 0, 50, 50}, nullptr, 0));
    EXPECT_EQ(window.SendMessage(kThrowRuntimeError, 1, 2), 0);
    EXPECT_EQ(window.SendMessage(kThrowBadAlloc), 0);
    EXPECT_EQ(window.SendMessage(kAnswer), 42);
    window.PostMessage(kThrowRuntimeError);
    pumpMessages();
    EXPECT_EQ(window.SendMessage(kAnswer), 42);

    // A paint that throws still counts as painted: it does not come back at once.
    window.throwOnPaint = true;
    window.paints = 0;
    InvalidateRect(window.m_hWnd, nullptr, TRUE);
    UpdateWindow(window.m_hWnd);
    pumpMessages();
    pumpMessages();
    EXPECT_EQ(window.paints, 1);
    window.DestroyWindow();
}

TEST(Barriers, ComBarrierTurnsExceptionsIntoFailureCodes) {
    EXPECT_EQ(tarvo::comBarrier([] { return S_FALSE; }), S_FALSE);
    EXPECT_EQ(tarvo::comBarrier([]() -> HRESULT { throw std::bad_alloc(); }), E_OUTOFMEMORY);
    EXPECT_EQ(tarvo::comBarrier([]() -> HRESULT { throw 7; }), E_UNEXPECTED);
    EXPECT_EQ(tarvo::callbackBarrier(-1, []() -> int { throw std::logic_error("x"); }), -1);
}

}  // namespace
