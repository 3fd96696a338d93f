// The game host panel: the empty black child area below the title strip into
// which the web-entry client draws the game. Its window handle goes on the
// client's command line, so it exists before the client starts and keeps that
// handle for the whole run.
#pragma once

#include "framework/wnd_win.h"

// The game host panel, the client's drawing area.
class CGameDlg : public tarvo::CDialog {
public:
    explicit CGameDlg(tarvo::CWnd* parent = nullptr) : CDialog(0, parent) {}

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    LRESULT OnEraseBkgnd(HDC dc);
    void OnPaint();
};
