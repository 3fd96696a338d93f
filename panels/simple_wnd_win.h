// Base of the skinned panels of the launcher window (server list, settings,
// exit): a captionless popup dialog, created hidden from its own template
// with the launcher window as parent, painted with a background bitmap and
// carrying windowless image buttons.
//
// Messages handled here: background erase (PaintBackground, then every
// button drawn), hit-test (hover on every button, then the default answer),
// left button down (the first button that accepts the press gives its index
// to OnButtonPressed, then default processing) and left button up (release
// on every button, then default processing). A panel whose buttons show no
// hover look (ShowsHover false) leaves hit-test and button-up to default
// processing. Control colours and non-client painting are up to each panel.
#pragma once

#include "framework/handles_win.h"
#include "framework/wnd_win.h"
#include "window/geometry.h"

#include <memory>
#include <vector>

class CLauncherDlg;
class CSkinButton;

class CSimpleWnd : public tarvo::CDialog {
public:
    // Loads the background bitmap and records its size.
    CSimpleWnd(CLauncherDlg* owner, int backgroundId);
    ~CSimpleWnd() override;

    // Paints the background bitmap onto the panel (and places the panel).
    virtual void PaintBackground() = 0;
    // Moves the panel to its place beside the owner window.
    virtual void PlaceNearOwner() = 0;

    CLauncherDlg* owner() const { return owner_; }
    HBITMAP background() const { return background_.get(); }
    SIZE backgroundSize() const { return SIZE{backgroundWidth_, backgroundHeight_}; }
    // The panel's buttons in list order.
    const std::vector<std::unique_ptr<CSkinButton>>& buttons() const { return buttons_; }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // The action of the button with this index; runs before the press goes
    // on to default processing. Not called when no button was pressed.
    virtual void OnButtonPressed(int index) = 0;
    // Whether the buttons follow the pointer (hover look, release on
    // button-up); true unless a panel says otherwise.
    virtual bool ShowsHover() const { return true; }

    // Background erase steps 1 to 4: the bitmap copy under `paintLock`.
    void copyBackground(tarvo::CriticalSection& paintLock);
    // The background's size.
    Size backgroundExtent() const { return Size{backgroundWidth_, backgroundHeight_}; }
    // Moves the panel to `place` (screen coordinates), repainting.
    void moveTo(const Rect& place);
    // Constructs a button on this panel and appends it to the list.
    CSkinButton* addButton(int index);
    // The owner's window rectangle; false when there is no owner window.
    bool ownerWindowRect(Rect& rect) const;

    CLauncherDlg* owner_;
    tarvo::Bitmap background_;
    int backgroundWidth_ = 0;
    int backgroundHeight_ = 0;
    std::vector<std::unique_ptr<CSkinButton>> buttons_;
};
