#include "window/launcher_timers.h"

#include <climits>
#include <cstdio>

// ---- Start-up percentage ----------------------------------------------------

namespace {

// Top of the progress labels: 480 logical pixels into the 550-pixel splash
// area, which itself sits centred and 25 pixels lower (see splashRect).
int progressLabelTop(Size layout, int dpi) {
    return (layout.cy - scaleToDpi(550, dpi)) / 2 + scaleToDpi(480, dpi);
}

}  // namespace

Rect progressTextRect(Size layout, int dpi) {
    const auto s = [dpi](int n) { return scaleToDpi(n, dpi); };
    return makeRect(layout.cx / 2 - s(100), progressLabelTop(layout, dpi), s(200), s(20));
}

Rect progressPercentRect(Size layout, int dpi) {
    const auto s = [dpi](int n) { return scaleToDpi(n, dpi); };
    return makeRect(layout.cx / 2 + s(100), progressLabelTop(layout, dpi), s(50), s(20));
}

Size progressLayout(Size cached, Size windowNow) {
    return cached.cx == 0 ? windowNow : cached;
}

ProgressTick progressTick(ProgressState& state, bool clientReady, Size layout, int dpi) {
    ProgressTick tick;
    if (clientReady) {
        state.running = false;
        tick.stop = true;
        tick.percentage = state.percentage;
        return tick;
    }
    state.percentage += 1;
    if (state.percentage > kProgressMaximum) {
        state.running = false;
        tick.stop = true;
        state.percentage = kProgressMaximum;
    }
    tick.showLabels = true;
    tick.percentage = state.percentage;
    tick.textRect = progressTextRect(layout, dpi);
    tick.percentRect = progressPercentRect(layout, dpi);
    return tick;
}

std::string percentText(int percentage) {
    char text[16];
    std::snprintf(text, sizeof text, "%d%%", percentage);
    return text;
}

// ---- Game-window watchdog ---------------------------------------------------

WatchdogAction watchdogTick(WatchdogState& state, bool haveGameWindow, bool gameWindowAlive,
                            std::uint32_t now) {
    WatchdogAction action;
    if (haveGameWindow) {
        if (gameWindowAlive) {
            state.armed = false;
        } else {
            action.postQuit = true;
            if (!state.armed) {
                state.countdown = kWatchdogCountdownMs;
                state.armed = true;
            } else {
                // Unsigned difference: correct across a wrap of the tick count.
                const std::uint32_t elapsed = now - state.lastTick;
                // Subtract in 64 bits so that even a very long gap can only
                // run the countdown out, never wrap it back to positive.
                long long remaining = static_cast<long long>(state.countdown) - elapsed;
                if (remaining < INT_MIN)
                    remaining = INT_MIN;
                state.countdown = static_cast<int>(remaining);
                if (state.countdown <= 0) {
                    action.postSecondQuit = true;
                    action.killTimer = true;
                }
            }
        }
    }
    state.lastTick = now;
    return action;
}

// ---- New-message blink ------------------------------------------------------

bool MessageBlink::start() {
    if (started)
        return false;
    started = true;
    return true;
}

bool MessageBlink::stop() {
    const bool wasStarted = started;
    started = false;
    return wasStarted;
}
