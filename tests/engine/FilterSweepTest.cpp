#include "engine/SweepFilterPair.h"

#include <gtest/gtest.h>

#include <cmath>

#include "FilterTestSignals.h"

namespace {

using engine::CIIR;
using engine::SweepFilterPair;

// Runs `intervals` update intervals of silence through the sweep.
void advance(SweepFilterPair& sweep, int intervals)
{
    for (int i = 0; i < intervals * SweepFilterPair::kUpdateInterval; ++i) {
        double l = 0.0, r = 0.0;
        sweep.step(l, r);
    }
}

TEST(FilterSweep, FallingSweepReachesItsTargetThenSlowsToHalfRate)
{
    SweepFilterPair sweep;
    // 2000 ms at amount 0.5: the sweep spans 1000 ms.
    sweep.setUp(44100, 22050.0, 1000.0, 2000.0, 0.5, 0.5);
    EXPECT_DOUBLE_EQ(sweep.effectiveDurationMs(), 1000.0);
    const double intervals = 1000.0 * 0.001 * 44100.0 / 256.0;  // about 172.3
    const double factor = std::pow(1000.0 / 22050.0, 1.0 / intervals);
    EXPECT_DOUBLE_EQ(sweep.stepFactor(), factor);
    EXPECT_EQ(sweep.left().type(), CIIR::kLowPass);
    EXPECT_EQ(sweep.right().type(), CIIR::kLowPass);

    advance(sweep, 172);
    EXPECT_NEAR(sweep.currentFrequency(), 22050.0 * std::pow(factor, 172), 1e-6);
    EXPECT_NEAR(sweep.currentFrequency(), 1000.0, 10.0);
    EXPECT_DOUBLE_EQ(sweep.stepFactor(), factor);
    EXPECT_EQ(sweep.right().coefficients().a1, sweep.left().coefficients().a1);

    // The interval that finds the target passed halves the rate in octaves.
    advance(sweep, 2);
    EXPECT_DOUBLE_EQ(sweep.stepFactor(), std::sqrt(factor));
    EXPECT_EQ(sweep.targetFrequency(), 0.0);

    // Below 1 Hz it holds: no more retunes, the filters keep their tuning.
    advance(sweep, 2000);
    const double held = sweep.currentFrequency();
    EXPECT_LT(held, 1.0);
    const auto c = sweep.left().coefficients();
    advance(sweep, 10);
    EXPECT_EQ(sweep.currentFrequency(), held);
    EXPECT_EQ(sweep.left().coefficients().a1, c.a1);
}

TEST(FilterSweep, RisingSweepIsAHighPassThatStopsAtNyquist)
{
    SweepFilterPair sweep;
    sweep.setUp(48000, 20.0, 250.0, 100.0, 0.3, 0.5);
    EXPECT_GT(sweep.stepFactor(), 1.0);
    EXPECT_EQ(sweep.left().type(), CIIR::kHighPass);
    advance(sweep, 5000);
    const double held = sweep.currentFrequency();
    EXPECT_GE(held, 24000.0);
    EXPECT_EQ(sweep.targetFrequency(), 48000.0);
    advance(sweep, 10);
    EXPECT_EQ(sweep.currentFrequency(), held);
    EXPECT_TRUE(filtertest::isStable(sweep.left().coefficients()));
}

TEST(FilterSweep, AmountOfOneStretchesAThousandfoldAndSmallAmountsAreFloored)
{
    SweepFilterPair sweep;
    sweep.setUp(44100, 20.0, 250.0, 2000.0, 0.3, 1.0);
    EXPECT_DOUBLE_EQ(sweep.effectiveDurationMs(), 2000000.0);
    // Within the given 2 s it moves by a thousandth of its span (in octaves).
    advance(sweep, static_cast<int>(2.0 * 44100 / 256));
    EXPECT_LT(std::log2(sweep.currentFrequency() / 20.0), std::log2(250.0 / 20.0) / 900.0);

    for (double amount : {0.01, 0.001, 0.0, -3.0}) {
        sweep.setUp(44100, 20.0, 250.0, 2000.0, 0.3, amount);
        EXPECT_DOUBLE_EQ(sweep.effectiveDurationMs(), 20.0) << amount;
    }
}

TEST(FilterSweep, StepRunsThePerFrameFormOfBothFilters)
{
    SweepFilterPair sweep;
    sweep.setUp(44100, 22050.0, 1000.0, 1000.0, 0.5, 0.5);
    CIIR reference;
    reference.setSampleRate(44100);
    reference.designLowPass(22050.0f, 0.5f);
    reference.reset();
    const auto in = filtertest::noise(200);
    for (float x : in) {
        double l = x, r = -x;
        sweep.step(l, r);
        const double expected = reference.processFrame(x);
        ASSERT_EQ(l, expected);
        ASSERT_EQ(r, -expected);
    }
}

// Settings that cannot describe a sweep leave the frames untouched instead of
// producing NaN: no rate, a start or target at 0 Hz. A zero duration holds the start.
TEST(FilterSweep, DegenerateSetUpsStayFinite)
{
    struct SetUp {
        int rate;
        double start, target, duration;
    };
    for (const SetUp& s : {SetUp{0, 22050.0, 1000.0, 100.0}, SetUp{-1, 20.0, 250.0, 100.0},
                           SetUp{44100, 0.0, 250.0, 100.0}, SetUp{44100, 20.0, 0.0, 100.0}}) {
        SweepFilterPair sweep;
        sweep.setUp(s.rate, s.start, s.target, s.duration, 0.5, 0.5);
        double l = 0.25, r = -0.5;
        sweep.step(l, r);
        EXPECT_EQ(l, 0.25);
        EXPECT_EQ(r, -0.5);
    }
    for (double target : {1000.0, 30000.0}) {
        SweepFilterPair sweep;
        sweep.setUp(44100, 20000.0, target, 0.0, 0.5, 0.5);
        const auto in = filtertest::noise(256 * 20);
        for (float x : in) {
            double l = x, r = x;
            sweep.step(l, r);
            ASSERT_TRUE(std::isfinite(l) && std::isfinite(r));
        }
        EXPECT_FALSE(std::isnan(sweep.currentFrequency()));
    }
}

} // namespace
