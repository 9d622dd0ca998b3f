#include "Buttons.h"

#include "Paint.h"

#include <cmath>
#include <functional>

namespace artwork {

namespace {

using StateDrawer = std::function<void(cairo_t*, double w, double h, bool on)>;

// Builds the stacked bitmap; rows beyond the two halves keep the underlay.
Image stacked(const Image& underlay, int height, const StateDrawer& draw)
{
    const int w = underlay.width();
    const int half = underlay.height();
    Image out(w, height);
    for (int y = 0; y < height; y += half) out.paste(underlay, 0, y);
    cairo_t* cr = out.context();
    for (int state = 0; state < 2; ++state) {
        cairo_save(cr);
        cairo_rectangle(cr, 0, state * half, w, half);
        cairo_clip(cr);
        cairo_translate(cr, 0, state * half);
        draw(cr, w, half, state == 1);
        cairo_restore(cr);
    }
    cairo_destroy(cr);
    return out;
}

// A rectangular key face; pressed keys sit lower and darker.
void keyFace(cairo_t* cr, double w, double h, double radius, bool pressed)
{
    // outer shadow line around the key
    cairo_set_source_rgba(cr, 0.04, 0.06, 0.09, pressed ? 0.45 : 0.6);
    roundedRect(cr, 0, 0, w, h, radius + 0.5);
    cairo_fill(cr);
    cairo_pattern_t* face = cairo_pattern_create_linear(0, 1, 0, h - 1);
    if (pressed) {
        addStop(face, 0, Rgb{46, 62, 80});
        addStop(face, 1, Rgb{66, 88, 112});
    } else {
        addStop(face, 0, Rgb{124, 148, 174});
        addStop(face, 0.5, Rgb{96, 120, 146});
        addStop(face, 1, Rgb{74, 96, 122});
    }
    cairo_set_source(cr, face);
    roundedRect(cr, 1, 1, w - 2, h - 2, radius);
    cairo_fill(cr);
    cairo_pattern_destroy(face);
    cairo_set_line_width(cr, 1);
    if (pressed) {
        // inner shadow along the top edge
        cairo_set_source_rgba(cr, 0, 0, 0, 0.35);
        cairo_move_to(cr, 1 + radius, 1.5);
        cairo_line_to(cr, w - 1 - radius, 1.5);
        cairo_stroke(cr);
    } else {
        cairo_set_source_rgba(cr, 1, 1, 1, 0.38);
        cairo_move_to(cr, 1 + radius, 1.5);
        cairo_line_to(cr, w - 1 - radius, 1.5);
        cairo_stroke(cr);
    }
}

void filterIcon(cairo_t* cr, FilterShape shape, double cx, double cy, bool lit)
{
    const double w = 22, h = 11;
    const double x0 = cx - w / 2, y0 = cy - h / 2;
    cairo_save(cr);
    cairo_translate(cr, x0, y0);
    cairo_new_path(cr);
    switch (shape) {
    case FilterShape::HighPass:
        cairo_move_to(cr, 1, h);
        cairo_curve_to(cr, 5, 6, 6, 1.5, 11, 1.5);
        cairo_line_to(cr, w, 1.5);
        break;
    case FilterShape::LowPass:
        cairo_move_to(cr, 0, 1.5);
        cairo_line_to(cr, w - 11, 1.5);
        cairo_curve_to(cr, w - 6, 1.5, w - 5, 6, w - 1, h);
        break;
    case FilterShape::Shelf:
        cairo_move_to(cr, 0, 8.5);
        cairo_line_to(cr, 6, 8.5);
        cairo_curve_to(cr, 10, 8.5, 12, 2, 16, 2);
        cairo_line_to(cr, w, 2);
        break;
    }
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_path_t* path = cairo_copy_path(cr);
    if (lit) {
        setColour(cr, kAccent, 0.35);
        cairo_set_line_width(cr, 4.2);
        cairo_stroke(cr);
        cairo_append_path(cr, path);
        setColour(cr, Rgb{170, 238, 255});
        cairo_set_line_width(cr, 1.8);
        cairo_stroke(cr);
    } else {
        cairo_set_source_rgba(cr, 1, 1, 1, 0.16);
        cairo_set_line_width(cr, 1.8);
        cairo_translate(cr, 0, 1);
        cairo_stroke(cr);
        cairo_translate(cr, 0, -1);
        cairo_append_path(cr, path);
        setColour(cr, Rgb{26, 36, 48});
        cairo_set_line_width(cr, 1.8);
        cairo_stroke(cr);
    }
    cairo_path_destroy(path);
    cairo_restore(cr);
}

// A dark window in a key that lights up when on.
void lightWindow(cairo_t* cr, double x, double y, double w, double h, bool on)
{
    cairo_pattern_t* glass = cairo_pattern_create_linear(0, y, 0, y + h);
    if (on) {
        addStop(glass, 0, Rgb{20, 52, 70});
        addStop(glass, 1, Rgb{14, 36, 50});
    } else {
        addStop(glass, 0, Rgb{22, 30, 40});
        addStop(glass, 1, Rgb{30, 40, 52});
    }
    cairo_set_source(cr, glass);
    roundedRect(cr, x, y, w, h, 2.5);
    cairo_fill(cr);
    cairo_pattern_destroy(glass);
    cairo_set_line_width(cr, 1);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.18);
    cairo_move_to(cr, x + 2, y + h + 0.5);
    cairo_line_to(cr, x + w - 2, y + h + 0.5);
    cairo_stroke(cr);
}

} // namespace

Image drawKickButton(const Image& underlay, const char* caption)
{
    return stacked(underlay, underlay.height() * 2, [caption](cairo_t* cr, double w, double h, bool pressed) {
        keyFace(cr, w, h, 3, pressed);
        TextStyle text;
        text.size = 10;
        text.colour = pressed ? Rgb{168, 228, 252} : Rgb{244, 248, 252};
        drawText(cr, caption, w / 2, h / 2 + (pressed ? 0.5 : -0.5), Align::Centre, text);
    });
}

Image drawResetButton(const Image& underlay, int height)
{
    return stacked(underlay, height, [](cairo_t* cr, double w, double h, bool pressed) {
        const double cx = w / 2, cy = h / 2, r = std::min(w, h) / 2 - 1.5;
        cairo_set_source_rgba(cr, 0.03, 0.05, 0.08, 0.6);
        cairo_arc(cr, cx, cy + 0.6, r + 1.2, 0, 2 * M_PI);
        cairo_fill(cr);
        cairo_pattern_t* face = cairo_pattern_create_linear(0, cy - r, 0, cy + r);
        if (pressed) {
            addStop(face, 0, Rgb{44, 58, 74});
            addStop(face, 1, Rgb{70, 92, 116});
        } else {
            addStop(face, 0, Rgb{136, 158, 182});
            addStop(face, 1, Rgb{70, 92, 118});
        }
        cairo_set_source(cr, face);
        cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
        cairo_fill(cr);
        cairo_pattern_destroy(face);
        // a circular arrow: "back to the start"
        const double ar = r * 0.5;
        cairo_set_line_width(cr, 1.5);
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        const Rgb ink = pressed ? Rgb{150, 225, 252} : Rgb{28, 38, 50};
        setColour(cr, ink);
        cairo_arc(cr, cx, cy, ar, -M_PI * 0.35, M_PI * 1.35);
        cairo_stroke(cr);
        const double ta = -M_PI * 0.35;
        const double tx = cx + ar * std::cos(ta), ty = cy + ar * std::sin(ta);
        cairo_move_to(cr, tx + 2.6, ty - 0.6);
        cairo_line_to(cr, tx - 0.4, ty - 1.0);
        cairo_line_to(cr, tx + 0.8, ty + 2.4);
        cairo_close_path(cr);
        cairo_fill(cr);
    });
}

Image drawBypassSwitch(const Image& underlay)
{
    return stacked(underlay, underlay.height() * 2, [](cairo_t* cr, double w, double h, bool on) {
        keyFace(cr, w, h, 4, false);
        lightWindow(cr, 5, 4, w - 10, h - 9, on);
        // lit while the effect processes; dark, with an amber word, while bypassed
        led(cr, w / 2, 11.5, 3.5, Rgb{90, 240, 120}, on);
        TextStyle text;
        text.size = 9;
        text.shadow = false;
        text.colour = on ? Rgb{200, 250, 210} : Rgb{240, 172, 64};
        text.tracking = on ? 1.0 : 0.3;
        drawText(cr, on ? "ACTIVE" : "BYPASSED", w / 2, 23.5, Align::Centre, text);
    });
}

Image drawFilterSwitch(const Image& underlay, FilterShape shape)
{
    return stacked(underlay, underlay.height() * 2, [shape](cairo_t* cr, double w, double h, bool on) {
        keyFace(cr, w, h, 3.5, on);
        if (on) {
            cairo_pattern_t* glow = cairo_pattern_create_radial(w / 2, h / 2, 2, w / 2, h / 2, w / 2);
            addStop(glow, 0, kAccent, 0.22);
            addStop(glow, 1, kAccent, 0);
            cairo_set_source(cr, glow);
            roundedRect(cr, 1, 1, w - 2, h - 2, 3.5);
            cairo_fill(cr);
            cairo_pattern_destroy(glow);
        }
        filterIcon(cr, shape, w / 2, h / 2 + (on ? 0.5 : 0), on);
    });
}

Image drawBoostSwitch(const Image& underlay)
{
    return stacked(underlay, underlay.height() * 2, [](cairo_t* cr, double w, double h, bool on) {
        keyFace(cr, w, h, 4, on);
        const Rgb amber{255, 184, 60};
        if (on) {
            cairo_pattern_t* glow = cairo_pattern_create_radial(w / 2, h / 2, 2, w / 2, h / 2, w / 2);
            addStop(glow, 0, amber, 0.25);
            addStop(glow, 1, amber, 0);
            cairo_set_source(cr, glow);
            roundedRect(cr, 1, 1, w - 2, h - 2, 4);
            cairo_fill(cr);
            cairo_pattern_destroy(glow);
        }
        TextStyle text;
        text.size = 11.5;
        text.shadow = !on;
        text.colour = on ? Rgb{255, 214, 130} : Rgb{30, 40, 52};
        if (!on) {
            // engraved: light line under dark letters
            TextStyle under = text;
            under.colour = Rgb{170, 190, 210};
            under.alpha = 0.35;
            under.shadow = false;
            drawText(cr, "+12dB", w / 2, h / 2 + 1, Align::Centre, under);
            text.shadow = false;
        }
        drawText(cr, "+12dB", w / 2, h / 2 + (on ? 0.5 : 0), Align::Centre, text);
    });
}

Image drawLedSwitch(const Image& underlay)
{
    return stacked(underlay, underlay.height() * 2, [](cairo_t* cr, double w, double h, bool on) {
        keyFace(cr, w, h, 3.5, on);
        led(cr, w / 2, h / 2, 4, kAccent, on);
    });
}

} // namespace artwork
