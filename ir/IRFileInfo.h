#pragma once
// What a header reader learns about an IR file. The open file itself is not
// part of the record: it travels beside it as a FileByteSource (or any
// ByteSource), which keeps this record a plain value that IRData can copy.
#include "ir/SampleEncoding.h"

#include <cstdint>

namespace ir {

// The kind of file: RIFF/WAVE (and RIFX, RF64/BW64) or IFF AIFF/AIFF-C. Most
// WAV samples are little-endian and most AIFF samples big-endian, but the
// sample encoding below is what the converter follows.
constexpr std::uint32_t kByteOrderWave = 0;
constexpr std::uint32_t kByteOrderAiff = 1;

struct IRFileInfo {
    std::int16_t formatTag = 0;     // WAV: wFormatTag as stored (0xFFFE reads as -2); AIFF: 1
    std::int16_t channels = 0;      // 1 or 2 after a successful read
    std::int32_t sampleRate = 0;    // Hz, always >= 1 after a successful read
    // The resolution the file declares, which the editor shows for integer
    // samples: WAV wBitsPerSample (wValidBitsPerSample for
    // WAVE_FORMAT_EXTENSIBLE); AIFF sampleSize.
    std::int16_t declaredBits = 0;
    std::int16_t usedBits = 0;      // bits each stored sample takes (the container), always >= 8
    std::uint32_t dataPosition = 0; // byte position of the first sample byte
    std::uint32_t dataSize = 0;     // bytes of sample data as the header declares them
    std::uint32_t byteOrder = kByteOrderWave;
    SampleEncoding encoding = SampleEncoding::None;
    // Integer samples: how many of the container's bits, from the top, carry
    // the signal; the converter clears the bits below them.
    std::int16_t validBits = 0;
};

} // namespace ir
