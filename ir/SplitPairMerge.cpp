#include "ir/IRFileReaders.h"

#include "ir/EndianBytes.h"
#include "ir/ExtendedFloat.h"
#include "ir/FileByteSink.h"

#include <cstdio>
#include <cstring>

namespace ir {

namespace {

constexpr std::uint32_t kSplitPairRate = 44100;
constexpr std::uint64_t kSampleBytes = 3;
constexpr std::uint64_t kFrameBytes = 2 * kSampleBytes;
constexpr std::uint32_t kHeaderTailSize = 46; // "AIFF" + COMM chunk + SSND header within FORM
constexpr std::size_t kPieceFrames = 4096;

// Fills `bytes` from source, or with silence where the source is missing or ends.
void readHalf(ByteSource* source, unsigned char* bytes, std::size_t count)
{
    const std::size_t got = source != nullptr ? source->read(bytes, count) : 0;
    std::memset(bytes + got, 0, count - got);
}

} // namespace

bool writeSplitPairAiff(ByteSource* left, ByteSource* right, ByteSink& out)
{
    const std::uint64_t leftSize = left != nullptr ? left->remaining() : 0;
    const std::uint64_t rightSize = right != nullptr ? right->remaining() : 0;
    const std::uint64_t frames = (leftSize > rightSize ? leftSize : rightSize) / kSampleBytes;
    // The sizes are taken from the frames actually written, so a half whose
    // length is not a multiple of 3 still gives a self-consistent file.
    const std::uint64_t soundBytes = frames * kFrameBytes;
    if (soundBytes + kHeaderTailSize > 0xffffffffu)
        return false;

    unsigned char header[54];
    std::memcpy(header + 0, "FORM", 4);
    storeBE32(header + 4, static_cast<std::uint32_t>(soundBytes + kHeaderTailSize));
    std::memcpy(header + 8, "AIFF", 4);
    std::memcpy(header + 12, "COMM", 4);
    storeBE32(header + 16, 18);
    storeBE16(header + 20, 2);
    storeBE32(header + 22, static_cast<std::uint32_t>(frames));
    storeBE16(header + 26, 24);
    encodeExtendedInteger(kSplitPairRate, header + 28);
    std::memcpy(header + 38, "SSND", 4);
    storeBE32(header + 42, static_cast<std::uint32_t>(soundBytes + 8));
    storeBE32(header + 46, 0); // offset
    storeBE32(header + 50, 0); // block size
    if (!out.write(header, sizeof header))
        return false;

    unsigned char leftBytes[kPieceFrames * kSampleBytes];
    unsigned char rightBytes[kPieceFrames * kSampleBytes];
    unsigned char frameBytes[kPieceFrames * kFrameBytes];
    for (std::uint64_t done = 0; done < frames;) {
        const std::size_t count =
            static_cast<std::size_t>(frames - done < kPieceFrames ? frames - done : kPieceFrames);
        readHalf(left, leftBytes, count * kSampleBytes);
        readHalf(right, rightBytes, count * kSampleBytes);
        for (std::size_t i = 0; i < count; ++i) {
            std::memcpy(frameBytes + i * kFrameBytes, leftBytes + i * kSampleBytes, kSampleBytes);
            std::memcpy(frameBytes + i * kFrameBytes + kSampleBytes, rightBytes + i * kSampleBytes, kSampleBytes);
        }
        if (!out.write(frameBytes, count * kFrameBytes))
            return false;
        done += count;
    }
    return true;
}

int mergeSplitPair(const char* path, IRPathText& mergedPath)
{
    const std::size_t length = path != nullptr ? strnlen(path, kIRPathSize) : 0;
    // The base loses ".L" and gains ".aif": two bytes longer than the path.
    if (length < 2 || length + 2 >= kIRPathSize)
        return -1;
    const std::size_t baseLength = length - 2;

    IRPathText leftPath;
    IRPathText rightPath;
    IRPathText outPath;
    std::snprintf(leftPath, sizeof leftPath, "%.*s.L", static_cast<int>(baseLength), path);
    std::snprintf(rightPath, sizeof rightPath, "%.*s.R", static_cast<int>(baseLength), path);
    std::snprintf(outPath, sizeof outPath, "%.*s.aif", static_cast<int>(baseLength), path);

    FileByteSource left;
    FileByteSource right;
    const bool haveLeft = left.open(leftPath);
    const bool haveRight = right.open(rightPath);
    // With neither half there is no IR; an empty file would pass for one.
    if (!haveLeft && !haveRight)
        return -1;

    FileByteSink out;
    if (!out.open(outPath))
        return -1;
    const bool written = writeSplitPairAiff(haveLeft ? &left : nullptr, haveRight ? &right : nullptr, out);
    if (!out.close() || !written) {
        std::remove(outPath);
        return -1;
    }
    std::memcpy(mergedPath, outPath, sizeof outPath);
    return 0;
}

} // namespace ir
