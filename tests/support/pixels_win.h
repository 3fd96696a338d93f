// Reading back what a window shows: a copy of its client area taken from
// the window's device context, pixel access, and a device context on the
// copy for drawing what a test expects to see.
#pragma once

#include <windows.h>

#include <string>

namespace tarvo_test {

// A 32-bit copy of pixels. Not copyable; Duplicate() makes a second one.
class Pixels {
public:
    // The window's client area as it is now.
    static Pixels OfClient(HWND window);
    // A copy of a bitmap's pixels (the bitmap stays free to be selected into
    // other device contexts); a single black pixel when it is no bitmap.
    static Pixels OfBitmap(HBITMAP bitmap);
    // Empty (black) pixels of the given size.
    Pixels(int width, int height);
    ~Pixels();
    Pixels(Pixels&& other) noexcept;
    Pixels& operator=(Pixels&&) = delete;
    Pixels(const Pixels&) = delete;
    Pixels& operator=(const Pixels&) = delete;

    Pixels Duplicate() const;

    bool ok() const { return bits_ != nullptr; }
    int width() const { return width_; }
    int height() const { return height_; }
    // The colour at (x, y); CLR_INVALID outside.
    COLORREF at(int x, int y) const;
    // A memory device context holding the pixels; drawing on it changes them.
    HDC dc() const { return dc_; }

private:
    int width_ = 0;
    int height_ = 0;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    const DWORD* bits_ = nullptr;
};

// How many pixels of the rectangle differ between the two copies.
int differingPixels(const Pixels& a, const Pixels& b, const RECT& area);

// How many pixels of the rectangle have exactly this colour.
int pixelsOfColour(const Pixels& p, const RECT& area, COLORREF colour);

// A colour as six hexadecimal digits (0xBBGGRR order), for messages.
std::string hexColour(COLORREF c);

}  // namespace tarvo_test
