#pragma once
// A decoded bitmap, ready to be drawn on a Canvas.
#include <cstddef>
#include <cstdint>
#include <memory>

namespace platform {

class Image {
public:
    Image();
    ~Image();
    Image(Image&& other) noexcept;
    Image& operator=(Image&& other) noexcept;
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;

    // Decodes PNG bytes; an empty image when they do not decode.
    static Image fromPng(const unsigned char* data, std::size_t size);
    // Pixels as 0xAARRGGBB, not premultiplied, row after row; empty for a bad size.
    static Image fromArgb(int width, int height, const std::uint32_t* pixels);

    bool valid() const;
    int width() const;
    int height() const;
    // 0xAARRGGBB, not premultiplied; 0 outside the image.
    std::uint32_t pixel(int x, int y) const;

private:
    friend class Canvas;
    // What the platform holds the pixels in (defined by each platform's Image).
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace platform
