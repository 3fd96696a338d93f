#include "window/skin_button_win.h"
#include "framework/dpi_win.h"
#include "window/rect_win.h"
#include "window/skin_bitmap_win.h"

#include <atomic>

namespace {

std::atomic<long> g_blitCount{0};

} // namespace

CSkinButton::CSkinButton(tarvo::CWnd* owner, int index)
    : owner_(owner), index_(index), row_(buttonRow(index)) {
    if (owner_ && owner_->m_hWnd) dpi_ = tarvo::windowDpi(owner_->m_hWnd);
    LoadForDpi();
}

void CSkinButton::LoadForDpi() {
    // The normal image gives the button its size; the hover and pressed
    // images wait for their first use, so that a window full of buttons
    // shows without loading images nobody has pointed at yet.
    for (int state = 0; state < 3; ++state) {
        bitmaps_[state].reset();
        loaded_[state] = false;
    }
    bitmaps_[kButtonNormal] = tarvo::loadSkinBitmap(row_.normal, dpi_);
    loaded_[kButtonNormal] = true;
    const SIZE normal = tarvo::bitmapSize(bitmaps_[kButtonNormal].get());
    size_ = buttonImageSize(index_, Size{normal.cx, normal.cy}, dpi_);
}

void CSkinButton::SetDpi(int dpi) {
    if (dpi <= 0 || dpi == dpi_) return;
    painter_.paintState(state_.state);  // where it was
    dpi_ = dpi;
    LoadForDpi();
    painter_.paintState(state_.state);  // where it is now
}

CSkinButton::~CSkinButton() = default;

long CSkinButton::BlitCount() {
    return g_blitCount.load();
}

Rect CSkinButton::DrawRect() const {
    const HWND ownerWindow = owner_ ? owner_->m_hWnd : nullptr;
    RECT client{};
    if (ownerWindow) ::GetClientRect(ownerWindow, &client);
    return buttonDrawRect(row_, size_, toRect(client), dpi_);
}

Rect CSkinButton::HitBox() const {
    const HWND ownerWindow = owner_ ? owner_->m_hWnd : nullptr;
    RECT window{};
    if (ownerWindow) ::GetWindowRect(ownerWindow, &window);
    return buttonHitBox(index_, row_, size_, toRect(window), dpi_);
}

HBITMAP CSkinButton::Bitmap(int state) {
    if (state < 0 || state >= 3) return nullptr;
    if (!loaded_[state]) {
        loaded_[state] = true;  // a failed load is not retried
        const int ids[3] = {row_.normal, row_.hover, row_.pressed};
        bitmaps_[state] = tarvo::loadSkinBitmap(ids[state], dpi_);
    }
    return bitmaps_[state].get();
}

void CSkinButton::SetVisible(bool visible) {
    if (state_.visible == visible) return;
    state_.visible = visible;
    painter_.paintState(state_.state);
}

bool CSkinButton::Inside(POINT screenPoint) const {
    // Without an owner window there is no box: every point is outside.
    if (!owner_ || !owner_->m_hWnd) return false;
    return strictlyInside(HitBox(), Point{screenPoint.x, screenPoint.y});
}

bool CSkinButton::HitTest(POINT screenPoint) {
    return state_.hitTest(Inside(screenPoint), painter_);
}

bool CSkinButton::Press(POINT screenPoint, bool redraw) {
    return state_.press(Inside(screenPoint), redraw, painter_);
}

bool CSkinButton::Release(POINT screenPoint) {
    return state_.release(Inside(screenPoint), painter_);
}

void CSkinButton::Painter::paintState(int) {
    const HWND ownerWindow = button_.owner_ ? button_.owner_->m_hWnd : nullptr;
    if (!ownerWindow || !::IsWindow(ownerWindow)) return;
    const RECT place = toRECT(button_.DrawRect());
    ::InvalidateRect(ownerWindow, &place, FALSE);
}

void CSkinButton::Paint(HDC dc, const RECT& area) {
    if (!dc || !state_.visible) return;
    const RECT place = toRECT(DrawRect());
    RECT common{};
    if (!::IntersectRect(&common, &place, &area)) return;
    state_.markDrawn();
    // A bitmap that failed to load is not painted as an empty square.
    const HBITMAP bitmap = Bitmap(state_.state);
    if (!bitmap) return;
    tarvo::MemoryDC memory(dc);
    if (!memory.get()) return;
    tarvo::SelectGuard select(memory.get(), bitmap);
    // Equal source and destination sizes: a larger state bitmap is cut at
    // the normal image's size, never scaled.
    ::StretchBlt(dc, place.left, place.top, size_.cx, size_.cy, memory.get(), 0, 0, size_.cx, size_.cy, SRCCOPY);
    ++g_blitCount;
}
