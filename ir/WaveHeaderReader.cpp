#include "ir/IRFileReaders.h"

#include "ir/ChunkWalk.h"
#include "ir/EndianBytes.h"
#include "ir/ErrorText.h"

#include <cstring>

namespace ir {

namespace {

constexpr std::uint32_t kFormatFieldsSize = 16;

int fail(IRErrorText& errorText, const char* message)
{
    setErrorText(errorText, sizeof errorText, "%s", message);
    return -1;
}

} // namespace

int readWaveHeader(ByteSource& source, IRFileInfo& info, IRErrorText& errorText)
{
    info = IRFileInfo{};

    unsigned char riff[8];
    if (source.read(riff, 8) < 4 || std::memcmp(riff, "RIFF", 4) != 0)
        return fail(errorText, "Specified file is not RIFF file.");
    // The RIFF size is not trusted: many writers leave it wrong or unset.
    unsigned char wave[4];
    if (source.read(wave, 4) != 4 || std::memcmp(wave, "WAVE", 4) != 0)
        return fail(errorText, "Specified file is not WAVE file.");

    std::uint32_t formatSize = 0;
    if (!findChunk(source, "fmt ", ChunkEndian::Little, false, formatSize))
        return fail(errorText, "Failed to find fmt chunk.");
    unsigned char format[kFormatFieldsSize];
    if (formatSize < kFormatFieldsSize || source.read(format, kFormatFieldsSize) != kFormatFieldsSize)
        return fail(errorText, "Format chunk is too short.");

    const std::uint16_t formatTag = loadLE16(format + 0);
    const std::uint16_t channels = loadLE16(format + 2);
    const std::uint32_t sampleRate = loadLE32(format + 4);
    const std::uint32_t avgBytesPerSec = loadLE32(format + 8);
    const std::uint16_t bitsPerSample = loadLE16(format + 14);

    if (channels == 0 || channels > 0x7fff)
        return fail(errorText, "Invalid channel count.");
    if (sampleRate == 0 || sampleRate > 0x7fffffffu)
        return fail(errorText, "Invalid sample rate.");
    // The width actually stored per sample, which can differ from the declared
    // one (a float written under a 24-bit declaration, for instance).
    const std::uint64_t usedBits = static_cast<std::uint64_t>(avgBytesPerSec / sampleRate / channels) * 8u;
    if (usedBits == 0 || usedBits > 0x7fff)
        return fail(errorText, "Invalid sample width.");

    info.formatTag = static_cast<std::int16_t>(formatTag);
    info.channels = static_cast<std::int16_t>(channels);
    info.sampleRate = static_cast<std::int32_t>(sampleRate);
    info.declaredBits = static_cast<std::int16_t>(bitsPerSample);
    info.usedBits = static_cast<std::int16_t>(usedBits);
    info.byteOrder = kByteOrderWave;

    // Extension bytes of larger format chunks are not needed.
    std::uint32_t dataSize = 0;
    if (!source.skip(formatSize - kFormatFieldsSize) ||
        !findChunk(source, "data", ChunkEndian::Little, (formatSize & 1u) != 0, dataSize))
        return fail(errorText, "Failed to find data chunk.");

    const std::int64_t position = source.tell();
    if (position < 0 || position > static_cast<std::int64_t>(0xffffffffu))
        return fail(errorText, "Failed to find offset of PCM data.");
    info.dataPosition = static_cast<std::uint32_t>(position);
    info.dataSize = dataSize;
    return 0;
}

} // namespace ir
