// The image-button table and the platform-free part of the skinned button:
// where a button is drawn, where it answers hits, and its state machine.
//
// A skinned button is windowless: its owner (the launcher window or a panel)
// forwards screen points to it and asks which button was pressed. The Win32
// button class keeps a ButtonState, computes its boxes with the functions
// below and only adds bitmap loading and blitting (through ButtonPainter).
#pragma once

#include "window/dpi_scale.h"
#include "window/geometry.h"

// One row of the button table: bitmap resource ids (of the 1x artwork set) for
// the three looks and the position inside the owner in 96-dpi logical pixels
// (scaled to the owner's dpi where placed). x is measured from the owner's left
// edge, or back from its right edge when rightAnchored; y always from the top.
struct ButtonRow {
    int normal;
    int hover;
    int pressed;
    int x;
    int y;
    bool rightAnchored;
};

constexpr int kButtonRowCount = 18;

// Button indices with a fixed role (the table row numbers).
constexpr int kButtonMainSite = 0;      // launcher: open the main site
constexpr int kButtonForum = 1;         // launcher: open the forum
constexpr int kButtonSettings = 2;      // launcher: open the settings panel
constexpr int kButtonWebPage = 3;       // launcher: show/hide the web page panel
constexpr int kButtonToTray = 4;        // launcher: hide everything to the tray
constexpr int kButtonMinimise = 5;      // launcher: minimise
constexpr int kButtonSizeToggle = 6;    // launcher: full size / restored size
constexpr int kButtonExit = 7;          // launcher: open the exit panel
constexpr int kButtonLogoMark = 8;      // launcher: image only
constexpr int kButtonServerListHide = 10;   // server-list panel: hide
constexpr int kButtonServerListToggle = 12; // launcher: show/hide the server list
constexpr int kButtonSettingsClose = 13;    // settings panel: close and apply
constexpr int kButtonSettingsConfirm = 14;  // settings panel: confirm and apply
constexpr int kButtonWebPageClose = 15;     // web page panel: hide
constexpr int kButtonExitConfirm = 16;      // exit panel: confirm
constexpr int kButtonExitCancel = 17;       // exit panel: cancel

// Button 3 draws a fixed 24 x 24 image but answers hits over 100 x 20 (the
// image plus the new-message label beside it); both in 96-dpi logical pixels.
constexpr Size kWebPageButtonImageSize{24, 24};
constexpr Size kWebPageButtonHitSize{100, 20};

// Visual states of a button.
constexpr int kButtonNormal = 0;
constexpr int kButtonHover = 1;
constexpr int kButtonPressed = 2;

// Row `index` of the table, 0 to 17. An index outside the table yields a
// row of zeros (no bitmaps, position 0, 0, left-anchored) rather than reading
// past the table.
const ButtonRow& buttonRow(int index);

// The pixel size a button draws at for a bitmap whose 1x size is
// logicalBitmapSize: scaleToDpi of that size, whichever artwork set is loaded.
Size buttonDrawnSize(Size logicalBitmapSize, int dpi);

// The size in pixels a button draws and hit-tests with: the given normal
// bitmap size (pixels, normally buttonDrawnSize), except for button 3, which
// is fixed at 24 x 24 96-dpi logical pixels, s(24) x s(24) at dpi.
Size buttonImageSize(int index, Size normalBitmapSize, int dpi = kBaseDpi);

// Where the image goes, in the owner's client coordinates, with the row's x
// and y scaled to dpi: left = s(x) (left-anchored) or
// ownerClient.right - s(x) (right-anchored), top = s(y); imageSize (pixels)
// wide and high.
Rect buttonDrawRect(const ButtonRow& row, Size imageSize, const Rect& ownerClient,
                    int dpi = kBaseDpi);

// The box that answers hits, in screen coordinates, measured from the owner's
// outer window rectangle with the row's x and y scaled to dpi:
// left = window left + s(x) (left-anchored) or window right - s(x)
// (right-anchored), top = window top + s(y); imageSize (pixels) wide and
// high, except button 3 (s(100) x s(20) from the same corner).
// Drawing uses the client rectangle and hit-testing the window rectangle;
// on a window with a border the two differ by the border, deliberately.
Rect buttonHitBox(int index, const ButtonRow& row, Size imageSize, const Rect& ownerWindow,
                  int dpi = kBaseDpi);

// left < x < right and top < y < bottom: a point on any edge is outside.
bool strictlyInside(const Rect& box, Point p);

// What actually puts a state's bitmap on screen; implemented by the Win32
// button (it takes the drawing lock and blits), and by recorders in tests.
class ButtonPainter {
public:
    virtual ~ButtonPainter() = default;
    virtual void paintState(int state) = 0;
};

// State of one button and its drawing rule.
//   state      0 normal, 1 hover, 2 pressed
//   lastDrawn  the state last painted; -1 so that the first draw paints
//   visible    an invisible button is never painted and never reports a hit
//
// The transitions reproduce the button's operations exactly, including the
// draws they make in between: hitTest draws, press runs hitTest (which may
// draw the hover look) and draws the pressed look only when asked to.
struct ButtonState {
    int state = kButtonNormal;
    int lastDrawn = -1;
    bool visible = true;

    // False when not forced and the state has already been drawn, or when
    // the button is invisible; true otherwise.
    bool needsDraw(bool force) const;
    // Records the current state as drawn.
    void markDrawn();

    // Draw(force): paints through painter when needsDraw(force), then marks
    // the state drawn. Returns whether it painted.
    bool draw(bool force, ButtonPainter& painter);

    // HitTest: `inside` is strictlyInside(hit box, point). A hit needs the
    // button visible too. State becomes hover on a hit, else normal; then
    // draw(false). Returns the hit.
    bool hitTest(bool inside, ButtonPainter& painter);

    // Press: false when invisible or when hitTest misses; otherwise state
    // becomes pressed, draw(false) only when `redraw`, and true.
    bool press(bool inside, bool redraw, ButtonPainter& painter);

    // Release: false when invisible or when hitTest misses; otherwise state
    // becomes hover, draw(false), and true.
    bool release(bool inside, ButtonPainter& painter);
};
