#include "window/startup_progress.h"

ProgressTick StartupProgress::tick(Size windowNow, int dpi) {
    if (ready_) return progressTick(state_, true, Size{}, dpi);
    layout_ = progressLayout(layout_, windowNow);
    return progressTick(state_, false, layout_, dpi);
}
