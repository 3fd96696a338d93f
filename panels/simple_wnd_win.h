// The server-list, settings and exit panels: captionless popup dialogs,
// created hidden from their own templates with the launcher window as parent,
// each painted with a background bitmap under its class's paint lock.
#pragma once

#include "framework/handles_win.h"
#include "panels/skinned_panel_win.h"
#include "window/geometry.h"

// A skinned panel with a background bitmap.
class CSimpleWnd : public CSkinnedPanel {
public:
    // Loads the background bitmap (at 96 dpi until the panel has a window) and records its size.
    CSimpleWnd(LauncherCalls calls, int backgroundId);
    ~CSimpleWnd() override;

    // Moves the panel to its place beside the owner window; each time it is shown.
    virtual void PlaceNearOwner() = 0;

    HBITMAP background() const { return background_.get(); }
    SIZE backgroundSize() const { return SIZE{backgroundWidth_, backgroundHeight_}; }

    // The background follows the panel's new DPI too.
    void SetDpi(int dpi) override;

protected:
    // The background at the panel's DPI.
    BOOL OnInitDialog() override;

    // The background erase: PaintBackground on the erase's context. About
    // to be shown: PlaceNearOwner.
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // Paints the background bitmap on `dc`, the erase's context.
    virtual void PaintBackground(HDC dc) = 0;

    // Copies the background unscaled to the panel's top-left corner under
    // `paintLock`, and nothing else.
    void copyBackground(HDC dc, tarvo::CriticalSection& paintLock);
    // The background's size.
    Size backgroundExtent() const { return Size{backgroundWidth_, backgroundHeight_}; }
    // Moves the panel to `place` (screen coordinates), repainting.
    void moveTo(const Rect& place);
    // The owner's window rectangle; false when there is no owner window.
    bool ownerWindowRect(Rect& rect) const;

    // Loads the background bitmap for the panel's DPI.
    void loadBackground();

    int backgroundId_;
    tarvo::Bitmap background_;
    int backgroundWidth_ = 0;
    int backgroundHeight_ = 0;
};
