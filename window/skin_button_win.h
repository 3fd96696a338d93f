// A windowless image button on its owner window: normal, hover and pressed
// bitmaps from the button table, hit-tested against a screen point that the
// owner forwards from its mouse messages. A change of state invalidates the
// button's place; the owner's paint draws it (Paint).
#pragma once

#include "framework/handles_win.h"
#include "framework/wnd_win.h"
#include "window/button_table.h"

// An image button on a skinned window.
class CSkinButton : public tarvo::CWnd {
public:
    CSkinButton(tarvo::CWnd* owner, int index);
    ~CSkinButton() override;

    // Draws the current state's bitmap on `dc` (the owner's paint context)
    // when the button is visible and its place meets `area` (the part being
    // painted, client coordinates).
    void Paint(HDC dc, const RECT& area);
    // Hover tracking: true when the screen point is inside the button's box.
    bool HitTest(POINT screenPoint);
    bool Press(POINT screenPoint, bool redraw);
    bool Release(POINT screenPoint);

    int Index() const { return index_; }
    bool IsVisible() const { return state_.visible; }
    // Shown or hidden; a change invalidates the button's place.
    void SetVisible(bool visible);
    int State() const { return state_.state; }

    // The drawn and hit size: the normal bitmap's size at the owner's DPI
    // (24 x 24 logical pixels for button 3).
    Size ImageSize() const { return size_; }
    // The DPI the button draws and answers hits at: its owner's.
    int Dpi() const { return dpi_; }
    // The owner's DPI changed: the bitmaps are loaded again for it.
    void SetDpi(int dpi);
    // The normal look's bitmap as loaded for the DPI.
    HBITMAP NormalBitmap() { return Bitmap(kButtonNormal); }
    // Where the image goes in the owner's client area, and the box that
    // answers hits in screen coordinates, for the owner's current size.
    Rect DrawRect() const;
    Rect HitBox() const;

    // Number of bitmaps copied onto an owner window by all buttons of the
    // process since it started (tests compare it before and after).
    static long BlitCount();

private:
    // Asks the owner to repaint the button's place; ButtonState decides when.
    class Painter : public ButtonPainter {
    public:
        explicit Painter(CSkinButton& button) : button_(button) {}
        void paintState(int state) override;

    private:
        CSkinButton& button_;
    };

    bool Inside(POINT screenPoint) const;
    // Loads the normal bitmap for the DPI and takes the button's size from it.
    void LoadForDpi();
    // A state's bitmap, loaded on first use; null when it cannot be loaded.
    HBITMAP Bitmap(int state);

    tarvo::CWnd* owner_;
    int index_;
    ButtonRow row_;
    ButtonState state_;
    tarvo::Bitmap bitmaps_[3];
    bool loaded_[3] = {};
    Size size_;
    int dpi_ = 96;
    Painter painter_{*this};
};
