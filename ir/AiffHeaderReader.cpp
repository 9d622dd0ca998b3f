#include "ir/IRFileReaders.h"

#include "ir/ChunkWalk.h"
#include "ir/EndianBytes.h"
#include "ir/ErrorText.h"
#include "ir/ExtendedFloat.h"
#include "ir/FormatRefusals.h"

#include <cstring>

namespace ir {

namespace {

constexpr std::size_t kFormHeaderSize = 12;
constexpr std::uint32_t kCommonBodySize = 18;
// AIFF-C adds the compression type (and a name, which is not needed).
constexpr std::uint32_t kCompressedCommonSize = kCommonBodySize + 4;

enum class SampleKind { BigEndianInteger, LittleEndianInteger, OffsetByte, Float32, Float64 };

struct Compression {
    char type[5];
    SampleKind kind;
};

// The AIFF-C types that store samples uncompressed. Plain AIFF is "NONE".
constexpr Compression kCompressions[] = {
    {"NONE", SampleKind::BigEndianInteger},    {"twos", SampleKind::BigEndianInteger},
    {"in24", SampleKind::BigEndianInteger},    {"in32", SampleKind::BigEndianInteger},
    {"sowt", SampleKind::LittleEndianInteger}, {"42n1", SampleKind::LittleEndianInteger},
    {"23ni", SampleKind::LittleEndianInteger}, {"raw ", SampleKind::OffsetByte},
    {"fl32", SampleKind::Float32},             {"FL32", SampleKind::Float32},
    {"fl64", SampleKind::Float64},             {"FL64", SampleKind::Float64},
};

// The COMM chunk as read: its body up to the compression type ("NONE" for
// plain AIFF), its declared size and how much of it was read.
struct Common {
    unsigned char body[kCompressedCommonSize];
    std::uint32_t size = 0;
    std::uint32_t consumed = 0;
};

const Compression* findCompression(const unsigned char* type)
{
    for (const Compression& c : kCompressions)
        if (std::memcmp(type, c.type, 4) == 0)
            return &c;
    return nullptr;
}

// Plain AIFF puts COMM first, as the 26 bytes after the FORM header. The codes
// are checked so that other IFF files are refused instead of read as garbage.
int readPlainCommon(ByteSource& source, Common& common, IRErrorText& errorText)
{
    unsigned char header[8];
    if (source.read(header, 8) != 8 || source.read(common.body, kCommonBodySize) != kCommonBodySize)
        return readFailed(errorText, "Specified file is not AIFF file.");
    common.size = loadBE32(header + 4);
    if (std::memcmp(header, "COMM", 4) != 0 || common.size < kCommonBodySize)
        return readFailed(errorText, "Failed to find COMM chunk.");
    common.consumed = kCommonBodySize;
    std::memcpy(common.body + kCommonBodySize, "NONE", 4);
    return 0;
}

// AIFF-C may put FVER (or anything) before COMM. A COMM body without the
// compression type is taken as uncompressed.
int readCompressedCommon(ByteSource& source, Common& common, IRErrorText& errorText)
{
    if (!findChunk(source, "COMM", ChunkEndian::Big, false, common.size) || common.size < kCommonBodySize)
        return readFailed(errorText, "Failed to find COMM chunk.");
    common.consumed = common.size < kCompressedCommonSize ? kCommonBodySize : kCompressedCommonSize;
    if (source.read(common.body, common.consumed) != common.consumed)
        return readFailed(errorText, "Failed to find COMM chunk.");
    if (common.consumed < kCompressedCommonSize)
        std::memcpy(common.body + kCommonBodySize, "NONE", 4);
    return 0;
}

// The encoding and the widths for the compression type and sampleSize; 0 or a refusal.
int chooseEncoding(const Compression& compression, std::int16_t sampleSize, IRFileInfo& info, IRErrorText& errorText)
{
    switch (compression.kind) {
    case SampleKind::Float32:
    case SampleKind::Float64: {
        // The type alone says the width; sampleSize is not needed.
        const int bytes = compression.kind == SampleKind::Float32 ? 4 : 8;
        info.encoding = floatEncoding(bytes, false);
        info.usedBits = static_cast<std::int16_t>(8 * bytes);
        info.validBits = info.usedBits;
        info.declaredBits = info.usedBits;
        return 0;
    }
    case SampleKind::BigEndianInteger:
    case SampleKind::LittleEndianInteger:
    case SampleKind::OffsetByte:
        break;
    }
    // Below 8 bits a frame would span no whole byte.
    if (sampleSize < 8)
        return readFailed(errorText, "Invalid sample width.");
    // Samples narrower than their bytes are stored left-justified in whole bytes.
    const int bytes = (sampleSize + 7) / 8;
    info.usedBits = static_cast<std::int16_t>(8 * bytes);
    info.validBits = sampleSize;
    info.declaredBits = sampleSize;
    if (compression.kind == SampleKind::OffsetByte)
        info.encoding = bytes == 1 ? SampleEncoding::U8 : SampleEncoding::None;
    else
        info.encoding = signedEncoding(bytes, compression.kind == SampleKind::LittleEndianInteger);
    if (info.encoding == SampleEncoding::None)
        return refuseWidth(errorText, sampleSize, false);
    return 0;
}

} // namespace

int readAiffHeader(ByteSource& source, IRFileInfo& info, IRErrorText& errorText)
{
    info = IRFileInfo{};
    errorText[0] = '\0';

    unsigned char form[kFormHeaderSize];
    if (source.read(form, kFormHeaderSize) != kFormHeaderSize || std::memcmp(form, "FORM", 4) != 0)
        return readFailed(errorText, "Specified file is not AIFF file.");
    Common common;
    int result = 0;
    if (std::memcmp(form + 8, "AIFF", 4) == 0)
        result = readPlainCommon(source, common, errorText);
    else if (std::memcmp(form + 8, "AIFC", 4) == 0)
        result = readCompressedCommon(source, common, errorText);
    else
        result = readFailed(errorText, "Specified file is not AIFF file.");
    if (result != 0)
        return result;

    const std::int16_t channels = static_cast<std::int16_t>(loadBE16(common.body + 0));
    const std::uint32_t sampleFrames = loadBE32(common.body + 2);
    const std::int16_t sampleSize = static_cast<std::int16_t>(loadBE16(common.body + 6));
    std::int32_t sampleRate = 0;
    const bool rateValid = decodeExtendedRate(common.body + 8, sampleRate);

    if (channels <= 0)
        return readFailed(errorText, "Invalid channel count.");
    if (!rateValid || sampleRate <= 0)
        return readFailed(errorText, "Invalid sample rate.");
    const Compression* compression = findCompression(common.body + kCommonBodySize);
    if (compression == nullptr)
        return refuseAiffCompression(errorText, common.body + kCommonBodySize);
    if (const int refused = chooseEncoding(*compression, sampleSize, info, errorText))
        return refused;
    if (channels > 2)
        return refuseChannels(errorText, channels);

    std::uint32_t soundSize = 0;
    if (!source.skip(common.size - common.consumed) ||
        !findChunk(source, "SSND", ChunkEndian::Big, (common.size & 1u) != 0, soundSize))
        return readFailed(errorText, "Failed to find SSND chunk.");

    // The SSND size is not used: the data size follows from COMM.
    unsigned char soundHeader[8];
    if (source.read(soundHeader, 8) != 8 || !source.skip(loadBE32(soundHeader)))
        return readFailed(errorText, "Failed to find offset of sound data.");
    const std::int64_t position = source.tell();
    if (position < 0 || position > static_cast<std::int64_t>(0xffffffffu))
        return readFailed(errorText, "Failed to find offset of sound data.");

    // Only an upper bound for the converter, which also stops at the capacity
    // and at the end of the file; saturate rather than wrap.
    std::uint64_t dataSize = static_cast<std::uint64_t>(info.usedBits / 8) * static_cast<std::uint64_t>(channels) *
                             sampleFrames;
    if (dataSize > 0xffffffffu)
        dataSize = 0xffffffffu;

    info.formatTag = 1;
    info.channels = channels;
    info.sampleRate = sampleRate;
    info.dataPosition = static_cast<std::uint32_t>(position);
    info.dataSize = static_cast<std::uint32_t>(dataSize);
    info.byteOrder = kByteOrderAiff;
    return 0;
}

} // namespace ir
