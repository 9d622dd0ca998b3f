#include "platform/windows/WideText.h"

#include <windows.h>

#include <cwchar>

namespace platform {

namespace {

// The UTF-16 form of the bytes in the code page; false when they are not
// valid there (only checked for UTF-8: other code pages map every byte).
bool convert(UINT codePage, DWORD flags, const std::string& text, std::wstring& out)
{
    const int size = static_cast<int>(text.size());
    const int n = MultiByteToWideChar(codePage, flags, text.data(), size, nullptr, 0);
    if (n <= 0)
        return false;
    out.assign(static_cast<std::size_t>(n), L'\0');
    return MultiByteToWideChar(codePage, flags, text.data(), size, &out[0], n) == n;
}

} // namespace

std::wstring widen(const std::string& text)
{
    std::wstring out;
    if (text.empty())
        return out;
    if (convert(CP_UTF8, MB_ERR_INVALID_CHARS, text, out) || convert(CP_ACP, 0, text, out))
        return out;
    return std::wstring();
}

std::string narrow(const std::wstring& text)
{
    if (text.empty())
        return std::string();
    const int size = static_cast<int>(text.size());
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    if (n <= 0)
        return std::string();
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), size, &out[0], n, nullptr, nullptr);
    return out;
}

std::string narrow(const wchar_t* text)
{
    return text ? narrow(std::wstring(text, std::wcslen(text))) : std::string();
}

} // namespace platform
