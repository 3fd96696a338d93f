#include "panels/simple_wnd_win.h"

#include "window/rect_win.h"
#include "window/skin_bitmap_win.h"

CSimpleWnd::CSimpleWnd(LauncherCalls calls, int backgroundId)
    : CSkinnedPanel(std::move(calls), 0), backgroundId_(backgroundId) {
    loadBackground();
}

void CSimpleWnd::loadBackground() {
    background_ = tarvo::loadSkinBitmap(backgroundId_, dpi_);
    const SIZE size = tarvo::bitmapSize(background_.get());
    backgroundWidth_ = size.cx;
    backgroundHeight_ = size.cy;
}

BOOL CSimpleWnd::OnInitDialog() {
    const BOOL result = CSkinnedPanel::OnInitDialog();
    if (dpi_ != 96) loadBackground();
    return result;
}

void CSimpleWnd::SetDpi(int dpi) {
    const int before = dpi_;
    CSkinnedPanel::SetDpi(dpi);
    if (dpi_ != before) loadBackground();
}

CSimpleWnd::~CSimpleWnd() = default;

LRESULT CSimpleWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ERASEBKGND) {
        PaintBackground(reinterpret_cast<HDC>(wParam));
        return TRUE;
    }
    // However it is shown, the panel comes up in its place.
    if (message == WM_SHOWWINDOW && wParam) PlaceNearOwner();
    return CSkinnedPanel::WindowProc(message, wParam, lParam);
}

void CSimpleWnd::copyBackground(HDC dc, tarvo::CriticalSection& paintLock) {
    tarvo::LockGuard guard(paintLock);
    if (!dc || !background_.get()) return;
    tarvo::MemoryDC memory(dc);
    if (!memory.get()) return;
    tarvo::SelectGuard select(memory.get(), background_.get());
    ::BitBlt(dc, 0, 0, backgroundWidth_, backgroundHeight_, memory.get(), 0, 0, SRCCOPY);
}

void CSimpleWnd::moveTo(const Rect& place) {
    MoveWindow(place.left, place.top, place.width(), place.height(), TRUE);
}

bool CSimpleWnd::ownerWindowRect(Rect& rect) const {
    const HWND owner = m_hWnd ? ::GetWindow(m_hWnd, GW_OWNER) : nullptr;
    RECT window{};
    if (!owner || !::GetWindowRect(owner, &window)) return false;
    rect = toRect(window);
    return true;
}
