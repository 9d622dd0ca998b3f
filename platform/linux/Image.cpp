#include "platform/Image.h"

#include "platform/linux/ImageImpl.h"

#include <cstring>

namespace platform {

namespace {

struct PngReader {
    const unsigned char* data;
    std::size_t size;
    std::size_t pos;
};

cairo_status_t readPngBytes(void* closure, unsigned char* out, unsigned int length)
{
    auto* reader = static_cast<PngReader*>(closure);
    if (length > reader->size - reader->pos)
        return CAIRO_STATUS_READ_ERROR;
    std::memcpy(out, reader->data + reader->pos, length);
    reader->pos += length;
    return CAIRO_STATUS_SUCCESS;
}

unsigned char premultiply(unsigned channel, unsigned alpha)
{
    return static_cast<unsigned char>((channel * alpha + 127) / 255);
}

} // namespace

Image::Image() = default;
Image::~Image() = default;
Image::Image(Image&& other) noexcept = default;
Image& Image::operator=(Image&& other) noexcept = default;

Image Image::fromPng(const unsigned char* data, std::size_t size)
{
    Image image;
    if (!data || size == 0)
        return image;
    PngReader reader{data, size, 0};
    cairo_surface_t* surface = cairo_image_surface_create_from_png_stream(readPngBytes, &reader);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return image;
    }
    image.impl_ = std::make_unique<Impl>();
    image.impl_->surface = surface;
    return image;
}

Image Image::fromArgb(int width, int height, const std::uint32_t* pixels)
{
    Image image;
    if (width <= 0 || height <= 0 || !pixels)
        return image;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return image;
    }
    cairo_surface_flush(surface);
    unsigned char* base = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(base + y * stride);
        for (int x = 0; x < width; ++x) {
            const std::uint32_t p = pixels[static_cast<std::size_t>(y) * width + x];
            const unsigned a = p >> 24;
            row[x] = (a << 24) | (premultiply((p >> 16) & 0xff, a) << 16)
                     | (premultiply((p >> 8) & 0xff, a) << 8) | premultiply(p & 0xff, a);
        }
    }
    cairo_surface_mark_dirty(surface);
    image.impl_ = std::make_unique<Impl>();
    image.impl_->surface = surface;
    return image;
}

bool Image::valid() const
{
    return impl_ && impl_->surface;
}

int Image::width() const
{
    return valid() ? cairo_image_surface_get_width(impl_->surface) : 0;
}

int Image::height() const
{
    return valid() ? cairo_image_surface_get_height(impl_->surface) : 0;
}

std::uint32_t Image::pixel(int x, int y) const
{
    if (!valid() || x < 0 || y < 0 || x >= width() || y >= height())
        return 0;
    cairo_surface_t* surface = impl_->surface;
    cairo_surface_flush(surface);
    const unsigned char* base = cairo_image_surface_get_data(surface);
    const std::uint32_t p =
        reinterpret_cast<const std::uint32_t*>(base + y * cairo_image_surface_get_stride(surface))[x];
    if (cairo_image_surface_get_format(surface) != CAIRO_FORMAT_ARGB32)
        return 0xff000000u | (p & 0xffffffu);
    const unsigned a = p >> 24;
    if (a == 0)
        return 0;
    auto unpremultiply = [a](unsigned c) { return (c * 255 + a / 2) / a; };
    return (a << 24) | (unpremultiply((p >> 16) & 0xff) << 16) | (unpremultiply((p >> 8) & 0xff) << 8)
           | unpremultiply(p & 0xff);
}

} // namespace platform
