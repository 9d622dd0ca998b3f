#include "ir/IRFileReaders.h"

#include <cfloat>
#include <cmath>
#include <cstring>

namespace ir {

namespace {

// A multiple of every frame size (1, 2, 3, 4, 6, 8 and 16 bytes), so each
// full read ends on a frame boundary. Reading in pieces keeps the memory use
// fixed whatever the header declares.
constexpr std::size_t kPieceBytes = 3 * 8192;

std::uint32_t loadLittle(const unsigned char* p, int bytes)
{
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = (v << 8) | p[i];
    return v;
}

std::uint32_t loadBig(const unsigned char* p, int bytes)
{
    std::uint32_t v = 0;
    for (int i = 0; i < bytes; ++i)
        v = (v << 8) | p[i];
    return v;
}

// Two's complement of `bytes` bytes, the bits outside `mask` cleared first.
float fromSigned(std::uint32_t bits, int bytes, std::uint32_t mask)
{
    bits &= mask;
    const std::uint32_t sign = std::uint32_t{1} << (8 * bytes - 1);
    const std::int64_t value = static_cast<std::int64_t>(bits ^ sign) - static_cast<std::int64_t>(sign);
    return static_cast<float>(value);
}

// An infinity or NaN would poison the normalisation and, through the kernel,
// every output sample from then on.
float fromFloat32(std::uint32_t bits)
{
    float v;
    std::memcpy(&v, &bits, sizeof v);
    return std::isfinite(v) ? v : 0.0f;
}

// Doubles beyond the float range are held at its edge rather than converted
// out of range.
float fromFloat64(std::uint64_t bits)
{
    double v;
    std::memcpy(&v, &bits, sizeof v);
    if (!std::isfinite(v))
        return 0.0f;
    if (std::fabs(v) > static_cast<double>(FLT_MAX))
        return v < 0 ? -FLT_MAX : FLT_MAX;
    return static_cast<float>(v);
}

float decode(SampleEncoding encoding, const unsigned char* p, std::uint32_t mask)
{
    switch (encoding) {
    case SampleEncoding::U8:
        return static_cast<float>(static_cast<int>(p[0] & mask) - 128);
    case SampleEncoding::S8: return fromSigned(p[0], 1, mask);
    case SampleEncoding::S16LE: return fromSigned(loadLittle(p, 2), 2, mask);
    case SampleEncoding::S16BE: return fromSigned(loadBig(p, 2), 2, mask);
    case SampleEncoding::S24LE: return fromSigned(loadLittle(p, 3), 3, mask);
    case SampleEncoding::S24BE: return fromSigned(loadBig(p, 3), 3, mask);
    case SampleEncoding::S32LE: return fromSigned(loadLittle(p, 4), 4, mask);
    case SampleEncoding::S32BE: return fromSigned(loadBig(p, 4), 4, mask);
    case SampleEncoding::F32LE: return fromFloat32(loadLittle(p, 4));
    case SampleEncoding::F32BE: return fromFloat32(loadBig(p, 4));
    case SampleEncoding::F64LE:
        return fromFloat64(static_cast<std::uint64_t>(loadLittle(p + 4, 4)) << 32 | loadLittle(p, 4));
    case SampleEncoding::F64BE:
        return fromFloat64(static_cast<std::uint64_t>(loadBig(p, 4)) << 32 | loadBig(p + 4, 4));
    case SampleEncoding::None: break;
    }
    return 0.0f;
}

template <SampleEncoding encoding>
void decodeFrames(const unsigned char* bytes, int frames, int channels, std::uint32_t mask, float* left, float* right)
{
    constexpr int width = encodingBytes(encoding);
    if (channels == 1) {
        for (int i = 0; i < frames; ++i)
            left[i] = right[i] = decode(encoding, bytes + i * width, mask);
    } else {
        for (int i = 0; i < frames; ++i) {
            left[i] = decode(encoding, bytes + 2 * i * width, mask);
            right[i] = decode(encoding, bytes + (2 * i + 1) * width, mask);
        }
    }
}

void decodeFrames(SampleEncoding encoding, const unsigned char* bytes, int frames, int channels, std::uint32_t mask,
                  float* left, float* right)
{
    using E = SampleEncoding;
    switch (encoding) {
    case E::U8: return decodeFrames<E::U8>(bytes, frames, channels, mask, left, right);
    case E::S8: return decodeFrames<E::S8>(bytes, frames, channels, mask, left, right);
    case E::S16LE: return decodeFrames<E::S16LE>(bytes, frames, channels, mask, left, right);
    case E::S16BE: return decodeFrames<E::S16BE>(bytes, frames, channels, mask, left, right);
    case E::S24LE: return decodeFrames<E::S24LE>(bytes, frames, channels, mask, left, right);
    case E::S24BE: return decodeFrames<E::S24BE>(bytes, frames, channels, mask, left, right);
    case E::S32LE: return decodeFrames<E::S32LE>(bytes, frames, channels, mask, left, right);
    case E::S32BE: return decodeFrames<E::S32BE>(bytes, frames, channels, mask, left, right);
    case E::F32LE: return decodeFrames<E::F32LE>(bytes, frames, channels, mask, left, right);
    case E::F32BE: return decodeFrames<E::F32BE>(bytes, frames, channels, mask, left, right);
    case E::F64LE: return decodeFrames<E::F64LE>(bytes, frames, channels, mask, left, right);
    case E::F64BE: return decodeFrames<E::F64BE>(bytes, frames, channels, mask, left, right);
    case E::None: return;
    }
}

// The bits of an integer container that carry the signal, from the top;
// every bit when the valid width is missing or not below the container's.
std::uint32_t validMask(int containerBits, int validBits)
{
    const std::uint32_t all = containerBits >= 32 ? 0xffffffffu : (std::uint32_t{1} << containerBits) - 1u;
    if (validBits <= 0 || validBits >= containerBits)
        return all;
    return all & ~((std::uint32_t{1} << (containerBits - validBits)) - 1u);
}

} // namespace

int convertSamples(ByteSource& source, const IRFileInfo& info, float* left, float* right)
{
    const int width = encodingBytes(info.encoding);
    const int channels = info.channels;
    if (width == 0 || info.usedBits != 8 * width || (channels != 1 && channels != 2) || left == nullptr ||
        right == nullptr)
        return 0;
    const std::uint32_t mask = validMask(info.usedBits, info.validBits);
    const std::uint64_t frameBytes = static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(channels);
    std::uint64_t limit = frameBytes * kIRCapacityFrames;
    if (info.dataSize < limit)
        limit = info.dataSize;

    unsigned char piece[kPieceBytes];
    std::uint64_t done = 0;
    int frames = 0;
    while (done < limit) {
        const std::size_t wanted = static_cast<std::size_t>(limit - done < kPieceBytes ? limit - done : kPieceBytes);
        const std::size_t got = source.read(piece, wanted);
        const int pieceFrames = static_cast<int>(got / frameBytes);
        decodeFrames(info.encoding, piece, pieceFrames, channels, mask, left + frames, right + frames);
        frames += pieceFrames;
        done += got;
        if (got < wanted)
            break;
    }
    normalizePeak(frames, left, right);
    return frames;
}

} // namespace ir
