#include "engine/WidthStage.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

using engine::WidthStage;

struct Block {
    std::vector<float> left, right;
};

Block run(WidthStage& stage, std::vector<float> left, std::vector<float> right)
{
    stage.process(left.data(), right.data(), static_cast<int>(left.size()));
    return {left, right};
}

double decibels(float gain) { return 20.0 * std::log10(static_cast<double>(gain)); }

TEST(WidthStage, MakeUpGainCurve)
{
    EXPECT_EQ(WidthStage::makeUpGainFor(1.0f), 1.0f);
    EXPECT_NEAR(decibels(WidthStage::makeUpGainFor(0.0f)), 1.9185, 1e-4);
    EXPECT_NEAR(decibels(WidthStage::makeUpGainFor(2.0f)), -2.87, 0.01);
}

TEST(WidthStage, WidthIsClampedAndSetsSideGain)
{
    WidthStage stage;
    EXPECT_EQ(stage.width(), 0.0f);
    EXPECT_EQ(stage.sideGain(), 0.0f);
    stage.setWidth(-0.5f);
    EXPECT_EQ(stage.width(), 0.0f);
    stage.setWidth(3.0f);
    EXPECT_EQ(stage.width(), 2.0f);
    EXPECT_EQ(stage.sideGain(), 1.0f);
    stage.setWidth(std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(stage.width(), 0.0f);
    EXPECT_EQ(stage.makeUpGain(), WidthStage::makeUpGainFor(0.0f));
    stage.setWidth(1.0f);
    EXPECT_EQ(stage.sideGain(), 0.5f);
    EXPECT_EQ(stage.makeUpGain(), 1.0f);
}

TEST(WidthStage, RingLengthFollowsRateAndIsCapped)
{
    EXPECT_EQ(WidthStage::ringLengthFor(44100), 353);
    EXPECT_EQ(WidthStage::ringLengthFor(48000), 384);
    EXPECT_EQ(WidthStage::ringLengthFor(110000), 880);
    EXPECT_EQ(WidthStage::ringLengthFor(110250), 881);
    EXPECT_EQ(WidthStage::ringLengthFor(192000), 881);
    EXPECT_EQ(WidthStage::ringLengthFor(std::numeric_limits<int>::max()), 881);
    EXPECT_EQ(WidthStage::ringLengthFor(0), 0);
    EXPECT_EQ(WidthStage::ringLengthFor(-44100), 0);
    WidthStage stage;
    EXPECT_EQ(stage.ringLength(), 353);
}

TEST(WidthStage, UnitWidthLeavesStereoUnchanged)
{
    WidthStage stage;
    stage.setWidth(1.0f);
    const std::vector<float> left = {0.25f, -0.7f, 0.123f, 1.0f, 0.0f};
    const std::vector<float> right = {-0.5f, 0.3f, 0.9f, 1.0f, -0.33f};
    const Block out = run(stage, left, right);
    for (size_t i = 0; i < left.size(); ++i) {
        EXPECT_NEAR(out.left[i], left[i], 1e-7);
        EXPECT_NEAR(out.right[i], right[i], 1e-7);
    }
}

TEST(WidthStage, ZeroWidthGivesRaisedMid)
{
    WidthStage stage;
    const Block out = run(stage, {1.0f, 0.5f}, {0.0f, -0.5f});
    const float makeUp = WidthStage::makeUpGainFor(0.0f);
    EXPECT_FLOAT_EQ(out.left[0], 0.5f * makeUp);
    EXPECT_FLOAT_EQ(out.right[0], 0.5f * makeUp);
    EXPECT_EQ(out.left[1], 0.0f);
    EXPECT_EQ(out.right[1], 0.0f);
}

// Equal channels w through pseudo-stereo at width 1 give w + d and w - d, with
// d the mid signal ring length + 1 frames earlier.
void expectPseudoStereoDelay(int sampleRate, int expectedDelay)
{
    WidthStage stage;
    stage.setSampleRate(sampleRate);
    stage.setWidth(1.0f);
    stage.setPseudoStereo(1);
    const int frames = 2 * expectedDelay + 10;
    std::vector<float> w(static_cast<size_t>(frames));
    for (int i = 0; i < frames; ++i)
        w[static_cast<size_t>(i)] = 0.001f * static_cast<float>(i + 1);
    const Block out = run(stage, w, w);
    for (int i = 0; i < frames; ++i) {
        const float d = i >= expectedDelay ? w[static_cast<size_t>(i - expectedDelay)] : 0.0f;
        ASSERT_NEAR(out.left[static_cast<size_t>(i)], w[static_cast<size_t>(i)] + d, 1e-5) << i;
        ASSERT_NEAR(out.right[static_cast<size_t>(i)], w[static_cast<size_t>(i)] - d, 1e-5) << i;
    }
}

TEST(WidthStage, PseudoStereoAddsAndSubtractsDelayedMid)
{
    expectPseudoStereoDelay(44100, 354);
    expectPseudoStereoDelay(192000, 882); // ring capped at 881
    expectPseudoStereoDelay(0, 1);
}

TEST(WidthStage, PseudoStereoIsSkippedAtZeroWidth)
{
    WidthStage stage;
    stage.setPseudoStereo(1);
    run(stage, std::vector<float>(500, 1.0f), std::vector<float>(500, 1.0f));
    // Had the ring advanced, the width-0 frames would now come back as d.
    stage.setWidth(1.0f);
    const Block out = run(stage, std::vector<float>(360, 0.5f), std::vector<float>(360, 0.5f));
    for (int i = 0; i < 354; ++i)
        ASSERT_EQ(out.left[static_cast<size_t>(i)], 0.5f) << i;
    EXPECT_EQ(out.left[354], 1.0f);
    EXPECT_EQ(out.right[354], 0.0f);
}

TEST(WidthStage, SwitchRateAndResetRestartTheRingFromSilence)
{
    for (int how = 0; how < 3; ++how) {
        WidthStage stage;
        stage.setWidth(1.0f);
        stage.setPseudoStereo(1);
        run(stage, std::vector<float>(300, 1.0f), std::vector<float>(300, 1.0f));
        if (how == 0)
            stage.setPseudoStereo(1);
        else if (how == 1)
            stage.setSampleRate(44100);
        else
            stage.reset();
        const Block out = run(stage, std::vector<float>(354, 0.25f), std::vector<float>(354, 0.25f));
        for (int i = 0; i < 354; ++i)
            ASSERT_EQ(out.left[static_cast<size_t>(i)], 0.25f) << "case " << how << " frame " << i;
    }
}

} // namespace
