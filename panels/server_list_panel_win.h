// The server-list panel: shows the player's server, as the information
// service reports it, in a drop-down combo box (IDC_SERVER_LIST) over
// background bitmap 174, with one image button (10) that hides the panel.
// Nothing reads the combo box back: the panel only displays.
#pragma once

#include "framework/wnd_win.h"
#include "panels/simple_wnd_win.h"
#include "resource.h"

#include <string>
#include <vector>

class CSkinButton;

class CMyDlg : public CSimpleWnd {
public:
    CMyDlg(CLauncherDlg* owner, int backgroundId) : CSimpleWnd(owner, backgroundId) {}
    ~CMyDlg() override;

    BOOL OnInitDialog() override;
    void PaintBackground() override;
    // 50 pixels right of and below the owner window's top-left corner, at
    // the background's size.
    void PlaceNearOwner() override;

    // Replaces the first names.size() entries (UTF-8) of the combo box in place and
    // keeps later ones, then selects entry 0. Returns the selection
    // message's result. The account-information worker's answer reaches it
    // on the UI thread (through the task queue); it only sends messages to
    // the combo box, so it is safe from any thread.
    int FillServerList(std::vector<std::string> names);
    // The combo box (IDC_SERVER_LIST), for the account-information worker.
    HWND serverListHandle() const { return GetDlgItem(IDC_SERVER_LIST); }

    const tarvo::CComboBox& serverList() const { return serverList_; }
    CSkinButton* closeButton() const { return closeButton_; }

protected:
    void OnButtonPressed(int index) override;

private:
    // The panel class's background paint lock.
    static tarvo::CriticalSection paintLock_;

    tarvo::CComboBox serverList_;
    CSkinButton* closeButton_ = nullptr;  // the only entry of the button list
};
