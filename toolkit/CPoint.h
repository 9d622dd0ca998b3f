#pragma once
// A position in frame pixels.

struct CPoint {
    int x = 0;
    int y = 0;

    CPoint() = default;
    CPoint(int px, int py) : x(px), y(py) {}

    CPoint& offset(int dx, int dy)
    {
        x += dx;
        y += dy;
        return *this;
    }
    bool operator==(const CPoint& other) const { return x == other.x && y == other.y; }
    bool operator!=(const CPoint& other) const { return !(*this == other); }
};
