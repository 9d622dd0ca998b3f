// Files written by an independent library must read back to the same samples,
// and the files it writes in formats the reverb cannot use must be refused.
#include "IRFileBuilder.h"
#include "support/TestSupport.h"

#include "ir/IRFileReaders.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>

using namespace irtest;

namespace {

struct Layout {
    const char* name;
    int format;
    int channels;
    int shownBits; // what the file information reports for the editor
    bool floatSamples;
};

// What libsndfile itself reads back, interleaved.
std::vector<float> readBack(const std::string& path, int frames)
{
    SF_INFO info{};
    SNDFILE* in = sf_open(path.c_str(), SFM_READ, &info);
    EXPECT_NE(in, nullptr) << path << ": " << sf_strerror(nullptr);
    std::vector<float> samples;
    if (in != nullptr) {
        samples.resize(static_cast<std::size_t>(frames * info.channels));
        EXPECT_EQ(sf_readf_float(in, samples.data(), frames), frames);
        sf_close(in);
    }
    return samples;
}

class ReaderCrossCheck : public ::testing::Test {
protected:
    void SetUp() override { dir_ = testsupport::makeTempDir("ir-cross"); }
    void TearDown() override { testsupport::removeTempDir(dir_); }

    // A decaying two-tone burst, different in each channel, written by
    // libsndfile (as ambisonic B-format when asked: WAVE_FORMAT_EXTENSIBLE only).
    std::string write(const char* name, int format, int channels, int frames, bool bFormat = false)
    {
        const std::string path = dir_ + "/" + name;
        std::vector<float> written(static_cast<std::size_t>(frames * channels));
        for (int i = 0; i < frames; ++i)
            for (int c = 0; c < channels; ++c)
                written[static_cast<std::size_t>(i * channels + c)] =
                    0.8f * std::exp(-i / 700.0f) * std::sin(0.05f * i * (c + 1) + c);
        SF_INFO info{};
        info.samplerate = 44100;
        info.channels = channels;
        info.format = format;
        SNDFILE* out = sf_open(path.c_str(), SFM_WRITE, &info);
        EXPECT_NE(out, nullptr) << name << ": " << sf_strerror(nullptr);
        if (out == nullptr)
            return path;
        if (bFormat) {
            EXPECT_EQ(sf_command(out, SFC_WAVEX_SET_AMBISONIC, nullptr, SF_AMBISONIC_B_FORMAT), SF_AMBISONIC_B_FORMAT);
        }
        EXPECT_EQ(sf_writef_float(out, written.data(), frames), frames);
        sf_close(out);
        return path;
    }

    // Our reader takes the file as libsndfile reads it, sample for sample
    // (after the common peak normalisation), mono in both channels.
    void expectSameAsLibsndfile(const std::string& path, const Layout& layout, int frames)
    {
        const std::vector<float> reference = readBack(path, frames);
        ASSERT_EQ(reference.size(), static_cast<std::size_t>(frames * layout.channels));
        double peak = 0;
        for (float v : reference)
            peak = std::fmax(peak, std::fabs(v));

        const Decoded d = decodeFile(path);
        ASSERT_EQ(d.frames, frames) << d.error;
        EXPECT_EQ(d.info.sampleRate, 44100);
        EXPECT_EQ(d.info.channels, layout.channels);
        EXPECT_EQ(ir::isFloatEncoding(d.info.encoding), layout.floatSamples);
        EXPECT_EQ(layout.floatSamples ? d.info.usedBits : d.info.declaredBits, layout.shownBits);
        for (int i = 0; i < frames; ++i) {
            const float l = reference[static_cast<std::size_t>(i * layout.channels)];
            const float r = reference[static_cast<std::size_t>(i * layout.channels + layout.channels - 1)];
            ASSERT_NEAR(d.left[static_cast<std::size_t>(i)], l / peak, 1e-6) << "frame " << i;
            ASSERT_NEAR(d.right[static_cast<std::size_t>(i)], r / peak, 1e-6) << "frame " << i;
        }
    }

    std::string dir_;
};

} // namespace

TEST_F(ReaderCrossCheck, MatchesLibsndfileForEveryFormatWidthAndByteOrder)
{
    const Layout layouts[] = {
        {"u8.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_U8, 1, 8, false},
        {"s16.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 16, false},
        {"s24.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_24, 2, 24, false},
        {"s32.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_32, 1, 32, false},
        {"f32.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2, 32, true},
        {"f64.wav", SF_FORMAT_WAV | SF_FORMAT_DOUBLE, 2, 64, true},
        // WAVE_FORMAT_EXTENSIBLE
        {"x_u8.wav", SF_FORMAT_WAVEX | SF_FORMAT_PCM_U8, 2, 8, false},
        {"x_s16.wav", SF_FORMAT_WAVEX | SF_FORMAT_PCM_16, 1, 16, false},
        {"x_s24.wav", SF_FORMAT_WAVEX | SF_FORMAT_PCM_24, 2, 24, false},
        {"x_s32.wav", SF_FORMAT_WAVEX | SF_FORMAT_PCM_32, 2, 32, false},
        {"x_f32.wav", SF_FORMAT_WAVEX | SF_FORMAT_FLOAT, 1, 32, true},
        {"x_f64.wav", SF_FORMAT_WAVEX | SF_FORMAT_DOUBLE, 2, 64, true},
        // RF64
        {"r_s16.wav", SF_FORMAT_RF64 | SF_FORMAT_PCM_16, 2, 16, false},
        {"r_s24.wav", SF_FORMAT_RF64 | SF_FORMAT_PCM_24, 1, 24, false},
        {"r_f32.wav", SF_FORMAT_RF64 | SF_FORMAT_FLOAT, 2, 32, true},
        // Big-endian RIFX
        {"be_u8.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_U8 | SF_ENDIAN_BIG, 2, 8, false},
        {"be_s16.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16 | SF_ENDIAN_BIG, 2, 16, false},
        {"be_s24.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_24 | SF_ENDIAN_BIG, 1, 24, false},
        {"be_s32.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_32 | SF_ENDIAN_BIG, 2, 32, false},
        {"be_f32.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT | SF_ENDIAN_BIG, 2, 32, true},
        {"be_f64.wav", SF_FORMAT_WAV | SF_FORMAT_DOUBLE | SF_ENDIAN_BIG, 1, 64, true},
        // AIFF, and AIFF-C as libsndfile writes it ('sowt', '42n1', 'raw ', 'fl32', 'fl64')
        {"s8.aif", SF_FORMAT_AIFF | SF_FORMAT_PCM_S8, 2, 8, false},
        {"s16.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 1, 16, false},
        {"s24.aif", SF_FORMAT_AIFF | SF_FORMAT_PCM_24, 2, 24, false},
        {"s32.aif", SF_FORMAT_AIFF | SF_FORMAT_PCM_32, 2, 32, false},
        {"c_le16.aif", SF_FORMAT_AIFF | SF_FORMAT_PCM_16 | SF_ENDIAN_LITTLE, 2, 16, false},
        {"c_le24.aif", SF_FORMAT_AIFF | SF_FORMAT_PCM_24 | SF_ENDIAN_LITTLE, 1, 24, false},
        {"c_le32.aif", SF_FORMAT_AIFF | SF_FORMAT_PCM_32 | SF_ENDIAN_LITTLE, 2, 32, false},
        {"c_u8.aif", SF_FORMAT_AIFF | SF_FORMAT_PCM_U8, 1, 8, false},
        {"c_f32.aif", SF_FORMAT_AIFF | SF_FORMAT_FLOAT, 2, 32, true},
        {"c_f64.aiff", SF_FORMAT_AIFF | SF_FORMAT_DOUBLE, 1, 64, true},
    };
    const int frames = 3000;
    for (const Layout& layout : layouts) {
        SCOPED_TRACE(layout.name);
        const std::string path = write(layout.name, layout.format, layout.channels, frames);
        expectSameAsLibsndfile(path, layout, frames);
    }
}

TEST_F(ReaderCrossCheck, AmbisonicBFormatFilesReadAsPcmAndFloat)
{
    // libsndfile writes the B-format sub-format GUIDs itself.
    const Layout layouts[] = {
        {"bf_s16.wav", SF_FORMAT_WAVEX | SF_FORMAT_PCM_16, 1, 16, false},
        {"bf_s24.wav", SF_FORMAT_WAVEX | SF_FORMAT_PCM_24, 2, 24, false},
        {"bf_s32.wav", SF_FORMAT_WAVEX | SF_FORMAT_PCM_32, 2, 32, false},
        {"bf_f32.wav", SF_FORMAT_WAVEX | SF_FORMAT_FLOAT, 2, 32, true},
        {"bf_f64.wav", SF_FORMAT_WAVEX | SF_FORMAT_DOUBLE, 1, 64, true},
    };
    const int frames = 2500;
    for (const Layout& layout : layouts) {
        SCOPED_TRACE(layout.name);
        const std::string path = write(layout.name, layout.format, layout.channels, frames, true);
        expectSameAsLibsndfile(path, layout, frames);
    }
}

TEST_F(ReaderCrossCheck, HandBuiltFilesReadAsLibsndfileReadsThem)
{
    // Files libsndfile reads but does not write: a stereo 24-bit B-format file
    // laid out as hall IRs are shipped (channel mask 0, a LIST chunk before the
    // samples), and RIFX with WAVE_FORMAT_EXTENSIBLE, whose GUID fields are
    // big-endian too.
    std::vector<std::int64_t> values;
    std::vector<float> floatValues;
    for (int i = 0; i < 1200; ++i) {
        const double v = 0.9 * std::exp(-i / 300.0) * std::sin(0.07 * i + (i % 2));
        values.push_back(static_cast<std::int64_t>(std::lround(v * 8388607.0)));
        floatValues.push_back(static_cast<float>(v));
    }
    // 24 valid bits at the top of a 32-bit container.
    std::vector<std::int64_t> leftJustified;
    for (std::int64_t v : values)
        leftJustified.push_back(v * 256);
    std::string hallFormat = extensibleFmtBody(2, 44100, 24, 24, bFormatGuid(1));
    hallFormat.replace(20, 4, le32(0)); // no speaker positions
    const struct {
        const char* name;
        std::string bytes;
        Layout layout;
    } files[] = {
        {"hall_bformat.wav",
         riffWave(riffChunk("fmt ", hallFormat) + riffChunk("LIST", "INFO" + riffChunk("ISFT", std::string("hall\0", 5))) +
                  riffChunk("data", pcm(values, 3, false))),
         {"", 0, 2, 24, false}},
        {"rifx_x_bformat_f32.wav",
         rifxWave(iffChunk("fmt ", extensibleFmtBody(2, 44100, 32, 32, bFormatGuid(3), "", true)) +
                  iffChunk("data", floats32BE(floatValues))),
         {"", 0, 2, 32, true}},
        {"rifx_x_s24in32.wav",
         rifxWave(iffChunk("fmt ", extensibleFmtBody(1, 44100, 32, 24, tagGuid(1), "", true)) +
                  iffChunk("fact", be32(1200)) + iffChunk("data", pcm(leftJustified, 4, true))),
         {"", 0, 1, 24, false}},
    };
    for (const auto& f : files) {
        SCOPED_TRACE(f.name);
        const std::string path = dir_ + "/" + f.name;
        testsupport::writeFile(path, f.bytes);
        const int frames = static_cast<int>(values.size()) / f.layout.channels;
        expectSameAsLibsndfile(path, f.layout, frames);
    }
}

TEST_F(ReaderCrossCheck, FilesInFormatsThatCannotBeUsedAreRefusedSayingWhy)
{
    const struct {
        const char* name;
        int format;
        int channels;
        const char* reason;
    } files[] = {
        {"ulaw.wav", SF_FORMAT_WAV | SF_FORMAT_ULAW, 1, "\xCE\xBC-law encoding: only PCM and float samples can be loaded"},
        {"alaw.wav", SF_FORMAT_WAV | SF_FORMAT_ALAW, 2, "A-law encoding: only PCM and float samples can be loaded"},
        {"ima.wav", SF_FORMAT_WAV | SF_FORMAT_IMA_ADPCM, 1, "IMA ADPCM encoding: only PCM and float samples can be loaded"},
        {"ms.wav", SF_FORMAT_WAV | SF_FORMAT_MS_ADPCM, 2, "ADPCM encoding: only PCM and float samples can be loaded"},
        {"gsm.wav", SF_FORMAT_WAV | SF_FORMAT_GSM610, 1, "GSM 6.10 encoding: only PCM and float samples can be loaded"},
        {"x_ulaw.wav", SF_FORMAT_WAVEX | SF_FORMAT_ULAW, 1, "\xCE\xBC-law encoding: only PCM and float samples can be loaded"},
        {"ulaw.aif", SF_FORMAT_AIFF | SF_FORMAT_ULAW, 1, "\xCE\xBC-law encoding: only PCM and float samples can be loaded"},
        {"alaw.aif", SF_FORMAT_AIFF | SF_FORMAT_ALAW, 2, "A-law encoding: only PCM and float samples can be loaded"},
        {"ima.aif", SF_FORMAT_AIFF | SF_FORMAT_IMA_ADPCM, 1, "IMA ADPCM encoding: only PCM and float samples can be loaded"},
        // True-stereo and ambisonic IRs.
        {"quad.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_24, 4, "4 channels: only mono and stereo IRs can be loaded"},
        {"x_quad.wav", SF_FORMAT_WAVEX | SF_FORMAT_FLOAT, 4, "4 channels: only mono and stereo IRs can be loaded"},
        {"three.aif", SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 3, "3 channels: only mono and stereo IRs can be loaded"},
        {"c_quad.aif", SF_FORMAT_AIFF | SF_FORMAT_FLOAT, 4, "4 channels: only mono and stereo IRs can be loaded"},
        {"r_six.wav", SF_FORMAT_RF64 | SF_FORMAT_PCM_16, 6, "6 channels: only mono and stereo IRs can be loaded"},
        {"be_quad.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_24 | SF_ENDIAN_BIG, 4, "4 channels: only mono and stereo IRs can be loaded"},
        {"be_ulaw.wav", SF_FORMAT_WAV | SF_FORMAT_ULAW | SF_ENDIAN_BIG, 1, "\xCE\xBC-law encoding: only PCM and float samples can be loaded"},
    };
    for (const auto& f : files) {
        SCOPED_TRACE(f.name);
        const std::string path = write(f.name, f.format, f.channels, 2000);
        const Decoded d = decodeFile(path);
        EXPECT_EQ(d.frames, ir::kIRRefused);
        EXPECT_EQ(d.error, f.reason);
    }
    // A first-order B-format recording is four channels: no stereo IR.
    const Decoded bFormat = decodeFile(write("bf_quad.wav", SF_FORMAT_WAVEX | SF_FORMAT_PCM_24, 4, 2000, true));
    EXPECT_EQ(bFormat.frames, ir::kIRRefused);
    EXPECT_EQ(bFormat.error, "4 channels: only mono and stereo IRs can be loaded");
}
