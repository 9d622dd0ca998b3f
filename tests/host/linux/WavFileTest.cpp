// The host's own WAV reader (used where there is no libsndfile) and writer
// against libsndfile: the same floats from every sample format, and files
// that libsndfile reads back exactly.
#include "host/WavFile.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <filesystem>
#include <vector>

namespace {

class WavFileTest : public ::testing::Test {
protected:
    void SetUp() override { dir = testsupport::makeTempDir("wavfile"); }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::string dir;
};

// A few hundred frames that reach full scale both ways and pass zero.
std::vector<float> testSignal(int frames, int channels)
{
    std::vector<float> samples(static_cast<std::size_t>(frames) * channels);
    for (int i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            samples[static_cast<std::size_t>(i) * channels + c] =
                static_cast<float>(std::sin(0.05 * i * (c + 1)) * (i % 50 == 0 ? 1.0 : 0.8));
    samples[0] = 1.0f;
    samples[1] = -1.0f;
    return samples;
}

} // namespace

TEST_F(WavFileTest, ReadsEverySampleFormatAsLibsndfileDoes)
{
    const std::vector<float> signal = testSignal(300, 2);
    const int formats[] = {SF_FORMAT_PCM_U8, SF_FORMAT_PCM_16, SF_FORMAT_PCM_24, SF_FORMAT_PCM_32, SF_FORMAT_FLOAT,
                           SF_FORMAT_DOUBLE};
    for (int sub : formats) {
        for (int major : {SF_FORMAT_WAV, SF_FORMAT_WAVEX}) {
            const std::string path = dir + "/f" + std::to_string(sub) + "_" + std::to_string(major) + ".wav";
            SF_INFO info {};
            info.samplerate = 48000;
            info.channels = 2;
            info.format = major | sub;
            SNDFILE* out = sf_open(path.c_str(), SFM_WRITE, &info);
            ASSERT_NE(out, nullptr) << sf_strerror(nullptr);
            sf_writef_float(out, signal.data(), 300);
            sf_close(out);

            SF_INFO back {};
            SNDFILE* in = sf_open(path.c_str(), SFM_READ, &back);
            ASSERT_NE(in, nullptr);
            std::vector<float> reference(600);
            ASSERT_EQ(sf_readf_float(in, reference.data(), 300), 300);
            sf_close(in);

            WavReader reader;
            std::string error;
            ASSERT_TRUE(reader.open(std::fopen(path.c_str(), "rb"), error)) << path << ": " << error;
            EXPECT_EQ(reader.channels(), 2);
            EXPECT_EQ(reader.sampleRate(), 48000);
            ASSERT_EQ(reader.frames(), 300);
            std::vector<float> ours(600);
            // In two pieces, as the host reads block by block.
            ASSERT_EQ(reader.read(ours.data(), 120), 120);
            ASSERT_EQ(reader.read(ours.data() + 240, 500), 180);
            EXPECT_EQ(reader.read(ours.data(), 10), 0);
            for (std::size_t i = 0; i < 600; ++i)
                ASSERT_EQ(ours[i], reference[i]) << path << " sample " << i;
        }
    }
}

TEST_F(WavFileTest, WrittenFilesReadBackExactlyThroughLibsndfile)
{
    const std::vector<float> signal = testSignal(1001, 2);
    const std::string path = dir + "/out.wav";
    OutputFile out;
    std::string error;
    ASSERT_TRUE(out.open(path, error)) << error;
    ASSERT_TRUE(writeFloatWav(out, 44100, 2, signal.data(), 1001, error)) << error;
    ASSERT_TRUE(out.commit(error)) << error;

    SF_INFO info {};
    SNDFILE* in = sf_open(path.c_str(), SFM_READ, &info);
    ASSERT_NE(in, nullptr) << sf_strerror(nullptr);
    EXPECT_EQ(info.format, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    EXPECT_EQ(info.channels, 2);
    EXPECT_EQ(info.samplerate, 44100);
    ASSERT_EQ(info.frames, 1001);
    std::vector<float> back(2002);
    ASSERT_EQ(sf_readf_float(in, back.data(), 1001), 1001);
    sf_close(in);
    EXPECT_EQ(back, signal);
}

TEST_F(WavFileTest, RefusesWhatIsNoWaveFile)
{
    testsupport::writeFile(dir + "/text.wav", "just some text, not RIFF at all");
    testsupport::writeFile(dir + "/nodata.wav", std::string("RIFF\x04\0\0\0WAVE", 12));
    for (const char* name : {"/text.wav", "/nodata.wav"}) {
        WavReader reader;
        std::string error;
        EXPECT_FALSE(reader.open(std::fopen((dir + name).c_str(), "rb"), error)) << name;
        EXPECT_FALSE(error.empty());
    }
    WavReader missing;
    std::string error;
    EXPECT_FALSE(missing.open(nullptr, error));
}
