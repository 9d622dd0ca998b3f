#pragma once
// An opaque RGB image backed by a cairo image surface.
#include <cairo.h>
#include <string>

namespace artwork {

class Image {
public:
    Image(int width, int height);
    ~Image();
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;
    Image(Image&& other) noexcept;
    Image& operator=(Image&& other) = delete;

    int width() const { return width_; }
    int height() const { return height_; }
    cairo_surface_t* surface() const { return surface_; }

    // A fresh drawing context on the image; the caller destroys it.
    cairo_t* context() const;

    // Copies the area (x, y, w, h) of this image into a new image.
    Image crop(int x, int y, int w, int h) const;
    // Paints the whole of src with its top-left corner at (x, y).
    void paste(const Image& src, int x, int y);
    // Paints the rows srcY .. srcY + h - 1 of src at (x, y).
    void pasteRows(const Image& src, int srcY, int h, int x, int y);

    // Channel values 0..255 of one pixel; used by the flat-zone blending.
    void pixel(int x, int y, double rgb[3]) const;
    void setPixel(int x, int y, const double rgb[3]);

    bool writePng(const std::string& path) const;

private:
    int width_;
    int height_;
    cairo_surface_t* surface_;
};

} // namespace artwork
