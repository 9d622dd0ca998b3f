// Files written by an independent library must read back to the same samples.
#include "IRFileBuilder.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>

using namespace irtest;

namespace {

struct Layout {
    const char* name;
    int format;
    int channels;
};

} // namespace

TEST(ReaderCrossCheck, MatchesLibsndfileForEveryWidthAndByteOrder)
{
    const std::string dir = testsupport::makeTempDir("ir-cross");
    const Layout layouts[] = {
        {"u8.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_U8, 1},   {"s16.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2},
        {"s24.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_24, 2},  {"s32.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_32, 1},
        {"f32.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2},   {"s8.aif", SF_FORMAT_AIFF | SF_FORMAT_PCM_S8, 2},
        {"s16.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 1}, {"s24.aif", SF_FORMAT_AIFF | SF_FORMAT_PCM_24, 2},
        {"s32.aif", SF_FORMAT_AIFF | SF_FORMAT_PCM_32, 2},
    };
    const int frames = 3000;
    for (const Layout& layout : layouts) {
        SCOPED_TRACE(layout.name);
        const std::string path = dir + "/" + layout.name;
        // A decaying two-tone burst, different in each channel.
        std::vector<float> written(static_cast<std::size_t>(frames * layout.channels));
        for (int i = 0; i < frames; ++i)
            for (int c = 0; c < layout.channels; ++c)
                written[static_cast<std::size_t>(i * layout.channels + c)] =
                    0.8f * std::exp(-i / 700.0f) * std::sin(0.05f * i * (c + 1) + c);

        SF_INFO info{};
        info.samplerate = 44100;
        info.channels = layout.channels;
        info.format = layout.format;
        SNDFILE* out = sf_open(path.c_str(), SFM_WRITE, &info);
        ASSERT_NE(out, nullptr) << sf_strerror(nullptr);
        ASSERT_EQ(sf_writef_float(out, written.data(), frames), frames);
        sf_close(out);

        // What the library itself reads back is the reference.
        SF_INFO backInfo{};
        SNDFILE* in = sf_open(path.c_str(), SFM_READ, &backInfo);
        ASSERT_NE(in, nullptr);
        std::vector<float> reference(written.size());
        ASSERT_EQ(sf_readf_float(in, reference.data(), frames), frames);
        sf_close(in);
        double peak = 0;
        for (float v : reference)
            peak = std::fmax(peak, std::fabs(v));

        const Decoded d = decodeFile(path);
        ASSERT_EQ(d.frames, frames) << d.error;
        EXPECT_EQ(d.info.sampleRate, 44100);
        EXPECT_EQ(d.info.channels, layout.channels);
        for (int i = 0; i < frames; ++i) {
            const float l = reference[static_cast<std::size_t>(i * layout.channels)];
            const float r = reference[static_cast<std::size_t>(i * layout.channels + layout.channels - 1)];
            ASSERT_NEAR(d.left[static_cast<std::size_t>(i)], l / peak, 1e-6) << "frame " << i;
            ASSERT_NEAR(d.right[static_cast<std::size_t>(i)], r / peak, 1e-6) << "frame " << i;
        }
    }
    std::system(("rm -rf '" + dir + "'").c_str());
}
