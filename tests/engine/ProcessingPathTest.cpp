#include "ProcessingPathTestRig.h"

#include "engine/CIIR.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace {

using pathtest::kLatency;
using pathtest::Rig;
using pathtest::Stereo;

Stereo impulses(int frames, const std::vector<int>& at, float left = 1.0f, float right = 1.0f)
{
    Stereo s = pathtest::silence(frames);
    for (int i : at) {
        s.left[static_cast<size_t>(i)] = left;
        s.right[static_cast<size_t>(i)] = right;
    }
    return s;
}

// The wet signal comes through an FFT and carries rounding noise far below this.
constexpr float kTolerance = 1e-5f;

// Frames at which a channel clearly sounds.
std::vector<int> audible(const std::vector<float>& x)
{
    std::vector<int> at;
    for (size_t i = 0; i < x.size(); ++i)
        if (std::fabs(x[i]) > 1e-4f)
            at.push_back(static_cast<int>(i));
    return at;
}

TEST(ProcessingPath, LevelRule)
{
    using engine::ProcessingPath;
    EXPECT_EQ(ProcessingPath::levelGain(0.0f), 1.0f);
    EXPECT_EQ(ProcessingPath::levelGain(-30.0f), 0.0f);
    EXPECT_EQ(ProcessingPath::levelGain(-45.0f), 0.0f);
    EXPECT_EQ(ProcessingPath::levelGain(std::nanf("")), 0.0f);
    EXPECT_GT(ProcessingPath::levelGain(-29.9f), 0.03f);
    EXPECT_NEAR(ProcessingPath::levelGain(-6.0f), 0.501187, 1e-6);
    EXPECT_NEAR(ProcessingPath::levelGain(12.0f), 3.981072, 1e-5);
    EXPECT_TRUE(std::isfinite(ProcessingPath::levelGain(1e6f)));
}

TEST(ProcessingPath, ActiveFlagTruncatesTowardZero)
{
    Rig rig(false);
    engine::ProcessingPath& p = *rig.path;
    p.setActive(0.5f);
    EXPECT_EQ(p.active(), 0);
    p.setActive(0.999f);
    EXPECT_EQ(p.active(), 0);
    p.setActive(1.0f);
    EXPECT_EQ(p.active(), 1);
    p.setActive(std::nanf(""));
    EXPECT_EQ(p.active(), 0);
    p.setWetBoost(0.001f);
    EXPECT_EQ(p.wetBoost(), 1);
    p.setWetBoost(0.0f);
    EXPECT_EQ(p.wetBoost(), 0);
}

// Runs `in` in sections that end at `ends`, calling `before(k)` ahead of section k.
Stereo runSections(Rig& rig, const Stereo& in, const std::vector<int>& ends, const std::function<void(int)>& before)
{
    Stereo out = pathtest::silence(static_cast<int>(in.left.size()));
    int from = 0;
    for (size_t k = 0; k < ends.size(); ++k) {
        before(static_cast<int>(k));
        const int frames = ends[k] - from;
        rig.path->process(in.left.data() + from, in.right.data() + from, out.left.data() + from,
                          out.right.data() + from, frames);
        from = ends[k];
    }
    return out;
}

// Dry arrives after exactly one block; wet after one block plus the pre-delay,
// which is never shorter than one frame. Impulses 200 frames apart, each one's
// wet frames entering the pre-delay under a different setting.
TEST(ProcessingPath, DryAfterOneBlockWetAfterPreDelay)
{
    Rig rig;
    engine::ProcessingPath& p = *rig.path;
    const std::vector<int> ends = {kLatency + 100, kLatency + 300, kLatency + 400 + 9600 + 50};
    const Stereo out = runSections(rig, impulses(ends.back(), {0, 200, 400}, 1.0f, 0.5f), ends, [&](int k) {
        if (k == 0) {
            p.setPreDelay(0.0f); // 1 frame
        } else if (k == 1) {
            p.setPreDelay(1.0f); // 44 frames at 44100 Hz
        } else {
            p.setSampleRate(48000);
            p.setPreDelay(200.0f); // 9600 frames: the store grows to them
        }
    });
    const std::vector<int> expected = {kLatency,       kLatency + 1,   kLatency + 200,
                                       kLatency + 244, kLatency + 400, kLatency + 10000};
    EXPECT_EQ(audible(out.left), expected);
    EXPECT_EQ(audible(out.right), expected);
    for (int at : expected) {
        EXPECT_NEAR(out.left[static_cast<size_t>(at)], 1.0f, kTolerance) << at;
        EXPECT_NEAR(out.right[static_cast<size_t>(at)], 0.5f, kTolerance) << at;
    }
    // The store holds what the delay asks for, not more.
    EXPECT_EQ(p.preDelay().capacity(), 9600);
}

TEST(ProcessingPath, ChannelGainsAndWidthApplyOnlyToWet)
{
    Rig rig;
    engine::ProcessingPath& p = *rig.path;
    // Impulse k (left 1, right 0.5) at input frame 100k + 50 comes out dry at
    // kLatency + 100k + 50 and wet one frame later, inside output section k.
    constexpr int kSections = 5;
    std::vector<int> at, ends;
    for (int k = 0; k < kSections; ++k) {
        at.push_back(100 * k + 50);
        ends.push_back(kLatency + 100 * (k + 1));
    }
    const Stereo out = runSections(rig, impulses(ends.back(), at, 1.0f, 0.5f), ends, [&](int k) {
        switch (k) {
        case 0: // +12 dB: both channel gains 4
            p.setWetBoost(1.0f);
            break;
        case 1: // balance -1: left wet doubled, right wet silent
            p.setWetBoost(0.0f);
            p.setBalance(-1.0);
            break;
        case 2: // balance +1: the opposite
            p.setBalance(1.0);
            break;
        case 3: // wet at -30 dB is silence; dry at -6 dB
            p.setBalance(0.0);
            p.setWetLevel(-30.0f);
            p.setDryLevel(-6.0f);
            break;
        case 4: // width 0 folds the wet signal to the raised mid; dry stays as it is
            p.setWetLevel(0.0f);
            p.setDryLevel(0.0f);
            p.setWidth(0.0f);
            break;
        }
    });

    const float g6 = engine::ProcessingPath::levelGain(-6.0f);
    const float mid = 0.75f * engine::WidthStage::makeUpGainFor(0.0f);
    // dry L, wet L, dry R, wet R
    const float expected[kSections][4] = {
        {1.0f, 4.0f, 0.5f, 2.0f},
        {1.0f, 2.0f, 0.5f, 0.0f},
        {1.0f, 0.0f, 0.5f, 1.0f},
        {g6, 0.0f, 0.5f * g6, 0.0f},
        {1.0f, mid, 0.5f, mid},
    };
    for (int k = 0; k < kSections; ++k) {
        const size_t dry = static_cast<size_t>(kLatency + 100 * k + 50);
        EXPECT_NEAR(out.left[dry], expected[k][0], kTolerance) << "section " << k;
        EXPECT_NEAR(out.left[dry + 1], expected[k][1], kTolerance) << "section " << k;
        EXPECT_NEAR(out.right[dry], expected[k][2], kTolerance) << "section " << k;
        EXPECT_NEAR(out.right[dry + 1], expected[k][3], kTolerance) << "section " << k;
    }
    // Nothing else sounds.
    EXPECT_EQ(audible(out.left).size(), static_cast<size_t>(2 * kSections - 2));
}

TEST(ProcessingPath, BypassPassesDelayedDryUnscaledAndWetResumesWithoutRestart)
{
    Rig rig;
    engine::ProcessingPath& p = *rig.path;
    constexpr int kPreDelay = 88; // 2 ms
    p.setPreDelay(2.0f);
    p.setDryLevel(-10.0f);
    const int bypassEnd = kLatency + 300;
    const int end = bypassEnd + 300;
    const Stereo in = pathtest::noise(end, 7);
    const Stereo out = runSections(rig, in, {bypassEnd, end}, [&](int k) { p.setActive(k == 0 ? 0.0f : 1.0f); });

    for (int i = 0; i < kLatency; ++i)
        ASSERT_EQ(out.left[static_cast<size_t>(i)], 0.0f) << i;
    for (int i = kLatency; i < bypassEnd; ++i) {
        ASSERT_EQ(out.left[static_cast<size_t>(i)], in.left[static_cast<size_t>(i - kLatency)]) << i;
        ASSERT_EQ(out.right[static_cast<size_t>(i)], in.right[static_cast<size_t>(i - kLatency)]) << i;
    }
    // Switched on again: the convolution ran on, so the wet signal is there at once.
    const double dry = engine::ProcessingPath::levelGain(-10.0f);
    for (int i = bypassEnd; i < end; ++i) {
        const size_t d = static_cast<size_t>(i - kLatency);
        const size_t w = d - kPreDelay;
        ASSERT_NEAR(out.left[static_cast<size_t>(i)], in.left[d] * dry + in.left[w], kTolerance) << i;
        ASSERT_NEAR(out.right[static_cast<size_t>(i)], in.right[d] * dry + in.right[w], kTolerance) << i;
    }

    // Resume clears the dry and wet blocks and the pre-delay store.
    p.reset();
    const Stereo after = rig.run(pathtest::silence(2 * kPreDelay), {64});
    EXPECT_TRUE(audible(after.left).empty());
    EXPECT_TRUE(audible(after.right).empty());
    for (int i = 0; i < 2 * kPreDelay; ++i)
        ASSERT_EQ(after.left[static_cast<size_t>(i)], 0.0f) << i;
}

TEST(ProcessingPath, WetRunsThroughHighPassLowPassAndBalanceInOrder)
{
    Rig rig;
    engine::ProcessingPath& p = *rig.path;
    p.setDryLevel(-30.0f);
    p.setHighPassFrequency(200.0f);
    p.setLowPassFrequency(3000.0f);
    p.setBalanceTilt(6.0f);
    p.setHighPassEnabled(1.0f);
    p.setLowPassEnabled(1.0f);
    p.setBalanceEnabled(1.0f);
    constexpr int kTail = 2000;
    const Stereo out = rig.run(impulses(kLatency + 1 + kTail, {0}, 1.0f, 0.25f), {777});

    // The same chain, built from the designs in force, on an exact impulse.
    engine::CIIR hp = p.highPass().design().left;
    engine::CIIR lp = p.lowPass().design().left;
    const engine::FilterPair::Design bal = p.balanceFilter().design();
    engine::CIIR shelf = bal.left;
    hp.reset();
    lp.reset();
    shelf.reset();
    std::vector<float> a(kTail, 0.0f), b(kTail, 0.0f);
    a[0] = 1.0f;
    hp.processBlock(a.data(), b.data(), kTail);
    lp.processBlock(b.data(), a.data(), kTail);
    shelf.processBlock(a.data(), b.data(), kTail);
    EXPECT_NEAR(bal.makeUpGain, 0.501187f, 1e-6f);
    double energy = 0.0;
    for (int k = 0; k < kTail; ++k) {
        const float expected = b[static_cast<size_t>(k)] * bal.makeUpGain;
        energy += static_cast<double>(expected) * expected;
        ASSERT_NEAR(out.left[static_cast<size_t>(kLatency + 1 + k)], expected, kTolerance) << k;
        ASSERT_NEAR(out.right[static_cast<size_t>(kLatency + 1 + k)], 0.25f * expected, kTolerance) << k;
    }
    EXPECT_GT(energy, 1e-3); // the chain really passes something
}

} // namespace
