#include "platform/Canvas.h"

#include "platform/TextPlacement.h"
#include "platform/linux/ImageImpl.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>

namespace platform {

struct Canvas::Impl {
    cairo_surface_t* surface = nullptr;
    cairo_t* cr = nullptr;
    ~Impl()
    {
        if (cr)
            cairo_destroy(cr);
        if (surface)
            cairo_surface_destroy(surface);
    }
};

namespace {

void setColor(cairo_t* cr, Rgb c)
{
    cairo_set_source_rgb(cr, c.r / 255.0, c.g / 255.0, c.b / 255.0);
}

void applyStroke(cairo_t* cr, const Stroke& stroke)
{
    setColor(cr, stroke.color);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    cairo_set_line_width(cr, std::max(1, stroke.width));
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_MITER);
    if (stroke.dotted) {
        const double dots[] = {1.0, 1.0};
        cairo_set_dash(cr, dots, 2, 0.0);
    } else {
        cairo_set_dash(cr, nullptr, 0, 0.0);
    }
}

// The desktop's substitutes for the faces the editor names: a metric-compatible
// sans for Arial and CJK-capable faces for the Japanese ones. Anything else
// goes to fontconfig as it is.
const char* fontconfigFamily(const std::string& face)
{
    if (face == "Arial")
        return "Liberation Sans";
    // the IPA faces (Debian fonts-ipafont) have the same proportional/fixed split
    if (face == "MS UI Gothic" || face == "MS P Gothic")
        return "IPAPGothic";
    if (face == "MS Gothic")
        return "IPAGothic";
    if (face == "MS P Mincho")
        return "IPAPMincho";
    if (face == "MS Mincho")
        return "IPAMincho";
    return face.c_str();
}

void selectFont(cairo_t* cr, const TextStyle& style)
{
    cairo_select_font_face(cr, fontconfigFamily(style.face),
                           style.italic ? CAIRO_FONT_SLANT_ITALIC : CAIRO_FONT_SLANT_NORMAL,
                           style.bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, std::max(1, style.sizePx));
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
    cairo_set_font_options(cr, options);
    cairo_font_options_destroy(options);
}

} // namespace

Canvas::Canvas(int width, int height)
    : width_(std::max(0, width)), height_(std::max(0, height))
{
    if (width_ == 0 || height_ == 0)
        return;
    auto impl = std::make_unique<Impl>();
    impl->surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width_, height_);
    if (cairo_surface_status(impl->surface) != CAIRO_STATUS_SUCCESS)
        return;
    impl->cr = cairo_create(impl->surface);
    if (cairo_status(impl->cr) != CAIRO_STATUS_SUCCESS)
        return;
    cairo_set_source_rgb(impl->cr, 0, 0, 0);
    cairo_paint(impl->cr);
    impl_ = std::move(impl);
}

Canvas::~Canvas() = default;

const std::uint32_t* Canvas::pixelRow(int y) const
{
    if (!impl_ || y < 0 || y >= height_)
        return nullptr;
    cairo_surface_flush(impl_->surface);
    const unsigned char* base = cairo_image_surface_get_data(impl_->surface);
    return reinterpret_cast<const std::uint32_t*>(base + y * cairo_image_surface_get_stride(impl_->surface));
}

bool Canvas::valid() const
{
    return impl_ != nullptr;
}

void Canvas::setClip(const PixelRect& rect)
{
    if (!impl_)
        return;
    cairo_reset_clip(impl_->cr);
    cairo_rectangle(impl_->cr, rect.left, rect.top, std::max(0, rect.width()), std::max(0, rect.height()));
    cairo_clip(impl_->cr);
}

void Canvas::resetClip()
{
    if (impl_)
        cairo_reset_clip(impl_->cr);
}

void Canvas::fillRect(const PixelRect& rect, Rgb color)
{
    if (!impl_ || rect.empty())
        return;
    cairo_t* cr = impl_->cr;
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    setColor(cr, color);
    cairo_rectangle(cr, rect.left, rect.top, rect.width(), rect.height());
    cairo_fill(cr);
}

void Canvas::strokeLine(int x0, int y0, int x1, int y1, const Stroke& stroke)
{
    if (!impl_ || (x0 == x1 && y0 == y1))
        return;
    cairo_t* cr = impl_->cr;
    applyStroke(cr, stroke);
    // Straight lines run along pixel edges so that exactly the pixels from the
    // start up to, not including, the end are covered; slanted ones through
    // pixel centres.
    if (y0 == y1) {
        const double shift = x1 > x0 ? 0.0 : 1.0;
        cairo_move_to(cr, x0 + shift, y0 + 0.5);
        cairo_line_to(cr, x1 + shift, y0 + 0.5);
    } else if (x0 == x1) {
        const double shift = y1 > y0 ? 0.0 : 1.0;
        cairo_move_to(cr, x0 + 0.5, y0 + shift);
        cairo_line_to(cr, x0 + 0.5, y1 + shift);
    } else {
        cairo_move_to(cr, x0 + 0.5, y0 + 0.5);
        cairo_line_to(cr, x1 + 0.5, y1 + 0.5);
    }
    cairo_stroke(cr);
}

void Canvas::strokePolyline(const PixelPoint* points, int count, const Stroke& stroke)
{
    if (!impl_ || !points || count < 2)
        return;
    cairo_t* cr = impl_->cr;
    applyStroke(cr, stroke);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_BEVEL);
    cairo_move_to(cr, points[0].x + 0.5, points[0].y + 0.5);
    for (int i = 1; i < count; ++i)
        cairo_line_to(cr, points[i].x + 0.5, points[i].y + 0.5);
    cairo_stroke(cr);
}

void Canvas::strokeRect(const PixelRect& rect, const Stroke& stroke)
{
    if (!impl_ || rect.empty())
        return;
    cairo_t* cr = impl_->cr;
    applyStroke(cr, stroke);
    const double half = std::max(1, stroke.width) * 0.5;
    cairo_rectangle(cr, rect.left + half, rect.top + half, std::max(0.0, rect.width() - 2 * half),
                    std::max(0.0, rect.height() - 2 * half));
    cairo_stroke(cr);
}

void Canvas::drawText(const std::string& utf8, const PixelRect& box, const TextStyle& style, Rgb color,
                           TextAlign align, const Rgb* background)
{
    if (!impl_ || utf8.empty() || box.empty())
        return;
    cairo_t* cr = impl_->cr;
    cairo_save(cr);
    cairo_rectangle(cr, box.left, box.top, box.width(), box.height());
    cairo_clip(cr);
    selectFont(cr, style);
    cairo_font_extents_t font;
    cairo_font_extents(cr, &font);
    cairo_text_extents_t text;
    cairo_text_extents(cr, utf8.c_str(), &text);
    const int advance = static_cast<int>(std::lround(text.x_advance));
    const int cell = static_cast<int>(std::lround(font.ascent + font.descent));
    const int ascent = static_cast<int>(std::lround(font.ascent));
    const TextPlacement place = placeText(box, advance, ascent, cell, align);
    const int x = place.x;
    const int top = place.top;
    const int baseline = place.baseline;
    if (background) {
        cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
        setColor(cr, *background);
        cairo_rectangle(cr, x, top, advance, cell);
        cairo_fill(cr);
    }
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_DEFAULT);
    setColor(cr, color);
    cairo_move_to(cr, x, baseline);
    cairo_show_text(cr, utf8.c_str());
    cairo_new_path(cr);
    if (style.underline) {
        cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
        cairo_rectangle(cr, x, baseline + 1, advance, 1);
        cairo_fill(cr);
    }
    cairo_restore(cr);
}

int Canvas::textWidth(const std::string& utf8, const TextStyle& style)
{
    if (!impl_ || utf8.empty())
        return 0;
    cairo_t* cr = impl_->cr;
    cairo_save(cr);
    selectFont(cr, style);
    cairo_text_extents_t text;
    cairo_text_extents(cr, utf8.c_str(), &text);
    cairo_restore(cr);
    return static_cast<int>(std::lround(text.x_advance));
}

void Canvas::drawImage(const Image& image, int srcX, int srcY, const PixelRect& dest,
                            unsigned char alpha)
{
    if (!impl_ || !image.valid() || dest.empty() || alpha == 0)
        return;
    cairo_t* cr = impl_->cr;
    cairo_save(cr);
    cairo_rectangle(cr, dest.left, dest.top, dest.width(), dest.height());
    cairo_clip(cr);
    cairo_set_source_surface(cr, image.impl_->surface, dest.left - srcX, dest.top - srcY);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
    if (alpha == 255)
        cairo_paint(cr);
    else
        cairo_paint_with_alpha(cr, alpha / 255.0);
    cairo_restore(cr);
}

std::uint32_t Canvas::pixel(int x, int y) const
{
    if (!impl_ || x < 0 || y < 0 || x >= width_ || y >= height_)
        return 0;
    cairo_surface_flush(impl_->surface);
    const unsigned char* base = cairo_image_surface_get_data(impl_->surface);
    const int stride = cairo_image_surface_get_stride(impl_->surface);
    return reinterpret_cast<const std::uint32_t*>(base + y * stride)[x] & 0xffffffu;
}

bool Canvas::writePng(const std::string& path) const
{
    if (!impl_)
        return false;
    cairo_surface_flush(impl_->surface);
    return cairo_surface_write_to_png(impl_->surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
}

} // namespace platform
