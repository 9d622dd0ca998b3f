// Level helpers for the response graph: the dB floor, the four-bin spline and
// the peak over the bins a column covers.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <vector>

#include "engine/NaturalSpline.h"
#include "engine/ResponseAnalyser.h"
#include "engine/ResponseColumns.h"

namespace {

using engine::NaturalSpline;
using engine::ResponseAnalyser;
using engine::ResponseColumns;

constexpr float kFloor = ResponseAnalyser::kFloorDb;

TEST(ResponseAnalyserColumns, LevelHasAFloorAtTheSmallestNormalFloat)
{
    EXPECT_EQ(kFloor, -379.29779052734375f);
    EXPECT_NEAR(10.0 * std::log10(static_cast<double>(FLT_MIN)), kFloor, 1e-4);
    EXPECT_EQ(ResponseAnalyser::levelDb(0.0f), kFloor);
    EXPECT_EQ(ResponseAnalyser::levelDb(1.1754944e-38f), kFloor);
    EXPECT_EQ(ResponseAnalyser::levelDb(1e-44f), kFloor);
    EXPECT_EQ(ResponseAnalyser::levelDb(-1.0f), kFloor);
    EXPECT_EQ(ResponseAnalyser::levelDb(std::nanf("")), kFloor);
    EXPECT_GT(ResponseAnalyser::levelDb(1.2e-38f), kFloor);
    EXPECT_EQ(ResponseAnalyser::levelDb(1.0f), 0.0f);
    EXPECT_FLOAT_EQ(ResponseAnalyser::levelDb(100.0f), 20.0f);
    EXPECT_FLOAT_EQ(ResponseAnalyser::levelDb(0.5f), -3.0103f);
}

TEST(ResponseAnalyserColumns, NaturalSplineMatchesHandWorkedValues)
{
    // Knots 0..3 with values 0, 1, 0, 1: the inner second derivatives are -4 and 4.
    const double x[4] = {0.0, 1.0, 2.0, 3.0};
    const double y[4] = {0.0, 1.0, 0.0, 1.0};
    NaturalSpline s;
    s.fit(x, y);
    for (int i = 0; i < 4; ++i)
        EXPECT_DOUBLE_EQ(s.valueAt(x[i]), y[i]);
    EXPECT_DOUBLE_EQ(s.valueAt(0.5), 0.75);
    EXPECT_DOUBLE_EQ(s.valueAt(1.5), 0.5);
    EXPECT_DOUBLE_EQ(s.valueAt(2.5), 0.25);
}

TEST(ResponseAnalyserColumns, NaturalSplineReproducesStraightLinesEvenBeyondItsEnds)
{
    const double x[4] = {std::log(10.0), std::log(21.0), std::log(32.0), std::log(43.0)};
    double y[4];
    for (int i = 0; i < 4; ++i)
        y[i] = 3.0 - 2.0 * x[i];
    NaturalSpline s;
    s.fit(x, y);
    for (double at : {2.0, 2.5, 3.3, 3.9, 4.2})
        EXPECT_NEAR(s.valueAt(at), 3.0 - 2.0 * at, 1e-12) << at;
}

TEST(ResponseAnalyserColumns, ZeroWidthIntervalGivesZeroWithoutPoisoningTheRest)
{
    const double x[4] = {0.0, 0.0, 1.0, 2.0};
    const double y[4] = {5.0, 6.0, 7.0, 9.0};
    NaturalSpline s;
    s.fit(x, y);
    EXPECT_EQ(s.valueAt(-0.5), 0.0);
    EXPECT_DOUBLE_EQ(s.valueAt(1.5), 8.0);
}

TEST(ResponseAnalyserColumns, PeakTakesTheLargestPowerOfTheRange)
{
    const std::vector<float> power = {100.0f, 1.0f, 10.0f, 0.5f, 1000.0f, 0.0f, 1e-39f};
    EXPECT_FLOAT_EQ(ResponseColumns::peakLevel(power.data(), 1, 4), 10.0f);
    EXPECT_FLOAT_EQ(ResponseColumns::peakLevel(power.data(), -3, 2), 20.0f);
    EXPECT_FLOAT_EQ(ResponseColumns::peakLevel(power.data(), 3, 5), 30.0f);
    EXPECT_EQ(ResponseColumns::peakLevel(power.data(), 5, 7), kFloor);
    EXPECT_EQ(ResponseColumns::peakLevel(power.data(), 4, 4), kFloor);
    EXPECT_EQ(ResponseColumns::peakLevel(power.data(), 5, 2), kFloor);
}

TEST(ResponseAnalyserColumns, ColumnsWalkTheBinsOnceAndSplineColumnsDoNotAdvance)
{
    const std::vector<float> power = {1, 3, 9, 2, 4, 1, 6, 2, 2, 4, 1, 3, 8, 2, 4, 1};
    std::vector<float> lnBin(16, 0.0f);
    for (int i = 1; i < 16; ++i)
        lnBin[static_cast<size_t>(i)] = static_cast<float>(std::log(10.0 * i));
    ResponseColumns columns(power.data(), lnBin.data(), 16, 2);

    EXPECT_FLOAT_EQ(columns.next(0, 5, 0.0f), ResponseAnalyser::levelDb(9.0f));  // bins 2..4
    EXPECT_EQ(columns.next(0, 5, 0.0f), kFloor);                                 // no new bin

    // Spline columns over bins 3..6, twice with the same bin, then once more.
    double x[4], y[4];
    for (int i = 0; i < 4; ++i) {
        x[i] = lnBin[static_cast<size_t>(3 + i)];
        y[i] = ResponseAnalyser::levelDb(power[static_cast<size_t>(3 + i)]);
    }
    NaturalSpline fresh;
    fresh.fit(x, y);
    for (float at : {3.5f, 3.7f, 4.0f}) {
        const float value = columns.next(3, 99, at);
        EXPECT_FLOAT_EQ(value, static_cast<float>(fresh.valueAt(at))) << at;
    }

    // The next peak column covers bins 5..7: the spline columns did not move the start.
    EXPECT_FLOAT_EQ(columns.next(0, 8, 0.0f), ResponseAnalyser::levelDb(6.0f));
    // Bins beyond the arrays are never read.
    EXPECT_FLOAT_EQ(columns.next(0, 500, 0.0f), ResponseAnalyser::levelDb(8.0f));
    EXPECT_TRUE(std::isfinite(columns.next(15, 0, 5.0f)));
}

// Walks a graph-like set of columns (a 24th of an octave apart from 20 Hz) over
// the analysis of a disabled chain: every column shows 0 dB.
TEST(ResponseAnalyserColumns, DisabledChainDrawsAFlatLine)
{
    const int rate = 44100;
    const int size = ResponseAnalyser::kSize;
    engine::ProcessEpoch epoch;
    engine::FilterPair hp(epoch, engine::FilterPair::Kind::HighPass, rate);
    engine::FilterPair lp(epoch, engine::FilterPair::Kind::LowPass, rate);
    engine::FilterPair bal(epoch, engine::FilterPair::Kind::Balance, rate);
    for (engine::FilterPair* p : {&hp, &lp, &bal})
        p->setEnabled(false);
    ResponseAnalyser analyser(rate);
    analyser.analyse(hp, lp, bal);
    std::vector<float> power(ResponseAnalyser::kBins);
    analyser.copyPower(power.data());

    std::vector<float> lnBin(ResponseAnalyser::kBins, 0.0f);
    for (int i = 1; i < ResponseAnalyser::kBins; ++i)
        lnBin[static_cast<size_t>(i)] = static_cast<float>(std::log(static_cast<double>(rate) * i / size));
    const double fMin = 20.0;
    int bin = 0;
    while (static_cast<double>(rate) * (bin + 1) / size < fMin)
        ++bin;
    ResponseColumns columns(power.data(), lnBin.data(), ResponseAnalyser::kBins, bin);

    int splineColumns = 0, peakColumns = 0;
    for (double q = fMin; q <= rate * 0.5; q *= std::pow(2.0, 1.0 / 24.0)) {
        bool moved = false;
        while (!(q < static_cast<double>(rate) * bin / size) && bin < size) {
            ++bin;
            moved = true;
        }
        const double edge = q * std::pow(2.0, -1.0 / 48.0);
        const int position = static_cast<int>(size * edge / rate);
        const int interpolationBin = moved ? 0 : (position < 2 ? 1 : position - 1);
        moved ? ++peakColumns : ++splineColumns;
        const float level = columns.next(interpolationBin, bin, static_cast<float>(std::log(edge)));
        ASSERT_NEAR(level + ResponseAnalyser::kDisplayOffsetDb, 0.0f, 1e-3) << q << " Hz";
    }
    EXPECT_GT(splineColumns, 10);
    EXPECT_GT(peakColumns, 100);
}

} // namespace
