#pragma once
// Drawing helpers shared by all pieces of artwork.
#include <cairo.h>

namespace artwork {

struct Rgb {
    double r, g, b; // 0..255
};

// The colour of the value displays, and so of every spot a shared bitmap sits on.
constexpr Rgb kPanel{64, 88, 112};
constexpr Rgb kLettering{222, 231, 240};
constexpr Rgb kAccent{86, 206, 250};

void setColour(cairo_t* cr, Rgb c, double alpha = 1.0);
void addStop(cairo_pattern_t* p, double offset, Rgb c, double alpha = 1.0);
Rgb mix(Rgb a, Rgb b, double t);

void roundedRect(cairo_t* cr, double x, double y, double w, double h, double r);

enum class Align { Left, Centre, Right };

struct TextStyle {
    double size = 11;
    bool bold = true;
    Rgb colour = kLettering;
    double alpha = 1.0;
    bool shadow = true;     // a dark line under the glyphs, as if engraved
    double tracking = 0;    // extra pixels between letters
};

// Draws a single line whose visual box is centred vertically on cy.
// Returns the width of the text.
double drawText(cairo_t* cr, const char* text, double x, double cy, Align align,
                const TextStyle& style);
double textWidth(cairo_t* cr, const char* text, const TextStyle& style);

// A groove cut into the panel: a dark line with a light line below/right of it.
void grooveH(cairo_t* cr, double x0, double x1, double y);
void grooveRect(cairo_t* cr, double x, double y, double w, double h, double r);

// A recess around a rectangle that code draws into: shadow above/left, light below/right.
void recessFrame(cairo_t* cr, double x, double y, double w, double h);

// A slotted screw head centred at (cx, cy).
void screw(cairo_t* cr, double cx, double cy, double radius, double slotAngle);

// A round LED; lit draws it glowing in its colour, unlit dark with a hint of it.
void led(cairo_t* cr, double cx, double cy, double radius, Rgb colour, bool lit);

} // namespace artwork
