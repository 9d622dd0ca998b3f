#pragma once
// Where a generated file image goes: a file on disk, or memory in tests.
#include <cstddef>

namespace ir {

class ByteSink {
public:
    virtual ~ByteSink() = default;
    // Appends n bytes; false when they could not all be written.
    virtual bool write(const void* source, std::size_t n) = 0;
};

} // namespace ir
