#include "window/skin_button_win.h"
#include "window/rect_win.h"

#include <atomic>

namespace {

// The button drawing lock: one for every button of the process. The web page
// panel takes it while holding its own paint lock, never the other way round.
tarvo::CriticalSection g_buttonDrawLock;

std::atomic<long> g_blitCount{0};

} // namespace

CSkinButton::CSkinButton(tarvo::CWnd* owner, int index)
    : owner_(owner), index_(index), row_(buttonRow(index)) {
    // The normal image gives the button its size; the hover and pressed
    // images wait for their first use, so that a window full of buttons
    // shows without loading images nobody has pointed at yet.
    bitmaps_[kButtonNormal] = tarvo::loadBitmapResource(row_.normal);
    loaded_[kButtonNormal] = true;
    const SIZE normal = tarvo::bitmapSize(bitmaps_[kButtonNormal].get());
    size_ = buttonImageSize(index, Size{normal.cx, normal.cy});
}

CSkinButton::~CSkinButton() = default;

long CSkinButton::BlitCount() {
    return g_blitCount.load();
}

Rect CSkinButton::DrawRect() const {
    const HWND ownerWindow = owner_ ? owner_->m_hWnd : nullptr;
    RECT client{};
    if (ownerWindow) ::GetClientRect(ownerWindow, &client);
    return buttonDrawRect(row_, size_, toRect(client));
}

Rect CSkinButton::HitBox() const {
    const HWND ownerWindow = owner_ ? owner_->m_hWnd : nullptr;
    RECT window{};
    if (ownerWindow) ::GetWindowRect(ownerWindow, &window);
    return buttonHitBox(index_, row_, size_, toRect(window));
}

HBITMAP CSkinButton::Bitmap(int state) {
    if (state < 0 || state >= 3) return nullptr;
    if (!loaded_[state]) {
        loaded_[state] = true;  // a failed load is not retried
        const int ids[3] = {row_.normal, row_.hover, row_.pressed};
        bitmaps_[state] = tarvo::loadBitmapResource(ids[state]);
    }
    return bitmaps_[state].get();
}

void CSkinButton::Draw(bool force) {
    state_.draw(force, painter_);
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

void CSkinButton::Painter::paintState(int state) {
    CSkinButton& b = button_;
    const HWND ownerWindow = b.owner_ ? b.owner_->m_hWnd : nullptr;
    // No owner window yet (or any more): GetDC(null) would paint the screen.
    if (!ownerWindow || !::IsWindow(ownerWindow)) return;
    const HBITMAP bitmap = b.Bitmap(state);
    // A bitmap that failed to load is not painted as an empty square.
    if (!bitmap) return;

    tarvo::LockGuard lock(g_buttonDrawLock);
    const Rect target = b.DrawRect();
    tarvo::WindowDC window(ownerWindow);
    if (!window.get()) return;
    tarvo::MemoryDC memory(window.get());
    if (!memory.get()) return;
    tarvo::SelectGuard select(memory.get(), bitmap);
    // Equal source and destination sizes: a larger state bitmap is cut at
    // the normal image's size, never scaled.
    ::StretchBlt(window.get(), target.left, target.top, b.size_.cx, b.size_.cy, memory.get(), 0, 0, b.size_.cx,
                 b.size_.cy, SRCCOPY);
    ++g_blitCount;
}
