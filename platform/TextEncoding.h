#pragma once
// Conversions of stored texts into the UTF-8 the plug-in works in.
#include <string>

namespace platform {

// Shift-JIS bytes to UTF-8 for display; bytes that do not convert are kept as '?'.
std::string shiftJisToUtf8(const std::string& sjis);

} // namespace platform
