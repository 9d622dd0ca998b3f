#include "engine/FilterPair.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "FilterTestSignals.h"

namespace {

using engine::CIIR;
using engine::FilterPair;
using engine::ProcessEpoch;
using Channel = FilterPair::Channel;

struct Stereo {
    std::vector<float> left, right;
};

Stereo runStereo(FilterPair& pair, const std::vector<float>& left, const std::vector<float>& right)
{
    Stereo out{std::vector<float>(left.size()), std::vector<float>(right.size())};
    pair.processStereo(left.data(), right.data(), out.left.data(), out.right.data(),
                       static_cast<int>(left.size()));
    return out;
}

std::vector<float> runLeft(FilterPair& pair, const std::vector<float>& in)
{
    std::vector<float> out(in.size());
    pair.process(Channel::Left, in.data(), out.data(), static_cast<int>(in.size()));
    return out;
}

bool allZero(const std::vector<float>& v)
{
    for (float x : v) {
        if (x != 0.0f)
            return false;
    }
    return true;
}

TEST(FilterPair, ConstructionDesignsOfTheThreeKinds)
{
    ProcessEpoch epoch;
    FilterPair hp(epoch, FilterPair::Kind::HighPass, 48000);
    FilterPair lp(epoch, FilterPair::Kind::LowPass, 48000);
    FilterPair bal(epoch, FilterPair::Kind::Balance, 48000);
    struct Expect {
        FilterPair* pair;
        int type;
        float hz, q;
    };
    for (const Expect& e : {Expect{&hp, CIIR::kHighPass, 10.0f, 0.6f}, Expect{&lp, CIIR::kLowPass, 22050.0f, 0.6f},
                            Expect{&bal, CIIR::kHighShelf, 1000.0f, 0.3f}}) {
        const FilterPair::Design d = e.pair->design();
        for (const CIIR* f : {&d.left, &d.right}) {
            EXPECT_EQ(f->type(), e.type);
            EXPECT_EQ(f->frequency(), e.hz);
            EXPECT_EQ(f->q(), e.q);
            EXPECT_EQ(f->gain(), 0.0f);
            EXPECT_EQ(f->sampleRate(), 48000.0f);
            EXPECT_TRUE(f->enabled());
        }
        EXPECT_EQ(d.makeUpGain, 1.0f);
    }
    FilterPair fallback(epoch, FilterPair::Kind::LowPass, 0);
    EXPECT_EQ(fallback.design().left.sampleRate(), 44100.0f);
}

TEST(FilterPair, DisabledPairCopiesBitForBitWithoutMakeUpGain)
{
    ProcessEpoch epoch;
    FilterPair bal(epoch, FilterPair::Kind::Balance);
    bal.setBalance(6.0f);
    bal.setEnabled(false);
    const auto left = filtertest::noise(512, 1), right = filtertest::noise(512, 2);
    const Stereo out = runStereo(bal, left, right);
    EXPECT_EQ(0, std::memcmp(left.data(), out.left.data(), left.size() * sizeof(float)));
    EXPECT_EQ(0, std::memcmp(right.data(), out.right.data(), right.size() * sizeof(float)));
}

TEST(FilterPair, SwitchingOnStartsFromSilenceAndRepeatingTheFlagKeepsHistory)
{
    ProcessEpoch epoch;
    FilterPair lp(epoch, FilterPair::Kind::LowPass);
    lp.setFrequency(2000.0f);
    auto freshOutput = [&epoch](const std::vector<float>& in) {
        FilterPair fresh(epoch, FilterPair::Kind::LowPass);
        fresh.setFrequency(2000.0f);
        return runLeft(fresh, in);
    };
    const auto probe = filtertest::noise(256, 9);

    runLeft(lp, filtertest::noise(256));
    lp.setEnabled(true);  // already on
    EXPECT_NE(runLeft(lp, probe), freshOutput(probe));

    runLeft(lp, filtertest::noise(256, 11));
    lp.setEnabled(false);
    lp.setEnabled(true);
    EXPECT_EQ(runLeft(lp, probe), freshOutput(probe));
}

// A pair built off makes its histories only when switched on. Once it has
// heard a history's length of input since, a redesign must settle exactly as
// in a pair that kept its histories all along and was switched off and on at
// the same moment: a history made late must not lose or mix up frames.
TEST(FilterPair, HistoriesMadeAtTheFirstSwitchOnSettleARedesignAsHistoriesKeptAllAlong)
{
    ProcessEpoch epoch;
    FilterPair late(epoch, FilterPair::Kind::HighPass, 48000, FilterPair::Switch::Off);
    FilterPair always(epoch, FilterPair::Kind::HighPass, 48000);
    always.setEnabled(false);
    for (FilterPair* pair : {&late, &always})
        pair->setFrequency(8000.0f);
    const auto before = filtertest::noise(3000, 21);
    const Stereo lateOff = runStereo(late, before, before);
    EXPECT_EQ(lateOff.left, before);  // off: a copy
    EXPECT_EQ(runStereo(always, before, before).left, lateOff.left);

    for (FilterPair* pair : {&late, &always})
        pair->setEnabled(true);
    // Odd call sizes walk the histories' ring across its end.
    const auto on = filtertest::noise(3 * engine::CrossfadingFilter::kHistoryFrames + 77, 22);
    const auto right = filtertest::noise(static_cast<int>(on.size()), 23);
    std::vector<float> lateL(on.size()), lateR(on.size()), alwaysL(on.size()), alwaysR(on.size());
    for (std::size_t at = 0; at < on.size();) {
        const int n = static_cast<int>(std::min<std::size_t>(997, on.size() - at));
        late.processStereo(&on[at], &right[at], &lateL[at], &lateR[at], n);
        always.processStereo(&on[at], &right[at], &alwaysL[at], &alwaysR[at], n);
        at += static_cast<std::size_t>(n);
    }
    EXPECT_EQ(lateL, alwaysL);
    EXPECT_EQ(lateR, alwaysR);

    // From 8 kHz to 20 Hz: settled over the last inputs, so no bang.
    for (FilterPair* pair : {&late, &always})
        pair->setFrequency(20.0f);
    const auto after = filtertest::noise(4096, 24);
    const Stereo lateAfter = runStereo(late, after, after);
    const Stereo alwaysAfter = runStereo(always, after, after);
    EXPECT_EQ(lateAfter.left, alwaysAfter.left);
    EXPECT_EQ(lateAfter.right, alwaysAfter.right);
    float peak = 0.0f;
    for (float x : lateAfter.left)
        peak = std::max(peak, std::fabs(x));
    EXPECT_LT(peak, 2.0f);
}

TEST(FilterPair, BalanceAtZeroLeavesTheSignalUntouched)
{
    ProcessEpoch epoch;
    FilterPair bal(epoch, FilterPair::Kind::Balance);
    bal.setBalance(0.0f);
    EXPECT_EQ(bal.design().makeUpGain, 1.0f);
    const auto left = filtertest::noise(1024, 3), right = filtertest::noise(1024, 4);
    const Stereo out = runStereo(bal, left, right);
    EXPECT_EQ(out.left, left);
    EXPECT_EQ(out.right, right);
}

TEST(FilterPair, BalanceDesignsTheShelfAndItsMakeUpGainTogether)
{
    for (float db : {12.0f, -12.0f, 6.5f, -0.5f}) {
        SCOPED_TRACE(db);
        const float expected = static_cast<float>(std::pow(1.1220184564590454, -static_cast<double>(db)));
        EXPECT_EQ(FilterPair::balanceMakeUpGain(db), expected);
        ProcessEpoch epoch;
        FilterPair bal(epoch, FilterPair::Kind::Balance);
        bal.setBalance(db);
        const FilterPair::Design d = bal.design();
        EXPECT_EQ(d.makeUpGain, expected);
        for (const CIIR* f : {&d.left, &d.right}) {
            EXPECT_EQ(f->type(), CIIR::kHighShelf);
            EXPECT_EQ(f->frequency(), 1000.0f);
            EXPECT_EQ(f->gain(), 2.0f * db);
            EXPECT_EQ(f->q(), 0.3f);
        }
    }
    EXPECT_NEAR(filtertest::decibels(FilterPair::balanceMakeUpGain(12.0f)), -12.0, 1e-5);
}

// +12 dB tilts the highs up and the lows down by 12 dB around 1 kHz, on both channels.
TEST(FilterPair, BalanceTiltsAroundThePivot)
{
    ProcessEpoch epoch;
    FilterPair bal(epoch, FilterPair::Kind::Balance);
    bal.setBalance(12.0f);
    struct Point {
        double hz, db, tolerance;
    };
    for (const Point& p : {Point{30.0, -12.0, 0.2}, Point{1000.0, 0.0, 0.01}, Point{18000.0, 12.0, 0.2}}) {
        SCOPED_TRACE(p.hz);
        bal.reset();
        const auto in = filtertest::sine(p.hz, 44100.0, 88200);
        const Stereo out = runStereo(bal, in, in);
        const double reference = filtertest::sineAmplitude(in, 44100);
        EXPECT_NEAR(filtertest::decibels(filtertest::sineAmplitude(out.left, 44100) / reference), p.db, p.tolerance);
        EXPECT_NEAR(filtertest::decibels(filtertest::sineAmplitude(out.right, 44100) / reference), p.db, p.tolerance);
    }
}

TEST(FilterPair, SampleRateChangeKeepsSettingsAndClearsHistory)
{
    ProcessEpoch epoch;
    FilterPair hp(epoch, FilterPair::Kind::HighPass);
    hp.setFrequency(1000.0f);
    runLeft(hp, filtertest::noise(200));
    ASSERT_TRUE(hp.setSampleRate(96000));
    const FilterPair::Design d = hp.design();
    EXPECT_EQ(d.left.sampleRate(), 96000.0f);
    EXPECT_EQ(d.right.sampleRate(), 96000.0f);
    EXPECT_EQ(d.left.frequency(), 1000.0f);
    EXPECT_EQ(d.left.q(), 0.6f);
    EXPECT_NEAR(filtertest::magnitudeAt(d.left.coefficients(), 1000.0, 96000.0), 0.6, 1e-5);
    EXPECT_TRUE(allZero(runLeft(hp, std::vector<float>(64, 0.0f))));

    EXPECT_FALSE(hp.setSampleRate(0));
    EXPECT_EQ(hp.design().left.sampleRate(), 96000.0f);
}

TEST(FilterPair, ResetClearsHistoryButParameterChangesKeepIt)
{
    ProcessEpoch epoch;
    FilterPair lp(epoch, FilterPair::Kind::LowPass);
    lp.setFrequency(3000.0f);
    const std::vector<float> silence(64, 0.0f);
    runLeft(lp, filtertest::noise(200));
    lp.setFrequency(2500.0f);
    EXPECT_FALSE(allZero(runLeft(lp, silence)));
    lp.reset();
    EXPECT_TRUE(allZero(runLeft(lp, silence)));
}

TEST(FilterPair, ZeroFramesWritesNothing)
{
    ProcessEpoch epoch;
    FilterPair bal(epoch, FilterPair::Kind::Balance);
    bal.setBalance(3.0f);
    const float in = 1.0f;
    float out = 42.0f;
    bal.process(Channel::Left, &in, &out, 0);
    bal.processStereo(&in, &in, &out, &out, 0);
    EXPECT_EQ(out, 42.0f);
}

} // namespace
