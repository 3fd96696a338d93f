#include "panels/exit_panel_win.h"

#include "app/launcher_dlg_win.h"
#include "panels/skinned_panel_win.h"
#include "resource.h"
#include "window/button_table.h"
#include "window/skin_button_win.h"

#include <cstdlib>

tarvo::CriticalSection CExitDlg::paintLock_;

CExitDlg::CExitDlg(CLauncherDlg* owner, int backgroundId)
    : owner_(owner), background_(tarvo::loadBitmapResource(backgroundId)) {
    const SIZE size = tarvo::bitmapSize(background_.get());
    backgroundWidth_ = size.cx;
    backgroundHeight_ = size.cy;
}

CExitDlg::~CExitDlg() = default;

BOOL CExitDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    text_.Bind(GetDlgItem(IDC_EXIT_TEXT));

    buttons_.push_back(std::make_unique<CSkinButton>(this, kButtonExitCancel));
    cancelButton_ = buttons_.back().get();
    buttons_.push_back(std::make_unique<CSkinButton>(this, kButtonExitConfirm));
    confirmButton_ = buttons_.back().get();

    textFont_.reset(::CreateFontA(14, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, 0, 0, 0, 0, FF_SWISS | DEFAULT_PITCH,
                                  "黑体"));
    text_.SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(textFont_.get()), TRUE);
    return TRUE;
}

LRESULT CExitDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (skin::isCtlColorMessage(message)) {
        Default();  // the default colours are worked out, and their brush discarded
        return reinterpret_cast<LRESULT>(skin::skinColours(reinterpret_cast<HDC>(wParam)));
    }
    switch (message) {
    case WM_ERASEBKGND:
        skin::copyBackground(m_hWnd, background_.get(), backgroundWidth_, backgroundHeight_, paintLock_);
        for (const auto& button : buttons_) button->Draw(true);
        return TRUE;
    case WM_LBUTTONDOWN:
        return OnLButtonDown(lParam);
    }
    // Hit-test and button-up: default processing only, so the buttons never
    // show their hover look.
    return CDialog::WindowProc(message, wParam, lParam);
}

LRESULT CExitDlg::OnLButtonDown(LPARAM lParam) {
    const int pressed = skin::pressButtons(buttons_, skin::panelScreenPoint(m_hWnd, lParam));
    if (pressed == kButtonExitConfirm) confirmExit();
    if (pressed == kButtonExitCancel) ShowWindow(SW_HIDE);
    return Default();
}

void CExitDlg::confirmExit() {
    ShowWindow(SW_HIDE);
    if (owner_) owner_->StartLaunchAndClose();
    // The normal process exit (the runtime's exit handlers run); the
    // launcher window's dialog loop does not run again.
    std::exit(0);
}
