// The base of the launcher's four panels: image buttons answering presses at
// the screen point of the mouse message, drawn by the panel's paint, and the
// skin colours for the controls of the panels that want them.
#pragma once

#include "framework/handles_win.h"
#include "framework/wnd_win.h"
#include "panels/launcher_calls_win.h"

#include <windows.h>

#include <memory>
#include <vector>

class CSkinButton;

// Text colour of the launcher's labels and of the panels' controls.
constexpr COLORREF kSkinTextColour = RGB(198, 170, 102);

// The base of the launcher's panels.
class CSkinnedPanel : public tarvo::CDialog {
public:
    CSkinnedPanel(LauncherCalls calls, UINT templateId);
    ~CSkinnedPanel() override;

    // The panel's buttons in list order.
    const std::vector<std::unique_ptr<CSkinButton>>& buttons() const { return buttons_; }

    // The DPI the panel is laid out and drawn at.
    int Dpi() const { return dpi_; }
    // Lays the panel out and draws it at another DPI: its controls, fonts,
    // buttons and (in the panels that have one) background. The owner places
    // the panel afterwards.
    virtual void SetDpi(int dpi);

protected:
    // Takes the panel's DPI; the system leaves its layout alone when the DPI changes.
    BOOL OnInitDialog() override;

    // Control colours (when SkinsControls), hover on hit-test and release on
    // button-up (when ShowsHover), the press on button-down, and the buttons'
    // painting.
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // The action of the pressed button; runs before the press goes on to
    // default processing.
    virtual void OnButtonPressed(int index) = 0;
    // Whether the buttons follow the pointer (hover look, release on button-up).
    virtual bool ShowsHover() const { return true; }
    // Whether the controls get the skin colours over a hollow brush.
    virtual bool SkinsControls() const { return false; }

    // Constructs a button on this panel and appends it to the list.
    CSkinButton* addButton(int index);
    // A mouse message's client point (lParam) as a screen point: the panels
    // have no frame, so the window rectangle's top-left is the client origin.
    POINT screenPoint(LPARAM lParam) const;

    LauncherCalls calls_;
    std::vector<std::unique_ptr<CSkinButton>> buttons_;
    int dpi_ = 96;
    // The controls' font once the panel has changed DPI (until then the template's).
    tarvo::Font controlFont_;
};
