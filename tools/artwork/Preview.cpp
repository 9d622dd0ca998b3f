#include "Preview.h"

#include "Layout.h"
#include "Paint.h"


namespace artwork {

namespace {

// The frame a strip shows for a normalised value, as the knob control picks it.
void pasteKnob(Image& out, const Image& strip, int x, int y, double value)
{
    const int size = strip.width();
    const int frames = strip.height() / size;
    const int span = size * (frames - 1);
    const int p = static_cast<int>(value * span + 0.5);
    const int top = p / size * size;
    out.pasteRows(strip, top, size, x, y);
}

void pasteState(Image& out, const Image& bitmap, int half, Spot at, bool second)
{
    out.pasteRows(bitmap, second ? half : 0, half, at.x, at.y);
}

void valueDisplay(cairo_t* cr, int x, int y, int w, const char* text)
{
    setColour(cr, kPanel);
    cairo_rectangle(cr, x - 2, y, w + 4, kDisplayHeight);
    cairo_fill(cr);
    TextStyle style;
    style.size = 10;
    style.bold = false;
    style.shadow = false;
    style.colour = Rgb{208, 208, 208};
    drawText(cr, text, x + w / 2.0, y + kDisplayHeight / 2.0, Align::Centre, style);
}

void sketchGraphs(cairo_t* cr)
{
    cairo_set_line_width(cr, 1);
    setColour(cr, Rgb{74, 116, 128});
    for (int d = 0; d <= 60; d += 10) {
        const double y = 63 + d * 106 / 60.0 + 0.5;
        cairo_move_to(cr, 83, y);
        cairo_line_to(cr, 567, y);
    }
    cairo_stroke(cr);
    setColour(cr, Rgb{104, 160, 182});
    cairo_rectangle(cr, 82.5, 63.5, 484, 106);
    cairo_rectangle(cr, 311.5, 215.5, 128, 53);
    cairo_stroke(cr);
    setColour(cr, Rgb{255, 175, 0});
    cairo_move_to(cr, 312, 242.5);
    cairo_line_to(cr, 439, 242.5);
    cairo_stroke(cr);
    setColour(cr, Rgb{0, 244, 255});
    cairo_move_to(cr, 83, 66);
    cairo_curve_to(cr, 200, 110, 300, 150, 520, 169);
    cairo_stroke(cr);
    TextStyle info;
    info.size = 18;
    info.shadow = false;
    info.colour = Rgb{104, 160, 182};
    drawText(cr, "IR File is not loaded.", 53, 25, Align::Left, info);
}

} // namespace

Image composePreview(const BitmapSet& bitmaps)
{
    Image out(kWindowWidth, kWindowHeight);
    out.paste(*bitmaps.at(11030), 0, 0);
    out.paste(*bitmaps.at(132), kEnvelopeGraph.x, kEnvelopeGraph.y);
    out.paste(*bitmaps.at(131), kResponseGraph.x, kResponseGraph.y);

    const double shapeValues[] = {0.5, 0.5, 1.0, 1.0, 0.0, 0.75, 0.5, 0.5};
    const char* shapeTexts[] = {"100%", "0.0", " 1.00", "off", "0ns", "L-R Mix 50%", "Stereo", "Center"};
    const double filterValues[] = {0.0, 0.5, 1.0};
    const char* filterTexts[] = {"20.0Hz", "0.0dB", "20.0kHz"};
    cairo_t* cr = out.context();
    for (int i = 0; i < 8; ++i) {
        const KnobPlace& k = kShapeKnobs[i];
        pasteKnob(out, *bitmaps.at(11021), k.x, k.y, shapeValues[i]);
        valueDisplay(cr, k.x, k.y + 55, 55, shapeTexts[i]);
    }
    for (int i = 0; i < 3; ++i) {
        const KnobPlace& k = kFilterKnobs[i];
        pasteKnob(out, *bitmaps.at(11020), k.x, k.y, filterValues[i]);
        valueDisplay(cr, k.x, k.y + 33, 33, filterTexts[i]);
    }
    for (const KnobPlace& k : kLevelKnobs) {
        pasteKnob(out, *bitmaps.at(11022), k.x, k.y, 0.8333333333333334);
        valueDisplay(cr, k.x, k.y + 81, 81, "0.0dB");
    }
    pasteState(out, *bitmaps.at(11034), 16, kWebSearch, false);
    pasteState(out, *bitmaps.at(11033), 17, kFileSelect, true);
    pasteState(out, *bitmaps.at(11032), 17, kCopyToLocal, false);
    pasteState(out, *bitmaps.at(11007), 20, kReset, false);
    pasteState(out, *bitmaps.at(11006), 36, kBypass, true);
    pasteState(out, *bitmaps.at(11012), 25, kHpfSwitch, true);
    pasteState(out, *bitmaps.at(11010), 25, kBalSwitch, false);
    pasteState(out, *bitmaps.at(11014), 25, kLpfSwitch, true);
    pasteState(out, *bitmaps.at(11015), 26, kBoost, false);
    sketchGraphs(cr);
    cairo_destroy(cr);
    return out;
}

} // namespace artwork
