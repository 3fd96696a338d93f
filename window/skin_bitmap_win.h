// The skin's bitmaps at the window's DPI.
#pragma once

#include "framework/handles_win.h"

namespace tarvo {

// Bitmap `baseId` (its 96-dpi id) for a window at `dpi`: from the artwork
// set for that DPI, scaled with halftone to the bitmap's size at that DPI
// when the DPI lies between sets; from the 96-dpi set when the set lacks it.
// Null when the bitmap cannot be loaded at all.
Bitmap loadSkinBitmap(int baseId, int dpi);

} // namespace tarvo
