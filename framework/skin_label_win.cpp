#include "framework/skin_label_win.h"

#include "framework/handles_win.h"
#include "framework/subclass_win.h"

#include <memory>
#include <vector>

namespace tarvo {

namespace {

// What a label knew before a change of its place or visibility; the
// label's subclass data.
struct LabelState {
    bool wasVisible = false;
    bool repaintAfter = false;
};

std::wstring labelText(HWND label) {
    const int length = ::GetWindowTextLengthW(label);
    if (length <= 0) return std::wstring();
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1);
    const int got = ::GetWindowTextW(label, buffer.data(), length + 1);
    return std::wstring(buffer.data(), got > 0 ? static_cast<size_t>(got) : 0);
}

// Invalidates the parent's skin under the label and the label itself, so
// that the parent erases there before the label paints its text.
void invalidateUnder(HWND label) {
    const HWND parent = ::GetParent(label);
    if (!parent) return;
    RECT place{};
    ::GetWindowRect(label, &place);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&place), 2);
    ::RedrawWindow(parent, &place, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void paintLabel(HWND label) {
    PaintDC paint(label);
    const HDC dc = paint.get();
    if (!dc) return;
    RECT client{};
    ::GetClientRect(label, &client);
    const HFONT font = reinterpret_cast<HFONT>(::SendMessageW(label, WM_GETFONT, 0, 0));
    SelectGuard selectFont(dc, font ? static_cast<HGDIOBJ>(font) : ::GetStockObject(DEFAULT_GUI_FONT));
    // The parent chooses the colours; a brush other than the hollow one is
    // the label's background.
    HBRUSH brush = nullptr;
    if (const HWND parent = ::GetParent(label)) {
        brush = reinterpret_cast<HBRUSH>(
            ::SendMessageW(parent, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(label)));
    }
    if (brush && brush != ::GetStockObject(NULL_BRUSH)) ::FillRect(dc, &client, brush);
    const DWORD style = static_cast<DWORD>(::GetWindowLongW(label, GWL_STYLE));
    DrawLabelText(dc, client, labelText(label), style);
}

bool changesPlace(HWND label, const WINDOWPOS& pos) {
    RECT place{};
    ::GetWindowRect(label, &place);
    ::MapWindowPoints(nullptr, ::GetParent(label), reinterpret_cast<POINT*>(&place), 2);
    const bool moves = !(pos.flags & SWP_NOMOVE) && (pos.x != place.left || pos.y != place.top);
    const bool sizes =
        !(pos.flags & SWP_NOSIZE) && (pos.cx != place.right - place.left || pos.cy != place.bottom - place.top);
    return moves || sizes;
}

LRESULT labelProc(HWND label, UINT message, WPARAM wParam, LPARAM lParam, void* data) {
    LabelState& state = *static_cast<LabelState*>(data);
    switch (message) {
    case WM_SETTEXT: {
        // The same text again changes nothing on screen (the launcher sets
        // the initialising text at every erase of its background).
        const wchar_t* text = reinterpret_cast<const wchar_t*>(lParam);
        if (labelText(label) == (text ? text : L"")) return TRUE;
        const LRESULT result = callNext(label, message, wParam, lParam);
        if (::IsWindowVisible(label)) invalidateUnder(label);
        return result;
    }
    case WM_WINDOWPOSCHANGING: {
        // Hidden, moved or resized while visible: the skin under the old
        // place. Showing again what is shown, or moving a label to where it
        // is, repaints nothing (both happen at every paint of the launcher).
        const WINDOWPOS& pos = *reinterpret_cast<const WINDOWPOS*>(lParam);
        state.wasVisible = ::IsWindowVisible(label) != FALSE;
        const bool hides = state.wasVisible && (pos.flags & SWP_HIDEWINDOW);
        const bool shows = !state.wasVisible && (pos.flags & SWP_SHOWWINDOW);
        const bool moves = changesPlace(label, pos);
        if (hides || (state.wasVisible && moves)) invalidateUnder(label);
        state.repaintAfter = shows || (state.wasVisible && moves && !(pos.flags & SWP_HIDEWINDOW));
        break;
    }
    case WM_WINDOWPOSCHANGED:
        // ... and under the new one.
        if (state.repaintAfter) invalidateUnder(label);
        state.repaintAfter = false;
        break;
    case WM_ERASEBKGND:
        return TRUE;  // the parent's skin is the background
    case WM_PAINT:
        paintLabel(label);
        return 0;
    case WM_NCDESTROY: {
        const LRESULT result = callNext(label, message, wParam, lParam);
        delete &state;
        return result;
    }
    default:
        break;
    }
    return callNext(label, message, wParam, lParam);
}

} // namespace

bool AttachSkinLabel(HWND label) {
    if (!label || !::IsWindow(label)) return false;
    if (IsSkinLabel(label)) return true;
    // The state is freed when the label is destroyed.
    auto state = std::make_unique<LabelState>();
    if (!installSubclass(label, &labelProc, state.get())) return false;
    state.release();
    return true;
}

bool IsSkinLabel(HWND label) {
    return hasSubclass(label, &labelProc);
}

void DrawLabelText(HDC dc, const RECT& box, const std::wstring& text, DWORD style) {
    UINT format = DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS;
    switch (style & SS_TYPEMASK) {
    case SS_CENTER:
        format |= DT_CENTER;
        break;
    case SS_RIGHT:
        format |= DT_RIGHT;
        break;
    default:
        format |= DT_LEFT;
        break;
    }
    RECT place = box;
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &place, format);
}

} // namespace tarvo
