#pragma once
// Text between the plug-in (UTF-8) and the format's UTF-16 strings.
#include "vst3/Unknown.h"

#include <string>

namespace vst3plugin {

// Writes UTF-8 text into a UTF-16 buffer of `capacity` units, terminated and
// cut to fit at a whole character; malformed bytes become U+FFFD.
void copyUtf16(const std::string& utf8, vst3::char16* to, int capacity);

// The UTF-16 text up to its terminator (at most `capacity` units), as UTF-8.
std::string utf8FromUtf16(const vst3::char16* text, int capacity);

// Writes ASCII or UTF-8 text into a fixed char buffer, terminated and cut to fit.
void copyText(const char* from, char* to, int capacity);

} // namespace vst3plugin
