// The settings panel: the boss key's hot-key field (IDC_BOSS_HOTKEY) and enable
// box (IDC_BOSS_ENABLE) over background bitmap 175, with a close cross (13)
// and a confirm button (14). Both buttons hide the panel and hand the choice
// to the launcher window (SetBossKey); nothing is saved.
#pragma once

#include "framework/wnd_win.h"
#include "panels/simple_wnd_win.h"

#include <optional>
#include <string>

class CSkinButton;

class CMyCfgDlg : public CSimpleWnd {
public:
    CMyCfgDlg(CLauncherDlg* owner, int backgroundId) : CSimpleWnd(owner, backgroundId) {}
    ~CMyCfgDlg() override;

    BOOL OnInitDialog() override;
    void PaintBackground() override;
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
    void OnButtonPressed(int index) override;

private:
    // Hides the panel and applies the enable box and the hot key.
    void applyBossKey();
    // The hot-key control's window procedure, which leaves its painting to
    // DrawHotKeyField.
    static LRESULT CALLBACK hotKeyFieldProc(HWND field, UINT message, WPARAM wParam, LPARAM lParam);

    // The panel class's background paint lock.
    static tarvo::CriticalSection paintLock_;

    tarvo::CHotKeyCtrl hotKeyField_;
    CSkinButton* closeButton_ = nullptr;
    CSkinButton* confirmButton_ = nullptr;
    tarvo::CButton enableBox_;
    WNDPROC hotKeyFieldPrevious_ = nullptr;
    // The part of the panel the erase being handled is for (client
    // coordinates); none outside an erase.
    std::optional<RECT> eraseClip_;
};
