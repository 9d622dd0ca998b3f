#pragma once
// A decoded bitmap held as a cairo image surface (cairo stays inside platform/).
#include <cstddef>
#include <cstdint>
#include <memory>

namespace platform {

class CairoImage {
public:
    CairoImage();
    ~CairoImage();
    CairoImage(CairoImage&& other) noexcept;
    CairoImage& operator=(CairoImage&& other) noexcept;
    CairoImage(const CairoImage&) = delete;
    CairoImage& operator=(const CairoImage&) = delete;

    // Decodes PNG bytes; an empty image when they do not decode.
    static CairoImage fromPng(const unsigned char* data, std::size_t size);
    // Pixels as 0xAARRGGBB, not premultiplied, row after row; empty for a bad size.
    static CairoImage fromArgb(int width, int height, const std::uint32_t* pixels);

    bool valid() const;
    int width() const;
    int height() const;
    // 0xAARRGGBB, not premultiplied; 0 outside the image.
    std::uint32_t pixel(int x, int y) const;

private:
    friend class CairoCanvas;
    // The cairo surface, for the canvas that draws this image.
    void* nativeSurface() const;
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace platform
