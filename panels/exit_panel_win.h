// The exit confirmation panel: asks whether to give up and quit. Confirm (16)
// hides the panel, lets the launcher window run its closing sequence
// (StartLaunchAndClose) and then ends the process with exit code 0; cancel
// (17) only hides the panel. The launcher window sizes and places the panel
// each time it shows it. Unlike the other skinned panels, its buttons show no
// hover look.
#pragma once

#include "framework/handles_win.h"
#include "framework/wnd_win.h"
#include "panels/simple_wnd_win.h"

// The exit confirmation panel.
class CExitDlg : public CSimpleWnd {
public:
    CExitDlg(LauncherCalls calls, int backgroundId) : CSimpleWnd(std::move(calls), backgroundId) {}
    ~CExitDlg() override;

    BOOL OnInitDialog() override;
    // Nothing: the launcher window places the panel when it shows it.
    void PlaceNearOwner() override {}

    HFONT textFont() const { return textFont_.get(); }
    // The question's font follows the DPI too.
    void SetDpi(int dpi) override;

protected:
    void PaintBackground(HDC dc) override;
    void OnButtonPressed(int index) override;
    bool ShowsHover() const override { return false; }
    bool SkinsControls() const override { return true; }

private:
    // The confirm path: never returns.
    [[noreturn]] void confirmExit();
    // The question's font at the panel's DPI.
    void makeTextFont();

    // The panel class's background paint lock.
    static tarvo::CriticalSection paintLock_;

    tarvo::Font textFont_;
    tarvo::CStatic text_;
};
