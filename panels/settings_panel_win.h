// The settings panel: the boss key's hot-key field (IDC_BOSS_HOTKEY) and enable
// box (IDC_BOSS_ENABLE) over its background (IDB_DIALOG_PANEL), with a close cross (13)
// and a confirm button (14). Both buttons hide the panel and hand the choice
// to the launcher window (SetBossKey); nothing is saved.
#pragma once

#include "framework/wnd_win.h"
#include "panels/simple_wnd_win.h"

#include <optional>
#include <string>

class CSkinButton;

// The settings panel: the boss key.
class CMyCfgDlg : public CSimpleWnd {
public:
    CMyCfgDlg(LauncherCalls calls, int backgroundId) : CSimpleWnd(std::move(calls), backgroundId) {}
    ~CMyCfgDlg() override;

    BOOL OnInitDialog() override;
    // Owner right - background width - 100, owner top + 50, at the
    // background's size.
    void PlaceNearOwner() override;

    const tarvo::CHotKeyCtrl& hotKeyField() const { return hotKeyField_; }
    const tarvo::CButton& enableBox() const { return enableBox_; }
    CSkinButton* closeButton() const { return closeButton_; }
    CSkinButton* confirmButton() const { return confirmButton_; }

    // The hot-key field as the player sees it on the dark skin: a frame in
    // the skin colour around IDC_BOSS_HOTKEY, a dark ground and the chosen key
    // ("Ctrl + Alt + K", or "无" for none) in the skin colour. Drawn through
    // the panel's own device context after its background, and again
    // whenever the field itself repaints.
    void DrawHotKeyField() const;
    // The text (UTF-8) the field shows for a key in the hot-key control's encoding.
    static std::string HotKeyText(WORD virtualKey, WORD modifiers);

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void PaintBackground(HDC dc) override;
    void OnButtonPressed(int index) override;
    bool SkinsControls() const override { return true; }

private:
    // Hides the panel and applies the enable box and the hot key.
    void applyBossKey();
    // The hot-key control's window procedure, which leaves its painting to
    // DrawHotKeyField.
    static LRESULT hotKeyFieldProc(HWND field, UINT message, WPARAM wParam, LPARAM lParam, void* panel);

    // The panel class's background paint lock.
    static tarvo::CriticalSection paintLock_;

    tarvo::CHotKeyCtrl hotKeyField_;
    CSkinButton* closeButton_ = nullptr;
    CSkinButton* confirmButton_ = nullptr;
    tarvo::CButton enableBox_;
};
