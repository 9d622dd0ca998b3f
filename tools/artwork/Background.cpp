#include "Background.h"

#include "Layout.h"
#include "Paint.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace artwork {

namespace {

constexpr Rgb kPanelTop{82, 108, 136};
constexpr Rgb kPanelMiddle{67, 92, 117};
constexpr Rgb kPanelBottom{58, 81, 104};

void paintPanel(cairo_t* cr)
{
    cairo_pattern_t* base = cairo_pattern_create_linear(0, 0, 0, kWindowHeight);
    addStop(base, 0, kPanelTop);
    addStop(base, 0.5, kPanelMiddle);
    addStop(base, 1, kPanelBottom);
    cairo_set_source(cr, base);
    cairo_paint(cr);
    cairo_pattern_destroy(base);
    // a soft light falling from the upper left
    cairo_pattern_t* sheen = cairo_pattern_create_radial(120, -60, 40, 120, -60, 620);
    cairo_pattern_add_color_stop_rgba(sheen, 0, 1, 1, 1, 0.07);
    cairo_pattern_add_color_stop_rgba(sheen, 1, 1, 1, 1, 0);
    cairo_set_source(cr, sheen);
    cairo_paint(cr);
    cairo_pattern_destroy(sheen);
}

struct Zone {
    int left, top, right, bottom;
};

// The knob strips are shared by several knobs and drawn opaque, so the
// panel under every knob and its value display is brought to the strips'
// flat colour, fading out over a few pixels around it.
void flattenUnderKnobs(Image& image)
{
    std::vector<Zone> zones;
    auto add = [&zones](const KnobPlace& k, int size) {
        zones.push_back({k.x, k.y, k.x + size, k.y + size});
        zones.push_back({k.x - 2, k.y + size, k.x + size + 2, k.y + size + kDisplayHeight});
    };
    for (const KnobPlace& k : kShapeKnobs) add(k, 55);
    for (const KnobPlace& k : kFilterKnobs) add(k, 33);
    for (const KnobPlace& k : kLevelKnobs) add(k, 81);

    constexpr double kFeather = 14.0;
    const double flat[3] = {kPanel.r, kPanel.g, kPanel.b};
    cairo_surface_flush(image.surface());
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            double weight = 0;
            for (const Zone& z : zones) {
                const double dx = std::max({z.left - (x + 0.5), (x + 0.5) - z.right, 0.0});
                const double dy = std::max({z.top - (y + 0.5), (y + 0.5) - z.bottom, 0.0});
                const double d = std::sqrt(dx * dx + dy * dy);
                const double t = std::clamp(1.0 - d / kFeather, 0.0, 1.0);
                weight = std::max(weight, t * t * (3 - 2 * t));
            }
            if (weight <= 0) continue;
            double c[3];
            image.pixel(x, y, c);
            for (int i = 0; i < 3; ++i) c[i] += (flat[i] - c[i]) * weight;
            image.setPixel(x, y, c);
        }
    }
    cairo_surface_mark_dirty(image.surface());
}

void drawEdges(cairo_t* cr)
{
    cairo_set_line_width(cr, 1);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.16);
    cairo_rectangle(cr, 1.5, 1.5, kWindowWidth - 3, kWindowHeight - 3);
    cairo_stroke(cr);
    cairo_set_source_rgba(cr, 0.04, 0.06, 0.09, 0.85);
    cairo_rectangle(cr, 0.5, 0.5, kWindowWidth - 1, kWindowHeight - 1);
    cairo_stroke(cr);
}

void captionAbove(cairo_t* cr, const KnobPlace& k, int size, double gap)
{
    TextStyle style;
    style.size = 11;
    drawText(cr, k.caption, k.x + size / 2.0, k.y - gap, Align::Centre, style);
}

void drawKnobCaptions(cairo_t* cr)
{
    for (const KnobPlace& k : kShapeKnobs) captionAbove(cr, k, 55, 8);
    // the filter knobs have their switches above them, so their names go underneath
    TextStyle small;
    small.size = 9.5;
    small.colour = Rgb{200, 214, 228};
    for (const KnobPlace& k : kFilterKnobs)
        drawText(cr, k.caption, k.x + 16.5, k.y + 33 + kDisplayHeight + 7, Align::Centre, small);
    TextStyle big;
    big.size = 12;
    big.tracking = 1.5;
    for (const KnobPlace& k : kLevelKnobs)
        drawText(cr, k.caption, k.x + 40.5, k.y - 9, Align::Centre, big);
}

void drawTitle(cairo_t* cr)
{
    const double cx = 583;
    TextStyle name;
    name.size = 21;
    name.tracking = 0.5;
    drawText(cr, "KS [TALU-01]", cx, 217, Align::Centre, name);
    TextStyle sub;
    sub.size = 9.5;
    sub.tracking = 2.2;
    sub.colour = Rgb{150, 214, 244};
    drawText(cr, "CONVOLUTION REVERB", cx, 239, Align::Centre, sub);
}

void drawRightColumn(cairo_t* cr)
{
    TextStyle caption;
    caption.size = 11;
    caption.tracking = 1.2;
    drawText(cr, "BYPASS", kBypass.x + 36, kBypass.y - 10, Align::Centre, caption);
    drawText(cr, "RESET", kReset.x + 26, kReset.y + 10, Align::Left, caption);
    grooveH(cr, 602, 704, 86);
    grooveH(cr, 602, 704, 154);
}

} // namespace

Image drawBackground()
{
    Image image(kWindowWidth, kWindowHeight);
    cairo_t* cr = image.context();
    paintPanel(cr);
    cairo_destroy(cr);
    flattenUnderKnobs(image);

    cr = image.context();
    // recesses the graphs sit in
    recessFrame(cr, kEnvelopeGraph.x, kEnvelopeGraph.y, 565, 180);
    recessFrame(cr, kResponseGraph.x, kResponseGraph.y, 160, 80);
    // the band of controls below the envelope graph
    grooveH(cr, 8, 704, 192);
    // the filter section: graph, switches and knobs
    grooveRect(cr, 278, 198, 178, 173, 5);
    drawKnobCaptions(cr);
    drawTitle(cr);
    drawRightColumn(cr);
    screw(cr, 11, 11, 5.5, 0.6);
    screw(cr, kWindowWidth - 11, 11, 5.5, 2.1);
    screw(cr, 11, kWindowHeight - 11, 5.5, 1.2);
    screw(cr, kWindowWidth - 11, kWindowHeight - 11, 5.5, 2.7);
    drawEdges(cr);
    cairo_destroy(cr);
    return image;
}

} // namespace artwork
