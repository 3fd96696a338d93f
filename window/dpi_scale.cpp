#include "window/dpi_scale.h"

#include <climits>
#include <cstdint>

namespace {

int saturate(std::int64_t v) {
    if (v > INT_MAX)
        return INT_MAX;
    if (v < INT_MIN)
        return INT_MIN;
    return static_cast<int>(v);
}

// a * b / c rounded half away from zero, for c > 0, in 64 bits.
int mulDivRounded(int a, int b, int c) {
    const std::int64_t n = static_cast<std::int64_t>(a) * b;
    const std::int64_t half = c / 2;
    return saturate(n >= 0 ? (n + half) / c : (n - half) / c);
}

int effectiveDpi(int dpi) {
    return dpi > 0 ? dpi : kBaseDpi;
}

}  // namespace

int scaleToDpi(int logical, int dpi) {
    return mulDivRounded(logical, effectiveDpi(dpi), kBaseDpi);
}

Point scaleToDpi(Point logical, int dpi) {
    return Point{scaleToDpi(logical.x, dpi), scaleToDpi(logical.y, dpi)};
}

Size scaleToDpi(Size logical, int dpi) {
    return Size{scaleToDpi(logical.cx, dpi), scaleToDpi(logical.cy, dpi)};
}

int logicalFromDpi(int pixels, int dpi) {
    return mulDivRounded(pixels, kBaseDpi, effectiveDpi(dpi));
}

int artScaleForDpi(int dpi) {
    if (dpi <= 96)
        return 100;
    if (dpi <= 144)
        return 150;
    return 200;
}

int artResourceId(int baseId, int artScale) {
    switch (artScale) {
    case 150:
        return baseId + 1000;
    case 200:
        return baseId + 2000;
    default:
        return baseId;
    }
}

Size artSize(Size logical, int artScale) {
    const auto scale = [artScale](int n) {
        return saturate((static_cast<std::int64_t>(n) * artScale + 50) / 100);
    };
    return Size{scale(logical.cx), scale(logical.cy)};
}
