#pragma once
// The host's own UTF-8 / UTF-16 conversions at its Win32 calls.
#include <string>

std::wstring toWide(const std::string& utf8);
std::string toUtf8(const std::wstring& wide);
