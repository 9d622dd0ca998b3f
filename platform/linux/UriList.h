#pragma once
// Reading the "text/uri-list" that file managers hand over when files are
// dragged: one URI per line, lines ending in CR LF, '#' starting a comment.
#include "platform/DropHandler.h"

#include <string>

namespace platform {

// The local file named by a file URI ("file:///a%20b.wav",
// "file://localhost/...", "file://<this host>/..." or "file:/..."), percent-decoded.
// False for other schemes, other hosts, malformed escapes and escaped NUL bytes.
bool fileUriToPath(const std::string& uri, std::string& path);

// Replaces every %XX by its byte; false (and path untouched) when an escape
// is malformed or decodes to a NUL byte.
bool percentDecode(const std::string& text, std::string& decoded);

// One file item per local file URI, in order; other lines are skipped.
DropItems parseUriList(const std::string& data);

} // namespace platform
