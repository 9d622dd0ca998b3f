// The RIFF/WAVE path from memory (big-endian RIFX, RF64/BW64 and
// WAVE_FORMAT_EXTENSIBLE too):
// header, chunk walk, sample conversion and peak normalisation, with every
// result checked against what the header says.
#include "FuzzChecks.h"

#include "ir/EndianBytes.h"
#include "ir/IRFileReaders.h"

#include <cstring>
#include <vector>

namespace {

// What the older format tags promise about the samples: widths up to 3 bytes
// are integers whatever the tag, 4 bytes are floats under tag 3 or a 24-bit
// declaration, 8 bytes only under tag 3.
void checkOlderTag(const ir::IRFileInfo& info)
{
    const auto tag = static_cast<std::uint16_t>(info.formatTag);
    fuzz::require(tag == 0 || tag == 1 || tag == 3, "accepted a format tag other than PCM or float");
    const bool isFloat = ir::isFloatEncoding(info.encoding);
    const int bytes = info.usedBits / 8;
    if (bytes <= 3)
        fuzz::require(!isFloat, "a narrow sample under an older tag read as float");
    else if (bytes == 4)
        fuzz::require(isFloat == (tag == 3 || info.declaredBits == 24), "32-bit samples of the wrong kind");
    else
        fuzz::require(bytes == 8 && isFloat && tag == 3, "an unusual width was accepted");
    fuzz::require(info.validBits == info.usedBits, "an older header's samples were masked");
}

// Reads one image and checks the outcome; returns the frame count or the failure.
int readAndCheck(const std::uint8_t* data, std::size_t size, ir::IRFileInfo& info)
{
    const fuzz::ImageRead read = fuzz::readImage(data, size, ir::kByteOrderWave, info);
    if (read.frames < 0)
        return read.frames;
    const bool riff = std::memcmp(data, "RIFF", 4) == 0;
    const bool rifx = std::memcmp(data, "RIFX", 4) == 0;
    fuzz::require((riff || rifx || std::memcmp(data, "RF64", 4) == 0 || std::memcmp(data, "BW64", 4) == 0) &&
                      std::memcmp(data + 8, "WAVE", 4) == 0,
                  "accepted a file without RIFF/WAVE codes");
    // The samples follow the file's byte order (8-bit samples have none).
    fuzz::require(info.encoding == ir::SampleEncoding::U8 || fuzz::layoutOf(info).bigEndian == rifx,
                  "samples read in the other byte order than the file's");
    // The sample data starts right behind a "data" chunk header that carries
    // the size, or, in RF64, says it is in ds64.
    fuzz::require(info.dataPosition >= 44 && info.dataPosition <= size, "data position outside the file");
    const unsigned char* sizeField = data + info.dataPosition - 4;
    const std::uint32_t declared = rifx ? ir::loadBE32(sizeField) : ir::loadLE32(sizeField);
    fuzz::require(std::memcmp(data + info.dataPosition - 8, "data", 4) == 0 &&
                      (declared == info.dataSize || (!riff && !rifx && declared == 0xffffffffu)),
                  "data position not behind the data chunk header");
    if (static_cast<std::uint16_t>(info.formatTag) != 0xFFFE)
        checkOlderTag(info);

    fuzz::checkSamples(fuzz::layoutOf(info), data, size, info, read);
    return read.frames;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    ir::IRFileInfo info;
    const int frames = readAndCheck(data, size, info);

    // For some inputs (chosen by length, so a reproducer behaves alike) the
    // same file again with its sample data repeated past the capacity and the
    // data size set to "unknown": the cut at exactly the capacity. (An RF64
    // file would take its size from ds64 instead.)
    if (frames <= 0 || (std::memcmp(data, "RIFF", 4) != 0 && std::memcmp(data, "RIFX", 4) != 0))
        return 0;
    std::vector<unsigned char> image = fuzz::capacityProbe(data, size, info, fuzz::layoutOf(info), frames);
    if (!image.empty()) {
        std::memset(image.data() + info.dataPosition - 4, 0xff, 4);
        ir::IRFileInfo longInfo;
        fuzz::require(readAndCheck(image.data(), image.size(), longInfo) == ir::kIRCapacityFrames,
                      "long data not cut at the capacity");
    }
    return 0;
}
