#include "panels/game_host_panel_win.h"

#include "framework/handles_win.h"

LRESULT CGameDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND:
        return OnEraseBkgnd(reinterpret_cast<HDC>(wParam));
    case WM_PAINT:
        OnPaint();
        return 0;
    }
    return CDialog::WindowProc(message, wParam, lParam);
}

LRESULT CGameDlg::OnEraseBkgnd(HDC dc) {
    RECT client = GetClientRect();
    ::FillRect(dc, &client, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    return Default();
}

void CGameDlg::OnPaint() {
    tarvo::PaintDC paint(m_hWnd);
    RECT client = GetClientRect();
    ::FillRect(paint.get(), &client, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
}
