#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <vector>

#include "window/button_table.h"
#include "window/caption_layout.h"
#include "window/dpi_scale.h"
#include "window/launcher_timers.h"
#include "window/startup_progress.h"

namespace {

constexpr int kDpis[] = {96, 120, 144, 192};

TEST(ScaleToDpi, RoundsHalfAwayFromZero) {
    const struct {
        int logical, dpi, expected;
    } cases[] = {
        {55, 96, 55},      {55, 120, 69},     {55, 144, 83},     {55, 192, 110},
        {5, 120, 6},       {5, 144, 8},       {5, 192, 10},      {0, 192, 0},
        {1, 120, 1},       {1, 144, 2},       {2, 120, 3},       {3, 120, 4},
        {366, 120, 458},   {118, 120, 148},   {738, 120, 923},   {29, 144, 44},
        {-1, 144, -2},     {-2, 120, -3},     {-3, 120, -4},     {-366, 120, -458},
        {-5, 144, -8},     {55, 72, 41},      {2, 72, 2},        {-2, 72, -2},
        // A dpi of 0 or less counts as 96.
        {55, 0, 55},       {-7, 0, -7},       {55, -120, 55},
        // Products beyond 32 bits, and results beyond the int range saturate.
        {20000000, 144, 30000000},            {1000000000, 192, 2000000000},
        {-1000000000, 192, -2000000000},      {INT_MAX, 96, INT_MAX},
        {INT_MAX, 192, INT_MAX},              {INT_MIN, 192, INT_MIN},
        {INT_MAX, INT_MAX, INT_MAX},          {INT_MIN, INT_MAX, INT_MIN},
    };
    for (const auto& c : cases)
        EXPECT_EQ(scaleToDpi(c.logical, c.dpi), c.expected) << c.logical << " at " << c.dpi;
}

TEST(ScaleToDpi, PointAndSizeScaleEachPart) {
    EXPECT_EQ(scaleToDpi(Point{-3, 118}, 120), (Point{-4, 148}));
    EXPECT_EQ(scaleToDpi(Size{29, 25}, 144), (Size{44, 38}));
    EXPECT_EQ(scaleToDpi(Size{1024, 738}, 0), (Size{1024, 738}));
}

TEST(LogicalFromDpi, RoundsTheSameWay) {
    const struct {
        int pixels, dpi, expected;
    } cases[] = {
        {69, 120, 55},  {83, 144, 55},   {110, 192, 55},  {1, 192, 1},   {3, 192, 2},
        {-1, 192, -1},  {-3, 192, -2},   {3, 144, 2},     {7, 72, 9},    {1, 97, 1},
        {5, 0, 5},      {5, -96, 5},     {2000000000, 192, 1000000000},
        {2000000000, 48, INT_MAX},       {-2000000000, 48, INT_MIN},
    };
    for (const auto& c : cases)
        EXPECT_EQ(logicalFromDpi(c.pixels, c.dpi), c.expected) << c.pixels << " at " << c.dpi;
}

TEST(LogicalFromDpi, UndoesScalingOfEveryFigure) {
    const int figures[] = {1024, 738, 55,  5,   50,  32, 470, 25,  100, 20, 500, 434, 413, 150,
                           60,   290, 133, 30,  400, 2,  550, 480, 200, 24, 366, 283, 209, 118,
                           89,   61,  33,  135, 19,  1,  64,  80,  92,  28, 29,  16,  17,  -366};
    for (int dpi : kDpis)
        for (int n : figures)
            EXPECT_EQ(logicalFromDpi(scaleToDpi(n, dpi), dpi), n) << n << " at " << dpi;
}

TEST(ArtworkSet, ScaleForDpi) {
    const struct {
        int dpi, expected;
    } cases[] = {{-5, 100}, {0, 100},   {72, 100},  {96, 100},  {97, 150},
                 {120, 150}, {144, 150}, {145, 200}, {192, 200}, {288, 200}};
    for (const auto& c : cases)
        EXPECT_EQ(artScaleForDpi(c.dpi), c.expected) << c.dpi;
}

TEST(ArtworkSet, ResourceIds) {
    const struct {
        int baseId, artScale, expected;
    } cases[] = {{134, 100, 134},  {134, 150, 1134}, {134, 200, 2134},
                 {161, 150, 1161}, {161, 200, 2161}, {161, 125, 161}};
    for (const auto& c : cases)
        EXPECT_EQ(artResourceId(c.baseId, c.artScale), c.expected) << c.baseId << " " << c.artScale;
}

TEST(ArtworkSet, BitmapSizes) {
    const struct {
        int n, at150;
    } cases[] = {{29, 44}, {25, 38},   {17, 26}, {23, 35},   {19, 29},
                 {51, 77}, {299, 449}, {66, 99}, {351, 527}, {166, 249}};
    for (const auto& c : cases) {
        EXPECT_EQ(artSize(Size{c.n, c.n}, 100), (Size{c.n, c.n})) << c.n;
        EXPECT_EQ(artSize(Size{c.n, 1}, 150), (Size{c.at150, 2})) << c.n;
        EXPECT_EQ(artSize(Size{1, c.n}, 200), (Size{2, 2 * c.n})) << c.n;
    }
}

// The real 1x sizes of the caption buttons' normal bitmaps (rows 0 to 8).
const Size kCaptionBitmaps[] = {
    {64, 29}, {64, 29}, {80, 29}, {92, 29}, {28, 25}, {28, 25}, {28, 25}, {28, 25}, {16, 17},
};

TEST(ButtonDrawnSize, FilledExactlyByTheMatchingArtworkSet) {
    // At 144 and 192 dpi the loaded bitmaps are exactly the drawn size.
    for (const Size& bitmap : kCaptionBitmaps)
        for (int dpi : {96, 144, 192})
            EXPECT_EQ(buttonDrawnSize(bitmap, dpi), artSize(bitmap, artScaleForDpi(dpi)))
                << bitmap << " at " << dpi;
    EXPECT_EQ(buttonDrawnSize(Size{64, 29}, 120), (Size{80, 36}));
}

TEST(ButtonPlaces, ScaledRowsAtEachDpi) {
    const Rect client{0, 0, 1920, 1080};
    const struct {
        int index, dpi;
        Rect draw;
        Size hit;
    } cases[] = {
        {0, 96, makeRect(1920 - 366, 19, 64, 29), {64, 29}},
        {0, 120, makeRect(1920 - 458, 24, 80, 36), {80, 36}},
        {0, 144, makeRect(1920 - 549, 29, 96, 44), {96, 44}},
        {0, 192, makeRect(1920 - 732, 38, 128, 58), {128, 58}},
        {3, 96, makeRect(1920 - 500, 19, 24, 24), {100, 20}},
        {3, 120, makeRect(1920 - 625, 24, 30, 30), {125, 25}},
        {3, 144, makeRect(1920 - 750, 29, 36, 36), {150, 30}},
        {4, 120, makeRect(1920 - 148, 1, 35, 31), {35, 31}},
        {4, 144, makeRect(1920 - 177, 2, 42, 38), {42, 38}},
        {8, 120, makeRect(169, 31, 20, 21), {20, 21}},
        {8, 144, makeRect(203, 38, 24, 26), {24, 26}},
    };
    for (const auto& c : cases) {
        const ButtonRow& row = buttonRow(c.index);
        const Size image = buttonImageSize(c.index, buttonDrawnSize(kCaptionBitmaps[c.index], c.dpi), c.dpi);
        EXPECT_EQ(buttonDrawRect(row, image, client, c.dpi), c.draw) << c.index << " at " << c.dpi;
        const Rect hit = buttonHitBox(c.index, row, image, client, c.dpi);
        EXPECT_EQ(hit, makeRect(c.draw.left, c.draw.top, c.hit.cx, c.hit.cy))
            << c.index << " at " << c.dpi;
    }
}

TEST(ButtonPlaces, HitBoxCoversTheDrawnImage) {
    // A borderless window: its client rectangle sits at the window's origin.
    for (int dpi : kDpis) {
        for (const Rect& window : {makeRect(300, 200, 1920, 1080), makeRect(-1280, 7, 1283, 741)}) {
            const Rect client = makeRect(0, 0, window.width(), window.height());
            for (int i = 0; i <= kButtonLogoMark; ++i) {
                const ButtonRow& row = buttonRow(i);
                const Size image = buttonImageSize(i, buttonDrawnSize(kCaptionBitmaps[i], dpi), dpi);
                const Rect draw = buttonDrawRect(row, image, client, dpi);
                Rect hit = buttonHitBox(i, row, image, window, dpi);
                hit = Rect{hit.left - window.left, hit.top - window.top, hit.right - window.left,
                           hit.bottom - window.top};
                if (i == kButtonWebPage) {
                    EXPECT_EQ(hit, makeRect(draw.left, draw.top, scaleToDpi(100, dpi), scaleToDpi(20, dpi)))
                        << dpi;
                } else {
                    EXPECT_EQ(hit, draw) << i << " at " << dpi;
                }
                const Point centre{window.left + draw.left + draw.width() / 2,
                                   window.top + draw.top + draw.height() / 2};
                EXPECT_TRUE(strictlyInside(buttonHitBox(i, row, image, window, dpi), centre))
                    << i << " at " << dpi;
            }
        }
    }
}

// The window's scaled figures at each dpi.
const struct DpiFigures {
    int dpi;
    Size restored;   // also the sizing minimum
    int caption;     // caption strip height
    int border;      // sizing band width
    int titleStrip;  // game host panel offset
    int allowance;   // minimum taskbar allowance
} kFigures[] = {
    {96, {1024, 738}, 55, 5, 50, 32},
    {120, {1280, 923}, 69, 6, 63, 40},
    {144, {1536, 1107}, 83, 8, 75, 48},
    {192, {2048, 1476}, 110, 10, 100, 64},
};

TEST(ScaledCaptionLayout, RestoredPlacementAndToggle) {
    for (const auto& f : kFigures) {
        for (const Size screen : {Size{2560, 1440}, Size{3841, 2161}}) {
            const int work = screen.cy - 41;
            const Rect r = restoredRect(screen, work, f.dpi);
            EXPECT_EQ(r.width(), f.restored.cx) << f.dpi;
            EXPECT_EQ(r.height(), f.restored.cy) << f.dpi;
            // Centred: the two margins differ by at most the odd pixel, on the right.
            EXPECT_EQ(r.left, (screen.cx - r.right) - (screen.cx - f.restored.cx) % 2) << f.dpi;
            EXPECT_EQ(r.top, (work - r.bottom) - (work - f.restored.cy) % 2) << f.dpi;
            EXPECT_EQ(sizeToggleTarget(true, Size{screen.cx, work}, f.dpi), r) << f.dpi;
        }
    }
}

TEST(ScaledCaptionLayout, TaskbarAllowanceMinimum) {
    const Size screen{1920, 1080};
    for (const auto& f : kFigures) {
        EXPECT_EQ(taskbarAllowance(std::nullopt, screen, f.dpi), f.allowance) << f.dpi;
        EXPECT_EQ(taskbarAllowance(Rect{0, 1050, 1920, 1080}, screen, f.dpi), f.allowance) << f.dpi;
        EXPECT_EQ(taskbarAllowance(Rect{0, 1020, 1920, 1080}, screen, f.dpi), f.dpi == 192 ? 64 : 60)
            << f.dpi;
        EXPECT_EQ(taskbarAllowance(Rect{0, 0, 60, 1080}, screen, f.dpi), 0) << f.dpi;
    }
}

TEST(ScaledCaptionLayout, HitCodesAtTheScaledBoundaries) {
    const Rect w{100, 50, 2700, 1650};
    for (const auto& f : kFigures) {
        const int midX = 1000;
        const int midY = 800;
        const struct {
            Point p;
            HitCode expected;
        } cases[] = {
            {{midX, w.top + f.caption - 1}, HitCode::Caption},
            {{midX, w.top + f.caption}, HitCode::Client},
            {{w.right - 1, w.top + f.caption - 1}, HitCode::Caption},
            {{w.right - f.border, midY}, HitCode::Client},
            {{w.right - f.border + 1, midY}, HitCode::Right},
            {{midX, w.bottom - f.border}, HitCode::Client},
            {{midX, w.bottom - f.border + 1}, HitCode::Bottom},
            {{w.right - f.border + 1, w.bottom - f.border + 1}, HitCode::BottomRight},
            {{w.right - f.border, w.bottom - f.border + 1}, HitCode::Bottom},
        };
        for (const auto& c : cases) {
            EXPECT_EQ(captionHitCode(w, c.p, f.dpi), c.expected) << c.p << " at " << f.dpi;
            EXPECT_EQ(inCaptionStrip(w, c.p, f.dpi), c.expected == HitCode::Caption)
                << c.p << " at " << f.dpi;
        }
    }
}

TEST(ScaledCaptionLayout, SizingMinimums) {
    for (const auto& f : kFigures) {
        const Size m = f.restored;
        const struct {
            Rect proposed;
            bool changed;
            Rect expected;
        } cases[] = {
            {makeRect(10, 20, m.cx - 1, m.cy + 5), true, makeRect(10, 20, m.cx, m.cy + 5)},
            {makeRect(10, 20, m.cx, m.cy - 1), true, makeRect(10, 20, m.cx, m.cy)},
            {makeRect(10, 20, m.cx, m.cy), false, makeRect(10, 20, m.cx, m.cy)},
            {makeRect(10, 20, 5000, m.cy), true, makeRect(10, 20, 4000, m.cy)},
        };
        for (const auto& c : cases) {
            Rect r = c.proposed;
            EXPECT_EQ(applySizingCorrection(r, 4000, f.dpi), c.changed) << c.proposed << " at " << f.dpi;
            EXPECT_EQ(r, c.expected) << c.proposed << " at " << f.dpi;
        }
    }
}

TEST(ScaledCaptionLayout, PanelPlaces) {
    const Rect client{0, 0, 1920, 1080};
    const Rect owner{10, 20, 1930, 1100};
    const Size background{300, 400};
    const struct {
        int dpi;
        Rect host, message, webPage, exit, serverList, settings;
    } cases[] = {
        {96, makeRect(0, 50, 1920, 1030), makeRect(1450, 25, 100, 20), makeRect(1430, 70, 434, 413),
         makeRect(810, 480, 290, 133), makeRect(60, 70, 300, 400), makeRect(1530, 70, 300, 400)},
        {120, makeRect(0, 63, 1920, 1017), makeRect(1332, 31, 125, 25), makeRect(1305, 83, 543, 516),
         makeRect(772, 465, 363, 166), makeRect(73, 83, 300, 400), makeRect(1505, 83, 300, 400)},
        {144, makeRect(0, 75, 1920, 1005), makeRect(1215, 38, 150, 30), makeRect(1180, 95, 651, 620),
         makeRect(735, 450, 435, 200), makeRect(85, 95, 300, 400), makeRect(1480, 95, 300, 400)},
        {192, makeRect(0, 100, 1920, 980), makeRect(980, 50, 200, 40), makeRect(930, 120, 868, 826),
         makeRect(660, 420, 580, 266), makeRect(110, 120, 300, 400), makeRect(1430, 120, 300, 400)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(gameHostRectFromClient(client, c.dpi), c.host) << c.dpi;
        EXPECT_EQ(messageLabelRect(client, c.dpi), c.message) << c.dpi;
        EXPECT_EQ(webPagePanelRect(owner, c.dpi), c.webPage) << c.dpi;
        EXPECT_EQ(exitPanelRect(client, c.dpi), c.exit) << c.dpi;
        EXPECT_EQ(serverListPanelRect(owner, background, c.dpi), c.serverList) << c.dpi;
        EXPECT_EQ(settingsPanelRect(owner, background, c.dpi), c.settings) << c.dpi;
    }
}

TEST(ScaledCaptionLayout, WebPanelDragStrip) {
    const Rect panel{100, 100, 1500, 1000};
    const struct {
        int dpi, height, width;
    } cases[] = {{96, 30, 400}, {120, 38, 500}, {144, 45, 600}, {192, 60, 800}};
    for (const auto& c : cases) {
        EXPECT_TRUE(webPanelCaption(panel, Point{100 + c.width - 1, 100 + c.height - 1}, c.dpi)) << c.dpi;
        EXPECT_FALSE(webPanelCaption(panel, Point{100 + c.width, 110}, c.dpi)) << c.dpi;
        EXPECT_FALSE(webPanelCaption(panel, Point{110, 100 + c.height}, c.dpi)) << c.dpi;
    }
}

TEST(ScaledCaptionLayout, FrameStripsAndSplash) {
    const struct {
        int dpi, strip, splashDrop;
    } cases[] = {{96, 2, 25}, {120, 3, 31}, {144, 3, 38}, {192, 4, 50}};
    for (const auto& c : cases) {
        const int s = c.strip;
        const std::vector<Rect> expected = {makeRect(0, s, s, 1080), makeRect(1920 - s, s, s, 1080),
                                            makeRect(0, 0, 1920, s), makeRect(0, 1080 - s, 1920, s)};
        EXPECT_EQ(frameStrips(1920, 1080, c.dpi), expected) << c.dpi;
        EXPECT_EQ(splashRect(1920, 1080, 1200, 825, c.dpi), makeRect(360, 127 + c.splashDrop, 1200, 825))
            << c.dpi;
    }
}

TEST(ScaledProgressLabels, PlacesAtEachDpi) {
    const Size layout{1024, 738};
    const struct {
        int dpi;
        Rect text, percent;
    } cases[] = {
        {96, makeRect(412, 574, 200, 20), makeRect(612, 574, 50, 20)},
        {120, makeRect(387, 625, 250, 25), makeRect(637, 625, 63, 25)},
        {144, makeRect(362, 677, 300, 30), makeRect(662, 677, 75, 30)},
        {192, makeRect(312, 779, 400, 40), makeRect(712, 779, 100, 40)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(progressTextRect(layout, c.dpi), c.text) << c.dpi;
        EXPECT_EQ(progressPercentRect(layout, c.dpi), c.percent) << c.dpi;

        ProgressState state;
        const ProgressTick tick = progressTick(state, false, layout, c.dpi);
        EXPECT_EQ(tick.textRect, c.text) << c.dpi;
        EXPECT_EQ(tick.percentRect, c.percent) << c.dpi;

        StartupProgress progress;
        const ProgressTick first = progress.tick(layout, c.dpi);
        EXPECT_EQ(first.textRect, c.text) << c.dpi;
        EXPECT_EQ(first.percentRect, c.percent) << c.dpi;
    }
}

}  // namespace
