#include "Image.h"

#include <algorithm>
#include <cstdint>

namespace artwork {

Image::Image(int width, int height)
    : width_(width), height_(height),
      surface_(cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height))
{
}

Image::~Image()
{
    if (surface_) cairo_surface_destroy(surface_);
}

Image::Image(Image&& other) noexcept
    : width_(other.width_), height_(other.height_), surface_(other.surface_)
{
    other.surface_ = nullptr;
}

cairo_t* Image::context() const
{
    return cairo_create(surface_);
}

Image Image::crop(int x, int y, int w, int h) const
{
    Image out(w, h);
    cairo_t* cr = out.context();
    cairo_set_source_surface(cr, surface_, -x, -y);
    cairo_paint(cr);
    cairo_destroy(cr);
    return out;
}

void Image::paste(const Image& src, int x, int y)
{
    pasteRows(src, 0, src.height(), x, y);
}

void Image::pasteRows(const Image& src, int srcY, int h, int x, int y)
{
    cairo_t* cr = context();
    cairo_rectangle(cr, x, y, src.width(), h);
    cairo_clip(cr);
    cairo_set_source_surface(cr, src.surface(), x, y - srcY);
    cairo_paint(cr);
    cairo_destroy(cr);
}

void Image::pixel(int x, int y, double rgb[3]) const
{
    cairo_surface_flush(surface_);
    const unsigned char* data = cairo_image_surface_get_data(surface_);
    const int stride = cairo_image_surface_get_stride(surface_);
    const auto* p = reinterpret_cast<const std::uint32_t*>(data + y * stride) + x;
    rgb[0] = (*p >> 16) & 0xff;
    rgb[1] = (*p >> 8) & 0xff;
    rgb[2] = *p & 0xff;
}

void Image::setPixel(int x, int y, const double rgb[3])
{
    unsigned char* data = cairo_image_surface_get_data(surface_);
    const int stride = cairo_image_surface_get_stride(surface_);
    auto* p = reinterpret_cast<std::uint32_t*>(data + y * stride) + x;
    auto channel = [](double v) {
        return static_cast<std::uint32_t>(std::clamp(v + 0.5, 0.0, 255.0));
    };
    *p = 0xff000000u | (channel(rgb[0]) << 16) | (channel(rgb[1]) << 8) | channel(rgb[2]);
    cairo_surface_mark_dirty_rectangle(surface_, x, y, 1, 1);
}

bool Image::writePng(const std::string& path) const
{
    cairo_surface_flush(surface_);
    return cairo_surface_write_to_png(surface_, path.c_str()) == CAIRO_STATUS_SUCCESS;
}

} // namespace artwork
