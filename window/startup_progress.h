// The start-up phase as the launcher window shows it: the percentage of
// timer 1002, the layout size the labels are placed by (measured when the
// splash picture is drawn, or taken from the window at the first tick), and
// whether the game client is ready (after which the phase is over for good).
#pragma once

#include "window/geometry.h"
#include "window/launcher_timers.h"

class StartupProgress {
public:
    // One tick of timer 1002 for a window of this outer size (pixels) at this dpi.
    ProgressTick tick(Size windowNow, int dpi = kBaseDpi);

    // The game client is ready: the percentage and the splash picture are done.
    void markReady() { ready_ = true; }
    bool ready() const { return ready_; }

    // The splash picture was drawn for a window of this outer size.
    void measured(Size window) { layout_ = window; }
    // Nothing measured any more: the next tick or drawing measures again.
    void forgetLayout() { layout_ = Size{}; }
    Size layout() const { return layout_; }

    int percentage() const { return state_.percentage; }

private:
    ProgressState state_;
    Size layout_{};
    bool ready_ = false;
};
