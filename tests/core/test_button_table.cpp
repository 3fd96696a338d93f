#include <gtest/gtest.h>

#include <vector>

#include "window/button_table.h"

namespace {

TEST(ButtonTableRows, AnchorsAndSharedImages) {
    // The launcher's caption buttons 0 to 7 follow the right edge; the logo
    // mark 8 and the server-list toggle 12 stay at the left.
    for (int i = 0; i <= 7; ++i)
        EXPECT_TRUE(buttonRow(i).rightAnchored) << i;
    EXPECT_FALSE(buttonRow(8).rightAnchored);
    EXPECT_FALSE(buttonRow(12).rightAnchored);

    // Button 8 shows one image in every state.
    EXPECT_EQ(buttonRow(8).normal, 161);
    EXPECT_EQ(buttonRow(8).hover, 161);
    EXPECT_EQ(buttonRow(8).pressed, 161);

    // The panels' close buttons reuse the launcher's exit images.
    for (int i : {13, 15}) {
        EXPECT_EQ(buttonRow(i).normal, buttonRow(7).normal) << i;
        EXPECT_EQ(buttonRow(i).pressed, buttonRow(7).pressed) << i;
        EXPECT_EQ(buttonRow(i).x, 35) << i;
        EXPECT_TRUE(buttonRow(i).rightAnchored) << i;
    }
}

TEST(ButtonTableRows, OutOfRangeIndexGivesEmptyRow) {
    for (int i : {-1, 18, 1000}) {
        const ButtonRow& row = buttonRow(i);
        EXPECT_EQ(row.normal, 0) << i;
        EXPECT_EQ(row.x, 0) << i;
        EXPECT_FALSE(row.rightAnchored) << i;
    }
}

TEST(ButtonImageSize, WebPageButtonIsFixedAt24) {
    EXPECT_EQ(buttonImageSize(3, Size{92, 29}), (Size{24, 24}));
    EXPECT_EQ(buttonImageSize(2, Size{80, 29}), (Size{80, 29}));
    EXPECT_EQ(buttonImageSize(8, Size{16, 17}), (Size{16, 17}));
}

struct DrawCase {
    int index;
    Size image;
    int clientRight;
    Rect expected;
};

TEST(ButtonDrawRect, RightAnchoredFollowClientEdge) {
    const DrawCase cases[] = {
        {0, {64, 29}, 1280, makeRect(914, 19, 64, 29)},
        {0, {64, 29}, 1024, makeRect(658, 19, 64, 29)},
        {7, {28, 25}, 1280, makeRect(1247, 1, 28, 25)},
        {3, {24, 24}, 1280, makeRect(780, 19, 24, 24)},
        // left-anchored: the same place whatever the width
        {8, {16, 17}, 1280, makeRect(135, 25, 16, 17)},
        {8, {16, 17}, 1024, makeRect(135, 25, 16, 17)},
        // panel buttons: web page close on a 434-wide panel, exit confirm
        {15, {28, 25}, 434, makeRect(399, 5, 28, 25)},
        {16, {60, 23}, 290, makeRect(70, 90, 60, 23)},
    };
    for (const DrawCase& c : cases) {
        const Rect client{0, 0, c.clientRight, 700};
        EXPECT_EQ(buttonDrawRect(buttonRow(c.index), c.image, client), c.expected)
            << "index " << c.index << " client right " << c.clientRight;
    }
}

struct HitBoxCase {
    int index;
    Size image;
    Rect window;
    Rect expected;
};

TEST(ButtonHitBox, MeasuredFromWindowRectangle) {
    const Rect moved{100, 50, 1124, 788};
    const HitBoxCase cases[] = {
        {7, {28, 25}, moved, makeRect(1091, 51, 28, 25)},
        {0, {64, 29}, moved, makeRect(758, 69, 64, 29)},
        // button 3: 100 x 20 box from the image's corner, not 24 x 24
        {3, {24, 24}, moved, makeRect(624, 69, 100, 20)},
        // left-anchored buttons add the window's left edge
        {8, {16, 17}, moved, makeRect(235, 75, 16, 17)},
        {15, {28, 25}, Rect{0, 0, 434, 413}, makeRect(399, 5, 28, 25)},
    };
    for (const HitBoxCase& c : cases)
        EXPECT_EQ(buttonHitBox(c.index, buttonRow(c.index), c.image, c.window), c.expected)
            << "index " << c.index;
}

TEST(StrictlyInside, EdgesAreOutside) {
    const Rect box{10, 20, 40, 45};
    const struct {
        Point p;
        bool inside;
    } cases[] = {
        {{10, 30}, false}, {{11, 30}, true},  {{39, 30}, true},  {{40, 30}, false},
        {{25, 20}, false}, {{25, 21}, true},  {{25, 44}, true},  {{25, 45}, false},
        {{10, 20}, false}, {{40, 45}, false}, {{-5, 30}, false}, {{25, 99}, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(strictlyInside(box, c.p), c.inside) << c.p;
}

TEST(ButtonHitBox, WebPageButtonAnswersBeyondItsImage) {
    const Rect window{0, 0, 1280, 992};
    const ButtonRow& row = buttonRow(3);
    const Rect image = makeRect(window.right - row.x, row.y, 24, 24);
    const Rect box = buttonHitBox(3, row, Size{24, 24}, window);
    const Point onLabel{image.left + 60, image.top + 10};   // right of the image
    const Point belowBox{image.left + 10, image.top + 21};  // in the image, below the box
    EXPECT_FALSE(strictlyInside(image, onLabel));
    EXPECT_TRUE(strictlyInside(box, onLabel));
    EXPECT_TRUE(strictlyInside(image, belowBox));
    EXPECT_FALSE(strictlyInside(box, belowBox));
}

class RecordingPainter : public ButtonPainter {
public:
    void paintState(int state) override { painted.push_back(state); }
    std::vector<int> painted;
};

using Paints = std::vector<int>;

TEST(ButtonStateDraw, PaintsOnlyOnChangeUnlessForced) {
    RecordingPainter painter;
    ButtonState button;
    EXPECT_TRUE(button.draw(false, painter));  // first draw always paints
    EXPECT_FALSE(button.draw(false, painter));
    EXPECT_TRUE(button.draw(true, painter));
    button.state = kButtonHover;
    EXPECT_TRUE(button.draw(false, painter));
    EXPECT_FALSE(button.draw(false, painter));
    EXPECT_EQ(painter.painted, (Paints{0, 0, 1}));
}

TEST(ButtonStateDraw, InvisibleNeverPaintsAndKeepsLastDrawn) {
    RecordingPainter painter;
    ButtonState button;
    button.visible = false;
    EXPECT_FALSE(button.draw(true, painter));
    EXPECT_FALSE(button.draw(false, painter));
    EXPECT_EQ(button.lastDrawn, -1);
    // Once shown, an unforced draw paints because nothing was drawn yet.
    button.visible = true;
    EXPECT_TRUE(button.draw(false, painter));
    EXPECT_EQ(painter.painted, (Paints{0}));
}

TEST(ButtonStateTransitions, HoverTracking) {
    RecordingPainter painter;
    ButtonState button;
    button.draw(true, painter);  // owner's background paint
    EXPECT_TRUE(button.hitTest(true, painter));
    EXPECT_TRUE(button.hitTest(true, painter));  // still inside: no repaint
    EXPECT_FALSE(button.hitTest(false, painter));
    EXPECT_FALSE(button.hitTest(false, painter));
    EXPECT_EQ(painter.painted, (Paints{0, 1, 0}));
    EXPECT_EQ(button.state, kButtonNormal);
}

TEST(ButtonStateTransitions, PressWithoutRedrawShowsPressedOnlyOnForcedDraw) {
    RecordingPainter painter;
    ButtonState button;
    button.draw(true, painter);
    EXPECT_TRUE(button.press(true, false, painter));
    EXPECT_EQ(button.state, kButtonPressed);
    EXPECT_EQ(painter.painted, (Paints{0, 1}));  // the hover look from the hit test
    button.draw(true, painter);
    EXPECT_EQ(painter.painted, (Paints{0, 1, 2}));
}

TEST(ButtonStateTransitions, PressWithRedrawPaintsHoverThenPressed) {
    RecordingPainter painter;
    ButtonState button;
    button.draw(true, painter);
    EXPECT_TRUE(button.press(true, true, painter));
    EXPECT_EQ(painter.painted, (Paints{0, 1, 2}));
}

TEST(ButtonStateTransitions, ReleaseAndHitAfterPress) {
    RecordingPainter painter;
    ButtonState button;
    button.press(true, false, painter);
    EXPECT_TRUE(button.release(true, painter));
    EXPECT_EQ(button.state, kButtonHover);

    button.press(true, false, painter);
    EXPECT_FALSE(button.release(false, painter));  // released elsewhere
    EXPECT_EQ(button.state, kButtonNormal);

    button.press(true, false, painter);
    EXPECT_TRUE(button.hitTest(true, painter));  // a pressed button hovered again
    EXPECT_EQ(button.state, kButtonHover);
}

TEST(ButtonStateTransitions, MissedPressLeavesNormal) {
    RecordingPainter painter;
    ButtonState button;
    button.state = kButtonHover;
    EXPECT_FALSE(button.press(false, true, painter));
    EXPECT_EQ(button.state, kButtonNormal);
}

TEST(ButtonStateTransitions, HiddenButtonIgnoresEverything) {
    RecordingPainter painter;
    ButtonState button;
    button.visible = false;
    EXPECT_FALSE(button.hitTest(true, painter));
    EXPECT_EQ(button.state, kButtonNormal);
    EXPECT_FALSE(button.press(true, true, painter));
    EXPECT_FALSE(button.release(true, painter));
    EXPECT_EQ(button.state, kButtonNormal);
    EXPECT_TRUE(painter.painted.empty());
}

}  // namespace
