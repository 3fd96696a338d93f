#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "window/button_table.h"
#include "window/caption_layout.h"

namespace {

const Size kScreen{1280, 1024};

TEST(TaskbarAllowance, Table) {
    const struct {
        const char* name;
        std::optional<Rect> taskbar;
        int expected;
    } cases[] = {
        {"bottom 30", Rect{0, 994, 1280, 1024}, 32},
        {"bottom 32", Rect{0, 992, 1280, 1024}, 32},
        {"bottom 33", Rect{0, 991, 1280, 1024}, 33},
        {"bottom 40", Rect{0, 984, 1280, 1024}, 40},
        {"bottom with 2-pixel overhang", Rect{-2, 992, 1282, 1026}, 34},
        {"auto-hidden 30 below the edge", Rect{0, 1022, 1280, 1052}, 32},
        {"no taskbar window", std::nullopt, 32},
        {"empty taskbar window", Rect{0, 0, 0, 0}, 32},
        {"empty taskbar window with width", Rect{0, 0, 1280, 0}, 32},
        {"left side", Rect{0, 0, 60, 1024}, 0},
        {"left side with overhang", Rect{-2, -2, 62, 1026}, 0},
        {"right side", Rect{1220, 0, 1280, 1024}, 0},
        {"top", Rect{0, 0, 1280, 30}, 0},
        {"floating above the bottom", Rect{0, 500, 1280, 540}, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(taskbarAllowance(c.taskbar, kScreen), c.expected) << c.name;
}

TEST(WorkArea, MaximisedAndRestoredPlacement) {
    const Size maximised = maximisedSize(kScreen, 32);
    EXPECT_EQ(maximised, (Size{1280, 992}));
    EXPECT_EQ(maximisedRect(maximised), (Rect{0, 0, 1280, 992}));
    EXPECT_EQ(restoredRect(kScreen, 992), makeRect(128, 127, 1024, 738));
    // A side taskbar: the full height.
    EXPECT_EQ(maximisedSize(kScreen, 0), (Size{1280, 1024}));
    EXPECT_EQ(maximisedSize(Size{800, 20}, 32), (Size{800, 0}));
}

TEST(WorkArea, RestoredHalvingsTruncateTowardZero) {
    // Screens smaller than the restored size: negative halves round up.
    EXPECT_EQ(restoredRect(Size{1023, 768}, 727), makeRect(0, -5, 1024, 738));
    EXPECT_EQ(restoredRect(Size{800, 600}, 568), makeRect(-112, -85, 1024, 738));
}

TEST(WorkArea, SizeToggleAlternates) {
    const Size maximised{1280, 992};
    const Rect restored = sizeToggleTarget(true, maximised);
    EXPECT_EQ(restored, makeRect(128, 127, 1024, 738));
    EXPECT_EQ(sizeToggleTarget(false, maximised), (Rect{0, 0, 1280, 992}));
}

TEST(CaptionHitCode, Table) {
    const Rect window{100, 50, 1124, 788};
    const struct {
        const char* name;
        Point p;
        HitCode expected;
    } cases[] = {
        {"54 below top", {500, 104}, HitCode::Caption},
        {"55 below top", {500, 105}, HitCode::Client},
        {"top edge", {500, 50}, HitCode::Caption},
        {"4 from right", {1120, 400}, HitCode::Right},
        {"5 from right", {1119, 400}, HitCode::Client},
        {"4 from bottom", {500, 784}, HitCode::Bottom},
        {"5 from bottom", {500, 783}, HitCode::Client},
        {"corner", {1120, 784}, HitCode::BottomRight},
        {"5 from right near bottom", {1119, 784}, HitCode::Bottom},
        {"right edge inside caption", {1123, 60}, HitCode::Caption},
        {"left edge is no border", {100, 400}, HitCode::Client},
        {"bottom-left is only bottom", {100, 787}, HitCode::Bottom},
    };
    for (const auto& c : cases)
        EXPECT_EQ(captionHitCode(window, c.p), c.expected) << c.name;

    // A window lower than the caption strip: even its bottom-right corner is caption.
    EXPECT_EQ(captionHitCode(Rect{0, 0, 300, 40}, Point{298, 38}), HitCode::Caption);
}

TEST(HitCodeCommands, CursorsAndSizeCommands) {
    const struct {
        int hit;
        int cursor;
        int sizeCommand;
        int downCommand;
    } cases[] = {
        {10, kCursorSizeWE, 0xF001, 0xF001},   // left
        {11, kCursorSizeWE, 0xF002, 0xF002},   // right
        {12, kCursorSizeNS, 0xF003, 0xF003},   // top
        {15, kCursorSizeNS, 0xF006, 0xF006},   // bottom
        {13, kCursorSizeNWSE, 0xF004, 0xF004}, // top-left
        {17, kCursorSizeNWSE, 0xF008, 0xF008}, // bottom-right
        {14, kCursorSizeNESW, 0xF005, 0xF005}, // top-right
        {16, kCursorSizeNESW, 0xF007, 0xF007}, // bottom-left
        {1, kCursorArrow, 0, 0},               // client
        {2, kCursorArrow, 0, 0},               // caption: default (drag)
        {3, kCursorArrow, 0, 0xF090},          // system menu
        {0, kCursorArrow, 0, 0},
        {18, kCursorArrow, 0, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(cursorForHitCode(c.hit), c.cursor) << c.hit;
        EXPECT_EQ(sizeCommandForHitCode(c.hit), c.sizeCommand) << c.hit;
        EXPECT_EQ(nonClientDownCommand(c.hit), c.downCommand) << c.hit;
    }
}

// A move or sizing loop started after the release has arrived never sees
// that release: the window would follow the pointer until the next click.
TEST(HitCodeCommands, LoopsStartOnlyWhileTheButtonIsDown) {
    using F = PressFollowUp;
    const struct {
        int hit;
        bool down;
        PressFollowUp expected;
    } cases[] = {
        {2, true, F::MoveLoop},       // caption drag
        {2, false, F::Nothing},       // quick click on the caption or a caption button
        {1, true, F::MoveLoop},       // any other code gets the default processing
        {1, false, F::Nothing},
        {17, true, F::SystemCommand}, // bottom-right sizing
        {17, false, F::Nothing},
        {11, false, F::Nothing},
        {3, true, F::SystemCommand},  // system menu: not a loop that waits for the release
        {3, false, F::SystemCommand},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(pressFollowUp(c.hit, c.down), c.expected) << c.hit << (c.down ? " down" : " up");
    }
}

TEST(HitCodeCommands, PackedPointAndCommandIds) {
    EXPECT_EQ(packPoint(Point{100, 200}), 0x00C80064u);
    EXPECT_EQ(packPoint(Point{-1, -2}), 0xFFFEFFFFu);
    EXPECT_TRUE(isMoveCommand(0xF010));
    EXPECT_TRUE(isMoveCommand(0xF012));  // move started from the caption
    EXPECT_FALSE(isMoveCommand(0xF020));
    EXPECT_TRUE(isAboutCommand(16));
    EXPECT_FALSE(isAboutCommand(0xF010));
}

TEST(SizingCorrection, Table) {
    const int screenWidth = 1280;
    const struct {
        const char* name;
        Rect proposed;
        Rect expected;
        bool changed;
    } cases[] = {
        {"corner below both minima: width only", {0, 0, 900, 600}, {0, 0, 1024, 600}, true},
        {"wider than the screen", {0, 0, 1400, 600}, {0, 0, 1280, 600}, true},
        {"too low", {0, 0, 1100, 600}, {0, 0, 1100, 738}, true},
        {"within limits", {0, 0, 1100, 800}, {0, 0, 1100, 800}, false},
        {"exactly the minimum", {0, 0, 1024, 738}, {0, 0, 1024, 738}, false},
        {"exactly the screen width", {0, 0, 1280, 738}, {0, 0, 1280, 738}, false},
        {"taller than the screen is allowed", {0, 0, 1100, 3000}, {0, 0, 1100, 3000}, false},
        {"offset window", {200, 100, 1000, 900}, {200, 100, 1224, 900}, true},
    };
    for (const auto& c : cases) {
        Rect r = c.proposed;
        EXPECT_EQ(applySizingCorrection(r, screenWidth), c.changed) << c.name;
        EXPECT_EQ(r, c.expected) << c.name;
    }
}

TEST(PanelPlaces, Table) {
    const Rect window{100, 50, 1124, 788};
    const Rect client{0, 0, 1278, 990};
    EXPECT_EQ(gameHostRectFromClient(Rect{0, 0, 1280, 992}), makeRect(0, 50, 1280, 942));
    EXPECT_EQ(gameHostRectFromClient(Rect{0, 0, 0, 0}), makeRect(0, 50, 0, 0));  // minimised
    EXPECT_EQ(messageLabelRect(client), makeRect(808, 25, 100, 20));
    EXPECT_EQ(webPagePanelRect(window), makeRect(624, 100, 434, 413));
    EXPECT_EQ(exitPanelRect(client), makeRect(489, 435, 290, 133));
    EXPECT_EQ(exitPanelRect(Rect{0, 0, 1023, 737}), makeRect(361, 308, 290, 133));
    EXPECT_EQ(serverListPanelRect(window, Size{299, 66}), makeRect(150, 100, 299, 66));
    EXPECT_EQ(settingsPanelRect(window, Size{351, 166}), makeRect(673, 100, 351, 166));
}

TEST(WebPanelCaption, DragStripEndsWhereCloseBoxBegins) {
    const Rect panel = webPagePanelRect(Rect{0, 0, 1280, 992});  // 780..1214
    const ButtonRow& close = buttonRow(15);
    const Rect box = buttonHitBox(15, close, Size{28, 25}, panel);
    const struct {
        int dx;
        int dy;
        bool caption;
        bool onClose;
    } cases[] = {
        {0, 0, true, false},
        {398, 10, true, false},
        {399, 10, true, false},   // leftmost image column: still the drag strip
        {400, 10, false, true},   // one to the right: the close box
        {426, 10, false, true},
        {427, 10, false, false},  // right edge of the box
        {399, 29, true, false},
        {100, 30, false, false},  // below the strip
        {410, 5, false, false},   // top edge of the box
    };
    for (const auto& c : cases) {
        const Point p{panel.left + c.dx, panel.top + c.dy};
        EXPECT_EQ(webPanelCaption(panel, p), c.caption) << c.dx << "," << c.dy;
        EXPECT_EQ(strictlyInside(box, p), c.onClose) << c.dx << "," << c.dy;
    }
}

TEST(PaintPositions, FrameStrips) {
    const std::vector<Rect> strips = frameStrips(1280, 992);
    const std::vector<Rect> expected = {
        makeRect(0, 2, 2, 992),     // left
        makeRect(1278, 2, 2, 992),  // right
        makeRect(0, 0, 1280, 2),    // top
        makeRect(0, 990, 1280, 2),  // bottom
    };
    EXPECT_EQ(strips, expected);
}

TEST(PaintPositions, TileStarts) {
    const std::vector<int> band = bandTileXs(1278, 51);
    ASSERT_EQ(band.size(), 26u);
    EXPECT_EQ(band.front(), 0);
    EXPECT_EQ(band[1], 51);
    EXPECT_EQ(band.back(), 1275);  // cut at the client edge
    EXPECT_EQ(bandTileXs(102, 51), (std::vector<int>{0, 51}));
    EXPECT_TRUE(bandTileXs(0, 51).empty());
    EXPECT_TRUE(bandTileXs(1278, 0).empty());  // no bitmap: no endless loop

    EXPECT_EQ(headerTileXs(434, 224), (std::vector<int>{0, 224}));
    EXPECT_EQ(headerTileXs(448, 224), (std::vector<int>{0, 224}));
    EXPECT_EQ(headerTileXs(449, 224), (std::vector<int>{0, 224, 448}));
    EXPECT_TRUE(headerTileXs(0, 224).empty());
    EXPECT_TRUE(headerTileXs(-5, 224).empty());
}

TEST(PaintPositions, SplashAndIcon) {
    EXPECT_EQ(splashRect(1280, 992, 800, 550), makeRect(240, 246, 800, 550));
    EXPECT_EQ(splashRect(700, 500, 800, 550), makeRect(-50, 0, 800, 550));
    EXPECT_EQ(splashRect(799, 549, 800, 550), makeRect(0, 25, 800, 550));
    EXPECT_EQ(iconPosition(Size{160, 28}, Size{32, 32}), (Point{64, -1}));
    EXPECT_EQ(iconPosition(Size{33, 33}, Size{32, 32}), (Point{1, 1}));
}

}  // namespace
