// The exit confirmation panel: asks whether to give up and quit. Confirm (16)
// hides the panel, lets the launcher window run its closing sequence
// (StartLaunchAndClose) and then ends the process with exit code 0; cancel
// (17) only hides the panel. The launcher window sizes and places the panel
// each time it shows it.
#pragma once

#include "framework/handles_win.h"
#include "framework/wnd_win.h"

#include <memory>
#include <vector>

class CLauncherDlg;
class CSkinButton;

class CExitDlg : public tarvo::CDialog {
public:
    // Loads the background bitmap and records its size.
    CExitDlg(CLauncherDlg* owner, int backgroundId);
    ~CExitDlg() override;

    BOOL OnInitDialog() override;

    HBITMAP background() const { return background_.get(); }
    SIZE backgroundSize() const { return SIZE{backgroundWidth_, backgroundHeight_}; }
    const std::vector<std::unique_ptr<CSkinButton>>& buttons() const { return buttons_; }
    HFONT textFont() const { return textFont_.get(); }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    LRESULT OnLButtonDown(LPARAM lParam);
    // The confirm path: never returns.
    [[noreturn]] void confirmExit();

    // The panel class's background paint lock.
    static tarvo::CriticalSection paintLock_;

    CSkinButton* cancelButton_ = nullptr;
    CSkinButton* confirmButton_ = nullptr;
    std::vector<std::unique_ptr<CSkinButton>> buttons_;  // 17, 16
    CLauncherDlg* owner_;
    tarvo::Bitmap background_;
    int backgroundWidth_ = 0;
    int backgroundHeight_ = 0;
    tarvo::Font textFont_;
    tarvo::CStatic text_;
};
