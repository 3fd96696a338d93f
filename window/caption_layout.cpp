#include "window/caption_layout.h"

#include <algorithm>

namespace {

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

int taskbarAllowance(std::optional<Rect> taskbarRect, Size screen) {
    if (!taskbarRect)
        return kMinimumTaskbarAllowance;
    const Rect& bar = *taskbarRect;
    // An empty taskbar window (a shell without a visible bar) takes the usual
    // allowance; a side taskbar spans the full height (or more, with its
    // overhang) and a top or floating one ends above the bottom edge: neither
    // takes room at the bottom, so the window keeps the full height.
    if (bar.height() <= 0)
        return kMinimumTaskbarAllowance;
    const bool atBottom = bar.bottom >= screen.cy && bar.height() < screen.cy;
    if (!atBottom)
        return 0;
    return std::max(bar.height(), kMinimumTaskbarAllowance);
}

Size maximisedSize(Size screen, int allowance) {
    return Size{screen.cx, std::max(0, screen.cy - allowance)};
}

Rect maximisedRect(Size maximised) {
    return makeRect(0, 0, maximised.cx, maximised.cy);
}

Rect restoredRect(Size screen, int workHeight) {
    return makeRect((screen.cx - kRestoredSize.cx) / 2, (workHeight - kRestoredSize.cy) / 2,
                    kRestoredSize.cx, kRestoredSize.cy);
}

Rect sizeToggleTarget(bool wasMaximised, Size maximised) {
    if (wasMaximised)
        return restoredRect(maximised, maximised.cy);
    return maximisedRect(maximised);
}

// ---- Caption strip and sizing borders ---------------------------------------

bool inCaptionStrip(const Rect& window, Point p) {
    return p.y - window.top < kCaptionHeight;
}

HitCode captionHitCode(const Rect& window, Point p) {
    if (inCaptionStrip(window, p))
        return HitCode::Caption;
    const bool nearRight = window.right - p.x < kSizingBorder;
    const bool nearBottom = window.bottom - p.y < kSizingBorder;
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

bool applySizingCorrection(Rect& proposed, int screenWidth) {
    if (proposed.width() < kMinimumSize.cx) {
        proposed.right = proposed.left + kMinimumSize.cx;
        return true;
    }
    if (proposed.width() > screenWidth) {
        proposed.right = proposed.left + screenWidth;
        return true;
    }
    if (proposed.height() < kMinimumSize.cy) {
        proposed.bottom = proposed.top + kMinimumSize.cy;
        return true;
    }
    return false;
}

// ---- Children and panels ----------------------------------------------------

Rect gameHostRectFromClient(const Rect& client) {
    return makeRect(client.left, client.top + kTitleStripHeight, client.width(),
                    std::max(0, client.height() - kTitleStripHeight));
}

Rect messageLabelRect(const Rect& client) {
    return makeRect(client.right - 470, client.top + 25, 100, 20);
}

Rect webPagePanelRect(const Rect& ownerWindow) {
    return makeRect(ownerWindow.right - 500, ownerWindow.top + 50, 434, 413);
}

Rect exitPanelRect(const Rect& ownerClient) {
    return makeRect(ownerClient.width() / 2 - 150, ownerClient.height() / 2 - 60, 290, 133);
}

Rect serverListPanelRect(const Rect& ownerWindow, Size background) {
    return makeRect(ownerWindow.left + 50, ownerWindow.top + 50, background.cx, background.cy);
}

Rect settingsPanelRect(const Rect& ownerWindow, Size background) {
    return makeRect(ownerWindow.right - background.cx - 100, ownerWindow.top + 50,
                    background.cx, background.cy);
}

bool webPanelCaption(const Rect& panelWindow, Point p) {
    return p.y - panelWindow.top < kWebPanelCaptionHeight &&
           p.x - panelWindow.left < kWebPanelCaptionWidth;
}

// ---- Painting positions -----------------------------------------------------

std::vector<Rect> frameStrips(int W, int H) {
    const int s = kFrameStripWidth;
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

Rect splashRect(int windowW, int windowH, int w, int h) {
    return makeRect((windowW - w) / 2, (windowH - h) / 2 + 25, w, h);
}

Point iconPosition(Size client, Size icon) {
    return Point{(client.cx - icon.cx + 1) / 2, (client.cy - icon.cy + 1) / 2};
}
