#include "panels/skinned_panel_win.h"

#include "framework/dpi_win.h"
#include "framework/handles_win.h"
#include "window/skin_button_win.h"

#include <windowsx.h>

CSkinnedPanel::CSkinnedPanel(LauncherCalls calls, UINT templateId)
    : CDialog(templateId, nullptr), calls_(std::move(calls)) {}

CSkinnedPanel::~CSkinnedPanel() = default;

BOOL CSkinnedPanel::OnInitDialog() {
    dpi_ = tarvo::windowDpi(m_hWnd);
    tarvo::keepDialogLayoutOnDpiChange(m_hWnd);
    return CDialog::OnInitDialog();
}

void CSkinnedPanel::SetDpi(int dpi) {
    if (dpi <= 0 || dpi == dpi_ || !m_hWnd) return;
    tarvo::rescaleDialogChildren(m_hWnd, dpi_, dpi, controlFont_);
    dpi_ = dpi;
    for (const auto& button : buttons_) button->SetDpi(dpi);
    Invalidate(TRUE);
}

LRESULT CSkinnedPanel::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC && SkinsControls()) {
        Default();  // the default colours are worked out, and their brush discarded
        const HDC dc = reinterpret_cast<HDC>(wParam);
        ::SetBkMode(dc, TRANSPARENT);
        ::SetTextColor(dc, kSkinTextColour);
        return reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH));
    }
    switch (message) {
    case tarvo::kDpiChangedMessage:
        // Moved to a monitor of another scale: the panel follows it, and its
        // owner keeps placing it.
        SetDpi(LOWORD(wParam));
        return 0;
    case WM_NCHITTEST:
        if (ShowsHover()) {
            const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            for (const auto& button : buttons_) button->HitTest(point);
        }
        break;
    case WM_LBUTTONDOWN: {
        const POINT point = screenPoint(lParam);
        for (const auto& button : buttons_) {
            if (button->Press(point, false)) {
                OnButtonPressed(button->Index());
                break;
            }
        }
        break;
    }
    case WM_LBUTTONUP:
        if (ShowsHover()) {
            const POINT point = screenPoint(lParam);
            for (const auto& button : buttons_) button->Release(point);
        }
        break;
    case WM_PAINT: {
        // The background comes with the erase; the buttons go over it.
        tarvo::PaintDC paint(m_hWnd);
        for (const auto& button : buttons_) button->Paint(paint.get(), paint.info().rcPaint);
        return 0;
    }
    }
    return CDialog::WindowProc(message, wParam, lParam);
}

CSkinButton* CSkinnedPanel::addButton(int index) {
    buttons_.push_back(std::make_unique<CSkinButton>(this, index));
    return buttons_.back().get();
}

POINT CSkinnedPanel::screenPoint(LPARAM lParam) const {
    const RECT window = GetWindowRect();
    return POINT{window.left + GET_X_LPARAM(lParam), window.top + GET_Y_LPARAM(lParam)};
}
