#include <gtest/gtest.h>

#include <cstdint>

#include "window/boss_key.h"
#include "window/launcher_timers.h"

namespace {

const Size kLayout{1280, 992};

TEST(ProgressTimer, CountsOneToNinetyNineNeverHundred) {
    ProgressState state;
    for (int expected = 1; expected <= 99; ++expected) {
        const ProgressTick tick = progressTick(state, false, kLayout);
        ASSERT_FALSE(tick.stop) << expected;
        ASSERT_TRUE(tick.showLabels) << expected;
        ASSERT_EQ(tick.percentage, expected);
    }
    // The hundredth tick stops the timer but still shows 99.
    const ProgressTick last = progressTick(state, false, kLayout);
    EXPECT_TRUE(last.stop);
    EXPECT_TRUE(last.showLabels);
    EXPECT_EQ(last.percentage, 99);
    EXPECT_EQ(state.percentage, 99);
    EXPECT_FALSE(state.running);
    EXPECT_EQ(percentText(last.percentage), "99%");
}

TEST(ProgressTimer, ReadyStopsWithoutAnythingElse) {
    ProgressState state;
    progressTick(state, false, kLayout);
    const ProgressTick tick = progressTick(state, true, kLayout);
    EXPECT_TRUE(tick.stop);
    EXPECT_FALSE(tick.showLabels);
    EXPECT_EQ(state.percentage, 1);  // not counted up
    EXPECT_FALSE(state.running);

    // Ready before the first tick: the percentage never shows.
    ProgressState early;
    EXPECT_FALSE(progressTick(early, true, kLayout).showLabels);
    EXPECT_EQ(early.percentage, 0);
}

TEST(ProgressTimer, LabelPlaces) {
    const struct {
        Size layout;
        Rect text;
        Rect percent;
    } cases[] = {
        {{1280, 992}, makeRect(540, 701, 200, 20), makeRect(740, 701, 50, 20)},
        {{1024, 738}, makeRect(412, 574, 200, 20), makeRect(612, 574, 50, 20)},
        // lower than the splash: negative halves move the labels up
        {{300, 300}, makeRect(50, 355, 200, 20), makeRect(250, 355, 50, 20)},
        {{301, 301}, makeRect(50, 356, 200, 20), makeRect(250, 356, 50, 20)},
        // narrower than 200: the text label starts left of the window
        {{101, 0}, makeRect(-50, 205, 200, 20), makeRect(150, 205, 50, 20)},
    };
    for (const auto& c : cases) {
        ProgressState state;
        const ProgressTick tick = progressTick(state, false, c.layout);
        EXPECT_EQ(tick.textRect, c.text) << c.layout;
        EXPECT_EQ(tick.percentRect, c.percent) << c.layout;
    }
}

TEST(ProgressTimer, LayoutMeasuredOnlyWhenUncached) {
    EXPECT_EQ(progressLayout(Size{0, 0}, Size{1280, 992}), (Size{1280, 992}));
    EXPECT_EQ(progressLayout(Size{1024, 738}, Size{1280, 992}), (Size{1024, 738}));
}

TEST(PercentText, Format) {
    EXPECT_EQ(percentText(0), "0%");
    EXPECT_EQ(percentText(1), "1%");
    EXPECT_EQ(percentText(99), "99%");
}

TEST(Watchdog, NoGameWindowNeverQuits) {
    WatchdogState state;
    for (std::uint32_t now = 1000; now < 100000; now += 500) {
        const WatchdogAction a = watchdogTick(state, false, false, now);
        ASSERT_FALSE(a.postQuit || a.postSecondQuit || a.killTimer);
        ASSERT_EQ(state.lastTick, now);
    }
    EXPECT_FALSE(state.armed);
}

TEST(Watchdog, AliveWindowDisarms) {
    WatchdogState state;
    state.armed = true;
    state.countdown = 3000;
    const WatchdogAction a = watchdogTick(state, true, true, 5000);
    EXPECT_FALSE(a.postQuit);
    EXPECT_FALSE(state.armed);
    EXPECT_EQ(state.lastTick, 5000u);
}

TEST(Watchdog, GoneWindowQuitsAndCountsDown) {
    WatchdogState state;
    state.lastTick = 1000;
    WatchdogAction a = watchdogTick(state, true, false, 1500);
    EXPECT_TRUE(a.postQuit);  // the first tick already quits
    EXPECT_FALSE(a.postSecondQuit);
    EXPECT_TRUE(state.armed);
    EXPECT_EQ(state.countdown, 10000);

    // Had the loop not ended, 500 ms ticks run the countdown out on the 20th.
    std::uint32_t now = 1500;
    for (int i = 1; i < 20; ++i) {
        now += 500;
        a = watchdogTick(state, true, false, now);
        ASSERT_TRUE(a.postQuit) << i;
        ASSERT_FALSE(a.postSecondQuit) << i;
        ASSERT_EQ(state.countdown, 10000 - 500 * i);
    }
    now += 500;
    a = watchdogTick(state, true, false, now);
    EXPECT_TRUE(a.postQuit);
    EXPECT_TRUE(a.postSecondQuit);
    EXPECT_TRUE(a.killTimer);
    EXPECT_EQ(state.countdown, 0);
}

TEST(Watchdog, TickCountWrap) {
    WatchdogState state;
    state.armed = true;
    state.countdown = 10000;
    state.lastTick = 0xFFFFFF00u;
    const WatchdogAction a = watchdogTick(state, true, false, 0x100u);
    EXPECT_EQ(state.countdown, 10000 - 0x200);
    EXPECT_FALSE(a.postSecondQuit);
    EXPECT_EQ(state.lastTick, 0x100u);
}

TEST(Watchdog, HugeGapRunsTheCountdownOut) {
    WatchdogState state;
    state.armed = true;
    state.countdown = 10000;
    state.lastTick = 0;
    const WatchdogAction a = watchdogTick(state, true, false, 0xF0000000u);
    EXPECT_TRUE(a.postSecondQuit);
    EXPECT_LE(state.countdown, 0);
}

TEST(Watchdog, ReArmsAfterWindowCameBack) {
    WatchdogState state;
    watchdogTick(state, true, false, 500);
    watchdogTick(state, true, false, 1000);
    EXPECT_EQ(state.countdown, 9500);
    watchdogTick(state, true, true, 1500);
    watchdogTick(state, true, false, 2000);
    EXPECT_EQ(state.countdown, 10000);  // a fresh grace period
}

TEST(BlinkTimer, StartsOnceUntilStopped) {
    MessageBlink blink;
    EXPECT_TRUE(blink.start());
    EXPECT_FALSE(blink.start());
    EXPECT_TRUE(blink.stop());
    EXPECT_FALSE(blink.stop());
    EXPECT_TRUE(blink.start());
}

TEST(BossKeyModifiers, Table) {
    const struct {
        const char* name;
        std::uint16_t flags;
        std::uint16_t modifiers;
    } cases[] = {
        {"none", 0x00, 0x00},
        {"shift", 0x01, 0x04},
        {"control", 0x02, 0x02},
        {"alt", 0x04, 0x01},
        {"control+shift", 0x03, 0x06},
        {"control+alt+shift", 0x07, 0x07},
        // the extended-key flag must not become the Windows-key modifier
        {"extended key alone", 0x08, 0x00},
        {"control+extended (e.g. Ctrl+Home)", 0x0A, 0x02},
        {"unknown bits", 0xFFF0, 0x00},
    };
    for (const auto& c : cases)
        EXPECT_EQ(hotKeyFlagsToModifiers(c.flags), c.modifiers) << c.name;
}

TEST(BossKeySetting, EnableStoresDisableKeeps) {
    BossKey key;
    EXPECT_TRUE(key.set(true, 'B', 0x03));
    EXPECT_TRUE(key.enabled);
    EXPECT_EQ(key.virtualKey, 'B');
    EXPECT_EQ(key.modifiers, 0x06);

    EXPECT_FALSE(key.set(false, 'C', 0x04));
    EXPECT_FALSE(key.enabled);
    EXPECT_EQ(key.virtualKey, 'B');
    EXPECT_EQ(key.modifiers, 0x06);
}

TEST(BossKeyPress, Table) {
    EXPECT_EQ(bossKeyAction(false, 1001, true), BossKeyAction::None);
    EXPECT_EQ(bossKeyAction(true, 1002, true), BossKeyAction::None);
    EXPECT_EQ(bossKeyAction(true, 1001, true), BossKeyAction::Hide);
    EXPECT_EQ(bossKeyAction(true, 1001, false), BossKeyAction::Show);
}

TEST(TrayCallback, Table) {
    const struct {
        unsigned icon;
        unsigned message;
        bool visible;
        TrayAction action;
        int result;
    } cases[] = {
        {4, 0x201, true, TrayAction::Ignore, 1},
        {6, 0x201, false, TrayAction::Ignore, 1},
        {5, 0x201, true, TrayAction::Hide, 0},
        {5, 0x201, false, TrayAction::Show, 0},
        {5, 0x202, true, TrayAction::None, 0},  // button up
        {5, 0x203, true, TrayAction::None, 0},  // double click
        {5, 0x204, true, TrayAction::None, 0},  // right button
        {5, 0x200, true, TrayAction::None, 0},  // mouse move
    };
    for (const auto& c : cases) {
        const TrayAction action = trayAction(c.icon, c.message, c.visible);
        EXPECT_EQ(action, c.action) << c.icon << " " << std::hex << c.message;
        EXPECT_EQ(trayCallbackResult(action), c.result) << c.icon << " " << std::hex << c.message;
    }
}

}  // namespace
