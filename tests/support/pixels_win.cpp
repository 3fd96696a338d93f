#include "support/pixels_win.h"

#include <cstdio>
#include <utility>

namespace tarvo_test {

namespace {

// 32-bit pixels, rows from the top down.
BITMAPINFO topDownInfo(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

}  // namespace

Pixels::Pixels(int width, int height) : width_(width > 0 ? width : 1), height_(height > 0 ? height : 1) {
    BITMAPINFO info = topDownInfo(width_, height_);
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    dc_ = CreateCompatibleDC(nullptr);
    if (!bitmap_ || !dc_) return;
    previous_ = SelectObject(dc_, bitmap_);
    bits_ = static_cast<const DWORD*>(bits);
}

Pixels::~Pixels() {
    if (dc_) {
        if (previous_) SelectObject(dc_, previous_);
        DeleteDC(dc_);
    }
    if (bitmap_) DeleteObject(bitmap_);
}

Pixels::Pixels(Pixels&& other) noexcept
    : width_(other.width_), height_(other.height_), dc_(std::exchange(other.dc_, nullptr)),
      bitmap_(std::exchange(other.bitmap_, nullptr)), previous_(std::exchange(other.previous_, nullptr)),
      bits_(std::exchange(other.bits_, nullptr)) {}

Pixels Pixels::OfClient(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    Pixels copy(client.right, client.bottom);
    if (copy.ok()) {
        HDC screen = GetDC(window);
        BitBlt(copy.dc_, 0, 0, copy.width_, copy.height_, screen, 0, 0, SRCCOPY);
        ReleaseDC(window, screen);
        GdiFlush();
    }
    return copy;
}

Pixels Pixels::OfBitmap(HBITMAP bitmap) {
    BITMAP header{};
    if (!bitmap || GetObjectA(bitmap, sizeof header, &header) != sizeof header) return Pixels(0, 0);
    Pixels copy(header.bmWidth, header.bmHeight);
    if (copy.ok()) {
        BITMAPINFO info = topDownInfo(copy.width_, copy.height_);
        GdiFlush();
        GetDIBits(copy.dc_, bitmap, 0, static_cast<UINT>(copy.height_), const_cast<DWORD*>(copy.bits_), &info,
                  DIB_RGB_COLORS);
    }
    return copy;
}

Pixels Pixels::Duplicate() const {
    Pixels copy(width_, height_);
    if (copy.ok() && ok()) {
        BitBlt(copy.dc_, 0, 0, width_, height_, dc_, 0, 0, SRCCOPY);
        GdiFlush();
    }
    return copy;
}

COLORREF Pixels::at(int x, int y) const {
    if (!bits_ || x < 0 || y < 0 || x >= width_ || y >= height_) return CLR_INVALID;
    GdiFlush();
    const DWORD v = bits_[static_cast<size_t>(y) * width_ + x];
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

int differingPixels(const Pixels& a, const Pixels& b, const RECT& area) {
    int count = 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            if (a.at(x, y) != b.at(x, y)) ++count;
    return count;
}

int pixelsOfColour(const Pixels& p, const RECT& area, COLORREF colour) {
    int count = 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            if (p.at(x, y) == colour) ++count;
    return count;
}

std::string hexColour(COLORREF c) {
    char text[16];
    std::snprintf(text, sizeof(text), "%06lx", static_cast<unsigned long>(c & 0xFFFFFF));
    return text;
}

}  // namespace tarvo_test
