#include "window/caption_layout.h"

#include <algorithm>

namespace {

// The web page panel's drag strip, in 96-dpi logical pixels.
constexpr int kWebPanelCaptionHeight = 30;
constexpr int kWebPanelCaptionWidth = 400;

std::vector<int> tileXs(int extent, int tileWidth) {
    std::vector<int> xs;
    if (tileWidth <= 0)
        return xs;  // a zero-width tile would never advance
    for (int x = 0; x < extent; x += tileWidth)
        xs.push_back(x);
    return xs;
}

}  // namespace

// ---- Work area --------------------------------------------------------------

int taskbarAllowance(std::optional<Rect> taskbarRect, Size screen, int dpi) {
    const int minimum = scaleToDpi(kMinimumTaskbarAllowance, dpi);
    if (!taskbarRect)
        return minimum;
    const Rect& bar = *taskbarRect;
    // An empty taskbar window (a shell without a visible bar) takes the usual
    // allowance; a side taskbar spans the full height (or more, with its
    // overhang) and a top or floating one ends above the bottom edge: neither
    // takes room at the bottom, so the window keeps the full height.
    if (bar.height() <= 0)
        return minimum;
    const bool atBottom = bar.bottom >= screen.cy && bar.height() < screen.cy;
    if (!atBottom)
        return 0;
    return std::max(bar.height(), minimum);
}

Size maximisedSize(Size screen, int allowance) {
    return Size{screen.cx, std::max(0, screen.cy - allowance)};
}

Rect maximisedRect(Size maximised) {
    return makeRect(0, 0, maximised.cx, maximised.cy);
}

Rect restoredRect(Size screen, int workHeight, int dpi) {
    const Size size = scaleToDpi(kRestoredSize, dpi);
    return makeRect((screen.cx - size.cx) / 2, (workHeight - size.cy) / 2, size.cx, size.cy);
}

Rect sizeToggleTarget(bool wasMaximised, Size maximised, int dpi) {
    if (wasMaximised)
        return restoredRect(maximised, maximised.cy, dpi);
    return maximisedRect(maximised);
}

// ---- Caption strip and sizing borders ---------------------------------------

bool inCaptionStrip(const Rect& window, Point p, int dpi) {
    return p.y - window.top < scaleToDpi(kCaptionHeight, dpi);
}

HitCode captionHitCode(const Rect& window, Point p, int dpi) {
    if (inCaptionStrip(window, p, dpi))
        return HitCode::Caption;
    const int border = scaleToDpi(kSizingBorder, dpi);
    const bool nearRight = window.right - p.x < border;
    const bool nearBottom = window.bottom - p.y < border;
    if (nearRight && nearBottom)
        return HitCode::BottomRight;
    if (nearRight)
        return HitCode::Right;
    if (nearBottom)
        return HitCode::Bottom;
    return HitCode::Client;
}

int cursorForHitCode(int hitCode) {
    switch (static_cast<HitCode>(hitCode)) {
    case HitCode::Left:
    case HitCode::Right:
        return kCursorSizeWE;
    case HitCode::Top:
    case HitCode::Bottom:
        return kCursorSizeNS;
    case HitCode::TopLeft:
    case HitCode::BottomRight:
        return kCursorSizeNWSE;
    case HitCode::TopRight:
    case HitCode::BottomLeft:
        return kCursorSizeNESW;
    default:
        return kCursorArrow;
    }
}

int sizeCommandForHitCode(int hitCode) {
    switch (static_cast<HitCode>(hitCode)) {
    case HitCode::Left:
        return kSysCommandSizeLeft;
    case HitCode::Right:
        return kSysCommandSizeRight;
    case HitCode::Top:
        return kSysCommandSizeTop;
    case HitCode::TopLeft:
        return kSysCommandSizeTopLeft;
    case HitCode::TopRight:
        return kSysCommandSizeTopRight;
    case HitCode::Bottom:
        return kSysCommandSizeBottom;
    case HitCode::BottomLeft:
        return kSysCommandSizeBottomLeft;
    case HitCode::BottomRight:
        return kSysCommandSizeBottomRight;
    default:
        return 0;
    }
}

int nonClientDownCommand(int hitCode) {
    if (hitCode == static_cast<int>(HitCode::SysMenu))
        return kSysCommandMouseMenu;
    return sizeCommandForHitCode(hitCode);
}

PressFollowUp pressFollowUp(int hitCode, bool buttonStillDown) {
    if (hitCode == static_cast<int>(HitCode::SysMenu)) return PressFollowUp::SystemCommand;
    if (!buttonStillDown) return PressFollowUp::Nothing;
    return nonClientDownCommand(hitCode) != 0 ? PressFollowUp::SystemCommand : PressFollowUp::MoveLoop;
}

std::uint32_t packPoint(Point p) {
    const std::uint32_t low = static_cast<std::uint16_t>(p.x);
    const std::uint32_t high = static_cast<std::uint16_t>(p.y);
    return low | (high << 16);
}

bool isMoveCommand(unsigned command) {
    return (command & 0xFFF0u) == static_cast<unsigned>(kSysCommandMove);
}

bool isAboutCommand(unsigned command) {
    return (command & 0xFFF0u) == static_cast<unsigned>(kSysCommandAbout);
}

bool applySizingCorrection(Rect& proposed, int screenWidth, int dpi) {
    const Size minimum = scaleToDpi(kMinimumSize, dpi);
    if (proposed.width() < minimum.cx) {
        proposed.right = proposed.left + minimum.cx;
        return true;
    }
    if (proposed.width() > screenWidth) {
        proposed.right = proposed.left + screenWidth;
        return true;
    }
    if (proposed.height() < minimum.cy) {
        proposed.bottom = proposed.top + minimum.cy;
        return true;
    }
    return false;
}

// ---- Children and panels ----------------------------------------------------

Rect gameHostRectFromClient(const Rect& client, int dpi) {
    const int strip = scaleToDpi(kTitleStripHeight, dpi);
    return makeRect(client.left, client.top + strip, client.width(),
                    std::max(0, client.height() - strip));
}

Rect messageLabelRect(const Rect& client, int dpi) {
    const auto s = [dpi](int n) { return scaleToDpi(n, dpi); };
    return makeRect(client.right - s(470), client.top + s(25), s(100), s(20));
}

Rect webPagePanelRect(const Rect& ownerWindow, int dpi) {
    const auto s = [dpi](int n) { return scaleToDpi(n, dpi); };
    return makeRect(ownerWindow.right - s(500), ownerWindow.top + s(50), s(434), s(413));
}

Rect exitPanelRect(const Rect& ownerClient, int dpi) {
    const auto s = [dpi](int n) { return scaleToDpi(n, dpi); };
    return makeRect(ownerClient.width() / 2 - s(150), ownerClient.height() / 2 - s(60), s(290),
                    s(133));
}

Rect serverListPanelRect(const Rect& ownerWindow, Size background, int dpi) {
    const int offset = scaleToDpi(50, dpi);
    return makeRect(ownerWindow.left + offset, ownerWindow.top + offset, background.cx,
                    background.cy);
}

Rect settingsPanelRect(const Rect& ownerWindow, Size background, int dpi) {
    return makeRect(ownerWindow.right - background.cx - scaleToDpi(100, dpi),
                    ownerWindow.top + scaleToDpi(50, dpi), background.cx, background.cy);
}

bool webPanelCaption(const Rect& panelWindow, Point p, int dpi) {
    return p.y - panelWindow.top < scaleToDpi(kWebPanelCaptionHeight, dpi) &&
           p.x - panelWindow.left < scaleToDpi(kWebPanelCaptionWidth, dpi);
}

// ---- Painting positions -----------------------------------------------------

std::vector<Rect> frameStrips(int W, int H, int dpi) {
    const int s = scaleToDpi(kFrameStripWidth, dpi);
    return {
        makeRect(0, s, s, H),      // left
        makeRect(W - s, s, s, H),  // right
        makeRect(0, 0, W, s),      // top
        makeRect(0, H - s, W, s),  // bottom
    };
}

std::vector<int> bandTileXs(int clientWidth, int tileWidth) {
    return tileXs(clientWidth, tileWidth);
}

std::vector<int> headerTileXs(int W, int tileWidth) {
    return tileXs(W, tileWidth);
}

Rect splashRect(int windowW, int windowH, int w, int h, int dpi) {
    return makeRect((windowW - w) / 2, (windowH - h) / 2 + scaleToDpi(25, dpi), w, h);
}

Point iconPosition(Size client, Size icon) {
    return Point{(client.cx - icon.cx + 1) / 2, (client.cy - icon.cy + 1) / 2};
}
