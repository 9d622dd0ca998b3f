// The AIFF and AIFF-C path from memory: FORM/COMM lead, the 80-bit extended
// sample rate, the compression type, the walk to SSND, sample conversion and
// peak normalisation.
#include "FuzzChecks.h"

#include "ir/EndianBytes.h"
#include "ir/ExtendedFloat.h"
#include "ir/IRFileReaders.h"

#include <cmath>
#include <cstring>
#include <vector>

namespace {

// The rate the 10 bytes hold, by the C library's long double arithmetic rather
// than the reader's integer shifts; -1 where no usable rate exists.
long double referenceRate(const unsigned char* b)
{
    const int exponent = ((b[0] & 0x7f) << 8) | b[1];
    std::uint64_t significand = 0;
    for (int i = 2; i < 10; ++i)
        significand = (significand << 8) | b[i];
    if (exponent == 0x7fff)
        return -1;
    if (significand == 0)
        return 0;
    if ((b[0] & 0x80) != 0)
        return -1;
    const long double value =
        std::trunc(std::ldexp(static_cast<long double>(significand), exponent - 16383 - 63));
    return value > 2147483647.0L ? -1 : value;
}

// Plain AIFF has its COMM chunk at a fixed place: the record must repeat it.
void checkPlainAiff(const std::uint8_t* data, const ir::IRFileInfo& info)
{
    fuzz::require(std::memcmp(data + 12, "COMM", 4) == 0, "accepted a plain AIFF file without COMM first");
    const auto sampleSize = static_cast<std::int16_t>(ir::loadBE16(data + 26));
    fuzz::require(info.channels == static_cast<std::int16_t>(ir::loadBE16(data + 20)) &&
                      info.declaredBits == sampleSize && info.validBits == sampleSize &&
                      info.usedBits == (sampleSize + 7) / 8 * 8 &&
                      static_cast<long double>(info.sampleRate) == referenceRate(data + 28),
                  "record differs from the COMM chunk");
    const ir::SampleEncoding e = info.encoding;
    fuzz::require(e == ir::SampleEncoding::S8 || e == ir::SampleEncoding::S16BE || e == ir::SampleEncoding::S24BE ||
                      e == ir::SampleEncoding::S32BE,
                  "plain AIFF samples not big-endian integers");
    std::uint64_t declared = static_cast<std::uint64_t>(info.usedBits / 8) *
                             static_cast<std::uint64_t>(info.channels) * ir::loadBE32(data + 22);
    if (declared > 0xffffffffu)
        declared = 0xffffffffu;
    fuzz::require(info.dataSize == declared, "data size differs from COMM");
}

// Reads one image and checks the outcome; returns the frame count or the failure.
int readAndCheck(const std::uint8_t* data, std::size_t size, ir::IRFileInfo& info)
{
    const fuzz::ImageRead read = fuzz::readImage(data, size, ir::kByteOrderAiff, info);
    if (read.frames < 0)
        return read.frames;
    fuzz::require(info.formatTag == 1, "AIFF record fields wrong");
    const bool plain = std::memcmp(data + 8, "AIFF", 4) == 0;
    fuzz::require(std::memcmp(data, "FORM", 4) == 0 && (plain || std::memcmp(data + 8, "AIFC", 4) == 0),
                  "accepted a file that is neither AIFF nor AIFF-C");
    if (plain)
        checkPlainAiff(data, info);
    fuzz::require(info.dataPosition >= 54 && info.dataPosition <= size, "data position outside the file");

    fuzz::checkSamples(fuzz::layoutOf(info), data, size, info, read);
    return read.frames;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size >= 38) {
        std::int32_t rate = -7;
        const bool valid = ir::decodeExtendedRate(data + 28, rate);
        const long double expected = referenceRate(data + 28);
        fuzz::require(valid == (expected >= 0), "extended rate accepted or refused wrongly");
        fuzz::require(!valid || static_cast<long double>(rate) == expected, "extended rate decoded wrongly");
        fuzz::require(valid || rate == 0, "refused extended rate left a value");
    }

    ir::IRFileInfo info;
    const int frames = readAndCheck(data, size, info);

    // For some plain AIFF inputs (chosen by length, so a reproducer behaves
    // alike) the same file again with its sample data repeated past the
    // capacity and the frame count in COMM at its largest: the cut at exactly
    // the capacity.
    if (frames <= 0 || std::memcmp(data + 8, "AIFF", 4) != 0)
        return 0;
    std::vector<unsigned char> image = fuzz::capacityProbe(data, size, info, fuzz::layoutOf(info), frames);
    if (!image.empty()) {
        std::memset(image.data() + 22, 0xff, 4);
        ir::IRFileInfo longInfo;
        fuzz::require(readAndCheck(image.data(), image.size(), longInfo) == ir::kIRCapacityFrames,
                      "long data not cut at the capacity");
    }
    return 0;
}
