#include "window/button_table.h"

namespace {

constexpr bool kLeft = false;
constexpr bool kRight = true;

const ButtonRow kButtonTable[kButtonRowCount] = {
    //  normal hover pressed   x    y  anchor
    {134, 135, 136, 366, 19, kRight},  // 0  main site
    {137, 138, 139, 283, 19, kRight},  // 1  forum
    {140, 141, 142, 209, 19, kRight},  // 2  settings panel
    {143, 144, 145, 500, 19, kRight},  // 3  web page panel
    {146, 147, 148, 118, 1, kRight},   // 4  to the tray
    {152, 153, 154, 89, 1, kRight},    // 5  minimise
    {155, 156, 157, 61, 1, kRight},    // 6  full / restored size
    {158, 159, 160, 33, 1, kRight},    // 7  exit panel
    {161, 161, 161, 135, 25, kLeft},   // 8  image only
    {162, 163, 164, 0, 0, kLeft},      // 9  unused
    {165, 166, 167, 220, 32, kLeft},   // 10 server-list panel: hide
    {168, 169, 170, 0, 0, kLeft},      // 11 unused
    {171, 172, 173, 300, 25, kLeft},   // 12 server-list toggle
    {158, 159, 160, 35, 5, kRight},    // 13 settings panel: close
    {168, 169, 170, 248, 62, kLeft},   // 14 settings panel: confirm
    {158, 159, 160, 35, 5, kRight},    // 15 web page panel: close
    {168, 169, 170, 70, 90, kLeft},    // 16 exit panel: confirm
    {162, 163, 164, 170, 90, kLeft},   // 17 exit panel: cancel
};

const ButtonRow kNoRow = {0, 0, 0, 0, 0, kLeft};

}  // namespace

const ButtonRow& buttonRow(int index) {
    if (index < 0 || index >= kButtonRowCount)
        return kNoRow;
    return kButtonTable[index];
}

Size buttonDrawnSize(Size logicalBitmapSize, int dpi) {
    return scaleToDpi(logicalBitmapSize, dpi);
}

Size buttonImageSize(int index, Size normalBitmapSize, int dpi) {
    return index == kButtonWebPage ? scaleToDpi(kWebPageButtonImageSize, dpi) : normalBitmapSize;
}

Rect buttonDrawRect(const ButtonRow& row, Size imageSize, const Rect& ownerClient, int dpi) {
    const int x = scaleToDpi(row.x, dpi);
    const int left = row.rightAnchored ? ownerClient.right - x : x;
    return makeRect(left, scaleToDpi(row.y, dpi), imageSize.cx, imageSize.cy);
}

Rect buttonHitBox(int index, const ButtonRow& row, Size imageSize, const Rect& ownerWindow,
                  int dpi) {
    const int x = scaleToDpi(row.x, dpi);
    const int left = row.rightAnchored ? ownerWindow.right - x : ownerWindow.left + x;
    const int top = ownerWindow.top + scaleToDpi(row.y, dpi);
    const Size box =
        index == kButtonWebPage ? scaleToDpi(kWebPageButtonHitSize, dpi) : imageSize;
    return makeRect(left, top, box.cx, box.cy);
}

bool strictlyInside(const Rect& box, Point p) {
    return box.left < p.x && p.x < box.right && box.top < p.y && p.y < box.bottom;
}

bool ButtonState::needsDraw(bool force) const {
    if (!force && state == lastDrawn)
        return false;
    return visible;
}

void ButtonState::markDrawn() {
    lastDrawn = state;
}

bool ButtonState::draw(bool force, ButtonPainter& painter) {
    if (!needsDraw(force))
        return false;
    painter.paintState(state);
    markDrawn();
    return true;
}

bool ButtonState::hitTest(bool inside, ButtonPainter& painter) {
    const bool hit = visible && inside;
    state = hit ? kButtonHover : kButtonNormal;
    draw(false, painter);
    return hit;
}

bool ButtonState::press(bool inside, bool redraw, ButtonPainter& painter) {
    if (!visible)
        return false;
    if (!hitTest(inside, painter))
        return false;
    state = kButtonPressed;
    if (redraw)
        draw(false, painter);
    return true;
}

bool ButtonState::release(bool inside, ButtonPainter& painter) {
    if (!visible)
        return false;
    if (!hitTest(inside, painter))
        return false;
    state = kButtonHover;
    draw(false, painter);
    return true;
}
