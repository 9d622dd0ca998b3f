#pragma once
// The message box that tells the user an IR file could not be loaded.
#include <string>

namespace ir {

// "Reading failed [path]" (stored in Shift-JIS, shown as UTF-8) and, for a
// file that was refused, the reason on the following line. Caption "messae".
void showLoadFailure(const char* path, const char* reason);
// The same in two steps: the text, and the box that shows it.
std::string loadFailureText(const char* path, const char* reason);
void showLoadFailureText(const std::string& text);

} // namespace ir
