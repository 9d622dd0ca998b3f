// The demo files shipped in resources/demo/ load through the readers as intended.
#include "IRFileBuilder.h"

#include "ir/IRFileReaders.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace irtest;

namespace {

double rmsOf(const Decoded& d, int from, int to)
{
    double sum = 0;
    for (int i = from; i < to; ++i)
        sum += d.left[static_cast<std::size_t>(i)] * d.left[static_cast<std::size_t>(i)] +
               d.right[static_cast<std::size_t>(i)] * d.right[static_cast<std::size_t>(i)];
    return std::sqrt(sum / (2.0 * (to - from)));
}

} // namespace

TEST(DemoAssets, ImpulseResponseIsAStereoDecayingTwentyFourBitFile)
{
    const Decoded d = decodeFile(RVB_SOURCE_DIR "/resources/demo/demo_ir.wav");
    ASSERT_EQ(d.frames, 70560) << d.error;
    EXPECT_EQ(d.info.channels, 2);
    EXPECT_EQ(d.info.sampleRate, 44100);
    EXPECT_EQ(d.info.usedBits, 24);
    EXPECT_EQ(peakOf(d), 1.0f);
    // Loud at the start, more than 50 dB down in the last tenth of a second.
    const double early = rmsOf(d, 0, 4410);
    const double late = rmsOf(d, 70560 - 4410, 70560);
    EXPECT_GT(early, 0.02);
    EXPECT_LT(late, early * std::pow(10.0, -50.0 / 20.0));
    EXPECT_GT(late, 0.0);
    // The channels differ (a stereo IR, not a doubled mono one).
    int differing = 0;
    for (int i = 0; i < d.frames; ++i)
        differing += d.left[static_cast<std::size_t>(i)] != d.right[static_cast<std::size_t>(i)];
    EXPECT_GT(differing, d.frames / 2);
}

TEST(DemoAssets, DryPhraseIsSixteenBitStereoLongerThanTheCapacity)
{
    const Decoded d = decodeFile(RVB_SOURCE_DIR "/resources/demo/demo_input.wav");
    // The readers keep the first 131072 of its 264600 frames.
    ASSERT_EQ(d.frames, ir::kIRCapacityFrames) << d.error;
    EXPECT_EQ(d.info.dataSize, 264600u * 4u);
    EXPECT_EQ(d.info.usedBits, 16);
    EXPECT_GT(rmsOf(d, 8820, 13230), 0.01); // a note at 0.2 s
}
