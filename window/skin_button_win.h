// A windowless image button drawn straight onto its owner window: normal,
// hover and pressed bitmaps from the button table, hit-tested against a
// screen point that the owner forwards from its mouse messages.
#pragma once

#include "framework/handles_win.h"
#include "framework/wnd_win.h"
#include "window/button_table.h"

class CSkinButton : public tarvo::CWnd {
public:
    CSkinButton(tarvo::CWnd* owner, int index);
    ~CSkinButton() override;

    // Paints the current state's bitmap (always when forced, else only when
    // the state changed since the last draw). Invisible buttons never draw.
    void Draw(bool force);
    // Hover tracking: true when the screen point is inside the button's box.
    bool HitTest(POINT screenPoint);
    bool Press(POINT screenPoint, bool redraw);
    bool Release(POINT screenPoint);

    int Index() const { return index_; }
    bool IsVisible() const { return state_.visible; }
    void SetVisible(bool visible) { state_.visible = visible; }
    int State() const { return state_.state; }

    // The drawn and hit size: the normal bitmap's size (24 x 24 for button 3).
    Size ImageSize() const { return size_; }
    // Where the image goes in the owner's client area, and the box that
    // answers hits in screen coordinates, for the owner's current size.
    Rect DrawRect() const;
    Rect HitBox() const;

    // Number of bitmaps actually copied onto an owner window by all buttons
    // of the process since it started (tests compare it before and after).
    static long BlitCount();

private:
    // Puts a state's bitmap on the owner's client area under the button
    // drawing lock; ButtonState decides when.
    class Painter : public ButtonPainter {
    public:
        explicit Painter(CSkinButton& button) : button_(button) {}
        void paintState(int state) override;

    private:
        CSkinButton& button_;
    };

    bool Inside(POINT screenPoint) const;
    // A state's bitmap, loaded on first use; null when it cannot be loaded.
    HBITMAP Bitmap(int state);

    tarvo::CWnd* owner_;
    int index_;
    ButtonRow row_;
    ButtonState state_;
    tarvo::Bitmap bitmaps_[3];
    bool loaded_[3] = {};
    Size size_;
    Painter painter_{*this};
};
