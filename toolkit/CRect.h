#pragma once
// A rectangle in frame pixels; right and bottom are exclusive.
#include "toolkit/CPoint.h"

#include <algorithm>

struct CRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    CRect() = default;
    CRect(int l, int t, int r, int b) : left(l), top(t), right(r), bottom(b) {}

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool isEmpty() const { return right <= left || bottom <= top; }

    CRect& offset(int dx, int dy)
    {
        left += dx;
        right += dx;
        top += dy;
        bottom += dy;
        return *this;
    }
    CRect& inset(int dx, int dy)
    {
        left += dx;
        right -= dx;
        top += dy;
        bottom -= dy;
        return *this;
    }
    // Right and bottom edges belong to the neighbour, not to this rectangle.
    bool pointInside(const CPoint& p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
    bool rectOverlap(const CRect& other) const
    {
        return left < other.right && other.left < right && top < other.bottom && other.top < bottom;
    }
    // The common part of both; empty (zero size at this one's corner) when they do not meet.
    CRect intersection(const CRect& other) const
    {
        CRect r(std::max(left, other.left), std::max(top, other.top), std::min(right, other.right),
                std::min(bottom, other.bottom));
        if (r.isEmpty())
            return CRect(left, top, left, top);
        return r;
    }
    // The smallest rectangle holding both; an empty one adds nothing.
    CRect unite(const CRect& other) const
    {
        if (other.isEmpty())
            return *this;
        if (isEmpty())
            return other;
        return CRect(std::min(left, other.left), std::min(top, other.top), std::max(right, other.right),
                     std::max(bottom, other.bottom));
    }
    bool operator==(const CRect& o) const
    {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
    bool operator!=(const CRect& o) const { return !(*this == o); }
};
