#pragma once
// Where one line of text stands in its box, the same on every system: the
// font's cell vertically centred, the advance aligned (left alignment starts
// one pixel in).
#include "platform/PixelTypes.h"

namespace platform {

struct TextPlacement {
    int x = 0;         // left end of the text
    int top = 0;       // top of the font's cell
    int baseline = 0;
};

inline TextPlacement placeText(const PixelRect& box, int advance, int ascent, int cell, TextAlign align)
{
    TextPlacement p;
    p.x = box.left + 1;
    if (align == TextAlign::kCenter)
        p.x = box.left + (box.width() - advance) / 2;
    else if (align == TextAlign::kRight)
        p.x = box.right - advance;
    p.top = box.top + (box.height() - cell) / 2;
    p.baseline = p.top + ascent;
    return p;
}

} // namespace platform
