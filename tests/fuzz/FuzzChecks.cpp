#include "FuzzChecks.h"

#include "ir/IRFileReaders.h"

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

namespace fuzz {

void fail(const char* what)
{
    std::fprintf(stderr, "fuzz invariant violated: %s\n", what);
    std::fflush(stderr);
    __builtin_trap();
}

void checkErrorText(const char* text, std::size_t capacity)
{
    require(std::memchr(text, 0, capacity) != nullptr, "error text not terminated inside its buffer");
}

SampleLayout layoutOf(const ir::IRFileInfo& info)
{
    using E = ir::SampleEncoding;
    const E e = info.encoding;
    SampleLayout layout;
    layout.usedBits = 8 * ir::encodingBytes(e);
    layout.validBits = info.validBits;
    layout.channels = info.channels;
    layout.bigEndian = e == E::S16BE || e == E::S24BE || e == E::S32BE || e == E::F32BE || e == E::F64BE;
    layout.unsignedBytes = e == E::U8;
    layout.ieeeFloat = ir::isFloatEncoding(e);
    return layout;
}

int expectedFrames(const SampleLayout& layout, std::uint64_t available, std::uint32_t dataSize)
{
    const std::uint64_t frameBytes =
        static_cast<std::uint64_t>(layout.usedBits / 8) * static_cast<std::uint64_t>(layout.channels);
    if (frameBytes == 0)
        return 0;
    std::uint64_t bytes = available < dataSize ? available : dataSize;
    const std::uint64_t frames = bytes / frameBytes;
    return static_cast<int>(frames < ir::kIRCapacityFrames ? frames : ir::kIRCapacityFrames);
}

std::vector<unsigned char> stretched(const unsigned char* data, std::size_t size, std::size_t start,
                                     std::size_t minimumTail)
{
    require(start < size, "nothing to repeat");
    std::vector<unsigned char> image(data, data + size);
    image.reserve(start + minimumTail + (size - start));
    while (image.size() - start < minimumTail)
        image.insert(image.end(), data + start, data + size);
    return image;
}

namespace {

// Written apart from the readers' decoder: assemble the bytes most significant
// first, then clear the bits below the valid ones and sign-extend by the width.
float referenceSample(const SampleLayout& layout, const unsigned char* p)
{
    const int width = layout.usedBits / 8;
    std::uint64_t bits = 0;
    for (int j = 0; j < width; ++j)
        bits = (bits << 8) | (layout.bigEndian ? p[j] : p[width - 1 - j]);
    if (layout.ieeeFloat && width == 8) {
        double v;
        std::memcpy(&v, &bits, sizeof v);
        if (!std::isfinite(v))
            return 0.0f;
        return static_cast<float>(std::fmax(-FLT_MAX, std::fmin(FLT_MAX, v)));
    }
    if (layout.ieeeFloat) {
        const std::uint32_t word = static_cast<std::uint32_t>(bits);
        float v;
        std::memcpy(&v, &word, sizeof v);
        return std::isfinite(v) ? v : 0.0f;
    }
    const int ignored = 8 * width - layout.validBits;
    if (layout.validBits > 0 && ignored > 0)
        bits = (bits >> ignored) << ignored;
    if (layout.unsignedBytes)
        return static_cast<float>(static_cast<std::int64_t>(bits) - 128);
    const std::uint64_t signBit = std::uint64_t{1} << (8 * width - 1);
    const std::int64_t value = static_cast<std::int64_t>(bits ^ signBit) - static_cast<std::int64_t>(signBit);
    return static_cast<float>(value);
}

} // namespace

void checkConverted(const SampleLayout& layout, const unsigned char* samples, int frames, const float* left,
                    const float* right)
{
    require(frames >= 0 && frames <= ir::kIRCapacityFrames, "frame count outside 0..capacity");
    // memcmp rather than a loop: the arrays hold 131072 frames and this runs for every input.
    static const std::vector<float> zeros(ir::kIRCapacityFrames, 0.0f);
    const std::size_t tailBytes = sizeof(float) * static_cast<std::size_t>(ir::kIRCapacityFrames - frames);
    require(std::memcmp(left + frames, zeros.data(), tailBytes) == 0 &&
                std::memcmp(right + frames, zeros.data(), tailBytes) == 0,
            "sample written past the frame count");

    require((layout.channels == 1 || layout.channels == 2) && layout.usedBits >= 8,
            "a layout the converter cannot take was accepted");

    const int width = layout.usedBits / 8;
    const int frameBytes = width * layout.channels;
    float peak = 0.0f;
    for (int i = 0; i < frames; ++i)
        for (int c = 0; c < layout.channels; ++c)
            peak = std::fmax(peak, std::fabs(referenceSample(layout, samples + i * frameBytes + c * width)));
    const double factor = peak > 0.0f ? 1.0 / static_cast<double>(peak) : 1.0;

    float largest = 0.0f;
    for (int i = 0; i < frames; ++i) {
        const unsigned char* frame = samples + i * frameBytes;
        const float l = static_cast<float>(referenceSample(layout, frame) * factor);
        const float r = layout.channels == 1 ? l : static_cast<float>(referenceSample(layout, frame + width) * factor);
        require(std::isfinite(left[i]) && std::isfinite(right[i]), "sample not finite");
        require(left[i] == l && right[i] == r, "sample differs from the reference decode");
        largest = std::fmax(largest, std::fmax(std::fabs(left[i]), std::fabs(right[i])));
    }
    require(largest == 0.0f || largest == 1.0f, "peak after normalisation is neither 0 nor 1");
}

void checkInfo(const ir::IRFileInfo& info)
{
    require(info.channels == 1 || info.channels == 2, "a channel count other than 1 or 2 was accepted");
    require(info.sampleRate >= 1, "sample rate below 1 after a successful read");
    require(info.encoding != ir::SampleEncoding::None, "accepted without a sample encoding");
    require(info.usedBits == 8 * ir::encodingBytes(info.encoding), "container width differs from the encoding");
    require(ir::isFloatEncoding(info.encoding) || (info.validBits >= 1 && info.validBits <= info.usedBits),
            "valid bits outside the container");
    require(info.byteOrder == ir::kByteOrderWave || info.byteOrder == ir::kByteOrderAiff, "unknown byte order");
}

ImageRead readImage(const std::uint8_t* data, std::size_t size, std::uint32_t byteOrder, ir::IRFileInfo& info)
{
    static std::vector<float> left(ir::kIRCapacityFrames);
    static std::vector<float> right(ir::kIRCapacityFrames);

    ir::IRErrorText error;
    std::memset(error, 'x', sizeof error);
    ImageRead read;
    read.frames = ir::readIRImage(data, size, byteOrder, info, left.data(), right.data(), error);
    read.left = left.data();
    read.right = right.data();
    checkErrorText(error, sizeof error);
    if (read.frames < 0) {
        require(read.frames == -1 || read.frames == ir::kIRRefused, "failure other than -1 or a refusal");
        require(error[0] != '\0', "failed read without a message");
        return read;
    }
    checkInfo(info);
    require(info.byteOrder == byteOrder, "read reported the other byte order");
    return read;
}

void checkSamples(const SampleLayout& layout, const std::uint8_t* data, std::size_t size,
                  const ir::IRFileInfo& info, const ImageRead& read)
{
    require(read.frames == expectedFrames(layout, size - info.dataPosition, info.dataSize),
            "frame count differs from the bytes present");
    checkConverted(layout, data + info.dataPosition, read.frames, read.left, read.right);
}

std::vector<unsigned char> capacityProbe(const std::uint8_t* data, std::size_t size, const ir::IRFileInfo& info,
                                         const SampleLayout& layout, int frames)
{
    if (frames <= 0 || size % 127 != 0)
        return {};
    const std::size_t frameBytes = static_cast<std::size_t>(layout.usedBits / 8 * layout.channels);
    return stretched(data, size, info.dataPosition, frameBytes * (ir::kIRCapacityFrames + 1) + 1);
}

} // namespace fuzz
