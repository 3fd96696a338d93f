#include "window/geometry.h"

#include <ostream>

std::ostream& operator<<(std::ostream& out, const Point& p) {
    return out << '(' << p.x << ", " << p.y << ')';
}

std::ostream& operator<<(std::ostream& out, const Size& s) {
    return out << s.cx << " x " << s.cy;
}

std::ostream& operator<<(std::ostream& out, const Rect& r) {
    return out << '[' << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ']';
}
