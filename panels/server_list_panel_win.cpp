#include "panels/server_list_panel_win.h"

#include "framework/text_win.h"
#include "resource.h"
#include "window/button_table.h"
#include "window/caption_layout.h"
#include "window/skin_button_win.h"

tarvo::CriticalSection CMyDlg::paintLock_;

CMyDlg::~CMyDlg() = default;

BOOL CMyDlg::OnInitDialog() {
    CSimpleWnd::OnInitDialog();
    serverList_.Bind(GetDlgItem(IDC_SERVER_LIST));
    closeButton_ = addButton(kButtonServerListHide);
    return TRUE;
}

void CMyDlg::PaintBackground(HDC dc) {
    copyBackground(dc, paintLock_);
}

void CMyDlg::PlaceNearOwner() {
    Rect owner;
    if (!m_hWnd || !ownerWindowRect(owner)) return;
    moveTo(serverListPanelRect(owner, backgroundExtent(), dpi_));
}

void CMyDlg::OnButtonPressed(int index) {
    if (index == kButtonServerListHide) ShowWindow(SW_HIDE);
}

int CMyDlg::FillServerList(const std::vector<std::string>& names) {
    const HWND combo = serverListHandle();
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::wstring name = tarvo::utf8ToWide(names[i]);
        ::SendMessageW(combo, CB_DELETESTRING, static_cast<WPARAM>(i), 0);
        ::SendMessageW(combo, CB_INSERTSTRING, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(name.c_str()));
    }
    return static_cast<int>(::SendMessageW(combo, CB_SETCURSEL, 0, 0));
}
