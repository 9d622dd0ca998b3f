#include "platform/TextEncoding.h"

#include <windows.h>

#include "platform/windows/WideText.h"

namespace platform {

namespace {

constexpr UINT kShiftJis = 932;

// Windows gives the single bytes that Shift-JIS leaves undefined (0x80, 0xA0,
// 0xFD to 0xFF) code points of their own; they are no text.
bool isUndefinedByte(wchar_t c)
{
    return c == 0x0080 || (c >= 0xF8F0 && c <= 0xF8F3);
}

// One character of the code page (one or two bytes) as UTF-16; false when
// the bytes are no character there.
bool convertOne(const char* bytes, int length, std::wstring& out)
{
    wchar_t wide[2] = {};
    const int n = MultiByteToWideChar(kShiftJis, MB_ERR_INVALID_CHARS, bytes, length, wide, 2);
    if (n <= 0 || (length == 1 && isUndefinedByte(wide[0])))
        return false;
    out.append(wide, static_cast<std::size_t>(n));
    return true;
}

} // namespace

std::string shiftJisToUtf8(const std::string& sjis)
{
    std::wstring wide;
    std::size_t i = 0;
    while (i < sjis.size()) {
        const unsigned char byte = static_cast<unsigned char>(sjis[i]);
        const bool lead = IsDBCSLeadByteEx(kShiftJis, byte) != 0;
        if (lead && i + 1 < sjis.size() && convertOne(&sjis[i], 2, wide)) {
            i += 2;
            continue;
        }
        // An invalid or truncated sequence: mark it and carry on after its first byte.
        if (lead || !convertOne(&sjis[i], 1, wide))
            wide += L'?';
        ++i;
    }
    return narrow(wide);
}

} // namespace platform
