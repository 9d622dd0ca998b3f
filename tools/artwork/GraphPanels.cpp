#include "GraphPanels.h"

#include "Paint.h"

namespace artwork {

Image drawGraphPanel(const Image& underlay, const Box& plot)
{
    const double w = underlay.width();
    const double h = underlay.height();
    Image out(underlay.width(), underlay.height());
    out.paste(underlay, 0, 0);
    cairo_t* cr = out.context();

    // the screen: deep navy, a touch lighter at the top
    cairo_pattern_t* glass = cairo_pattern_create_linear(0, 0, 0, h);
    addStop(glass, 0, Rgb{26, 36, 48});
    addStop(glass, 1, Rgb{14, 20, 28});
    cairo_set_source(cr, glass);
    roundedRect(cr, 0, 0, w, h, 4);
    cairo_fill(cr);
    cairo_pattern_destroy(glass);

    // the plot area, darker still, so the curves stand out
    const double px = plot.left, py = plot.top;
    const double pw = plot.right - plot.left, ph = plot.bottom - plot.top;
    cairo_pattern_t* well = cairo_pattern_create_linear(0, py, 0, py + ph);
    addStop(well, 0, Rgb{10, 16, 24});
    addStop(well, 1, Rgb{7, 11, 17});
    cairo_set_source(cr, well);
    cairo_rectangle(cr, px, py, pw, ph);
    cairo_fill(cr);
    cairo_pattern_destroy(well);

    // a faint inner shadow along the screen's upper edge
    cairo_pattern_t* shade = cairo_pattern_create_linear(0, 0, 0, 6);
    cairo_pattern_add_color_stop_rgba(shade, 0, 0, 0, 0, 0.45);
    cairo_pattern_add_color_stop_rgba(shade, 1, 0, 0, 0, 0);
    cairo_set_source(cr, shade);
    roundedRect(cr, 0, 0, w, h, 4);
    cairo_fill(cr);
    cairo_pattern_destroy(shade);

    // bezel line
    cairo_set_line_width(cr, 1);
    cairo_set_source_rgba(cr, 0.02, 0.03, 0.05, 0.9);
    roundedRect(cr, 0.5, 0.5, w - 1, h - 1, 3.5);
    cairo_stroke(cr);
    cairo_set_source_rgba(cr, 0.55, 0.68, 0.80, 0.10);
    roundedRect(cr, 1.5, 1.5, w - 3, h - 3, 3);
    cairo_stroke(cr);

    cairo_destroy(cr);
    return out;
}

} // namespace artwork
