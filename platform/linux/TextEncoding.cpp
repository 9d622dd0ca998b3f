#include "platform/TextEncoding.h"

#include <cerrno>
#include <iconv.h>

namespace platform {

namespace {

// CP932 first: it is what Windows wrote the text in, and unlike strict
// Shift-JIS it keeps 0x5C and 0x7E as backslash and tilde.
iconv_t openConverter()
{
    for (const char* from : {"CP932", "SHIFT_JIS", "SJIS"}) {
        iconv_t cd = iconv_open("UTF-8", from);
        if (cd != reinterpret_cast<iconv_t>(-1))
            return cd;
    }
    return reinterpret_cast<iconv_t>(-1);
}

std::string asciiOnly(const std::string& text)
{
    std::string out = text;
    for (char& c : out) {
        if (static_cast<unsigned char>(c) >= 0x80)
            c = '?';
    }
    return out;
}

} // namespace

std::string shiftJisToUtf8(const std::string& sjis)
{
    iconv_t cd = openConverter();
    if (cd == reinterpret_cast<iconv_t>(-1))
        return asciiOnly(sjis);

    std::string out;
    char buffer[256];
    char* in = const_cast<char*>(sjis.data());
    std::size_t inLeft = sjis.size();
    while (inLeft > 0) {
        char* outPtr = buffer;
        std::size_t outLeft = sizeof buffer;
        const std::size_t r = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
        if (r != static_cast<std::size_t>(-1) || errno == E2BIG)
            continue;
        // An invalid or truncated sequence: mark it and carry on after its first byte.
        out += '?';
        ++in;
        --inLeft;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    iconv_close(cd);
    return out;
}

} // namespace platform
