// Rendering through the built plug-in with the command-line host, end to end.
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <sndfile.h>
#include <string>
#include <vector>

namespace {

void writeWav(const std::string& path, const std::vector<float>& interleaved, int channels, int rate,
              int format = SF_FORMAT_WAV | SF_FORMAT_FLOAT)
{
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format;
    SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(f, nullptr) << sf_strerror(nullptr);
    sf_writef_float(f, interleaved.data(), static_cast<sf_count_t>(interleaved.size() / channels));
    sf_close(f);
}

std::vector<float> readWav(const std::string& path, int& channels)
{
    SF_INFO info{};
    SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
    if (!f)
        return {};
    std::vector<float> data(static_cast<size_t>(info.frames * info.channels));
    sf_readf_float(f, data.data(), info.frames);
    sf_close(f);
    channels = info.channels;
    return data;
}

int runHost(const std::string& args)
{
    const std::string command = std::string(RVB_HOST_PATH) + " " + args + " --plugin " + RVB_PLUGIN_PATH +
                                " --quiet > /dev/null 2>&1";
    return std::system(command.c_str());
}

class RenderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = testsupport::makeTempDir("render");
        // a one-frame stereo IR: the reverb then is a copy of the input, one frame late
        writeWav(dir + "/unit.wav", {1.0f, 1.0f}, 2, 44100, SF_FORMAT_WAV | SF_FORMAT_PCM_24);
        std::vector<float> input(2 * 2000, 0.0f);
        input[0] = 0.5f;
        input[1] = -0.25f;
        input[2 * 1000] = 0.125f;
        input[2 * 1000 + 1] = 0.125f;
        writeWav(dir + "/in.wav", input, 2, 44100);
    }
    void TearDown() override { testsupport::removeTempDir(dir); }

    std::string dir;
};

} // namespace

TEST_F(RenderTest, CompensatedRenderAlignsDryAndAddsTheWetCopyOneFrameLater)
{
    // St.Inputs at +1 keeps the channels apart ("L-R Parallel")
    ASSERT_EQ(runHost("render " + dir + "/in.wav " + dir + "/out.wav --ir " + dir + "/unit.wav --set St.Inputs=1"), 0);
    int channels = 0;
    const std::vector<float> out = readWav(dir + "/out.wav", channels);
    ASSERT_EQ(channels, 2);
    ASSERT_GE(out.size(), 2u * 2000);
    // dry at 0 dB in place, wet at 0 dB one frame later (pre-delay 0 ms)
    EXPECT_NEAR(out[0], 0.5f, 1e-6);
    EXPECT_NEAR(out[1], -0.25f, 1e-6);
    EXPECT_NEAR(out[2], 0.5f, 1e-5);
    EXPECT_NEAR(out[3], -0.25f, 1e-5);
    EXPECT_NEAR(out[2 * 1000], 0.125f, 1e-6);
    EXPECT_NEAR(out[2 * 1001], 0.125f, 1e-5);
    for (size_t i = 8; i < 2 * 1000; ++i)
        ASSERT_NEAR(out[i], 0.0f, 1e-5) << "frame " << i / 2;
}

TEST_F(RenderTest, OutputDoesNotDependOnTheHostBlockSize)
{
    std::vector<std::vector<float>> renders;
    for (int block : {1, 333, 4096, 100000}) {
        const std::string out = dir + "/out" + std::to_string(block) + ".wav";
        ASSERT_EQ(runHost("render " + dir + "/in.wav " + out + " --ir " + dir + "/unit.wav --block " +
                          std::to_string(block) + " --set PreDelay=0.3 --set St.Width=0.25 --set Enabled_LPF=1 "
                                                  "--set LPF=0.4"),
                  0);
        int channels = 0;
        renders.push_back(readWav(out, channels));
    }
    for (size_t r = 1; r < renders.size(); ++r) {
        ASSERT_EQ(renders[r].size(), renders[0].size());
        for (size_t i = 0; i < renders[0].size(); ++i)
            ASSERT_EQ(renders[r][i], renders[0][i]) << "render " << r << " sample " << i;
    }
}

TEST_F(RenderTest, SavedStateRestoresTheSameSound)
{
    const std::string state = dir + "/project.txt";
    const std::string settings = " --set PreDelay=0.05 --set WetLevel=0.5 --set St.Inputs=1";
    ASSERT_EQ(runHost("state save " + state + " --ir " + dir + "/unit.wav" + settings), 0);
    ASSERT_EQ(runHost("render " + dir + "/in.wav " + dir + "/direct.wav --ir " + dir + "/unit.wav" + settings), 0);
    ASSERT_EQ(runHost("render " + dir + "/in.wav " + dir + "/restored.wav --state " + state), 0);
    int channels = 0;
    const std::vector<float> direct = readWav(dir + "/direct.wav", channels);
    const std::vector<float> restored = readWav(dir + "/restored.wav", channels);
    ASSERT_FALSE(direct.empty());
    EXPECT_EQ(direct, restored);
    // 10 ms of pre-delay at 44100 Hz: the wet copy arrives 441 frames late, at -12 dB
    EXPECT_NEAR(direct[2 * 441], 0.5f * std::pow(1.1220184564590454f, -12.0f), 1e-5);
}

TEST_F(RenderTest, RefusesAnIRPathTooLongForTheParameters)
{
    const std::string longPath = "/" + std::string(250, 'a') + ".wav";
    EXPECT_NE(runHost("render " + dir + "/in.wav " + dir + "/out.wav --ir " + longPath), 0);
}

TEST_F(RenderTest, AnImpulseComesOutAsTheNormalisedSparseIRAtItsFrames)
{
    // Sparse stereo IR of 100000 frames: taps late in the second half check that
    // the long part is neither lost nor wrapped into the early output.
    const int length = 100000;
    std::vector<float> ir(2 * length, 0.0f);
    ir[0] = 1.0f;                         // left tap at 0
    ir[1] = 0.5f;                         // right tap at 0
    ir[2 * 3000 + 1] = -0.5f;             // right tap at 3000
    ir[2 * 90000] = 0.25f;                // left tap at 90000
    writeWav(dir + "/sparse.wav", ir, 2, 44100);
    std::vector<float> impulse(2 * 10, 0.0f);
    impulse[0] = impulse[1] = 1.0f;
    writeWav(dir + "/impulse.wav", impulse, 2, 44100);

    ASSERT_EQ(runHost("render " + dir + "/impulse.wav " + dir + "/out.wav --ir " + dir +
                      "/sparse.wav --set St.Inputs=1 --set DryLevel=0"),
              0);
    int channels = 0;
    const std::vector<float> out = readWav(dir + "/out.wav", channels);
    ASSERT_GE(out.size(), 2u * 90002);
    // Energy of the first 65536 frames: left 1, right 0.25 + 0.25; the louder
    // channel is scaled to energy 1 and the other keeps its level relative to it.
    const float w = 1.0f;
    auto at = [&](int frame, int channel) { return out[2 * static_cast<size_t>(frame) + channel]; };
    EXPECT_NEAR(at(1, 0), 1.0f / w, 1e-5f);
    EXPECT_NEAR(at(1, 1), 0.5f / w, 1e-5f);
    EXPECT_NEAR(at(3001, 1), -0.5f / w, 1e-5f);
    EXPECT_NEAR(at(90001, 0), 0.25f / w, 1e-5f);
    // Nothing anywhere else: no wrap-around of the late tap, no spread.
    for (int frame = 2; frame < 90001; ++frame) {
        if (frame == 3001)
            continue;
        ASSERT_NEAR(at(frame, 0), 0.0f, 1e-5f) << "frame " << frame;
        ASSERT_NEAR(at(frame, 1), 0.0f, 1e-5f) << "frame " << frame;
    }
}
