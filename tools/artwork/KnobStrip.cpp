#include "KnobStrip.h"

#include "Paint.h"

#include <algorithm>
#include <cmath>

namespace artwork {

namespace {

constexpr double kDeg = M_PI / 180.0;

struct Geometry {
    double c;       // centre
    double arcR;    // radius of the value arc
    double arcW;    // its line width
    double bodyR;   // knob body
    double ptrIn;   // pointer from this radius ...
    double ptrOut;  // ... to this one
    double ptrW;
};

Geometry geometryFor(const KnobStyle& s)
{
    const double n = s.size;
    Geometry g{};
    g.c = n / 2.0;
    g.arcR = s.levelScale ? 0.405 * n : 0.445 * n;
    g.arcW = std::max(2.2, 0.058 * n);
    g.bodyR = 0.34 * n;
    g.ptrIn = 0.11 * n;
    g.ptrOut = 0.285 * n;
    g.ptrW = std::max(1.7, 0.055 * n);
    return g;
}

// Screen angle for cairo (clockwise from 3 o'clock) of a normalised value.
double screenAngle(double value)
{
    return (135.0 + 270.0 * value) * kDeg;
}

void drawScale(cairo_t* cr, const Geometry& g)
{
    // -30 .. +6 dB in 6 dB steps; the level knobs map dB linearly onto the sweep.
    for (int db = -30; db <= 6; db += 6) {
        const double v = (db + 30) / 36.0;
        const double a = screenAngle(v);
        const bool unity = db == 0;
        const double r0 = g.arcR + g.arcW / 2 + 1.6;
        const double r1 = r0 + (unity ? 4.2 : 3.0);
        cairo_set_line_width(cr, unity ? 1.6 : 1.1);
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        cairo_set_source_rgba(cr, 0.86, 0.91, 0.96, unity ? 0.95 : 0.55);
        cairo_move_to(cr, g.c + r0 * std::cos(a), g.c + r0 * std::sin(a));
        cairo_line_to(cr, g.c + r1 * std::cos(a), g.c + r1 * std::sin(a));
        cairo_stroke(cr);
    }
}

void drawArc(cairo_t* cr, const Geometry& g, double value)
{
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    // the track, cut into the panel
    cairo_set_line_width(cr, g.arcW + 1.0);
    cairo_set_source_rgba(cr, 0.55, 0.65, 0.75, 0.18);
    cairo_arc(cr, g.c, g.c + 0.6, g.arcR, screenAngle(0), screenAngle(1));
    cairo_stroke(cr);
    cairo_set_line_width(cr, g.arcW);
    setColour(cr, Rgb{26, 36, 48});
    cairo_arc(cr, g.c, g.c, g.arcR, screenAngle(0), screenAngle(1));
    cairo_stroke(cr);
    if (value <= 0) return;
    // the lit part from the minimum to the value, with a soft glow
    const double a0 = screenAngle(0);
    const double a1 = screenAngle(value);
    cairo_set_line_width(cr, g.arcW + 2.2);
    setColour(cr, kAccent, 0.22);
    cairo_arc(cr, g.c, g.c, g.arcR, a0, a1);
    cairo_stroke(cr);
    cairo_pattern_t* lit = cairo_pattern_create_linear(0, g.c * 2, g.c * 2, 0);
    addStop(lit, 0, Rgb{40, 150, 220});
    addStop(lit, 1, Rgb{120, 225, 255});
    cairo_set_source(cr, lit);
    cairo_set_line_width(cr, g.arcW - 0.6);
    cairo_arc(cr, g.c, g.c, g.arcR, a0, a1);
    cairo_stroke(cr);
    cairo_pattern_destroy(lit);
}

void drawBody(cairo_t* cr, const Geometry& g)
{
    const double c = g.c;
    const double r = g.bodyR;
    // drop shadow
    cairo_pattern_t* shadow = cairo_pattern_create_radial(c, c + r * 0.12, r * 0.7, c, c + r * 0.12, r * 1.22);
    cairo_pattern_add_color_stop_rgba(shadow, 0, 0.02, 0.03, 0.05, 0.6);
    cairo_pattern_add_color_stop_rgba(shadow, 1, 0.02, 0.03, 0.05, 0);
    cairo_set_source(cr, shadow);
    cairo_arc(cr, c, c + r * 0.12, r * 1.22, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_pattern_destroy(shadow);
    // skirt: lit from above
    cairo_pattern_t* skirt = cairo_pattern_create_linear(0, c - r, 0, c + r);
    addStop(skirt, 0, Rgb{132, 146, 160});
    addStop(skirt, 0.5, Rgb{62, 70, 82});
    addStop(skirt, 1, Rgb{24, 29, 36});
    cairo_set_source(cr, skirt);
    cairo_arc(cr, c, c, r, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_pattern_destroy(skirt);
    // cap: a slightly domed top face
    const double capR = r * 0.84;
    cairo_pattern_t* cap = cairo_pattern_create_radial(c - capR * 0.3, c - capR * 0.45, capR * 0.1,
                                                       c, c, capR * 1.1);
    addStop(cap, 0, Rgb{96, 106, 120});
    addStop(cap, 0.6, Rgb{58, 65, 76});
    addStop(cap, 1, Rgb{38, 43, 52});
    cairo_set_source(cr, cap);
    cairo_arc(cr, c, c, capR, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_pattern_destroy(cap);
    // thin edge where cap meets skirt
    cairo_set_line_width(cr, 0.9);
    cairo_pattern_t* edge = cairo_pattern_create_linear(0, c - capR, 0, c + capR);
    cairo_pattern_add_color_stop_rgba(edge, 0, 0.05, 0.06, 0.08, 0.7);
    cairo_pattern_add_color_stop_rgba(edge, 1, 0.75, 0.80, 0.86, 0.35);
    cairo_set_source(cr, edge);
    cairo_arc(cr, c, c, capR, 0, 2 * M_PI);
    cairo_stroke(cr);
    cairo_pattern_destroy(edge);
    // outer rim line
    cairo_set_line_width(cr, 1);
    cairo_set_source_rgba(cr, 0.04, 0.05, 0.07, 0.8);
    cairo_arc(cr, c, c, r - 0.5, 0, 2 * M_PI);
    cairo_stroke(cr);
}

void drawPointer(cairo_t* cr, const Geometry& g, double value)
{
    const double a = screenAngle(value);
    const double ca = std::cos(a);
    const double sa = std::sin(a);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    // a dark groove first so the pointer reads on the lit side of the cap too
    cairo_set_line_width(cr, g.ptrW + 1.6);
    cairo_set_source_rgba(cr, 0.03, 0.04, 0.06, 0.55);
    cairo_move_to(cr, g.c + g.ptrIn * ca, g.c + g.ptrIn * sa + 0.5);
    cairo_line_to(cr, g.c + g.ptrOut * ca, g.c + g.ptrOut * sa + 0.5);
    cairo_stroke(cr);
    cairo_set_line_width(cr, g.ptrW);
    cairo_set_source_rgb(cr, 0.96, 0.97, 0.99);
    cairo_move_to(cr, g.c + g.ptrIn * ca, g.c + g.ptrIn * sa);
    cairo_line_to(cr, g.c + g.ptrOut * ca, g.c + g.ptrOut * sa);
    cairo_stroke(cr);
}

} // namespace

double knobAngle(int frame, int frames)
{
    const double v = frames > 1 ? static_cast<double>(frame) / (frames - 1) : 0.0;
    return (225.0 - 270.0 * v) * kDeg;
}

Image drawKnobStrip(const KnobStyle& style)
{
    const Geometry g = geometryFor(style);
    Image strip(style.size, style.size * style.frames);
    cairo_t* cr = strip.context();
    setColour(cr, kPanel);
    cairo_paint(cr);
    for (int f = 0; f < style.frames; ++f) {
        const double value = static_cast<double>(f) / (style.frames - 1);
        cairo_save(cr);
        cairo_rectangle(cr, 0, f * style.size, style.size, style.size);
        cairo_clip(cr);
        cairo_translate(cr, 0, f * style.size);
        if (style.levelScale) drawScale(cr, g);
        drawArc(cr, g, value);
        drawBody(cr, g);
        drawPointer(cr, g, value);
        cairo_restore(cr);
    }
    cairo_destroy(cr);
    return strip;
}

} // namespace artwork
