// Geometry of the launcher window and its panels: work-area sizing, the
// self-made caption strip and sizing borders, size limits, panel places and
// the positions used when painting the skin.
//
// All points and window rectangles are screen coordinates unless a function
// says client coordinates. All halvings are signed int divisions that
// truncate toward zero.
//
// The figures below are 96-dpi logical pixels. A function that uses one takes
// the window's dpi last (96 when left out) and scales each figure on its own
// with scaleToDpi, written s(n) in the comments; rectangles scale their
// position and size separately, never an edge derived from them.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "window/dpi_scale.h"
#include "window/geometry.h"

// Non-client hit codes, with the platform's numeric values. The Win32 side
// returns static_cast<int>(code) from its hit-test handler.
enum class HitCode : int {
    Client = 1,
    Caption = 2,
    SysMenu = 3,
    Left = 10,
    Right = 11,
    Top = 12,
    TopLeft = 13,
    TopRight = 14,
    Bottom = 15,
    BottomLeft = 16,
    BottomRight = 17,
};

// System cursor ids (the platform's IDC_* values).
constexpr int kCursorArrow = 32512;
constexpr int kCursorSizeNWSE = 32642;
constexpr int kCursorSizeNESW = 32643;
constexpr int kCursorSizeWE = 32644;
constexpr int kCursorSizeNS = 32645;

// System commands (the platform's SC_* values).
constexpr int kSysCommandSize = 0xF000;
constexpr int kSysCommandSizeLeft = 0xF001;
constexpr int kSysCommandSizeRight = 0xF002;
constexpr int kSysCommandSizeTop = 0xF003;
constexpr int kSysCommandSizeTopLeft = 0xF004;
constexpr int kSysCommandSizeTopRight = 0xF005;
constexpr int kSysCommandSizeBottom = 0xF006;
constexpr int kSysCommandSizeBottomLeft = 0xF007;
constexpr int kSysCommandSizeBottomRight = 0xF008;
constexpr int kSysCommandMove = 0xF010;
constexpr int kSysCommandMouseMenu = 0xF090;
// The About item the launcher adds to its system menu.
constexpr int kSysCommandAbout = 16;

// Fixed sizes of the launcher window, in 96-dpi logical pixels (scaled to the
// window's dpi where used).
constexpr Size kRestoredSize{1024, 738};
constexpr Size kMinimumSize{1024, 738};
constexpr int kCaptionHeight = 55;     // top strip reported as caption
constexpr int kSizingBorder = 5;       // right and bottom sizing bands
constexpr int kTitleStripHeight = 50;  // game host panel starts below this
constexpr int kMinimumTaskbarAllowance = 32;

// ---- Work area --------------------------------------------------------------

// Height in pixels kept free at the bottom of the screen for the taskbar.
//   taskbarRect  window rectangle of the taskbar (pixels), or none when the
//                system has no taskbar window
//   screen       the primary screen's size in pixels
// The minimum allowance is 32 logical pixels, s(32) at dpi.
// Taskbar at the bottom edge (it reaches the screen's bottom and neither
// starts at the top nor spans the full height): its height when above s(32),
// else s(32) (an auto-hidden or thin taskbar still gets the minimum).
// No taskbar window: s(32), the same allowance a thin taskbar gets, so the
// window looks the same on a system without a shell.
// Taskbar at the left, right or top edge: 0. Nothing is covered at the
// bottom, so the window uses the full screen height.
int taskbarAllowance(std::optional<Rect> taskbarRect, Size screen, int dpi = kBaseDpi);

// (screen width, screen height - allowance); the height never goes below 0.
Size maximisedSize(Size screen, int allowance);

// The full-size placement: (0, 0) with the maximised size.
Rect maximisedRect(Size maximised);

// The restored placement, centred in the work area (1024 x 738 in 96-dpi
// logical pixels, scaled to dpi):
// ((screen width - s(1024)) / 2, (workHeight - s(738)) / 2), s(1024) x s(738).
Rect restoredRect(Size screen, int workHeight, int dpi = kBaseDpi);

// Where the full-size/restored toggle (caption button 6, or a double click in
// the caption strip) moves the window, given the flag before the toggle:
// maximised -> restoredRect, restored -> maximisedRect. The caller then
// inverts its flag. maximised is (screen width, work height) in pixels; dpi
// scales the restored size.
Rect sizeToggleTarget(bool wasMaximised, Size maximised, int dpi = kBaseDpi);

// ---- Caption strip and sizing borders ---------------------------------------

// p.y - window.top < s(55): the caption strip is 55 96-dpi logical pixels, scaled to dpi.
bool inCaptionStrip(const Rect& window, Point p, int dpi = kBaseDpi);

// The launcher window's answer to a non-client hit test. The caption strip
// wins first (also over the right edge and, on a very short window, the
// bottom-right corner); then a band s(5) wide along the right and bottom
// edges: BottomRight, Right or Bottom; else Client. The left and top edges
// are never sizing borders. The strip (55) and band (5) are 96-dpi logical
// pixels, scaled to dpi.
HitCode captionHitCode(const Rect& window, Point p, int dpi = kBaseDpi);

// The system cursor for a hit code: left/right -> size WE, top/bottom ->
// size NS, top-left/bottom-right -> size NWSE, top-right/bottom-left ->
// size NESW, anything else -> arrow.
int cursorForHitCode(int hitCode);

// The SC_SIZE command (0xF001 to 0xF008) that starts sizing from the given
// border hit code; 0 when the hit code is not a sizing border.
int sizeCommandForHitCode(int hitCode);

// The system command a non-client button-down sends for its hit code: the
// sizing command for a border, SC_MOUSEMENU (0xF090) for the system-menu
// code, 0 for anything else (default processing: caption drag).
int nonClientDownCommand(int hitCode);

// What a non-client left button-down does once the caption button's action
// (if any) has run.
enum class PressFollowUp {
    SystemCommand,  // send nonClientDownCommand(hitCode): a sizing loop or the system menu
    MoveLoop,       // default processing: the system's drag-to-move loop
    Nothing,        // the button is already up again: no loop to start
};

// The follow-up for a press with this hit code. The sizing and move loops
// run until the button is released, so they start only while the left
// button is really down (buttonStillDown: the button is down and no release
// waits in the input queue). A quick click, whose release has already
// arrived, would otherwise leave the window following the pointer until the
// next click. The system-menu command does not depend on the button.
PressFollowUp pressFollowUp(int hitCode, bool buttonStillDown);

// The l-parameter of a command sent with a screen point: x in the low word,
// y in the high word, each cut to 16 bits (negative coordinates of a
// secondary monitor come back with the platform's signed unpacking).
std::uint32_t packPoint(Point p);

// Whether a system command id (low four bits ignored) is a window move, or
// the About item.
bool isMoveCommand(unsigned command);
bool isAboutCommand(unsigned command);

// Applies at most one size limit to a proposed window rectangle while the
// user drags a border, tested in this order (the minimum 1024 x 738 is in
// 96-dpi logical pixels, scaled to dpi; screenWidth is in pixels):
//   1. width < s(1024)         -> right = left + s(1024)
//   2. width > screenWidth     -> right = left + screenWidth
//   3. height < s(738)         -> bottom = top + s(738)
// There is no maximum height. When the width is corrected the height waits
// for the next sizing message. Returns whether the rectangle changed.
bool applySizingCorrection(Rect& proposed, int screenWidth, int dpi = kBaseDpi);

// ---- Children and panels ----------------------------------------------------

// The game host panel below the title strip (50 96-dpi logical pixels, scaled
// to dpi): (left, top + s(50)) with width = rect width,
// height = rect height - s(50), as a
// Rect (read left, top, width(), height() for the move call). Used with the
// client rectangle (and, at set-up, with the window rectangle at the screen
// origin). The height never goes below 0 (a minimised window has an empty
// client area).
Rect gameHostRectFromClient(const Rect& client, int dpi = kBaseDpi);

// Panel places. Figures are 96-dpi logical pixels, scaled to dpi; owner
// rectangles and background sizes are pixels.

// The new-message label (IDC_MESSAGE_LABEL):
// (client right - s(470), client top + s(25)), s(100) x s(20).
Rect messageLabelRect(const Rect& client, int dpi = kBaseDpi);

// The web page panel when shown: (window right - s(500), window top + s(50)),
// s(434) x s(413), screen coordinates.
Rect webPagePanelRect(const Rect& ownerWindow, int dpi = kBaseDpi);

// The exit panel when shown:
// (client width / 2 - s(150), client height / 2 - s(60)), s(290) x s(133).
// The values come from the owner's client rectangle and are used as screen
// coordinates (the window is normally at or near the origin).
Rect exitPanelRect(const Rect& ownerClient, int dpi = kBaseDpi);

// The server-list panel beside its owner:
// (window left + s(50), window top + s(50)), at the background bitmap's pixel size.
Rect serverListPanelRect(const Rect& ownerWindow, Size background, int dpi = kBaseDpi);

// The settings panel beside its owner:
// (window right - background width - s(100), window top + s(50)), at the
// background bitmap's pixel size.
Rect settingsPanelRect(const Rect& ownerWindow, Size background, int dpi = kBaseDpi);

// The web page panel's drag strip: p.y - top < s(30) and p.x - left < s(400)
// (panel window rectangle, screen point).
bool webPanelCaption(const Rect& panelWindow, Point p, int dpi = kBaseDpi);

// ---- Painting positions -----------------------------------------------------

// In 96-dpi logical pixels.
constexpr int kFrameStripWidth = 2;
constexpr Size kSplashSize{800, 550};

// The four frame strips for a W x H window (pixels), with strip width
// s = s(2) (96-dpi logical pixels, scaled to dpi), in the order left, right,
// top, bottom: (0, s, s x H), (W - s, s, s x H), (0, 0, W x s), (0, H - s, W x s).
// The side strips start s pixels down and keep the full height; what runs
// past the bottom is clipped.
std::vector<Rect> frameStrips(int W, int H, int dpi = kBaseDpi);

// Left edges of the title-band tiles: 0, tileWidth, 2 * tileWidth, ... while
// x < clientWidth; the last tile is cut at the client edge. Empty when the
// tile has no width (a bitmap that failed to load).
std::vector<int> bandTileXs(int clientWidth, int tileWidth);

// Left edges of the web page panel's header copies: 0, tileWidth, ... while
// x < W; empty when W <= 0 or the tile has no width.
std::vector<int> headerTileXs(int W, int tileWidth);

// The splash picture's rectangle in a windowW x windowH window, for a w x h
// picture (all pixels): ((windowW - w) / 2, (windowH - h) / 2 + s(25)), w x h,
// the 25 being 96-dpi logical pixels scaled to dpi. The left is negative
// for a window narrower than the picture (drawn clipped, not moved).
Rect splashRect(int windowW, int windowH, int w, int h, int dpi = kBaseDpi);

// Top-left corner of the icon drawn centred in a minimised window's client
// area: ((client cx - icon cx + 1) / 2, (client cy - icon cy + 1) / 2).
Point iconPosition(Size client, Size icon);
