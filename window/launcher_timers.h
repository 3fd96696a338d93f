// Decisions of the launcher window's three timers, free of the platform:
// the start-up percentage (timer 1002), the game-window watchdog (timer 1001)
// and the new-message blink (timer 1003). The Win32 handlers feed in what
// they read (client ready, game window alive, tick count) and carry out the
// returned actions.
#pragma once

#include <cstdint>
#include <string>

#include "window/dpi_scale.h"
#include "window/geometry.h"

constexpr int kWatchdogTimerId = 1001;
constexpr int kProgressTimerId = 1002;
constexpr int kBlinkTimerId = 1003;
constexpr unsigned kWatchdogPeriodMs = 500;
constexpr unsigned kProgressPeriodMs = 150;
constexpr unsigned kBlinkPeriodMs = 500;

// ---- Start-up percentage ----------------------------------------------------

constexpr int kProgressMaximum = 99;

// percentage: the number shown, 0 before the first tick, at most 99.
// running: cleared once a tick has asked for the timer to be killed.
struct ProgressState {
    int percentage = 0;
    bool running = true;
};

// What one progress tick asks of the window.
//   stop          kill timer 1002
//   showLabels    move the progress text label to textRect, the percent label
//                 to percentRect, set the percent label's text to percentText(percentage) and show it;
//                 false only on the ready tick, which does nothing else (and
//                 skips default processing)
//   percentage    the value after the tick
//   textRect      progress text label: (W / 2 - s(100), y), s(200) x s(20)
//   percentRect   percent label: (W / 2 + s(100), y), s(50) x s(20)
//                 with y = (H - s(550)) / 2 + s(480) (negative halves for
//                 windows lower than s(550) move the labels up)
//                 The figures are 96-dpi logical pixels, scaled to the
//                 window's dpi; W x H is the layout size in pixels.
struct ProgressTick {
    bool stop = false;
    bool showLabels = false;
    int percentage = 0;
    Rect textRect;
    Rect percentRect;
};

// One tick of timer 1002. layout is the window's outer size as cached by
// the window (see progressLayout); dpi places the labels. When the game is ready: stop, nothing
// else. Otherwise the percentage goes up by one; passing 99 stops the timer
// and keeps 99, and the labels are still placed and shown on that tick.
ProgressTick progressTick(ProgressState& state, bool clientReady, Size layout,
                          int dpi = kBaseDpi);

// The layout size a tick uses: the cached size, or the window's current
// outer size when nothing has been cached yet (cached width 0). The caller
// stores the result back as its cached layout.
Size progressLayout(Size cached, Size windowNow);

// The progress text and percent labels' places for a W x H layout in pixels;
// figures are 96-dpi logical pixels, scaled to dpi (see ProgressTick).
Rect progressTextRect(Size layout, int dpi = kBaseDpi);
Rect progressPercentRect(Size layout, int dpi = kBaseDpi);

// The percentage as shown: the number followed by "%", e.g. "42%".
std::string percentText(int percentage);

// ---- Game-window watchdog ---------------------------------------------------

constexpr int kWatchdogCountdownMs = 10000;

// armed/countdown: the grace period started on the first tick that finds
// the game window gone. lastTick: the tick count of the previous tick (set
// by the window at set-up, then by every tick).
struct WatchdogState {
    bool armed = false;
    int countdown = 0;
    std::uint32_t lastTick = 0;
};

//   postQuit        post the quit message (the game window is gone)
//   postSecondQuit  post the quit message again: the grace period is over
//   killTimer       kill timer 1001
struct WatchdogAction {
    bool postQuit = false;
    bool postSecondQuit = false;
    bool killTimer = false;
};

// One tick of timer 1001 at tick count `now`.
//   No game window reported yet: nothing.
//   Game window alive: disarm.
//   Game window gone: post quit; then arm with a 10000 ms countdown, or, if
//   already armed, subtract the time since the last tick and, once the
//   countdown is 0 or less, post quit again and kill the timer.
// The elapsed time is computed modulo 2^32, so a wrap of the tick count
// between two ticks is harmless. lastTick = now in every case.
WatchdogAction watchdogTick(WatchdogState& state, bool haveGameWindow, bool gameWindowAlive,
                            std::uint32_t now);

// ---- New-message blink ------------------------------------------------------

// Whether timer 1003 runs. start() returns true when the caller must start
// the timer (it was not running), so repeated new-message signals start it
// once; stop() clears the flag and returns whether it was set (killing the
// timer when it is not running is harmless, so callers may kill regardless).
struct MessageBlink {
    bool started = false;

    bool start();
    bool stop();
};
