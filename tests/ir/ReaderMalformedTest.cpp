// Hostile and damaged files: truncation, lying sizes, odd padding, absurd fields.
#include "IRFileBuilder.h"

#include "ir/IRFileReaders.h"
#include "ir/MemoryByteSource.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace irtest;

namespace {

constexpr std::uint32_t kWave = ir::kByteOrderWave;
constexpr std::uint32_t kAiff = ir::kByteOrderAiff;

const std::vector<std::int64_t> kSamples = {1000, -2000, 3000, -4000, 5000, -6000};

void expectSane(const Decoded& d)
{
    ASSERT_LE(d.frames, ir::kIRCapacityFrames);
    if (d.frames < 0) {
        EXPECT_FALSE(d.error.empty());
        return;
    }
    for (std::size_t i = 0; i < d.left.size(); ++i) {
        ASSERT_TRUE(std::isfinite(d.left[i]) && std::fabs(d.left[i]) <= 1.0f) << i;
        ASSERT_TRUE(std::isfinite(d.right[i]) && std::fabs(d.right[i]) <= 1.0f) << i;
    }
}

} // namespace

TEST(ReaderMalformed, EveryTruncationOfAWaveFile)
{
    const std::string head = riffChunk("LIST", "INFOISFT" + le32(5) + "test", true);
    const std::string full = riffWave(head + riffChunk("fmt ", fmtBody(1, 2, 44100, 24, 3)) +
                                      riffChunk("fact", le32(3)) + riffChunk("data", pcm(kSamples, 3, false)));
    const std::size_t dataStart = full.size() - kSamples.size() * 3;
    for (std::size_t length = 0; length <= full.size(); ++length) {
        SCOPED_TRACE(length);
        const Decoded d = decodeImage(full.substr(0, length), kWave);
        expectSane(d);
        if (length < dataStart)
            EXPECT_EQ(d.frames, -1);
        else
            EXPECT_EQ(d.frames, static_cast<int>((length - dataStart) / 6)); // whole frames only
    }
}

TEST(ReaderMalformed, EveryTruncationOfAnAiffFile)
{
    const std::string full = aiffFile(2, 16, 44100, pcm(kSamples, 2, true));
    const std::size_t dataStart = 54;
    for (std::size_t length = 0; length <= full.size(); ++length) {
        SCOPED_TRACE(length);
        const Decoded d = decodeImage(full.substr(0, length), kAiff);
        expectSane(d);
        EXPECT_EQ(d.frames, length < dataStart ? -1 : static_cast<int>((length - dataStart) / 4));
    }
}

TEST(ReaderMalformed, ChunkListsThatWouldStallOrRunAway)
{
    const std::string fmt = riffChunk("fmt ", fmtBody(1, 1, 44100, 16, 2));
    const std::string data = riffChunk("data", pcm({10, -20}, 2, false));
    // Thousands of empty chunks are walked one header at a time.
    std::string empties;
    for (int i = 0; i < 5000; ++i)
        empties += riffChunk("JUNK", "");
    EXPECT_EQ(decodeImage(riffWave(empties + fmt + empties + data), kWave).frames, 2);

    // Sizes past the end, including ones that a signed skip would take backwards.
    for (std::uint32_t size : {0xffffffffu, 0xfffffff8u, 0x80000000u, 1000u}) {
        SCOPED_TRACE(size);
        EXPECT_EQ(decodeImage(riffWave(riffChunkSized("JUNK", size, "") + fmt + data), kWave).error,
                  "Failed to find fmt chunk.");
        EXPECT_EQ(decodeImage(riffWave(fmt + riffChunkSized("LIST", size, "xx") + data), kWave).error,
                  "Failed to find data chunk.");
        EXPECT_EQ(decodeImage(riffWave(riffChunkSized("fmt ", size, fmtBody(1, 1, 44100, 16, 2)) + data), kWave)
                      .error,
                  "Failed to find data chunk.");
    }
}

TEST(ReaderMalformed, OddChunksWithAndWithoutTheirPadByte)
{
    const std::string fmt = fmtBody(1, 2, 44100, 16, 2);
    const std::string data = riffChunk("data", pcm({100, -200, 50, 25}, 2, false));
    for (bool pad : {true, false}) {
        SCOPED_TRACE(pad);
        // An odd chunk before the format chunk, and an odd format chunk (18 + 1 bytes of extension).
        const Decoded a = decodeImage(riffWave(riffChunk("LIST", "abc", pad) + riffChunk("fmt ", fmt) + data), kWave);
        EXPECT_EQ(a.frames, 2) << a.error;
        EXPECT_EQ(a.right[0], -1.0f);
        const Decoded b = decodeImage(riffWave(riffChunk("fmt ", fmt + le16(1) + "x", pad) + data), kWave);
        EXPECT_EQ(b.frames, 2) << b.error;
        const Decoded c =
            decodeImage(formAiff(iffChunk("COMM", commBody(1, 2, 16, extended(44100)) + "xyz", pad) +
                                 iffChunk("ANNO", "hello", pad) + ssndChunk(pcm({3, -6}, 2, true))),
                        kAiff);
        EXPECT_EQ(c.frames, 2) << c.error;
        EXPECT_EQ(c.left[1], -1.0f);
    }
}

TEST(ReaderMalformed, DeclaredSizesLargerThanTheData)
{
    // A data size of 4 GB (streaming writers leave it so) reads what is there.
    const std::string wav =
        riffWave(riffChunk("fmt ", fmtBody(1, 2, 44100, 16, 2)) + riffChunkSized("data", 0xffffffffu, pcm(kSamples, 2, false)));
    const Decoded w = decodeImage(wav, kWave);
    EXPECT_EQ(w.frames, 3);
    EXPECT_EQ(w.right[2], -1.0f);

    // An AIFF claiming 4 billion stereo frames of 32 bits: the size saturates.
    const std::string aif =
        formAiff(iffChunk("COMM", commBody(2, 0xffffffffu, 32, extended(44100))) + ssndChunk(pcm({1, -2, 3, -4}, 4, true)));
    const Decoded a = decodeImage(aif, kAiff);
    EXPECT_EQ(a.info.dataSize, 0xffffffffu);
    EXPECT_EQ(a.frames, 2);
    EXPECT_EQ(a.right[1], -1.0f);

    // Absurd channel counts and widths are refused before any size is computed from them.
    const Decoded many =
        decodeImage(formAiff(iffChunk("COMM", commBody(32767, 0xffffffffu, 16, extended(44100))) + ssndChunk("ab")), kAiff);
    EXPECT_EQ(many.frames, ir::kIRRefused);
    EXPECT_EQ(many.error, "32767 channels: only mono and stereo IRs can be loaded");
    const Decoded wide =
        decodeImage(formAiff(iffChunk("COMM", commBody(2, 3, 32000, extended(44100))) + ssndChunk(std::string(9, '\7'))), kAiff);
    EXPECT_EQ(wide.frames, ir::kIRRefused);
}

TEST(ReaderMalformed, ConverterRefusesRecordsNoHeaderReaderMakes)
{
    std::vector<float> left(ir::kIRCapacityFrames, 0.0f);
    std::vector<float> right(ir::kIRCapacityFrames, 0.0f);
    const std::string bytes(64, '\x11');
    const auto convert = [&](ir::SampleEncoding encoding, int used, int channels, std::uint32_t size) {
        ir::IRFileInfo info;
        info.encoding = encoding;
        info.usedBits = static_cast<std::int16_t>(used);
        info.validBits = info.usedBits;
        info.channels = static_cast<std::int16_t>(channels);
        info.dataSize = size;
        ir::MemoryByteSource source(bytes.data(), bytes.size());
        return ir::convertSamples(source, info, left.data(), right.data());
    };
    using E = ir::SampleEncoding;
    EXPECT_EQ(convert(E::None, 16, 2, 64), 0);
    EXPECT_EQ(convert(E::S16LE, 24, 2, 64), 0); // container and encoding disagree
    EXPECT_EQ(convert(E::S16LE, -16, 2, 64), 0);
    EXPECT_EQ(convert(E::S16LE, 16, 0, 64), 0);
    EXPECT_EQ(convert(E::S16LE, 16, -1, 64), 0);
    EXPECT_EQ(convert(E::S16LE, 16, 3, 64), 0);
    EXPECT_EQ(convert(E::S16LE, 16, 2, 0), 0);
    EXPECT_EQ(convert(E::S16LE, 16, 2, 7), 1); // a partial frame is not counted
    EXPECT_EQ(convert(E::F64BE, 64, 2, 0xffffffffu), 4);
    ir::MemoryByteSource empty(nullptr, 0);
    ir::IRFileInfo info;
    info.encoding = E::S16BE;
    info.usedBits = 16;
    info.channels = 2;
    info.dataSize = 1000;
    EXPECT_EQ(ir::convertSamples(empty, info, left.data(), right.data()), 0);
}

TEST(ReaderMalformed, RandomDamageNeverBreaksTheReaders)
{
    // Each run of this loop is a small fuzzing pass; the address sanitizer
    // catches any read outside the image.
    const std::string startingImages[] = {
        riffWave(riffChunk("LIST", "abc") + riffChunk("fmt ", fmtBody(1, 2, 44100, 16, 2)) +
                 riffChunk("data", pcm(kSamples, 2, false))),
        wavFile(3, 1, 48000, 32, 4, floats32LE({0.5f, -0.25f, 0.125f})),
        wavFile(1, 1, 8000, 8, 1, pcmU8({1, -2, 3, -4})),
        aiffFile(2, 24, 44100, pcm(kSamples, 3, true)),
        aiffFile(1, 8, 44100, pcm({1, -2, 3}, 1, true)),
    };
    std::uint32_t state = 99;
    const auto next = [&state] {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    };
    int read = 0;
    for (int round = 0; round < 3000; ++round) {
        std::string image = startingImages[next() % 5];
        const int edits = 1 + static_cast<int>(next() % 4);
        for (int e = 0; e < edits; ++e) {
            const std::size_t at = next() % image.size();
            switch (next() % 3) {
            case 0: image[at] = static_cast<char>(next()); break;
            case 1: image.resize(at); break;
            default: image.insert(at, 4, static_cast<char>(next() & 1 ? 0xff : 0)); break;
            }
            if (image.empty())
                image = "R";
        }
        const Decoded d = decodeImage(image, next() % 2);
        expectSane(d);
        read += d.frames > 0;
    }
    // The damage must leave enough files readable for the loop to test conversion too.
    EXPECT_GT(read, 120);
}
