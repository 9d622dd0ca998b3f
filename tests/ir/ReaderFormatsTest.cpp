// Sample widths, byte orders, channel layouts and normalisation of the readers.
#include "IRFileBuilder.h"

#include "ir/IRFileReaders.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace irtest;

namespace {

constexpr std::uint32_t kWave = ir::kByteOrderWave;
constexpr std::uint32_t kAiff = ir::kByteOrderAiff;

// Stereo frames (l0, r0, l1, r1, ...) with a distinct peak in the right channel.
const std::vector<std::int64_t> kStereo16 = {100, -200, 300, -1000, 0, 500};

void expectScaled(const Decoded& d, const std::vector<std::int64_t>& interleaved, int channels, double peak)
{
    const int frames = static_cast<int>(interleaved.size()) / channels;
    ASSERT_EQ(d.frames, frames) << d.error;
    for (int i = 0; i < frames; ++i) {
        const double l = static_cast<double>(interleaved[static_cast<std::size_t>(i * channels)]);
        const double r = channels == 1 ? l : static_cast<double>(interleaved[static_cast<std::size_t>(i * 2 + 1)]);
        EXPECT_FLOAT_EQ(d.left[static_cast<std::size_t>(i)], static_cast<float>(l / peak)) << "frame " << i;
        EXPECT_FLOAT_EQ(d.right[static_cast<std::size_t>(i)], static_cast<float>(r / peak)) << "frame " << i;
    }
    // Frames past the data stay silent.
    EXPECT_EQ(d.left[static_cast<std::size_t>(frames)], 0.0f);
    EXPECT_EQ(d.right[static_cast<std::size_t>(frames)], 0.0f);
}

} // namespace

TEST(ReaderFormats, IntegerWidthsInBothByteOrders)
{
    struct Case {
        int bits;
        std::vector<std::int64_t> samples;
    };
    const Case cases[] = {
        {16, kStereo16},
        {24, {-8388608, 8388607, 4000000, -1, 12345, 0}},
        {32, {-2147483647 - 1, 1000000000, 5, -5, 2147483647, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bits);
        const int bytes = c.bits / 8;
        double peak = 0;
        for (auto v : c.samples)
            peak = std::fmax(peak, std::fabs(static_cast<double>(static_cast<float>(v))));

        const Decoded wav = decodeImage(wavFile(1, 2, 44100, c.bits, bytes, pcm(c.samples, bytes, false)), kWave);
        EXPECT_EQ(wav.info.usedBits, c.bits);
        EXPECT_EQ(wav.info.byteOrder, kWave);
        expectScaled(wav, c.samples, 2, peak);

        const Decoded aif = decodeImage(aiffFile(2, c.bits, 44100, pcm(c.samples, bytes, true)), kAiff);
        EXPECT_EQ(aif.info.usedBits, c.bits);
        EXPECT_EQ(aif.info.byteOrder, kAiff);
        expectScaled(aif, c.samples, 2, peak);
    }
}

TEST(ReaderFormats, EightBitWaveIsOffsetAndEightBitAiffIsSigned)
{
    // WAV byte 128 is silence and byte 0 the most negative value.
    const std::string wavBytes = std::string("\x80\x00\x40\xff", 4);
    const Decoded wav = decodeImage(wavFile(1, 1, 8000, 8, 1, wavBytes), kWave);
    ASSERT_EQ(wav.frames, 4) << wav.error;
    EXPECT_EQ(wav.left[0], 0.0f);
    EXPECT_EQ(wav.left[1], -1.0f);              // -128 / 128
    EXPECT_FLOAT_EQ(wav.left[2], -64.0f / 128); // 0x40 - 128
    EXPECT_FLOAT_EQ(wav.left[3], 127.0f / 128);

    const Decoded aif = decodeImage(aiffFile(1, 8, 8000, std::string("\x80\x00\x40\xff", 4)), kAiff);
    ASSERT_EQ(aif.frames, 4) << aif.error;
    EXPECT_EQ(aif.left[0], -1.0f); // 0x80 is -128
    EXPECT_EQ(aif.left[1], 0.0f);
    EXPECT_FLOAT_EQ(aif.left[2], 64.0f / 128);
    EXPECT_FLOAT_EQ(aif.left[3], -1.0f / 128);
}

TEST(ReaderFormats, MonoFillsBothChannelsAlike)
{
    const std::vector<std::int64_t> mono = {3, -7, 2, 0, 1};
    const Decoded wav = decodeImage(wavFile(1, 1, 22050, 16, 2, pcm(mono, 2, false)), kWave);
    expectScaled(wav, mono, 1, 7.0);
    EXPECT_EQ(wav.info.channels, 1);
    const Decoded aif = decodeImage(aiffFile(1, 24, 22050, pcm(mono, 3, true)), kAiff);
    expectScaled(aif, mono, 1, 7.0);
}

TEST(ReaderFormats, FloatSamplesByTagOrByTwentyFourBitDeclaration)
{
    const std::vector<float> values = {0.25f, -0.5f, 0.125f, 0.0f};
    // Tag 3, and tag 1 with 4 bytes per sample declared as 24 bits: both are floats.
    for (int tag : {3, 1}) {
        SCOPED_TRACE(tag);
        const int declared = tag == 3 ? 32 : 24;
        const Decoded d = decodeImage(wavFile(tag, 2, 48000, declared, 4, floats32LE(values)), kWave);
        ASSERT_EQ(d.frames, 2) << d.error;
        EXPECT_EQ(d.info.usedBits, 32);
        EXPECT_EQ(d.info.declaredBits, declared);
        EXPECT_EQ(d.left[0], 0.5f);
        EXPECT_EQ(d.right[0], -1.0f);
        EXPECT_EQ(d.left[1], 0.25f);
        EXPECT_EQ(d.right[1], 0.0f);
    }
    // Tag 1 with a 32-bit declaration is integer: the float bit patterns read as
    // integers (0.25f is 0x3e800000, -0.5f is 0xbf000000).
    const Decoded asInt = decodeImage(wavFile(1, 2, 48000, 32, 4, floats32LE(values)), kWave);
    ASSERT_EQ(asInt.frames, 2);
    EXPECT_NEAR(asInt.left[0], 1048576000.0 / 1090519040.0, 1e-6);
}

TEST(ReaderFormats, NonFiniteFloatsBecomeSilenceInsteadOfPoisoningTheIR)
{
    const std::vector<float> values = {INFINITY, 0.5f, NAN, -0.25f, -INFINITY, 0.0f};
    const Decoded d = decodeImage(wavFile(3, 2, 44100, 32, 4, floats32LE(values)), kWave);
    ASSERT_EQ(d.frames, 3);
    EXPECT_EQ(d.left[0], 0.0f);
    EXPECT_EQ(d.right[0], 1.0f);
    EXPECT_EQ(d.left[1], 0.0f);
    EXPECT_EQ(d.right[1], -0.5f);
    EXPECT_EQ(d.left[2], 0.0f);
}

TEST(ReaderFormats, LayoutsTheConverterCannotTakeAreRefusedWithTheReason)
{
    const struct {
        std::string image;
        std::uint32_t byteOrder;
        const char* reason;
    } cases[] = {
        {wavFile(1, 3, 44100, 16, 2, pcm({1, 2, 3, 4, 5, 6}, 2, false)), kWave,
         "3 channels: only mono and stereo IRs can be loaded"},
        {aiffFile(4, 16, 44100, pcm({1, 2, 3, 4}, 2, true)), kAiff,
         "4 channels: only mono and stereo IRs can be loaded"},
        // Widths: half floats, 64-bit integers, 40-bit integers.
        {extensibleWav(1, 44100, 16, 16, tagGuid(3), pcm({1, 2}, 2, false)), kWave,
         "16-bit float samples: only 32- and 64-bit float samples can be loaded"},
        {wavFile(1, 1, 44100, 64, 8, pcm({1, 2}, 8, false)), kWave,
         "64-bit samples: only 8-, 16-, 24- and 32-bit PCM samples can be loaded"},
        {aiffFile(1, 40, 44100, pcm({1, 2}, 5, true)), kAiff,
         "40-bit samples: only 8-, 16-, 24- and 32-bit PCM samples can be loaded"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        const Decoded d = decodeImage(c.image, c.byteOrder);
        EXPECT_EQ(d.frames, ir::kIRRefused);
        EXPECT_EQ(d.error, c.reason);
    }
}

TEST(ReaderFormats, LongDataIsCutAtCapacity)
{
    const int frames = ir::kIRCapacityFrames + 1000;
    std::vector<std::int64_t> ramp(static_cast<std::size_t>(frames));
    for (int i = 0; i < frames; ++i)
        ramp[static_cast<std::size_t>(i)] = i % 30000;
    const Decoded d = decodeImage(wavFile(1, 1, 44100, 16, 2, pcm(ramp, 2, false)), kWave);
    EXPECT_EQ(d.frames, ir::kIRCapacityFrames);
    EXPECT_EQ(d.info.dataSize, static_cast<std::uint32_t>(frames * 2));
    // The last kept frame is there and correctly scaled by the peak of what was kept.
    EXPECT_FLOAT_EQ(d.left.back(), static_cast<float>((ir::kIRCapacityFrames - 1) % 30000) / 29999.0f);
}

TEST(ReaderFormats, PeakIsExactlyOneAndSharedByBothChannels)
{
    std::uint32_t state = 12345;
    for (int round = 0; round < 300; ++round) {
        state = state * 1664525u + 1013904223u;
        // Peaks whose reciprocal is inexact in float, on the right channel, negative.
        const std::int64_t peak = 1 + static_cast<std::int64_t>(state >> 9);
        const std::vector<std::int64_t> samples = {peak / 3, -peak, peak / 2, peak / 7};
        const Decoded d = decodeImage(aiffFile(2, 24, 44100, pcm(samples, 3, true)), kAiff);
        ASSERT_EQ(d.frames, 2);
        ASSERT_EQ(d.right[0], -1.0f) << "peak " << peak;
        ASSERT_EQ(peakOf(d), 1.0f);
        // One factor for both channels keeps their balance.
        EXPECT_NEAR(d.left[0], static_cast<double>(peak / 3) / static_cast<double>(peak), 1e-6);
    }
}

TEST(ReaderFormats, AllZeroSamplesStayZero)
{
    const Decoded d = decodeImage(wavFile(1, 2, 44100, 16, 2, std::string(400, '\0')), kWave);
    EXPECT_EQ(d.frames, 100);
    EXPECT_EQ(peakOf(d), 0.0f);
    for (float v : d.left)
        ASSERT_FALSE(std::isnan(v));
}

TEST(ReaderFormats, NormalizePeakLeavesFramesBeyondTheCountAlone)
{
    std::vector<float> left = {0.5f, -0.25f, 9.0f};
    std::vector<float> right = {0.0f, 0.125f, 9.0f};
    ir::normalizePeak(2, left.data(), right.data());
    EXPECT_EQ(left[0], 1.0f);
    EXPECT_EQ(left[1], -0.5f);
    EXPECT_EQ(right[1], 0.25f);
    EXPECT_EQ(left[2], 9.0f);
    EXPECT_EQ(right[2], 9.0f);

    // A subnormal peak must not produce an infinite factor.
    std::vector<float> tinyL = {1e-45f, 0.0f};
    std::vector<float> tinyR = {0.0f, -1e-45f};
    ir::normalizePeak(2, tinyL.data(), tinyR.data());
    EXPECT_EQ(tinyL[0], 1.0f);
    EXPECT_EQ(tinyR[1], -1.0f);
}

TEST(ReaderFormats, HeaderFieldsAreReported)
{
    const Decoded wav = decodeImage(wavFile(1, 2, 96000, 24, 3, pcm({1, 2, 3, 4}, 3, false)), kWave);
    EXPECT_EQ(wav.info.formatTag, 1);
    EXPECT_EQ(wav.info.channels, 2);
    EXPECT_EQ(wav.info.sampleRate, 96000);
    EXPECT_EQ(wav.info.declaredBits, 24);
    EXPECT_EQ(wav.info.usedBits, 24);
    EXPECT_EQ(wav.info.dataPosition, 44u);
    EXPECT_EQ(wav.info.dataSize, 12u);

    const Decoded aif = decodeImage(aiffFile(1, 16, 44100, pcm({1, 2, 3}, 2, true)), kAiff);
    EXPECT_EQ(aif.info.formatTag, 1);
    EXPECT_EQ(aif.info.sampleRate, 44100);
    EXPECT_EQ(aif.info.dataPosition, 54u);
    EXPECT_EQ(aif.info.dataSize, 6u);

    // A fractional rate is truncated toward zero; an SSND offset is skipped.
    const std::string odd = formAiff(iffChunk("COMM", commBody(1, 2, 16, extended(22050.75L))) +
                                     ssndChunk(pcm({-4, 8}, 2, true), 6));
    const Decoded o = decodeImage(odd, kAiff);
    EXPECT_EQ(o.info.sampleRate, 22050);
    EXPECT_EQ(o.info.dataPosition, 60u);
    ASSERT_EQ(o.frames, 2);
    EXPECT_EQ(o.left[0], -0.5f);
    EXPECT_EQ(o.left[1], 1.0f);
}
