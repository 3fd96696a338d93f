#include "service/server_list_panel_win.h"

#include "resource.h"
#include "service/account_worker_win.h"
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

void CMyDlg::PaintBackground() {
    copyBackground(paintLock_);
    PlaceNearOwner();
}

void CMyDlg::PlaceNearOwner() {
    Rect owner;
    if (!m_hWnd || !ownerWindowRect(owner)) return;
    moveTo(serverListPanelRect(owner, backgroundExtent()));
}

void CMyDlg::OnButtonPressed(int index) {
    if (index == kButtonServerListHide) ShowWindow(SW_HIDE);
}

int CMyDlg::FillServerList(std::vector<std::string> names) {
    return fillServerListControl(serverListHandle(), names);
}
