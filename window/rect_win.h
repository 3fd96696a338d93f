// Between the system's RECT and POINT and the portable Rect and Point.
#pragma once

#include "window/geometry.h"

#include <windows.h>

inline Rect toRect(const RECT& r) {
    return Rect{r.left, r.top, r.right, r.bottom};
}

inline RECT toRECT(const Rect& r) {
    return RECT{r.left, r.top, r.right, r.bottom};
}

inline Point toPoint(POINT p) {
    return Point{p.x, p.y};
}
