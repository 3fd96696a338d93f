// Conversion between the launcher's 96-dpi logical pixels and a window's
// device pixels, and the choice of artwork set for a DPI.
//
// Every figure of the portable geometry is a 96-dpi logical length; the
// functions that place things take the window's dpi and scale with these
// helpers, so that one rounding rule holds everywhere.
#pragma once

#include "window/geometry.h"

constexpr int kBaseDpi = 96;

// A 96-dpi logical length in pixels at `dpi`: logical * dpi / 96 rounded half away from zero
// (the platform's MulDiv rounding); a dpi of 0 or less counts as 96. Results beyond the int
// range saturate.
int scaleToDpi(int logical, int dpi);
Point scaleToDpi(Point logical, int dpi);  // each coordinate
Size scaleToDpi(Size logical, int dpi);    // each dimension

// Pixels at `dpi` back to 96-dpi logical pixels, rounded the same way.
int logicalFromDpi(int pixels, int dpi);

// The artwork set for a DPI, in percent: 100 up to 96 dpi, 150 up to 144, else 200.
int artScaleForDpi(int dpi);

// The resource id of bitmap `baseId` in an artwork set: baseId (100), baseId + 1000 (150),
// baseId + 2000 (200); any other set is taken as 100.
int artResourceId(int baseId, int artScale);

// A bitmap's pixel size in an artwork set from its 1x size: (n * pct + 50) / 100 per dimension.
Size artSize(Size logical, int artScale);
