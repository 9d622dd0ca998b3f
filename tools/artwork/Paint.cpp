#include "Paint.h"

#include <cmath>
#include <cstring>

namespace artwork {

namespace {

void selectFont(cairo_t* cr, const TextStyle& style)
{
    cairo_select_font_face(cr, "Liberation Sans", CAIRO_FONT_SLANT_NORMAL,
                           style.bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, style.size);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
    cairo_set_font_options(cr, options);
    cairo_font_options_destroy(options);
}

// Draws the text glyph by glyph when letters are spread apart.
void showText(cairo_t* cr, const char* text, double x, double y, double tracking)
{
    if (tracking == 0) {
        cairo_move_to(cr, x, y);
        cairo_show_text(cr, text);
        return;
    }
    char one[2] = {0, 0};
    for (const char* p = text; *p; ++p) {
        one[0] = *p;
        cairo_move_to(cr, x, y);
        cairo_show_text(cr, one);
        cairo_text_extents_t e;
        cairo_text_extents(cr, one, &e);
        x += e.x_advance + tracking;
    }
}

} // namespace

void setColour(cairo_t* cr, Rgb c, double alpha)
{
    cairo_set_source_rgba(cr, c.r / 255.0, c.g / 255.0, c.b / 255.0, alpha);
}

void addStop(cairo_pattern_t* p, double offset, Rgb c, double alpha)
{
    cairo_pattern_add_color_stop_rgba(p, offset, c.r / 255.0, c.g / 255.0, c.b / 255.0, alpha);
}

Rgb mix(Rgb a, Rgb b, double t)
{
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

void roundedRect(cairo_t* cr, double x, double y, double w, double h, double r)
{
    const double pi = M_PI;
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -pi / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, pi / 2);
    cairo_arc(cr, x + r, y + h - r, r, pi / 2, pi);
    cairo_arc(cr, x + r, y + r, r, pi, 3 * pi / 2);
    cairo_close_path(cr);
}

double textWidth(cairo_t* cr, const char* text, const TextStyle& style)
{
    cairo_save(cr);
    selectFont(cr, style);
    cairo_text_extents_t e;
    cairo_text_extents(cr, text, &e);
    const double n = static_cast<double>(std::strlen(text));
    const double width = e.x_advance + (n > 1 ? (n - 1) * style.tracking : 0);
    cairo_restore(cr);
    return width;
}

double drawText(cairo_t* cr, const char* text, double x, double cy, Align align,
                const TextStyle& style)
{
    const double width = textWidth(cr, text, style);
    cairo_save(cr);
    selectFont(cr, style);
    // Centre on the cap height so that captions with and without descenders line up.
    cairo_text_extents_t caps;
    cairo_text_extents(cr, "H", &caps);
    const double baseline = std::round(cy - caps.y_bearing / 2);
    double left = x;
    if (align == Align::Centre) left = x - width / 2;
    if (align == Align::Right) left = x - width;
    left = std::round(left);
    if (style.shadow) {
        cairo_set_source_rgba(cr, 0.05, 0.08, 0.12, 0.55 * style.alpha);
        showText(cr, text, left, baseline + 1, style.tracking);
    }
    setColour(cr, style.colour, style.alpha);
    showText(cr, text, left, baseline, style.tracking);
    cairo_restore(cr);
    return width;
}

void grooveH(cairo_t* cr, double x0, double x1, double y)
{
    cairo_save(cr);
    cairo_set_line_width(cr, 1);
    cairo_set_source_rgba(cr, 0.10, 0.15, 0.21, 0.55);
    cairo_move_to(cr, x0, y + 0.5);
    cairo_line_to(cr, x1, y + 0.5);
    cairo_stroke(cr);
    cairo_set_source_rgba(cr, 0.72, 0.80, 0.88, 0.22);
    cairo_move_to(cr, x0, y + 1.5);
    cairo_line_to(cr, x1, y + 1.5);
    cairo_stroke(cr);
    cairo_restore(cr);
}

void grooveRect(cairo_t* cr, double x, double y, double w, double h, double r)
{
    cairo_save(cr);
    cairo_set_line_width(cr, 1);
    cairo_set_source_rgba(cr, 0.72, 0.80, 0.88, 0.22);
    roundedRect(cr, x + 1.5, y + 1.5, w, h, r);
    cairo_stroke(cr);
    cairo_set_source_rgba(cr, 0.10, 0.15, 0.21, 0.55);
    roundedRect(cr, x + 0.5, y + 0.5, w, h, r);
    cairo_stroke(cr);
    cairo_restore(cr);
}

void recessFrame(cairo_t* cr, double x, double y, double w, double h)
{
    cairo_save(cr);
    cairo_set_line_width(cr, 1);
    // shadow on the upper and left edge
    cairo_set_source_rgba(cr, 0.06, 0.09, 0.13, 0.55);
    cairo_move_to(cr, x - 0.5, y + h);
    cairo_line_to(cr, x - 0.5, y - 0.5);
    cairo_line_to(cr, x + w, y - 0.5);
    cairo_stroke(cr);
    cairo_set_source_rgba(cr, 0.06, 0.09, 0.13, 0.20);
    cairo_move_to(cr, x - 1.5, y + h);
    cairo_line_to(cr, x - 1.5, y - 1.5);
    cairo_line_to(cr, x + w + 1, y - 1.5);
    cairo_stroke(cr);
    // light on the lower and right edge
    cairo_set_source_rgba(cr, 0.75, 0.83, 0.90, 0.28);
    cairo_move_to(cr, x + w + 0.5, y - 0.5);
    cairo_line_to(cr, x + w + 0.5, y + h + 0.5);
    cairo_line_to(cr, x - 1, y + h + 0.5);
    cairo_stroke(cr);
    cairo_restore(cr);
}

void screw(cairo_t* cr, double cx, double cy, double radius, double slotAngle)
{
    cairo_save(cr);
    // soft shadow
    cairo_pattern_t* shadow = cairo_pattern_create_radial(cx + 0.6, cy + 1.2, radius * 0.6,
                                                          cx + 0.6, cy + 1.2, radius + 2.2);
    cairo_pattern_add_color_stop_rgba(shadow, 0, 0, 0, 0, 0.45);
    cairo_pattern_add_color_stop_rgba(shadow, 1, 0, 0, 0, 0);
    cairo_set_source(cr, shadow);
    cairo_arc(cr, cx + 0.6, cy + 1.2, radius + 2.2, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_pattern_destroy(shadow);
    // domed head
    cairo_pattern_t* head = cairo_pattern_create_radial(cx - radius * 0.35, cy - radius * 0.45, 0.5,
                                                        cx, cy, radius);
    addStop(head, 0, Rgb{214, 222, 230});
    addStop(head, 0.55, Rgb{140, 152, 166});
    addStop(head, 1, Rgb{70, 80, 94});
    cairo_set_source(cr, head);
    cairo_arc(cr, cx, cy, radius, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_pattern_destroy(head);
    cairo_set_line_width(cr, 0.8);
    cairo_set_source_rgba(cr, 0.1, 0.13, 0.17, 0.8);
    cairo_arc(cr, cx, cy, radius - 0.4, 0, 2 * M_PI);
    cairo_stroke(cr);
    // slot
    const double dx = std::cos(slotAngle) * (radius - 1.2);
    const double dy = std::sin(slotAngle) * (radius - 1.2);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    cairo_set_line_width(cr, 1.6);
    cairo_set_source_rgba(cr, 0.16, 0.19, 0.23, 0.95);
    cairo_move_to(cr, cx - dx, cy - dy);
    cairo_line_to(cr, cx + dx, cy + dy);
    cairo_stroke(cr);
    cairo_set_line_width(cr, 0.7);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.35);
    cairo_move_to(cr, cx - dx + 0.5, cy - dy + 0.9);
    cairo_line_to(cr, cx + dx + 0.5, cy + dy + 0.9);
    cairo_stroke(cr);
    cairo_restore(cr);
}

void led(cairo_t* cr, double cx, double cy, double radius, Rgb colour, bool lit)
{
    cairo_save(cr);
    if (lit) {
        cairo_pattern_t* glow = cairo_pattern_create_radial(cx, cy, radius * 0.5, cx, cy, radius * 2.6);
        addStop(glow, 0, colour, 0.55);
        addStop(glow, 1, colour, 0);
        cairo_set_source(cr, glow);
        cairo_arc(cr, cx, cy, radius * 2.6, 0, 2 * M_PI);
        cairo_fill(cr);
        cairo_pattern_destroy(glow);
    }
    // bezel
    cairo_set_source_rgba(cr, 0.05, 0.07, 0.09, 0.9);
    cairo_arc(cr, cx, cy, radius + 1, 0, 2 * M_PI);
    cairo_fill(cr);
    const Rgb body = lit ? colour : mix(Rgb{30, 36, 42}, colour, 0.18);
    const Rgb centre = lit ? mix(colour, Rgb{255, 255, 255}, 0.65) : mix(Rgb{52, 60, 68}, colour, 0.2);
    cairo_pattern_t* lens = cairo_pattern_create_radial(cx - radius * 0.3, cy - radius * 0.35, 0.2,
                                                        cx, cy, radius);
    addStop(lens, 0, centre);
    addStop(lens, 1, body);
    cairo_set_source(cr, lens);
    cairo_arc(cr, cx, cy, radius, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_pattern_destroy(lens);
    // specular dot
    cairo_set_source_rgba(cr, 1, 1, 1, lit ? 0.7 : 0.25);
    cairo_arc(cr, cx - radius * 0.35, cy - radius * 0.4, radius * 0.28, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_restore(cr);
}

} // namespace artwork
