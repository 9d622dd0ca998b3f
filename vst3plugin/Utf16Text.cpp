#include "vst3plugin/Utf16Text.h"

#include <cstring>

namespace vst3plugin {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// The code point starting at text[i] (advancing i); U+FFFD for a malformed sequence.
char32_t decodeUtf8(const std::string& text, std::size_t& i)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i++);
    if (lead < 0x80)
        return lead;
    int extra = 0;
    char32_t code = 0;
    if ((lead & 0xE0) == 0xC0) {
        extra = 1;
        code = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2;
        code = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3;
        code = lead & 0x07;
    } else {
        return kReplacement;
    }
    for (int k = 0; k < extra; ++k) {
        if (i >= text.size() || (byte(i) & 0xC0) != 0x80)
            return kReplacement;
        code = (code << 6) | (byte(i++) & 0x3F);
    }
    // overlong forms, surrogates and values past the last plane are not characters
    static constexpr char32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
    if (code < kSmallest[extra] || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF)
        return kReplacement;
    return code;
}

void appendUtf8(std::string& out, char32_t code)
{
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

} // namespace

void copyUtf16(const std::string& utf8, vst3::char16* to, int capacity)
{
    if (!to || capacity <= 0)
        return;
    int n = 0;
    for (std::size_t i = 0; i < utf8.size();) {
        const char32_t code = decodeUtf8(utf8, i);
        const int units = code >= 0x10000 ? 2 : 1;
        if (n + units > capacity - 1)
            break;
        if (units == 2) {
            to[n++] = static_cast<vst3::char16>(0xD800 + ((code - 0x10000) >> 10));
            to[n++] = static_cast<vst3::char16>(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            to[n++] = static_cast<vst3::char16>(code);
        }
    }
    to[n] = 0;
}

std::string utf8FromUtf16(const vst3::char16* text, int capacity)
{
    std::string out;
    if (!text)
        return out;
    for (int i = 0; i < capacity && text[i] != 0; ++i) {
        char32_t code = text[i];
        if (code >= 0xD800 && code <= 0xDBFF && i + 1 < capacity && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            code = 0x10000 + ((code - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (code >= 0xD800 && code <= 0xDFFF) {
            code = kReplacement;  // a half of a pair alone
        }
        appendUtf8(out, code);
    }
    return out;
}

void copyText(const char* from, char* to, int capacity)
{
    if (!to || capacity <= 0)
        return;
    const std::size_t n = from ? strnlen(from, static_cast<std::size_t>(capacity - 1)) : 0;
    std::memcpy(to, from ? from : "", n);
    to[n] = '\0';
}

} // namespace vst3plugin
