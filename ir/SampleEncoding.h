#pragma once
// How one stored sample is laid out: integer or float, its width in bytes and
// its byte order. The header readers choose one; the converter follows it.
#include <cstdint>

namespace ir {

// U8 is the offset-binary byte of 8-bit WAV (128 is silence); every other
// integer encoding is two's complement.
enum class SampleEncoding : std::uint8_t {
    None,
    U8,
    S8,
    S16LE,
    S16BE,
    S24LE,
    S24BE,
    S32LE,
    S32BE,
    F32LE,
    F32BE,
    F64LE,
    F64BE,
};

constexpr bool isFloatEncoding(SampleEncoding e)
{
    return e == SampleEncoding::F32LE || e == SampleEncoding::F32BE || e == SampleEncoding::F64LE ||
           e == SampleEncoding::F64BE;
}

// Bytes one sample takes; 0 for None.
constexpr int encodingBytes(SampleEncoding e)
{
    switch (e) {
    case SampleEncoding::U8:
    case SampleEncoding::S8: return 1;
    case SampleEncoding::S16LE:
    case SampleEncoding::S16BE: return 2;
    case SampleEncoding::S24LE:
    case SampleEncoding::S24BE: return 3;
    case SampleEncoding::S32LE:
    case SampleEncoding::S32BE:
    case SampleEncoding::F32LE:
    case SampleEncoding::F32BE: return 4;
    case SampleEncoding::F64LE:
    case SampleEncoding::F64BE: return 8;
    case SampleEncoding::None: break;
    }
    return 0;
}

// Two's complement samples of `bytes` bytes; None for a width not decoded.
constexpr SampleEncoding signedEncoding(int bytes, bool littleEndian)
{
    switch (bytes) {
    case 1: return SampleEncoding::S8;
    case 2: return littleEndian ? SampleEncoding::S16LE : SampleEncoding::S16BE;
    case 3: return littleEndian ? SampleEncoding::S24LE : SampleEncoding::S24BE;
    case 4: return littleEndian ? SampleEncoding::S32LE : SampleEncoding::S32BE;
    default: return SampleEncoding::None;
    }
}

// IEEE 754 samples of `bytes` bytes; None for a width not decoded.
constexpr SampleEncoding floatEncoding(int bytes, bool littleEndian)
{
    switch (bytes) {
    case 4: return littleEndian ? SampleEncoding::F32LE : SampleEncoding::F32BE;
    case 8: return littleEndian ? SampleEncoding::F64LE : SampleEncoding::F64BE;
    default: return SampleEncoding::None;
    }
}

} // namespace ir
