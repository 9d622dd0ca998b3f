#pragma once
// How an Image holds its pixels here: a cairo image surface, which the canvas
// paints from directly.
#include "platform/Image.h"

#include <cairo.h>

namespace platform {

struct Image::Impl {
    cairo_surface_t* surface = nullptr;
    ~Impl()
    {
        if (surface)
            cairo_surface_destroy(surface);
    }
};

} // namespace platform
