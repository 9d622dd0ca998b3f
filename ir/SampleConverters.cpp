#include "ir/IRFileReaders.h"

#include <cmath>
#include <cstring>

namespace ir {

namespace {

// A multiple of every converted frame size (1, 2, 3, 4, 6 and 8 bytes), so each
// full read ends on a frame boundary. Reading in pieces keeps the memory use
// fixed whatever the header declares.
constexpr std::size_t kPieceBytes = 3 * 8192;

enum class SampleKind { None, U8, S8, S16LE, S16BE, S24LE, S24BE, S32LE, S32BE, F32LE };

float decode(SampleKind kind, const unsigned char* p)
{
    switch (kind) {
    case SampleKind::U8:
        return static_cast<float>(static_cast<int>(p[0]) - 128);
    case SampleKind::S8:
        return static_cast<float>(static_cast<signed char>(p[0]));
    case SampleKind::S16LE:
        return static_cast<float>(static_cast<std::int16_t>(p[0] | (p[1] << 8)));
    case SampleKind::S16BE:
        return static_cast<float>(static_cast<std::int16_t>((p[0] << 8) | p[1]));
    case SampleKind::S24LE: {
        const std::int32_t v = p[0] | (p[1] << 8) | (p[2] << 16);
        return static_cast<float>(v >= 0x800000 ? v - 0x1000000 : v);
    }
    case SampleKind::S24BE: {
        const std::int32_t v = (p[0] << 16) | (p[1] << 8) | p[2];
        return static_cast<float>(v >= 0x800000 ? v - 0x1000000 : v);
    }
    case SampleKind::S32LE:
        return static_cast<float>(static_cast<std::int32_t>(
            static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
            (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24)));
    case SampleKind::S32BE:
        return static_cast<float>(static_cast<std::int32_t>(
            (static_cast<std::uint32_t>(p[0]) << 24) | (static_cast<std::uint32_t>(p[1]) << 16) |
            (static_cast<std::uint32_t>(p[2]) << 8) | static_cast<std::uint32_t>(p[3])));
    case SampleKind::F32LE: {
        const std::uint32_t bits = static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
                                   (static_cast<std::uint32_t>(p[2]) << 16) |
                                   (static_cast<std::uint32_t>(p[3]) << 24);
        float v;
        std::memcpy(&v, &bits, sizeof v);
        // An infinity or NaN would poison the normalisation and, through the
        // kernel, every output sample from then on.
        return std::isfinite(v) ? v : 0.0f;
    }
    case SampleKind::None:
        break;
    }
    return 0.0f;
}

template <SampleKind kind>
void decodeFrames(const unsigned char* bytes, int frames, int channels, float* left, float* right)
{
    constexpr int width = kind == SampleKind::U8 || kind == SampleKind::S8     ? 1
                          : kind == SampleKind::S16LE || kind == SampleKind::S16BE ? 2
                          : kind == SampleKind::S24LE || kind == SampleKind::S24BE ? 3
                                                                                  : 4;
    if (channels == 1) {
        for (int i = 0; i < frames; ++i)
            left[i] = right[i] = decode(kind, bytes + i * width);
    } else {
        for (int i = 0; i < frames; ++i) {
            left[i] = decode(kind, bytes + 2 * i * width);
            right[i] = decode(kind, bytes + (2 * i + 1) * width);
        }
    }
}

void decodeFrames(SampleKind kind, const unsigned char* bytes, int frames, int channels, float* left, float* right)
{
    switch (kind) {
    case SampleKind::U8: return decodeFrames<SampleKind::U8>(bytes, frames, channels, left, right);
    case SampleKind::S8: return decodeFrames<SampleKind::S8>(bytes, frames, channels, left, right);
    case SampleKind::S16LE: return decodeFrames<SampleKind::S16LE>(bytes, frames, channels, left, right);
    case SampleKind::S16BE: return decodeFrames<SampleKind::S16BE>(bytes, frames, channels, left, right);
    case SampleKind::S24LE: return decodeFrames<SampleKind::S24LE>(bytes, frames, channels, left, right);
    case SampleKind::S24BE: return decodeFrames<SampleKind::S24BE>(bytes, frames, channels, left, right);
    case SampleKind::S32LE: return decodeFrames<SampleKind::S32LE>(bytes, frames, channels, left, right);
    case SampleKind::S32BE: return decodeFrames<SampleKind::S32BE>(bytes, frames, channels, left, right);
    case SampleKind::F32LE: return decodeFrames<SampleKind::F32LE>(bytes, frames, channels, left, right);
    case SampleKind::None: return;
    }
}

int convertSamples(ByteSource& source, float* left, float* right, int usedBits, int channels,
                   std::uint32_t dataSize, SampleKind kind)
{
    if (usedBits < 8 || channels < 1 || left == nullptr || right == nullptr)
        return 0;
    const std::uint64_t frameBytes = static_cast<std::uint64_t>(usedBits / 8) * static_cast<std::uint64_t>(channels);
    std::uint64_t limit = frameBytes * kIRCapacityFrames;
    if (dataSize < limit)
        limit = dataSize;

    if (kind == SampleKind::None || channels > 2) {
        // Nothing to convert, but the frame count still tells how much was there.
        const std::uint64_t present = limit < source.remaining() ? limit : source.remaining();
        return static_cast<int>(present / frameBytes);
    }

    unsigned char piece[kPieceBytes];
    std::uint64_t done = 0;
    int frames = 0;
    while (done < limit) {
        const std::size_t wanted = static_cast<std::size_t>(limit - done < kPieceBytes ? limit - done : kPieceBytes);
        const std::size_t got = source.read(piece, wanted);
        const int pieceFrames = static_cast<int>(got / frameBytes);
        decodeFrames(kind, piece, pieceFrames, channels, left + frames, right + frames);
        frames += pieceFrames;
        done += got;
        if (got < wanted)
            break;
    }
    normalizePeak(frames, left, right);
    return frames;
}

} // namespace

int convertWaveSamples(ByteSource& source, float* left, float* right, int usedBits, int declaredBits, int channels,
                       int formatTag, std::uint32_t dataSize)
{
    SampleKind kind = SampleKind::None;
    switch (usedBits) {
    case 8: kind = SampleKind::U8; break;
    case 16: kind = SampleKind::S16LE; break;
    case 24: kind = SampleKind::S24LE; break;
    // A 24-bit declaration with 4 bytes per sample is taken as a float that a
    // writer labelled by its nominal resolution.
    case 32: kind = formatTag == 3 || declaredBits == 24 ? SampleKind::F32LE : SampleKind::S32LE; break;
    default: break;
    }
    return convertSamples(source, left, right, usedBits, channels, dataSize, kind);
}

int convertAiffSamples(ByteSource& source, float* left, float* right, int usedBits, int channels,
                       std::uint32_t dataSize)
{
    SampleKind kind = SampleKind::None;
    switch (usedBits) {
    case 8: kind = SampleKind::S8; break;
    case 16: kind = SampleKind::S16BE; break;
    case 24: kind = SampleKind::S24BE; break;
    case 32: kind = SampleKind::S32BE; break;
    default: break;
    }
    return convertSamples(source, left, right, usedBits, channels, dataSize, kind);
}

} // namespace ir
