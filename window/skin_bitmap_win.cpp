#include "window/skin_bitmap_win.h"

#include "window/dpi_scale.h"

namespace tarvo {

namespace {

// A copy of `source` at `size`, scaled with halftone; null when it cannot be made.
Bitmap scaledCopy(HBITMAP source, SIZE from, Size size) {
    const HDC screen = ::GetDC(nullptr);
    if (!screen) return Bitmap();
    Bitmap copy(::CreateCompatibleBitmap(screen, size.cx, size.cy));
    {
        MemoryDC to(screen);
        MemoryDC from_(screen);
        if (copy.get() && to.get() && from_.get()) {
            SelectGuard selectTo(to.get(), copy.get());
            SelectGuard selectFrom(from_.get(), source);
            ::SetStretchBltMode(to.get(), HALFTONE);
            ::SetBrushOrgEx(to.get(), 0, 0, nullptr);
            ::StretchBlt(to.get(), 0, 0, size.cx, size.cy, from_.get(), 0, 0, from.cx, from.cy, SRCCOPY);
        }
    }
    ::ReleaseDC(nullptr, screen);
    return copy;
}

} // namespace

Bitmap loadSkinBitmap(int baseId, int dpi) {
    int set = artScaleForDpi(dpi);
    Bitmap bitmap = loadBitmapResource(artResourceId(baseId, set));
    if (!bitmap.get() && set != 100) {
        set = 100;
        bitmap = loadBitmapResource(baseId);
    }
    if (!bitmap.get()) return bitmap;
    // The set's size back to the 96-dpi size it was drawn from, then to this DPI.
    const SIZE loaded = bitmapSize(bitmap.get());
    const int setDpi = set * kBaseDpi / 100;
    const Size logical{logicalFromDpi(loaded.cx, setDpi), logicalFromDpi(loaded.cy, setDpi)};
    const Size wanted = scaleToDpi(logical, dpi);
    if (wanted.cx == loaded.cx && wanted.cy == loaded.cy) return bitmap;
    if (wanted.cx <= 0 || wanted.cy <= 0) return bitmap;
    Bitmap scaled = scaledCopy(bitmap.get(), loaded, wanted);
    return scaled.get() ? std::move(scaled) : std::move(bitmap);
}

} // namespace tarvo
