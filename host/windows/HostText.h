#pragma once
// The host's own UTF-8 / UTF-16 conversions at its Win32 calls, and the
// system's text for an error code.
#include <string>

std::wstring toWide(const std::string& utf8);
std::string toUtf8(const std::wstring& wide);
// FormatMessage's text for a GetLastError code, without the closing full stop.
std::string systemErrorText(unsigned long code);
