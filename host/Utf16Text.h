#pragma once
// The UTF-16 strings of VST 3 (names, parameter titles, value texts) to and
// from the host's UTF-8.
#include <cstddef>
#include <string>

// At most `capacity` units, ending at the first zero.
std::string utf8FromUtf16(const char16_t* text, std::size_t capacity);
// Writes `text` with its terminator into `out`, cut to fit `capacity` units.
void utf16FromUtf8(const std::string& text, char16_t* out, std::size_t capacity);
