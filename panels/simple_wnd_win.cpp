#include "panels/simple_wnd_win.h"

#include "app/launcher_dlg_win.h"
#include "panels/skinned_panel_win.h"
#include "window/skin_button_win.h"
#include "window/rect_win.h"

#include <windowsx.h>

CSimpleWnd::CSimpleWnd(CLauncherDlg* owner, int backgroundId)
    : owner_(owner), background_(tarvo::loadBitmapResource(backgroundId)) {
    const SIZE size = tarvo::bitmapSize(background_.get());
    backgroundWidth_ = size.cx;
    backgroundHeight_ = size.cy;
}

CSimpleWnd::~CSimpleWnd() = default;

LRESULT CSimpleWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND:
        PaintBackground();
        for (const auto& button : buttons_) button->Draw(true);
        return TRUE;
    case WM_NCHITTEST: {
        if (!ShowsHover()) break;
        const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        for (const auto& button : buttons_) button->HitTest(point);
        return Default();
    }
    case WM_LBUTTONDOWN: {
        const int pressed = skin::pressButtons(buttons_, skin::panelScreenPoint(m_hWnd, lParam));
        if (pressed >= 0) OnButtonPressed(pressed);
        return Default();
    }
    case WM_LBUTTONUP: {
        if (!ShowsHover()) break;
        const POINT point = skin::panelScreenPoint(m_hWnd, lParam);
        for (const auto& button : buttons_) button->Release(point);
        return Default();
    }
    }
    return CDialog::WindowProc(message, wParam, lParam);
}

void CSimpleWnd::copyBackground(tarvo::CriticalSection& paintLock) {
    skin::copyBackground(m_hWnd, background_.get(), backgroundWidth_, backgroundHeight_, paintLock);
}

void CSimpleWnd::moveTo(const Rect& place) {
    MoveWindow(place.left, place.top, place.width(), place.height(), TRUE);
}

CSkinButton* CSimpleWnd::addButton(int index) {
    buttons_.push_back(std::make_unique<CSkinButton>(this, index));
    return buttons_.back().get();
}

bool CSimpleWnd::ownerWindowRect(Rect& rect) const {
    if (!owner_ || !owner_->m_hWnd) return false;
    const RECT window = owner_->GetWindowRect();
    rect = toRect(window);
    return true;
}
