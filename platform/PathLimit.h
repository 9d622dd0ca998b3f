#pragma once
// Paths that do not fit a buffer are refused with a word to the user, never cut.
#include <cstddef>
#include <string>

namespace platform {

// True when `path` has at most `maxBytes` bytes. Otherwise shows "<subject> is
// too long<purpose> (N bytes; at most M):" and the path in a message box under
// `caption`, and answers false. `purpose` is empty or starts with a blank.
bool pathFits(const std::string& path, std::size_t maxBytes, const char* caption, const char* subject,
              const char* purpose = "");
// The same words without the message box: "" when the path fits.
std::string pathTooLong(const std::string& path, std::size_t maxBytes, const char* subject, const char* purpose = "");

} // namespace platform
