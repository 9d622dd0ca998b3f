// A project must sound as saved whatever rate the IR was first loaded at: a
// change of the host's rate rebuilds from the file's own samples and the
// current settings alone, as a fresh instance at the new rate would.
#include "support/RenderKit.h"

#include "ir/IRData.h"
#include "support/TestSupport.h"

#include <cmath>
#include <cstdlib>
#include <iostream>

namespace {

using namespace renderkit;

class RateChangeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = testsupport::makeTempDir("ratechange");
        irPath = dir + "/hall.wav";
        // A long, slowly falling tail (60 dB in 3 s): a rising Decay is held
        // back by the measured decay, which the rate of measuring changes.
        ASSERT_TRUE(reliability::writeWav(irPath, reliability::decayingNoiseIR(131072, 2, 44100, 7u, 3.0), 2, 44100));
    }
    void TearDown() override { testsupport::removeTempDir(dir); }

    std::string dir;
    std::string irPath;
};

TEST_F(RateChangeTest, LoadedAt48kThenSwitchedTo192kSoundsLikeAFresh192kInstance)
{
    // Decay at its maximum; the wet signal alone.
    const State state = savedState(irPath, {{param::kDecay, 1.0f}, {param::kDryLevel, 0.0f}});

    Effect switched = restoredEffect(&offlineHost, 48000.0f, state);
    const double multiplierAt48k = switched->irData().envelopeMultiplier();
    vst::AEffect* record = switched->getAeffect();
    record->dispatcher(record, vst::effMainsChanged, 0, 0, nullptr, 0.0f);
    record->dispatcher(record, vst::effSetSampleRate, 0, 0, nullptr, 192000.0f);
    record->dispatcher(record, vst::effMainsChanged, 0, 1, nullptr, 0.0f);

    Effect fresh = makeEffect(&offlineHost, 192000.0f);
    restore(*fresh, state);

    const Stereo in = noiseInput(effect::kLatencyFrames + 60000);
    const Stereo a = render(*switched, in, 1024);
    const Stereo b = render(*fresh, in, 1024);
    // The case is one where the rate matters: the limit on the rising
    // envelope moves with the rate it is measured at.
    EXPECT_NE(multiplierAt48k, fresh->irData().envelopeMultiplier());
    EXPECT_EQ(switched->irData().envelopeMultiplier(), fresh->irData().envelopeMultiplier());
    const float difference = largestDifference(a, b);
    std::cout << "[          ] largest difference " << difference << " at a peak of " << peak(b) << "\n";
    EXPECT_LE(difference, 1e-6f * peak(b)) << "first difference at frame " << firstDifference(a, b);
    EXPECT_GT(peak(b), 0.0f);
}

} // namespace
