// Plain geometry records shared by the launcher window's portable logic.
//
// These mirror the platform's point, rectangle and size records field for
// field, so the Win32 side converts with plain member copies. They carry no
// platform header and are safe to use in portable code and tests.
#pragma once

#include <iosfwd>

struct Point {
    int x = 0;
    int y = 0;
};

// A rectangle given by its edges, as the platform reports window and client
// rectangles: right and bottom lie one past the last pixel, so
// width() == right - left. Nothing keeps the edges ordered; a rectangle
// computed for a tiny window may have a negative width or height.
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int width() const { return right - left; }
    int height() const { return bottom - top; }
};

struct Size {
    int cx = 0;
    int cy = 0;
};

// The rectangle with top-left corner (x, y) and the given width and height
// (the argument order of the platform's move-window call).
inline Rect makeRect(int x, int y, int width, int height) {
    return Rect{x, y, x + width, y + height};
}

inline bool operator==(const Point& a, const Point& b) { return a.x == b.x && a.y == b.y; }
inline bool operator!=(const Point& a, const Point& b) { return !(a == b); }
inline bool operator==(const Size& a, const Size& b) { return a.cx == b.cx && a.cy == b.cy; }
inline bool operator!=(const Size& a, const Size& b) { return !(a == b); }
inline bool operator==(const Rect& a, const Rect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
inline bool operator!=(const Rect& a, const Rect& b) { return !(a == b); }

// Readable output for diagnostics and test failure messages:
// "(x, y)", "cx x cy", "[left, top, right, bottom]".
std::ostream& operator<<(std::ostream& out, const Point& p);
std::ostream& operator<<(std::ostream& out, const Size& s);
std::ostream& operator<<(std::ostream& out, const Rect& r);
