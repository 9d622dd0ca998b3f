// A project restore brings the IR back through the path parameters: the host
// sets ids 0..103 in ascending order and id 103 loads the remembered file.
#include "tests/shell/EffectFixture.h"
#include "tests/shell/WetAfterImpulse.h"

#include "ir/IRData.h"
#include "params/PathParams.h"
#include "support/ScriptedServices.h"
#include "support/TestSupport.h"

#include <sndfile.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

void writeImpulseWav(const std::string& path, int rate)
{
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_24;
    SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(f, nullptr);
    std::vector<float> frames(2 * 2000, 0.0f);
    frames[0] = frames[1] = 1.0f;
    frames[2 * 1000] = frames[2 * 1000 + 1] = 0.5f;
    sf_writef_float(f, frames.data(), 2000);
    sf_close(f);
}

class IRRestoreTest : public EffectTest {
protected:
    void SetUp() override
    {
        EffectTest::SetUp();
        dir = testsupport::makeTempDir("restore");
        irPath = dir + "/room.wav";
        writeImpulseWav(irPath, 44100);
    }
    void TearDown() override
    {
        EffectTest::TearDown();
        testsupport::removeTempDir(dir);
    }

    // The values a host saved after the IR was chosen.
    std::vector<float> savedState(const std::string& path)
    {
        std::vector<float> values(104, 0.0f);
        for (int i = 0; i < 104; ++i)
            values[i] = record->getParameter(record, i);
        EXPECT_TRUE(param::encodePathToParams(path.c_str(), &values[param::kPathFirst]));
        return values;
    }

    float wetAfterImpulse() { return ::wetAfterImpulse(record); }

    testsupport::ScriptedServices services;
    std::string dir;
    std::string irPath;
};

} // namespace

TEST_F(IRRestoreTest, AscendingRestoreLoadsTheFileOnlyAtTheCommit)
{
    const std::vector<float> state = savedState(irPath);
    ASSERT_FALSE(effect->irData().loaded());
    for (int i = 0; i < 103; ++i)
        record->setParameter(record, i, state[i]);
    EXPECT_FALSE(effect->irData().loaded()) << "nothing loads before the commit parameter";
    record->setParameter(record, 103, state[103]);
    EXPECT_TRUE(effect->irData().loaded());
    EXPECT_EQ(std::string(effect->irData().path()), irPath);
    EXPECT_TRUE(services.dialogs().empty());
    // The restored values read back exactly as saved.
    for (int i = 23; i < 103; ++i)
        EXPECT_EQ(record->getParameter(record, i), state[i]) << "id " << i;
    // Normalised by the energy of the first frames: 1 / sqrt(1 + 0.25).
    EXPECT_NEAR(wetAfterImpulse(), 1.0f / std::sqrt(1.25f), 1e-5f);
}

TEST_F(IRRestoreTest, AMissingFileShowsTheMessageAndKeepsTheCurrentIR)
{
    std::vector<float> state = savedState(irPath);
    for (int i = 0; i < 104; ++i)
        record->setParameter(record, i, state[i]);
    ASSERT_TRUE(effect->irData().loaded());

    const std::string gone = dir + "/gone.wav";
    state = savedState(gone);
    for (int i = 0; i < 104; ++i)
        record->setParameter(record, i, state[i]);

    const auto dialogs = services.dialogs();
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].kind, "message");
    EXPECT_EQ(dialogs[0].caption, "messae");
    // "Reading failed [path]" converted from its Shift-JIS original
    EXPECT_EQ(dialogs[0].text, "\xE8\xAA\xAD\xE3\x81\xBF\xE8\xBE\xBC\xE3\x81\xBF\xE5\xA4\xB1\xE6\x95\x97[" + gone + "]\n");
    EXPECT_EQ(std::string(effect->irData().path()), irPath);
    EXPECT_NEAR(wetAfterImpulse(), 1.0f / std::sqrt(1.25f), 1e-5f) << "the previous IR still sounds";
}

TEST_F(IRRestoreTest, AnEmptyStoredPathLoadsNothingAndSaysNothing)
{
    record->setParameter(record, 103, 0.7f);
    EXPECT_FALSE(effect->irData().loaded());
    EXPECT_TRUE(services.dialogs().empty());
}

TEST_F(IRRestoreTest, ARateChangeReshapesTheLoadedIR)
{
    std::vector<float> state = savedState(irPath);
    for (int i = 0; i < 104; ++i)
        record->setParameter(record, i, state[i]);
    dispatch(vst::effMainsChanged, 0, 0);
    dispatch(vst::effSetSampleRate, 0, 0, nullptr, 88200.0f);
    // At twice the file's rate the second impulse lies 2000 frames in: find it
    // in the wet response, 65536 + 1 frames after the input impulse.
    dispatch(vst::effMainsChanged, 0, 1);
    std::vector<float> l(512), r(512);
    float* io[2] = {l.data(), r.data()};
    std::vector<float> wet;
    for (int call = 0; call < 140; ++call) {
        std::fill(l.begin(), l.end(), 0.0f);
        std::fill(r.begin(), r.end(), 0.0f);
        if (call == 0)
            l[0] = r[0] = 1.0f;
        record->processReplacing(record, io, io, 512);
        wet.insert(wet.end(), l.begin(), l.end());
    }
    const size_t start = 65536 + 1;
    EXPECT_GT(std::fabs(wet[start + 2000]), 0.1f) << "the IR is shaped at the new rate";
    EXPECT_LT(std::fabs(wet[start + 1000]), 1e-3f);
}
