#pragma once
// How an Image holds its pixels here: 0xAARRGGBB words, not premultiplied,
// row after row, which the canvas blends from directly.
#include "platform/Image.h"

#include <vector>

namespace platform {

struct Image::Impl {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> argb;
};

} // namespace platform
