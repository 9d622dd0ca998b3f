// The shaping steps on plain arrays: lead trimming, decay measurement, the
// shaped IR's sweeps and guards, and the highlight deadline.
#include "ir/DecayAnalysis.h"
#include "ir/IRFileReaders.h"
#include "ir/IRShaping.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

namespace {

constexpr int kN = ir::kIRCapacityFrames;

std::vector<float> filled(float v) { return std::vector<float>(kN, v); }

double meanAbs(const std::vector<float>& a, int from, int to)
{
    double sum = 0.0;
    for (int i = from; i < to; ++i)
        sum += std::fabs(a[static_cast<std::size_t>(i)]);
    return sum / (to - from);
}

TEST(IRDataLeadTrim, NegativeSpikeIsCutAndFreedEndIsSilent)
{
    std::vector<float> left = filled(0.3f);
    std::vector<float> right = filled(0.0f);
    const float lead[] = {0.0f, 0.005f, -1.0f, -0.5f, 0.25f, 0.6f};
    for (int i = 0; i < 6; ++i)
        left[i] = lead[i];
    left[kN - 1] = 0.7f;

    EXPECT_EQ(ir::trimLeadingSilence(left.data(), right.data(), kN), 4);
    EXPECT_FLOAT_EQ(left[0], 0.25f);
    EXPECT_FLOAT_EQ(left[1], 0.6f);
    EXPECT_FLOAT_EQ(left[kN - 1 - 4], 0.7f);
    for (int i = kN - 4; i < kN; ++i) {
        EXPECT_EQ(left[i], 0.0f) << i;
        EXPECT_EQ(right[i], 0.0f) << i;
    }
}

TEST(IRDataLeadTrim, EitherChannelEndsTheSearchAndSilenceIsRemovedWhole)
{
    std::vector<float> left = filled(0.0f);
    std::vector<float> right = filled(0.0f);
    left[3] = 0.5f;
    right[2] = 0.01f;
    EXPECT_EQ(ir::trimLeadingSilence(left.data(), right.data(), 10), 2);
    EXPECT_FLOAT_EQ(left[1], 0.5f);
    EXPECT_FLOAT_EQ(right[0], 0.01f);

    std::vector<float> quiet = filled(0.001f);
    std::vector<float> quietR = filled(0.001f);
    EXPECT_EQ(ir::trimLeadingSilence(quiet.data(), quietR.data(), 40), 40);
    EXPECT_FLOAT_EQ(quiet[0], 0.001f);
    EXPECT_EQ(quiet[kN - 40], 0.0f);
}

TEST(IRDataDecayAnalysis, MeasuresAnExponentialTail)
{
    // -40 dB after one second at 44100 Hz: twenty 50 ms windows above the floor.
    const double k = std::log(100.0) / 44100.0;
    std::vector<float> left = filled(0.0f);
    std::vector<float> right = filled(0.0f);
    for (int j = 0; j < kN; ++j)
        left[j] = static_cast<float>((j % 2 ? -1.0 : 1.0) * std::exp(-k * j));
    EXPECT_NEAR(ir::analyzeDecay(left.data(), right.data(), 44100.0), std::exp(-k), 1e-8);
    // The other channel counts alike.
    EXPECT_NEAR(ir::analyzeDecay(right.data(), left.data(), 48000.0), std::exp(-k), 1e-8);
}

TEST(IRDataDecayAnalysis, UnmeasurableGivesOne)
{
    std::vector<float> left = filled(0.0f);
    std::vector<float> right = filled(0.0f);
    for (int j = 0; j < kN; ++j)
        left[j] = static_cast<float>(std::exp(-1e-4 * j));
    // Rates that give no window (below 20 Hz), or one longer than the IR.
    for (double fs : {19.9, 0.0, -44100.0, std::numeric_limits<double>::quiet_NaN(), 1e9})
        EXPECT_EQ(ir::analyzeDecay(left.data(), right.data(), fs), 1.0) << fs;

    // Below -40 dB before the fourth window.
    std::vector<float> shortIr = filled(0.0f);
    for (int j = 0; j < 3 * 2205; ++j)
        shortIr[j] = 1.0f;
    EXPECT_EQ(ir::analyzeDecay(shortIr.data(), right.data(), 44100.0), 1.0);
}

TEST(IRDataShapeIR, SettingsThatGiveNoIRLeaveSilence)
{
    const std::vector<float> raw = filled(0.5f);
    std::vector<float> a(ir::kShapedCapacity, 9.0f);
    std::vector<float> b(ir::kShapedCapacity, 9.0f);
    ir::ShapeSettings good;
    good.fileSampleRate = 44100;
    good.rawFrameCount = kN;
    good.gateMs = 100.0;
    ASSERT_EQ(ir::shapeIR(raw.data(), raw.data(), good, a.data(), b.data()), 4410);

    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (int c = 0; c < 6; ++c) {
        ir::ShapeSettings bad = good;
        switch (c) {
        case 0: bad.sampleRate = 0.0; break;
        case 1: bad.sampleRate = -48000.0; break;
        case 2: bad.sampleRate = nan; break;
        case 3: bad.fileSampleRate = 0; break;
        case 4: bad.stretch = 0.0; break;
        case 5: bad.gateMs = nan; break;
        }
        std::fill(a.begin(), a.end(), 9.0f);
        std::fill(b.begin(), b.end(), 9.0f);
        EXPECT_EQ(ir::shapeIR(raw.data(), raw.data(), bad, a.data(), b.data()), 0) << c;
        EXPECT_EQ(*std::max_element(a.begin(), a.end()), 0.0f) << c;
        EXPECT_EQ(*std::max_element(b.begin(), b.end()), 0.0f) << c;
    }
}

TEST(IRDataShapeIR, DumpDarkensTheTailAndExactlyOneLeavesItAlone)
{
    // A tone at a quarter of the rate, one second long.
    std::vector<float> raw = filled(0.0f);
    const float cycle[] = {1.0f, 0.0f, -1.0f, 0.0f};
    for (int j = 0; j < 44100; ++j)
        raw[j] = cycle[j % 4];
    ir::ShapeSettings s;
    s.fileSampleRate = 44100;
    s.rawFrameCount = 44100;
    s.gateMs = 1000.0;
    std::vector<float> a(ir::kShapedCapacity), b(ir::kShapedCapacity);

    s.dump = 1.0;
    ir::shapeIR(raw.data(), raw.data(), s, a.data(), b.data());
    EXPECT_EQ(a[40000], raw[40000]);
    EXPECT_NEAR(meanAbs(a, 40000, 44000), 0.5, 1e-6);

    // At 0.5 the low-pass reaches 1000 Hz after half a second: the 11 kHz tone
    // is gone by the end, while the start still passes.
    s.dump = 0.5;
    ir::shapeIR(raw.data(), raw.data(), s, a.data(), b.data());
    EXPECT_GT(meanAbs(a, 100, 2000), 0.2);
    EXPECT_LT(meanAbs(a, 40000, 44000), 0.01);
    EXPECT_EQ(a, b);
}

TEST(IRDataHighlight, DeadlineFollowsTheRateAndAvoidsTheReservedValues)
{
    EXPECT_EQ(ir::highlightDeadline(5000, 44100.0), 6114);
    EXPECT_EQ(ir::highlightDeadline(5000, 48000.0), 6024);
    EXPECT_EQ(ir::highlightDeadline(5000, 0.0), 6114);
    EXPECT_EQ(ir::highlightDeadline(5000, std::numeric_limits<double>::quiet_NaN()), 6114);
    EXPECT_EQ(ir::highlightDeadline(0u - 1114u, 44100.0), 1);
    EXPECT_EQ(ir::highlightDeadline(0u - 1115u, 44100.0), 1);

    const int wrapped = ir::highlightDeadline(0xFFFFFF00u, 44100.0);
    EXPECT_FALSE(ir::deadlineReached(wrapped, 0xFFFFFFF0u));
    EXPECT_TRUE(ir::deadlineReached(wrapped, 0xFFFFFF00u + 1114u));
    EXPECT_TRUE(ir::deadlineReached(wrapped, 0xFFFFFF00u + 5000u));
}

} // namespace
