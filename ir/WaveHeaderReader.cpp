#include "ir/IRFileReaders.h"

#include "ir/ChunkWalk.h"
#include "ir/EndianBytes.h"
#include "ir/ErrorText.h"
#include "ir/FormatRefusals.h"

#include <cstring>

namespace ir {

namespace {

constexpr std::uint32_t kFormatFieldsSize = 16;
// The WAVE_FORMAT_EXTENSIBLE extension: cbSize, wValidBitsPerSample,
// dwChannelMask and the 16-byte sub-format GUID.
constexpr std::uint32_t kExtensionSize = 24;
// ds64: 64-bit RIFF size, 64-bit data size (and more that is not needed).
constexpr std::uint32_t kDs64FieldsSize = 16;

constexpr std::uint16_t kTagUnknown = 0x0000;
constexpr std::uint16_t kTagPcm = 0x0001;
constexpr std::uint16_t kTagFloat = 0x0003;
constexpr std::uint16_t kTagExtensible = 0xFFFE;
// Every sub-format GUID that wraps an old format tag: the tag in its first two
// bytes, then two zero bytes and these twelve.
const unsigned char kTagGuidTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                        0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71};

struct WaveFormat {
    std::uint16_t tag = 0;
    std::uint16_t channels = 0;
    std::uint32_t sampleRate = 0;
    std::uint32_t avgBytesPerSec = 0;
    std::uint16_t bitsPerSample = 0;
    // WAVE_FORMAT_EXTENSIBLE only.
    std::uint16_t validBits = 0;
    unsigned char subFormat[16] = {};
};

bool isRiffMagic(const unsigned char* id)
{
    return std::memcmp(id, "RIFF", 4) == 0 || std::memcmp(id, "RF64", 4) == 0 || std::memcmp(id, "BW64", 4) == 0;
}

// The data size of an RF64/BW64 file, whose data chunk says only "see ds64".
// False when the ds64 chunk is missing or short.
bool readDs64(ByteSource& source, std::uint64_t& dataSize, bool& oddSized)
{
    std::uint32_t size = 0;
    unsigned char fields[kDs64FieldsSize];
    if (!findChunk(source, "ds64", ChunkEndian::Little, false, size) || size < kDs64FieldsSize ||
        source.read(fields, kDs64FieldsSize) != kDs64FieldsSize || !source.skip(size - kDs64FieldsSize))
        return false;
    dataSize = static_cast<std::uint64_t>(loadLE32(fields + 8)) | static_cast<std::uint64_t>(loadLE32(fields + 12)) << 32;
    oddSized = (size & 1u) != 0;
    return true;
}

// Reads the format chunk body of `size` bytes, leaving the source behind it.
// False (message in errorText) when it is too short for its fields.
bool readFormat(ByteSource& source, std::uint32_t size, WaveFormat& format, IRErrorText& errorText)
{
    unsigned char fields[kFormatFieldsSize + kExtensionSize];
    if (size < kFormatFieldsSize || source.read(fields, kFormatFieldsSize) != kFormatFieldsSize) {
        readFailed(errorText, "Format chunk is too short.");
        return false;
    }
    format.tag = loadLE16(fields + 0);
    format.channels = loadLE16(fields + 2);
    format.sampleRate = loadLE32(fields + 4);
    format.avgBytesPerSec = loadLE32(fields + 8);
    format.bitsPerSample = loadLE16(fields + 14);
    std::uint32_t consumed = kFormatFieldsSize;
    if (format.tag == kTagExtensible) {
        // cbSize is not trusted: an odd one (a writer counting a pad byte) is
        // common, and the chunk size already bounds what can be read.
        if (size < kFormatFieldsSize + kExtensionSize ||
            source.read(fields + kFormatFieldsSize, kExtensionSize) != kExtensionSize) {
            readFailed(errorText, "Format chunk is too short.");
            return false;
        }
        format.validBits = loadLE16(fields + 18);
        std::memcpy(format.subFormat, fields + 24, sizeof format.subFormat);
        consumed += kExtensionSize;
    }
    // Bytes past the fields (larger extensions) are not needed.
    if (!source.skip(size - consumed)) {
        readFailed(errorText, "Failed to find data chunk.");
        return false;
    }
    return true;
}

// The format tag the samples follow (an extensible header's sub-format),
// when it is one of PCM and float; 0, or a refusal.
int sampleFormatTag(const WaveFormat& format, std::uint16_t& tag, IRErrorText& errorText)
{
    tag = format.tag;
    if (tag == kTagExtensible) {
        if (std::memcmp(format.subFormat + 2, kTagGuidTail, sizeof kTagGuidTail) != 0)
            return refuseWaveSubFormat(errorText, format.subFormat);
        tag = loadLE16(format.subFormat);
        if (tag != kTagPcm && tag != kTagFloat)
            return refuseWaveFormat(errorText, tag);
    } else if (tag != kTagUnknown && tag != kTagPcm && tag != kTagFloat) {
        return refuseWaveFormat(errorText, tag);
    }
    return 0;
}

// The encoding, container and declared widths for the samples' format tag;
// 0, or a refusal.
int chooseEncoding(const WaveFormat& format, std::uint16_t tag, IRFileInfo& info, IRErrorText& errorText)
{
    const bool extensible = format.tag == kTagExtensible;
    const int bytes = info.usedBits / 8;
    bool floatSamples = tag == kTagFloat;
    if (!extensible && bytes <= 3)
        floatSamples = false; // older headers: these widths were always read as integers, whatever the tag
    else if (!extensible && bytes == 4)
        // A 24-bit declaration with 4 bytes per sample is taken as a float that
        // a writer labelled by its nominal resolution; an extensible header
        // says what it holds and needs no such guess.
        floatSamples = tag == kTagFloat || format.bitsPerSample == 24;
    if (floatSamples) {
        info.encoding = floatEncoding(bytes, true);
        info.validBits = info.usedBits;
    } else {
        // 8-bit WAV samples are offset binary, extensible or not.
        info.encoding = bytes == 1 ? SampleEncoding::U8 : signedEncoding(bytes, true);
        // Older headers give no valid width: every stored bit counts, as it
        // always has. An extensible one may say that fewer bits carry sound.
        const bool validGiven = extensible && format.validBits > 0 && format.validBits < info.usedBits;
        info.validBits = validGiven ? static_cast<std::int16_t>(format.validBits) : info.usedBits;
    }
    if (info.encoding == SampleEncoding::None)
        return refuseWidth(errorText, info.usedBits, floatSamples);
    info.declaredBits = extensible ? info.validBits : static_cast<std::int16_t>(format.bitsPerSample);
    return 0;
}

} // namespace

int readWaveHeader(ByteSource& source, IRFileInfo& info, IRErrorText& errorText)
{
    info = IRFileInfo{};

    unsigned char riff[8];
    if (source.read(riff, 8) < 4 || !isRiffMagic(riff))
        return readFailed(errorText, "Specified file is not RIFF file.");
    // The RIFF size is not trusted: many writers leave it wrong or unset.
    unsigned char wave[4];
    if (source.read(wave, 4) != 4 || std::memcmp(wave, "WAVE", 4) != 0)
        return readFailed(errorText, "Specified file is not WAVE file.");

    // RF64 and BW64 keep the sizes that do not fit 32 bits in a ds64 chunk.
    const bool sizesInDs64 = std::memcmp(riff, "RIFF", 4) != 0;
    std::uint64_t ds64DataSize = 0;
    bool afterOddChunk = false;
    if (sizesInDs64 && !readDs64(source, ds64DataSize, afterOddChunk))
        return readFailed(errorText, "Failed to find ds64 chunk.");

    std::uint32_t formatSize = 0;
    if (!findChunk(source, "fmt ", ChunkEndian::Little, afterOddChunk, formatSize))
        return readFailed(errorText, "Failed to find fmt chunk.");
    WaveFormat format;
    if (!readFormat(source, formatSize, format, errorText))
        return -1;

    if (format.channels == 0 || format.channels > 0x7fff)
        return readFailed(errorText, "Invalid channel count.");
    if (format.sampleRate == 0 || format.sampleRate > 0x7fffffffu)
        return readFailed(errorText, "Invalid sample rate.");
    // Compressed formats say nothing useful about their width: refuse them first.
    std::uint16_t sampleTag = 0;
    if (const int refused = sampleFormatTag(format, sampleTag, errorText))
        return refused;
    // Older headers: the width actually stored per sample, which can differ
    // from the declared one (a float written under a 24-bit declaration, for
    // instance). An extensible header states its container width.
    const std::uint64_t usedBits =
        format.tag == kTagExtensible
            ? (static_cast<std::uint64_t>(format.bitsPerSample) + 7u) / 8u * 8u
            : static_cast<std::uint64_t>(format.avgBytesPerSec / format.sampleRate / format.channels) * 8u;
    if (usedBits == 0 || usedBits > 0x7fff)
        return readFailed(errorText, "Invalid sample width.");

    info.formatTag = static_cast<std::int16_t>(format.tag);
    info.channels = static_cast<std::int16_t>(format.channels);
    info.sampleRate = static_cast<std::int32_t>(format.sampleRate);
    info.usedBits = static_cast<std::int16_t>(usedBits);
    info.byteOrder = kByteOrderWave;
    if (const int refused = chooseEncoding(format, sampleTag, info, errorText))
        return refused;
    if (format.channels > 2)
        return refuseChannels(errorText, format.channels);

    std::uint32_t dataSize = 0;
    if (!findChunk(source, "data", ChunkEndian::Little, (formatSize & 1u) != 0, dataSize))
        return readFailed(errorText, "Failed to find data chunk.");
    if (sizesInDs64 && dataSize == 0xffffffffu && ds64DataSize < dataSize)
        dataSize = static_cast<std::uint32_t>(ds64DataSize);

    const std::int64_t position = source.tell();
    if (position < 0 || position > static_cast<std::int64_t>(0xffffffffu))
        return readFailed(errorText, "Failed to find offset of PCM data.");
    info.dataPosition = static_cast<std::uint32_t>(position);
    info.dataSize = dataSize;
    return 0;
}

} // namespace ir
