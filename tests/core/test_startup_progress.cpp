#include <gtest/gtest.h>

#include "window/startup_progress.h"

namespace {

// The layout the labels are placed by: measured once, kept while the window
// changes, measured again only after it was forgotten.
TEST(StartupProgress, LayoutIsMeasuredOnceAndAgainOnlyAfterForgetting) {
    struct Step {
        const char* what;
        bool forgetFirst;
        bool drawnAt;  // the splash picture was drawn for `window` before the tick
        Size window;
        Size expectedLayout;
    };
    const Step steps[] = {
        {"first tick: the window's size", false, false, {1280, 992}, {1280, 992}},
        {"the window changed: the cached size stays", false, false, {1024, 738}, {1280, 992}},
        {"forgotten: measured again", true, false, {1024, 738}, {1024, 738}},
        {"the picture drawn: its window's size wins", false, true, {1600, 900}, {1600, 900}},
    };
    StartupProgress progress;
    for (const Step& s : steps) {
        if (s.forgetFirst) progress.forgetLayout();
        if (s.drawnAt) progress.measured(s.window);
        const ProgressTick tick = progress.tick(s.window);
        EXPECT_EQ(progress.layout().cx, s.expectedLayout.cx) << s.what;
        EXPECT_EQ(progress.layout().cy, s.expectedLayout.cy) << s.what;
        EXPECT_EQ(tick.textRect, progressTextRect(s.expectedLayout)) << s.what;
    }
    EXPECT_EQ(progress.percentage(), 4);
}

// Once the client is ready the percentage never moves again and a tick asks
// only for the timer to stop.
TEST(StartupProgress, ReadyFreezesThePercentage) {
    StartupProgress progress;
    progress.tick(Size{1280, 992});
    progress.tick(Size{1280, 992});
    progress.markReady();
    for (int i = 0; i < 3; ++i) {
        const ProgressTick tick = progress.tick(Size{1280, 992});
        EXPECT_TRUE(tick.stop);
        EXPECT_FALSE(tick.showLabels);
    }
    EXPECT_TRUE(progress.ready());
    EXPECT_EQ(progress.percentage(), 2);
}

} // namespace
