#include "ir/IRFileReaders.h"

#include "ir/ChunkWalk.h"
#include "ir/EndianBytes.h"
#include "ir/ErrorText.h"
#include "ir/ExtendedFloat.h"

#include <cstring>

namespace ir {

namespace {

// FORM header (12) + COMM header (8) + the 18-byte COMM body of plain AIFF.
constexpr std::size_t kLeadSize = 38;
constexpr std::uint32_t kCommonBodySize = 18;

int fail(IRErrorText& errorText, const char* message)
{
    setErrorText(errorText, sizeof errorText, "%s", message);
    return -1;
}

} // namespace

int readAiffHeader(ByteSource& source, IRFileInfo& info, IRErrorText& errorText)
{
    info = IRFileInfo{};
    errorText[0] = '\0';

    // Plain AIFF puts COMM first. The codes are checked so that other IFF
    // files (AIFF-C starts with FVER) are refused instead of read as garbage.
    unsigned char lead[kLeadSize];
    if (source.read(lead, kLeadSize) != kLeadSize || std::memcmp(lead, "FORM", 4) != 0 ||
        std::memcmp(lead + 8, "AIFF", 4) != 0)
        return fail(errorText, "Specified file is not AIFF file.");
    const std::uint32_t commonSize = loadBE32(lead + 16);
    if (std::memcmp(lead + 12, "COMM", 4) != 0 || commonSize < kCommonBodySize)
        return fail(errorText, "Failed to find COMM chunk.");

    const std::int16_t channels = static_cast<std::int16_t>(loadBE16(lead + 20));
    const std::uint32_t sampleFrames = loadBE32(lead + 22);
    const std::int16_t sampleSize = static_cast<std::int16_t>(loadBE16(lead + 26));
    std::int32_t sampleRate = 0;
    const bool rateValid = decodeExtendedRate(lead + 28, sampleRate);

    if (channels <= 0)
        return fail(errorText, "Invalid channel count.");
    if (!rateValid || sampleRate <= 0)
        return fail(errorText, "Invalid sample rate.");
    // Below 8 bits a frame would span no whole byte.
    if (sampleSize < 8)
        return fail(errorText, "Invalid sample width.");

    std::uint32_t soundSize = 0;
    if (!source.skip(commonSize - kCommonBodySize) ||
        !findChunk(source, "SSND", ChunkEndian::Big, (commonSize & 1u) != 0, soundSize))
        return fail(errorText, "Failed to find SSND chunk.");

    // The SSND size is not used: the data size follows from COMM.
    unsigned char soundHeader[8];
    if (source.read(soundHeader, 8) != 8 || !source.skip(loadBE32(soundHeader)))
        return fail(errorText, "Failed to find offset of sound data.");
    const std::int64_t position = source.tell();
    if (position < 0 || position > static_cast<std::int64_t>(0xffffffffu))
        return fail(errorText, "Failed to find offset of sound data.");

    // Only an upper bound for the converter, which also stops at the capacity
    // and at the end of the file; saturate rather than wrap.
    std::uint64_t dataSize = static_cast<std::uint64_t>(sampleSize / 8) * static_cast<std::uint64_t>(channels) *
                             sampleFrames;
    if (dataSize > 0xffffffffu)
        dataSize = 0xffffffffu;

    info.formatTag = 1;
    info.channels = channels;
    info.sampleRate = sampleRate;
    info.declaredBits = sampleSize;
    info.usedBits = sampleSize;
    info.dataPosition = static_cast<std::uint32_t>(position);
    info.dataSize = static_cast<std::uint32_t>(dataSize);
    info.byteOrder = kByteOrderAiff;
    return 0;
}

} // namespace ir
