#include "panels/exit_panel_win.h"

#include "resource.h"
#include "window/button_table.h"
#include "window/dpi_scale.h"
#include "window/skin_button_win.h"

#include <cstdlib>

tarvo::CriticalSection CExitDlg::paintLock_;

CExitDlg::~CExitDlg() = default;

BOOL CExitDlg::OnInitDialog() {
    CSimpleWnd::OnInitDialog();
    text_.Bind(GetDlgItem(IDC_EXIT_TEXT));

    addButton(kButtonExitCancel);
    addButton(kButtonExitConfirm);

    makeTextFont();
    return TRUE;
}

void CExitDlg::makeTextFont() {
    textFont_.reset(::CreateFontW(scaleToDpi(14, dpi_), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, 0, 0, 0, 0,
                                  FF_SWISS | DEFAULT_PITCH, L"黑体"));
    text_.SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(textFont_.get()), TRUE);
}

void CExitDlg::SetDpi(int dpi) {
    const int before = dpi_;
    CSimpleWnd::SetDpi(dpi);
    if (dpi_ != before) makeTextFont();
}

void CExitDlg::PaintBackground(HDC dc) {
    copyBackground(dc, paintLock_);
}

void CExitDlg::OnButtonPressed(int index) {
    if (index == kButtonExitConfirm) confirmExit();
    if (index == kButtonExitCancel) ShowWindow(SW_HIDE);
}

void CExitDlg::confirmExit() {
    ShowWindow(SW_HIDE);
    if (calls_.startLaunchAndClose) calls_.startLaunchAndClose();
    // The normal process exit (the runtime's exit handlers run); the
    // launcher window's dialog loop does not run again.
    std::exit(0);
}
