#pragma once
// An opaque RGB drawing surface in memory with the few operations the
// toolkit's drawing context needs. Lines follow the device-context rules the
// editor was laid out for: one-pixel lines are not antialiased, a line leaves
// out its end pixel, rectangles are outlined on their inner edge.
#include "platform/Image.h"
#include "platform/PixelTypes.h"

#include <cstdint>
#include <memory>
#include <string>

namespace platform {

class Canvas {
public:
    // A black canvas; invalid (and drawing nothing) when the size is not positive.
    Canvas(int width, int height);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    bool valid() const;
    int width() const { return width_; }
    int height() const { return height_; }

    // Every later operation draws only inside the rectangle, until resetClip.
    void setClip(const PixelRect& rect);
    void resetClip();

    void fillRect(const PixelRect& rect, Rgb color);
    // The pixels from (x0, y0) towards (x1, y1), the end pixel left out.
    void strokeLine(int x0, int y0, int x1, int y1, const Stroke& stroke);
    // A connected path through the points.
    void strokePolyline(const PixelPoint* points, int count, const Stroke& stroke);
    // The outline of the rectangle's outer pixel ring (columns left and right - 1,
    // rows top and bottom - 1).
    void strokeRect(const PixelRect& rect, const Stroke& stroke);

    // One line of text, vertically centred in the box and clipped to it. Left
    // alignment starts one pixel in. With a background the text cell is filled first.
    void drawText(const std::string& utf8, const PixelRect& box, const TextStyle& style, Rgb color,
                  TextAlign align, const Rgb* background);
    // Advance width of the text in pixels.
    int textWidth(const std::string& utf8, const TextStyle& style);

    // Copies the image area that starts at (srcX, srcY) into dest, blended with
    // the image's own alpha and the extra opacity alpha (255 = as is).
    void drawImage(const Image& image, int srcX, int srcY, const PixelRect& dest, unsigned char alpha = 255);

    // 0xRRGGBB of one pixel; 0 outside the canvas.
    std::uint32_t pixel(int x, int y) const;
    bool writePng(const std::string& path) const;

private:
    friend class ChildWindow;
    // Rows of 0x00RRGGBB pixels (native byte order), for the window that shows this canvas.
    const std::uint32_t* pixelRow(int y) const;
    struct Impl;
    std::unique_ptr<Impl> impl_;
    int width_;
    int height_;
};

} // namespace platform
