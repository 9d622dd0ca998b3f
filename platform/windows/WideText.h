#pragma once
// Text at the Win32 boundary: the plug-in works in UTF-8, Win32 takes UTF-16.
#include <string>

namespace platform {

// UTF-8 to UTF-16 for a Win32 call. Bytes that are not valid UTF-8 (a path
// stored by an older version in the ANSI code page) are read in the system's
// ANSI code page instead, so such projects still find their files.
std::wstring widen(const std::string& text);
// UTF-16 from a Win32 call to UTF-8.
std::string narrow(const std::wstring& text);
std::string narrow(const wchar_t* text);

} // namespace platform
