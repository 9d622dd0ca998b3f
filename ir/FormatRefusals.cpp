#include "ir/FormatRefusals.h"

#include "ir/EndianBytes.h"
#include "ir/ErrorText.h"

#include <cstring>

namespace ir {

namespace {

// What every format refusal ends with.
const char kFormatTail[] = ": only PCM and float samples can be loaded";

const char kMuLaw[] = "\xCE\xBC-law"; // the Greek small letter mu in UTF-8

const char* waveFormatName(std::uint16_t tag)
{
    switch (tag) {
    case 0x0002: return "ADPCM";
    case 0x0006: return "A-law";
    case 0x0007: return kMuLaw;
    case 0x0011: return "IMA ADPCM";
    case 0x0031: return "GSM 6.10";
    case 0x0050: return "MPEG";
    case 0x0055: return "MP3";
    default: return nullptr;
    }
}

const char* aiffCompressionName(const unsigned char* type)
{
    if (std::memcmp(type, "ulaw", 4) == 0 || std::memcmp(type, "ULAW", 4) == 0)
        return kMuLaw;
    if (std::memcmp(type, "alaw", 4) == 0 || std::memcmp(type, "ALAW", 4) == 0)
        return "A-law";
    if (std::memcmp(type, "ima4", 4) == 0)
        return "IMA ADPCM";
    return nullptr;
}

} // namespace

int refuseChannels(IRErrorText& errorText, int channels)
{
    return readRefused(errorText, "%d channels: only mono and stereo IRs can be loaded", channels);
}

int refuseWaveFormat(IRErrorText& errorText, std::uint16_t formatTag)
{
    if (const char* name = waveFormatName(formatTag))
        return readRefused(errorText, "%s encoding%s", name, kFormatTail);
    return readRefused(errorText, "format tag 0x%04X%s", static_cast<unsigned>(formatTag), kFormatTail);
}

int refuseWaveSubFormat(IRErrorText& errorText, const unsigned char* g)
{
    return readRefused(errorText,
                       "sub-format {%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}%s",
                       static_cast<unsigned>(loadLE32(g)), static_cast<unsigned>(loadLE16(g + 4)),
                       static_cast<unsigned>(loadLE16(g + 6)), g[8], g[9], g[10], g[11], g[12], g[13], g[14], g[15], kFormatTail);
}

int refuseAiffCompression(IRErrorText& errorText, const unsigned char* type)
{
    if (const char* name = aiffCompressionName(type))
        return readRefused(errorText, "%s encoding%s", name, kFormatTail);
    // The code as printable text; anything else would garble the message.
    char code[5];
    for (int i = 0; i < 4; ++i)
        code[i] = type[i] >= 0x20 && type[i] < 0x7f ? static_cast<char>(type[i]) : '?';
    code[4] = '\0';
    return readRefused(errorText, "AIFF-C compression '%s'%s", code, kFormatTail);
}

int refuseWidth(IRErrorText& errorText, int bits, bool floatSamples)
{
    if (floatSamples)
        return readRefused(errorText, "%d-bit float samples: only 32- and 64-bit float samples can be loaded", bits);
    return readRefused(errorText, "%d-bit samples: only 8-, 16-, 24- and 32-bit PCM samples can be loaded", bits);
}

} // namespace ir
