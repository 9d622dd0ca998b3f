#pragma once
#include <cstddef>

namespace platform {

// A PNG compiled into the plug-in, looked up by its resource id.
struct EmbeddedResource {
    const unsigned char* data;
    std::size_t size;
};

// Returns {nullptr, 0} when no bitmap has that id.
EmbeddedResource findEmbeddedResource(int id);

} // namespace platform
