#include "panels/skinned_panel_win.h"

#include "window/skin_button_win.h"

#include <windowsx.h>

namespace skin {

void copyBackground(HWND panel, HBITMAP background, int width, int height, tarvo::CriticalSection& lock) {
    tarvo::LockGuard guard(lock);
    tarvo::WindowDC window(panel);
    if (!window.get() || !background) return;
    tarvo::MemoryDC memory(window.get());
    if (!memory.get()) return;
    tarvo::SelectGuard select(memory.get(), background);
    ::BitBlt(window.get(), 0, 0, width, height, memory.get(), 0, 0, SRCCOPY);
}

POINT panelScreenPoint(HWND panel, LPARAM lParam) {
    RECT window{};
    ::GetWindowRect(panel, &window);
    return POINT{window.left + GET_X_LPARAM(lParam), window.top + GET_Y_LPARAM(lParam)};
}

int pressButtons(const std::vector<std::unique_ptr<CSkinButton>>& buttons, POINT screenPoint) {
    for (const auto& button : buttons) {
        if (button && button->Press(screenPoint, false)) return button->Index();
    }
    return -1;
}

bool isCtlColorMessage(UINT message) {
    return message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC;
}

HBRUSH skinColours(HDC dc) {
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, kTextColour);
    return static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));
}

} // namespace skin
