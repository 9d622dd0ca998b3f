// Hand-built WAVE_FORMAT_EXTENSIBLE, 64-bit float, RF64 and AIFF-C files: the
// header details that writers get wrong or leave unusual, checked against the
// sample values written into them.
#include "IRFileBuilder.h"

#include "ir/IRFileReaders.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>

using namespace irtest;

namespace {

constexpr std::uint32_t kWave = ir::kByteOrderWave;
constexpr std::uint32_t kAiff = ir::kByteOrderAiff;

// Decoded frames equal `values` (interleaved like the file) over their peak.
void expectValues(const Decoded& d, const std::vector<double>& values, int channels)
{
    double peak = 0;
    for (double v : values)
        peak = std::fmax(peak, std::fabs(v));
    const int frames = static_cast<int>(values.size()) / channels;
    ASSERT_EQ(d.frames, frames) << d.error;
    for (int i = 0; i < frames; ++i) {
        const double l = values[static_cast<std::size_t>(i * channels)];
        const double r = values[static_cast<std::size_t>(i * channels + channels - 1)];
        EXPECT_FLOAT_EQ(d.left[static_cast<std::size_t>(i)], static_cast<float>(l / peak)) << "frame " << i;
        EXPECT_FLOAT_EQ(d.right[static_cast<std::size_t>(i)], static_cast<float>(r / peak)) << "frame " << i;
    }
}

} // namespace

TEST(ReaderExtendedFormats, ValidBitsBelowTheContainerIgnoreTheBitsUnderThem)
{
    // Signal values with noise in the bits a writer should have left zero.
    const std::vector<std::int64_t> signal = {1000, -2000, 2047, -7, 0, -2048};
    const struct {
        int container;
        int valid;
    } widths[] = {{32, 24}, {24, 20}, {16, 12}, {32, 17}};
    for (const auto& w : widths) {
        SCOPED_TRACE(std::to_string(w.valid) + " in " + std::to_string(w.container));
        const int shift = w.container - w.valid;
        std::vector<std::int64_t> stored;
        std::vector<double> expected;
        for (std::size_t i = 0; i < signal.size(); ++i) {
            stored.push_back(signal[i] * (std::int64_t{1} << shift) + static_cast<std::int64_t>((i * 37 + 5) % (1u << shift)));
            expected.push_back(static_cast<double>(signal[i]));
        }
        const Decoded d = decodeImage(
            extensibleWav(2, 48000, w.container, w.valid, tagGuid(1), pcm(stored, w.container / 8, false)), kWave);
        expectValues(d, expected, 2);
        EXPECT_EQ(d.info.declaredBits, w.valid);
        EXPECT_EQ(d.info.usedBits, w.container);
        EXPECT_EQ(d.info.formatTag, -2); // 0xFFFE as stored
    }
    // 8-bit extensible samples stay offset binary; 6 valid bits.
    const Decoded u8 = decodeImage(extensibleWav(1, 8000, 8, 6, tagGuid(1), std::string("\x83\x40\xff", 3)), kWave);
    expectValues(u8, {0, -64, 124}, 1);
    // A valid width of 0 or above the container means every bit counts.
    for (int valid : {0, 33}) {
        const Decoded all = decodeImage(extensibleWav(1, 8000, 32, valid, tagGuid(1), pcm({5, -3}, 4, false)), kWave);
        expectValues(all, {5, -3}, 1);
        EXPECT_EQ(all.info.declaredBits, 32);
    }
}

TEST(ReaderExtendedFormats, OddCbSizeWithAndWithoutThePadByte)
{
    const std::vector<std::int64_t> samples = {100, -300, 200, 50};
    for (bool pad : {true, false}) {
        SCOPED_TRACE(pad);
        // cbSize 23: a 41-byte format chunk, then the fact and data chunks.
        const std::string fmt = extensibleFmtBody(2, 44100, 16, 16, tagGuid(1), "x");
        const std::string image = riffWave(riffChunk("fmt ", fmt, pad) + riffChunk("fact", le32(2)) +
                                           riffChunk("data", pcm(samples, 2, false)));
        expectValues(decodeImage(image, kWave), {100, -300, 200, 50}, 2);
    }
    // A larger extension than the fields need is skipped.
    const std::string big = extensibleFmtBody(1, 44100, 24, 24, tagGuid(1), std::string(10, '\7'));
    expectValues(decodeImage(riffWave(riffChunk("fmt ", big) + riffChunk("data", pcm({9, -3}, 3, false))), kWave),
                 {9, -3}, 1);
    // An extensible header without its extension cannot be read.
    const std::string shortFmt = fmtBody(0xFFFE, 1, 44100, 16, 2) + le16(0);
    EXPECT_EQ(decodeImage(riffWave(riffChunk("fmt ", shortFmt) + riffChunk("data", "abcd")), kWave).error,
              "Format chunk is too short.");
}

TEST(ReaderExtendedFormats, FloatsOfBothWidthsAndTheirNonFiniteValues)
{
    const Decoded f32 = decodeImage(extensibleWav(2, 96000, 32, 32, tagGuid(3), floats32LE({0.5f, -0.25f, 0.125f, 0.0f})), kWave);
    expectValues(f32, {0.5, -0.25, 0.125, 0.0}, 2);
    EXPECT_EQ(f32.info.encoding, ir::SampleEncoding::F32LE);

    const std::vector<double> values = {0.5, -0.25, 1e-3, 0.125};
    expectValues(decodeImage(wavFile(3, 2, 44100, 64, 8, floats64LE(values)), kWave), values, 2);
    const Decoded x64 = decodeImage(extensibleWav(1, 44100, 64, 0, tagGuid(3), floats64LE(values)), kWave);
    expectValues(x64, values, 1);
    EXPECT_EQ(x64.info.encoding, ir::SampleEncoding::F64LE);

    // NaN and infinities become silence; doubles beyond the float range are
    // held at its edge instead of overflowing the conversion.
    const Decoded odd = decodeImage(
        wavFile(3, 2, 44100, 64, 8, floats64LE({NAN, 1e300, INFINITY, -1e300, 0.25 * FLT_MAX, -INFINITY})), kWave);
    ASSERT_EQ(odd.frames, 3) << odd.error;
    EXPECT_EQ(odd.left[0], 0.0f);
    EXPECT_EQ(odd.right[0], 1.0f);
    EXPECT_EQ(odd.left[1], 0.0f);
    EXPECT_EQ(odd.right[1], -1.0f);
    EXPECT_EQ(odd.left[2], 0.25f);
    EXPECT_EQ(odd.right[2], 0.0f);
}

TEST(ReaderExtendedFormats, OlderHeadersKeepTheirReadingOfNarrowWidths)
{
    // Tag 3 on 2- and 3-byte samples was always read as integers; it stays so.
    expectValues(decodeImage(wavFile(3, 1, 44100, 16, 2, pcm({300, -600}, 2, false)), kWave), {300, -600}, 1);
    expectValues(decodeImage(wavFile(3, 1, 44100, 24, 3, pcm({-5, 10}, 3, false)), kWave), {-5, 10}, 1);
}

TEST(ReaderExtendedFormats, SubFormatsThatCannotBeUsedAreRefused)
{
    // The ambisonic B-format family wraps PCM and float only: any other tag in
    // it names nothing we know.
    const Decoded ambi = decodeImage(extensibleWav(1, 48000, 16, 16, bFormatGuid(2), pcm({1, 2}, 2, false)), kWave);
    EXPECT_EQ(ambi.frames, ir::kIRRefused);
    EXPECT_EQ(ambi.error, "sub-format {00000002-0721-11D3-8644-C8C1CA000000}: only PCM and float samples can be loaded");
    // A GUID of neither family.
    const std::string foreign("\x01\x00\x00\x00\x21\x07\xd3\x11\x86\x44\xc8\xc1\xca\x00\x00\x01", 16);
    const Decoded foreignGuid = decodeImage(extensibleWav(1, 48000, 16, 16, foreign, pcm({1, 2}, 2, false)), kWave);
    EXPECT_EQ(foreignGuid.frames, ir::kIRRefused);
    EXPECT_EQ(foreignGuid.error, "sub-format {00000001-0721-11D3-8644-C8C1CA000001}: only PCM and float samples can be loaded");
    // In a big-endian file the GUID's fields are big-endian: the message names it as written.
    const Decoded rifxAmbi = decodeImage(
        rifxWave(iffChunk("fmt ", extensibleFmtBody(1, 48000, 16, 16, bFormatGuid(5), "", true)) +
                 iffChunk("data", pcm({1, 2}, 2, true))),
        kWave);
    EXPECT_EQ(rifxAmbi.frames, ir::kIRRefused);
    EXPECT_EQ(rifxAmbi.error, "sub-format {00000005-0721-11D3-8644-C8C1CA000000}: only PCM and float samples can be loaded");

    const Decoded alaw = decodeImage(extensibleWav(1, 8000, 8, 8, tagGuid(6), "abcd"), kWave);
    EXPECT_EQ(alaw.frames, ir::kIRRefused);
    EXPECT_EQ(alaw.error, "A-law encoding: only PCM and float samples can be loaded");
    const Decoded other = decodeImage(wavFile(0x0161, 2, 44100, 16, 2, "abcd"), kWave);
    EXPECT_EQ(other.frames, ir::kIRRefused);
    EXPECT_EQ(other.error, "format tag 0x0161: only PCM and float samples can be loaded");

    const Decoded quad = decodeImage(extensibleWav(4, 48000, 24, 24, tagGuid(1), pcm({1, 2, 3, 4}, 3, false)), kWave);
    EXPECT_EQ(quad.frames, ir::kIRRefused);
    EXPECT_EQ(quad.error, "4 channels: only mono and stereo IRs can be loaded");
}

TEST(ReaderExtendedFormats, Rf64TakesTheDataSizeFromDs64)
{
    const std::string fmt = riffChunk("fmt ", fmtBody(1, 2, 44100, 16, 2));
    const std::string samples = pcm({100, -200, 300, -400}, 2, false);
    // The data chunk says "see ds64"; a chunk after the data is not sample data.
    const auto rf64 = [&](const char* magic, std::uint64_t dataSize) {
        const std::string ds64 = riffChunk("ds64", le32(0) + le32(0) + le32(static_cast<std::uint32_t>(dataSize)) +
                                                       le32(static_cast<std::uint32_t>(dataSize >> 32)) + le32(2) + le32(0) +
                                                       le32(0));
        return std::string(magic) + le32(0xffffffffu) + "WAVE" + ds64 + fmt + riffChunkSized("data", 0xffffffffu, samples) +
               riffChunk("LIST", "INFOjunk");
    };
    for (const char* magic : {"RF64", "BW64"}) {
        SCOPED_TRACE(magic);
        const Decoded d = decodeImage(rf64(magic, 8), kWave);
        expectValues(d, {100, -200, 300, -400}, 2);
        EXPECT_EQ(d.info.dataSize, 8u);
        // A size beyond 32 bits reads to the end of the file (and the capacity).
        EXPECT_EQ(decodeImage(rf64(magic, 0x100000000ull), kWave).info.dataSize, 0xffffffffu);
    }
    // Without its ds64 chunk an RF64 file cannot say where its data ends.
    EXPECT_EQ(decodeImage("RF64" + le32(0xffffffffu) + "WAVE" + fmt + riffChunk("data", samples), kWave).error,
              "Failed to find ds64 chunk.");
}

TEST(ReaderExtendedFormats, AiffCWithItsVersionChunkFirstInEveryUncompressedForm)
{
    const std::vector<std::int64_t> ints = {1000, -2000, 30000, -5};
    const std::vector<double> expected = {1000, -2000, 30000, -5};
    for (const char* type : {"NONE", "twos"})
        expectValues(decodeImage(aifcFile(2, 16, 44100, type, pcm(ints, 2, true), 2), kAiff), expected, 2);
    expectValues(decodeImage(aifcFile(2, 16, 44100, "sowt", pcm(ints, 2, false), 2), kAiff), expected, 2);
    expectValues(decodeImage(aifcFile(1, 24, 44100, "sowt", pcm(ints, 3, false), 3), kAiff), expected, 1);
    expectValues(decodeImage(aifcFile(2, 32, 44100, "sowt", pcm(ints, 4, false), 4), kAiff), expected, 2);
    expectValues(decodeImage(aifcFile(1, 24, 44100, "in24", pcm(ints, 3, true), 3), kAiff), expected, 1);
    // 8-bit 'sowt' is signed, like 8-bit AIFF.
    expectValues(decodeImage(aifcFile(1, 8, 44100, "sowt", std::string("\x80\x10", 2), 1), kAiff), {-128, 16}, 1);

    const std::vector<float> floats = {0.5f, -0.75f, 0.25f, 0.0f};
    for (const char* type : {"fl32", "FL32"}) {
        const Decoded d = decodeImage(aifcFile(2, 32, 48000, type, floats32BE(floats), 4), kAiff);
        expectValues(d, {0.5, -0.75, 0.25, 0.0}, 2);
        EXPECT_EQ(d.info.encoding, ir::SampleEncoding::F32BE);
        EXPECT_EQ(d.info.sampleRate, 48000);
    }
    for (const char* type : {"fl64", "FL64"})
        expectValues(decodeImage(aifcFile(1, 64, 48000, type, floats64BE({0.5, -0.125, 1e-3}), 8), kAiff),
                     {0.5, -0.125, 1e-3}, 1);
}

TEST(ReaderExtendedFormats, AiffCChunkLayoutsAndOddSizes)
{
    const std::string samples = pcm({700, -1400}, 2, true);
    const std::string comm18 = commBody(1, 2, 16, extended(22050));
    for (bool pad : {true, false}) {
        SCOPED_TRACE(pad);
        // An odd chunk between FVER and COMM, and a COMM made odd by its compression name.
        const std::string image = formAiff(iffChunk("FVER", be32(0xA2805140)) + iffChunk("ANNO", "odd", pad) +
                                               iffChunk("COMM", comm18 + "NONE" + std::string("\x02hi", 3), pad) +
                                               ssndChunk(samples),
                                           "AIFC");
        const Decoded d = decodeImage(image, kAiff);
        expectValues(d, {700, -1400}, 1);
        EXPECT_EQ(d.info.sampleRate, 22050);
    }
    // A COMM without the compression type holds uncompressed samples.
    expectValues(decodeImage(formAiff(iffChunk("COMM", comm18) + ssndChunk(samples), "AIFC"), kAiff), {700, -1400}, 1);
}

TEST(ReaderExtendedFormats, AiffSampleSizesBetweenWholeBytes)
{
    // 20 and 12 bits are stored left-justified in 3 and 2 bytes; the pad bits are ignored.
    const Decoded d20 = decodeImage(aiffFile(1, 20, 44100, pcm({100 * 16 + 15, -300 * 16 + 1}, 3, true)), kAiff);
    expectValues(d20, {100, -300}, 1);
    EXPECT_EQ(d20.info.declaredBits, 20);
    EXPECT_EQ(d20.info.usedBits, 24);
    EXPECT_EQ(d20.info.dataSize, 6u);
    expectValues(decodeImage(aiffFile(2, 12, 44100, pcm({16 * 5, 16 * -9 + 3}, 2, true)), kAiff), {5, -9}, 2);
}

TEST(ReaderExtendedFormats, CompressedAiffCIsRefusedByName)
{
    const struct {
        const char* type;
        const char* reason;
    } cases[] = {
        {"ulaw", "\xCE\xBC-law encoding: only PCM and float samples can be loaded"},
        {"ALAW", "A-law encoding: only PCM and float samples can be loaded"},
        {"ima4", "IMA ADPCM encoding: only PCM and float samples can be loaded"},
        {"QDM2", "AIFF-C compression 'QDM2': only PCM and float samples can be loaded"},
        {"\x01z\xffq", "AIFF-C compression '?z?q': only PCM and float samples can be loaded"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        const Decoded d = decodeImage(aifcFile(1, 16, 44100, c.type, pcm({1, 2}, 2, true), 2), kAiff);
        EXPECT_EQ(d.frames, ir::kIRRefused);
        EXPECT_EQ(d.error, c.reason);
    }
    // 'raw ' is offset binary and only known for bytes.
    expectValues(decodeImage(aifcFile(1, 8, 44100, "raw ", std::string("\x80\x00", 2), 1), kAiff), {0, -128}, 1);
    EXPECT_EQ(decodeImage(aifcFile(1, 16, 44100, "raw ", pcm({1, 2}, 2, true), 2), kAiff).frames, ir::kIRRefused);
}

TEST(ReaderExtendedFormats, RifxKeepsTheHeaderRulesWithEveryNumberBigEndian)
{
    // A 24-bit declaration over 4-byte samples is a float, as in RIFF, here big-endian.
    const std::string floats = floats32BE({0.5f, -0.25f, 1.0f, 0.125f});
    expectValues(decodeImage(rifxWave(iffChunk("fmt ", fmtBody(1, 2, 44100, 24, 4, true)) + iffChunk("data", floats)),
                             kWave),
                 {0.5, -0.25, 1.0, 0.125}, 2);
    // An odd chunk without its pad byte before the data, and 8-bit samples
    // that stay offset binary.
    const Decoded u8 = decodeImage(rifxWave(iffChunk("fmt ", fmtBody(1, 1, 22050, 8, 1, true)) +
                                            iffChunk("LIST", "INFOodd", false) + iffChunk("data", pcmU8({64, -128, 0}))),
                                   kWave);
    expectValues(u8, {64, -128, 0}, 1);
    EXPECT_EQ(u8.info.sampleRate, 22050);
    // The sizes are big-endian: read little-endian, this data chunk would claim 256 MB.
    const Decoded s16 = decodeImage(rifxWave(iffChunk("fmt ", fmtBody(1, 1, 8000, 16, 2, true)) +
                                             iffChunk("data", pcm({1000, -2000, 3000, -4000, 5000, -6000, 7000, -8000}, 2, true))),
                                    kWave);
    expectValues(s16, {1000, -2000, 3000, -4000, 5000, -6000, 7000, -8000}, 1);
    EXPECT_EQ(s16.info.dataSize, 16u);
}
