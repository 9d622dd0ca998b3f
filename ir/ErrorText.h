#pragma once
// Formatting a reader's failure message into the caller's fixed buffer. Long
// paths are cut at the buffer's end rather than written past it.
#include "ir/IRFileReaders.h"

#include <cstddef>

namespace ir {

void setErrorText(char* text, std::size_t capacity, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

// The header readers' two ways out, each leaving its reason in errorText: a
// file they cannot make sense of (returns -1), and a sound file they
// understand but cannot use (returns kIRRefused).
int readFailed(IRErrorText& errorText, const char* message);
int readRefused(IRErrorText& errorText, const char* format, ...) __attribute__((format(printf, 2, 3)));

} // namespace ir
