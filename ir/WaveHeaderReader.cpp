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
// Sub-format GUIDs as stored by a little-endian writer: the first field
// (four bytes) carries a format tag, the other twelve bytes name the family.
// The usual family wraps every old format tag (the tag in the first two
// bytes, two zero bytes, then this tail)...
const unsigned char kTagGuidTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                        0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71};
// ...and the ambisonic B-format family wraps PCM and float only, in the first
// field's four bytes. Its one- and two-channel files (a W channel, or W and a
// second component) are plain sample data to a convolution reverb.
const unsigned char kBFormatGuidTail[12] = {0x21, 0x07, 0xd3, 0x11, 0x86, 0x44,
                                            0xc8, 0xc1, 0xca, 0x00, 0x00, 0x00};

// RIFF stores every number little-endian; RIFX, the same layout from
// big-endian machines, stores them big-endian, samples included.
struct NumberOrder {
    bool big = false;
    std::uint16_t u16(const unsigned char* p) const { return big ? loadBE16(p) : loadLE16(p); }
    std::uint32_t u32(const unsigned char* p) const { return big ? loadBE32(p) : loadLE32(p); }
    ChunkEndian chunks() const { return big ? ChunkEndian::Big : ChunkEndian::Little; }
};

struct WaveFormat {
    std::uint16_t tag = 0;
    std::uint16_t channels = 0;
    std::uint32_t sampleRate = 0;
    std::uint32_t avgBytesPerSec = 0;
    std::uint16_t bitsPerSample = 0;
    // WAVE_FORMAT_EXTENSIBLE only. The sub-format GUID in its little-endian
    // storage form, whatever the file's byte order.
    std::uint16_t validBits = 0;
    unsigned char subFormat[16] = {};
};

bool isRiffMagic(const unsigned char* id)
{
    return std::memcmp(id, "RIFF", 4) == 0 || std::memcmp(id, "RIFX", 4) == 0 || std::memcmp(id, "RF64", 4) == 0 ||
           std::memcmp(id, "BW64", 4) == 0;
}

// A GUID's first three fields follow the file's byte order, its last eight
// bytes are a plain byte string: the storage form a little-endian writer uses.
void storeGuidLittleEndian(const unsigned char* stored, NumberOrder order, unsigned char* guid)
{
    std::memcpy(guid, stored, 16);
    if (!order.big)
        return;
    for (int i = 0; i < 4; ++i)
        guid[i] = stored[3 - i];
    guid[4] = stored[5];
    guid[5] = stored[4];
    guid[6] = stored[7];
    guid[7] = stored[6];
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
bool readFormat(ByteSource& source, std::uint32_t size, NumberOrder order, WaveFormat& format, IRErrorText& errorText)
{
    unsigned char fields[kFormatFieldsSize + kExtensionSize];
    if (size < kFormatFieldsSize || source.read(fields, kFormatFieldsSize) != kFormatFieldsSize) {
        readFailed(errorText, "Format chunk is too short.");
        return false;
    }
    format.tag = order.u16(fields + 0);
    format.channels = order.u16(fields + 2);
    format.sampleRate = order.u32(fields + 4);
    format.avgBytesPerSec = order.u32(fields + 8);
    format.bitsPerSample = order.u16(fields + 14);
    std::uint32_t consumed = kFormatFieldsSize;
    if (format.tag == kTagExtensible) {
        // cbSize is not trusted: an odd one (a writer counting a pad byte) is
        // common, and the chunk size already bounds what can be read.
        if (size < kFormatFieldsSize + kExtensionSize ||
            source.read(fields + kFormatFieldsSize, kExtensionSize) != kExtensionSize) {
            readFailed(errorText, "Format chunk is too short.");
            return false;
        }
        format.validBits = order.u16(fields + 18);
        storeGuidLittleEndian(fields + 24, order, format.subFormat);
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
        const unsigned char* guid = format.subFormat;
        if (std::memcmp(guid + 4, kBFormatGuidTail, sizeof kBFormatGuidTail) == 0) {
            const std::uint32_t bFormatTag = loadLE32(guid);
            if (bFormatTag != kTagPcm && bFormatTag != kTagFloat)
                return refuseWaveSubFormat(errorText, guid);
            tag = static_cast<std::uint16_t>(bFormatTag);
            return 0;
        }
        if (std::memcmp(guid + 2, kTagGuidTail, sizeof kTagGuidTail) != 0)
            return refuseWaveSubFormat(errorText, guid);
        tag = loadLE16(guid);
        if (tag != kTagPcm && tag != kTagFloat)
            return refuseWaveFormat(errorText, tag);
    } else if (tag != kTagUnknown && tag != kTagPcm && tag != kTagFloat) {
        return refuseWaveFormat(errorText, tag);
    }
    return 0;
}

// The encoding, container and declared widths for the samples' format tag;
// 0, or a refusal.
int chooseEncoding(const WaveFormat& format, std::uint16_t tag, NumberOrder order, IRFileInfo& info,
                   IRErrorText& errorText)
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
        info.encoding = floatEncoding(bytes, !order.big);
        info.validBits = info.usedBits;
    } else {
        // 8-bit WAV samples are offset binary, extensible or not, RIFF or RIFX.
        info.encoding = bytes == 1 ? SampleEncoding::U8 : signedEncoding(bytes, !order.big);
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

    NumberOrder order;
    order.big = std::memcmp(riff, "RIFX", 4) == 0;
    // RF64 and BW64 keep the sizes that do not fit 32 bits in a ds64 chunk.
    const bool sizesInDs64 = std::memcmp(riff, "RF64", 4) == 0 || std::memcmp(riff, "BW64", 4) == 0;
    std::uint64_t ds64DataSize = 0;
    bool afterOddChunk = false;
    if (sizesInDs64 && !readDs64(source, ds64DataSize, afterOddChunk))
        return readFailed(errorText, "Failed to find ds64 chunk.");

    std::uint32_t formatSize = 0;
    if (!findChunk(source, "fmt ", order.chunks(), afterOddChunk, formatSize))
        return readFailed(errorText, "Failed to find fmt chunk.");
    WaveFormat format;
    if (!readFormat(source, formatSize, order, format, errorText))
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
    if (const int refused = chooseEncoding(format, sampleTag, order, info, errorText))
        return refused;
    if (format.channels > 2)
        return refuseChannels(errorText, format.channels);

    std::uint32_t dataSize = 0;
    if (!findChunk(source, "data", order.chunks(), (formatSize & 1u) != 0, dataSize))
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
