// The server-list panel: shows the player's server, as the information
// service reports it, in a drop-down combo box (IDC_SERVER_LIST) over its
// background (IDB_SERVER_LIST_PANEL), with one image button (10) that hides
// the panel.
// Nothing reads the combo box back: the panel only displays.
#pragma once

#include "framework/wnd_win.h"
#include "panels/simple_wnd_win.h"
#include "resource.h"

#include <string>
#include <vector>

class CSkinButton;

// The server-list panel.
class CMyDlg : public CSimpleWnd {
public:
    CMyDlg(LauncherCalls calls, int backgroundId) : CSimpleWnd(std::move(calls), backgroundId) {}
    ~CMyDlg() override;

    BOOL OnInitDialog() override;
    // 50 pixels right of and below the owner window's top-left corner, at
    // the background's size.
    void PlaceNearOwner() override;

    // Replaces the first names.size() entries (UTF-8) of the combo box in
    // place (delete, then insert at each index, unsorted) and keeps later
    // ones, then selects entry 0. Returns the selection message's result.
    // It only sends messages to the combo box, so it is safe from any thread.
    int FillServerList(const std::vector<std::string>& names);
    // The combo box (IDC_SERVER_LIST).
    HWND serverListHandle() const { return GetDlgItem(IDC_SERVER_LIST); }

    const tarvo::CComboBox& serverList() const { return serverList_; }
    CSkinButton* closeButton() const { return closeButton_; }

protected:
    void PaintBackground(HDC dc) override;
    void OnButtonPressed(int index) override;

private:
    // The panel class's background paint lock.
    static tarvo::CriticalSection paintLock_;

    tarvo::CComboBox serverList_;
    CSkinButton* closeButton_ = nullptr;  // the only entry of the button list
};
