#include "window/startup_progress.h"

ProgressTick StartupProgress::tick(Size windowNow) {
    if (ready_) return progressTick(state_, true, Size{});
    layout_ = progressLayout(layout_, windowNow);
    return progressTick(state_, false, layout_);
}
