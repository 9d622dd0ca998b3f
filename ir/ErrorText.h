#pragma once
// Formatting a reader's failure message into the caller's fixed buffer. Long
// paths are cut at the buffer's end rather than written past it.
#include <cstddef>

namespace ir {

void setErrorText(char* text, std::size_t capacity, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

} // namespace ir
