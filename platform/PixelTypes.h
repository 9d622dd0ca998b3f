#pragma once
// Plain value types shared by the drawing surface and the window. They carry
// no cairo or X11 types, so the toolkit can use them without either header.
#include <string>

namespace platform {

struct Rgb {
    unsigned char r = 0, g = 0, b = 0;
};

// Pixel rectangle; right and bottom are exclusive.
struct PixelRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool empty() const { return right <= left || bottom <= top; }
};

struct PixelPoint {
    int x = 0, y = 0;
};

struct Stroke {
    Rgb color;
    int width = 1;
    bool dotted = false;
};

struct TextStyle {
    std::string face;   // the face name the toolkit asks for ("Arial", "MS UI Gothic", ...)
    int sizePx = 12;    // em size in pixels
    bool bold = false;
    bool italic = false;
    bool underline = false;
};

enum class TextAlign { kLeft, kCenter, kRight };

} // namespace platform
