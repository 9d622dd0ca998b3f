// Sound files the reverb cannot use (compressed samples, more than two
// channels) are refused on every way in (the file dialog, a drop on the
// envelope graph, a project restore) with a message naming the file and the
// reason; the previous IR keeps sounding and stays remembered.
#include "FileActionFixture.h"
#include "WetAfterImpulse.h"

#include <sndfile.h>

#include <cmath>

using namespace fileactiontest;

namespace {

// "Reading failed [" as the user sees it (converted from its Shift-JIS original).
const std::string kReadingFailed = "\xE8\xAA\xAD\xE3\x81\xBF\xE8\xBE\xBC\xE3\x81\xBF\xE5\xA4\xB1\xE6\x95\x97[";

// A click at frame 0 and half of it 1000 frames later, in every channel.
bool writeClicks(const std::string& path, int format, int channels)
{
    SF_INFO info{};
    info.samplerate = 44100;
    info.channels = channels;
    info.format = format;
    SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
    if (f == nullptr)
        return false;
    std::vector<float> frames(static_cast<std::size_t>(2000 * channels), 0.0f);
    for (int c = 0; c < channels; ++c) {
        frames[static_cast<std::size_t>(c)] = 0.9f;
        frames[static_cast<std::size_t>(1000 * channels + c)] = 0.45f;
    }
    sf_writef_float(f, frames.data(), 2000);
    sf_close(f);
    return true;
}

class IRRefusalTest : public FileActionTest {
protected:
    float wetAfterImpulse() { return ::wetAfterImpulse(effect->getAeffect()); }
    // The path parameters set and committed, as a host restoring a project does.
    void restore(const std::string& path)
    {
        float values[param::kPathParamValues];
        ASSERT_TRUE(param::encodePathToParams(path.c_str(), values));
        for (int k = 0; k < param::kPathCount; ++k)
            hostSets(effect, param::kPathFirst + k, values[k]);
        hostSets(effect, param::kPathCommit, 0.5f);
    }
};

} // namespace

TEST_F(IRRefusalTest, EveryRefusedKindShowsWhyAndLeavesThePreviousIRSounding)
{
    const std::string good = dir + "/Good Hall.wav";
    ASSERT_TRUE(writeClicks(good, SF_FORMAT_WAV | SF_FORMAT_PCM_24, 2));
    desktop.answer = good;
    hostSets(effect, param::kIRFileSelect, 1.0f);
    ASSERT_STREQ(effect->irData().path(), good.c_str());
    const float wet = wetAfterImpulse();
    ASSERT_NEAR(wet, 1.0f / std::sqrt(1.25f), 1e-5f);

    const struct {
        const char* name;
        int format;
        int channels;
        const char* reason;
    } refused[] = {
        {"ulaw.wav", SF_FORMAT_WAV | SF_FORMAT_ULAW, 1, "\xCE\xBC-law encoding: only PCM and float samples can be loaded"},
        {"alaw.wav", SF_FORMAT_WAV | SF_FORMAT_ALAW, 2, "A-law encoding: only PCM and float samples can be loaded"},
        {"adpcm.wav", SF_FORMAT_WAV | SF_FORMAT_MS_ADPCM, 2, "ADPCM encoding: only PCM and float samples can be loaded"},
        {"ima.wav", SF_FORMAT_WAV | SF_FORMAT_IMA_ADPCM, 1,
         "IMA ADPCM encoding: only PCM and float samples can be loaded"},
        {"ima4.aiff", SF_FORMAT_AIFF | SF_FORMAT_IMA_ADPCM, 1,
         "IMA ADPCM encoding: only PCM and float samples can be loaded"},
        {"true stereo.wav", SF_FORMAT_WAVEX | SF_FORMAT_PCM_24, 4, "4 channels: only mono and stereo IRs can be loaded"},
        {"surround.aif", SF_FORMAT_AIFF | SF_FORMAT_FLOAT, 3, "3 channels: only mono and stereo IRs can be loaded"},
    };
    for (const auto& kind : refused) {
        SCOPED_TRACE(kind.name);
        const std::string path = dir + "/" + kind.name;
        if (!writeClicks(path, kind.format, kind.channels)) {
            ADD_FAILURE() << "libsndfile cannot write " << kind.name;
            continue;
        }
        const std::string message = "messae|" + kReadingFailed + path + "]\n" + kind.reason;

        desktop.messages.clear();
        desktop.answer = path;
        hostSets(effect, param::kIRFileSelect, 1.0f);
        EXPECT_EQ(desktop.messages, std::vector<std::string>{message});

        effect->envelopeGraphDropped(path.c_str(), true);
        EXPECT_EQ(desktop.messages.size(), 2u);
        EXPECT_EQ(desktop.messages.back(), message);
        // Neither way in remembered the refused file.
        EXPECT_STREQ(effect->irData().path(), good.c_str());
        EXPECT_EQ(savedPath(effect), good);

        restore(path);
        EXPECT_EQ(desktop.messages.size(), 3u);
        EXPECT_EQ(desktop.messages.back(), message);
        EXPECT_STREQ(effect->irData().path(), good.c_str());
        restore(good);
    }
    EXPECT_EQ(effect->irData().fileInfo().channels, 2);
    EXPECT_EQ(wetAfterImpulse(), wet) << "the previous IR no longer sounds as it did";
}

TEST_F(IRRefusalTest, FilesThatAreNoSoundFileStillFailQuietlyFromTheDialogAndTheDrop)
{
    const std::string broken = dir + "/broken.wav";
    testsupport::writeFile(broken, "RIFF\x10\x00\x00\x00WAVEjunkjunk");
    desktop.answer = broken;
    hostSets(effect, param::kIRFileSelect, 1.0f);
    effect->envelopeGraphDropped(broken.c_str(), true);
    EXPECT_TRUE(desktop.messages.empty());
    EXPECT_FALSE(effect->irData().loaded());
    // A restore keeps its message, without a reason line.
    restore(broken);
    EXPECT_EQ(desktop.messages, std::vector<std::string>{"messae|" + kReadingFailed + broken + "]\n"});
}

TEST_F(IRRefusalTest, NewFormatsLoadThroughTheEffect)
{
    const struct {
        const char* name;
        int format;
        int channels;
    } accepted[] = {
        {"x24.wav", SF_FORMAT_WAVEX | SF_FORMAT_PCM_24, 2},
        {"f64.wav", SF_FORMAT_WAV | SF_FORMAT_DOUBLE, 2},
        {"rf64.wav", SF_FORMAT_RF64 | SF_FORMAT_FLOAT, 2},
        {"sowt.aif", SF_FORMAT_AIFF | SF_FORMAT_PCM_16 | SF_ENDIAN_LITTLE, 2},
        {"fl32.aiff", SF_FORMAT_AIFF | SF_FORMAT_FLOAT, 2},
    };
    for (const auto& kind : accepted) {
        SCOPED_TRACE(kind.name);
        const std::string path = dir + "/" + kind.name;
        ASSERT_TRUE(writeClicks(path, kind.format, kind.channels));
        desktop.answer = path;
        hostSets(effect, param::kIRFileSelect, 1.0f);
        ASSERT_STREQ(effect->irData().path(), path.c_str());
        EXPECT_EQ(savedPath(effect), path);
        EXPECT_NEAR(wetAfterImpulse(), 1.0f / std::sqrt(1.25f), 1e-5f);
    }
    EXPECT_TRUE(desktop.messages.empty());
}
