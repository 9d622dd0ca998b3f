#pragma once
// What a header reader learns about an IR file. The open file itself is not
// part of the record: it travels beside it as a FileByteSource (or any
// ByteSource), which keeps this record a plain value that IRData can copy.
#include <cstdint>

namespace ir {

// Samples of a WAV file are little-endian, those of an AIFF file big-endian.
constexpr std::uint32_t kByteOrderWave = 0;
constexpr std::uint32_t kByteOrderAiff = 1;

struct IRFileInfo {
    std::int16_t formatTag = 0;     // WAV: wFormatTag as stored; AIFF: 1
    std::int16_t channels = 0;      // always >= 1 after a successful read
    std::int32_t sampleRate = 0;    // Hz, always >= 1 after a successful read
    std::int16_t declaredBits = 0;  // WAV: wBitsPerSample; AIFF: sampleSize
    std::int16_t usedBits = 0;      // the width conversion follows, always >= 8
    std::uint32_t dataPosition = 0; // byte position of the first sample byte
    std::uint32_t dataSize = 0;     // bytes of sample data as the header declares them
    std::uint32_t byteOrder = kByteOrderWave;
};

} // namespace ir
