#include "panels/settings_panel_win.h"

#include "app/launcher_dlg_win.h"
#include "panels/skinned_panel_win.h"
#include "resource.h"
#include "window/button_table.h"
#include "window/caption_layout.h"
#include "window/skin_button_win.h"

tarvo::CriticalSection CMyCfgDlg::paintLock_;

CMyCfgDlg::~CMyCfgDlg() = default;

BOOL CMyCfgDlg::OnInitDialog() {
    CSimpleWnd::OnInitDialog();
    hotKeyField_.Bind(GetDlgItem(IDC_BOSS_HOTKEY));
    enableBox_.Bind(GetDlgItem(IDC_BOSS_ENABLE));
    closeButton_ = addButton(kButtonSettingsClose);
    confirmButton_ = addButton(kButtonSettingsConfirm);
    return TRUE;
}

LRESULT CMyCfgDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (skin::isCtlColorMessage(message)) {
        Default();  // the default colours are worked out, and their brush discarded
        return reinterpret_cast<LRESULT>(skin::skinColours(reinterpret_cast<HDC>(wParam)));
    }
    if (message == WM_NCPAINT) return 0;  // no frame to paint
    return CSimpleWnd::WindowProc(message, wParam, lParam);
}

void CMyCfgDlg::PaintBackground() {
    copyBackground(paintLock_);
    PlaceNearOwner();
}

void CMyCfgDlg::PlaceNearOwner() {
    Rect owner;
    if (!m_hWnd || !ownerWindowRect(owner)) return;
    moveTo(settingsPanelRect(owner, backgroundExtent()));
}

void CMyCfgDlg::OnButtonPressed(int index) {
    if (index == kButtonSettingsClose || index == kButtonSettingsConfirm) applyBossKey();
}

void CMyCfgDlg::applyBossKey() {
    ShowWindow(SW_HIDE);
    WORD virtualKey = 0;
    WORD modifiers = 0;
    const bool enabled = enableBox_.GetCheck() != 0;
    // An unchecked box switches the boss key off; the field is not read.
    if (enabled) hotKeyField_.GetHotKey(virtualKey, modifiers);
    if (owner_) owner_->SetBossKey(enabled, virtualKey, modifiers);
}
