#include "params/ParameterRanges.h"
#include "params/ParameterTable.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <set>
#include <string>

using namespace param;

namespace {

std::string nameOf(int id)
{
    return findControl(id).name;
}

} // namespace

TEST(ParameterTable, RecordsAreTheirOwnIdsAndAreWellFormed)
{
    for (int id = 0; id < kParameterRecordCount; ++id) {
        const ParameterRecord& r = kParameterTable[id];
        EXPECT_EQ(r.id, id);
        ASSERT_NE(r.name, nullptr) << id;
        EXPECT_LT(r.minimum, r.maximum) << r.name;
        EXPECT_GE(r.defaultValue, r.minimum) << r.name;
        EXPECT_LE(r.defaultValue, r.maximum) << r.name;
        if (r.curve == Logarithmic) {
            EXPECT_GT(r.minimum, 0.0) << r.name;
        }
    }
}

TEST(ParameterTable, FindControlFallsBackToDummy)
{
    // Id 0 is shared by the graphs but must never yield them.
    EXPECT_EQ(&findControl(0), &kParameterTable[0]);
    EXPECT_EQ(nameOf(0), "Dummy");
    EXPECT_EQ(nameOf(50), "Dummy");
    EXPECT_EQ(nameOf(-5), "Dummy");
    EXPECT_EQ(nameOf(-1), "Dummy"); // the terminator's id is not a match
    EXPECT_EQ(nameOf(kPathFirst), "Dummy");
    EXPECT_EQ(nameOf(kPathCommit), "Dummy");
    EXPECT_EQ(nameOf(kStWidth), "St.Width");
    EXPECT_EQ(nameOf(kEnabledBAL), "Enabled_BAL");
    EXPECT_EQ(nameOf(kDryLevel), "DryLevel");
    const ParameterRecord& dummy = findControl(1000);
    EXPECT_EQ(dummy.curve, Linear);
    EXPECT_EQ(dummy.minimum, 0.0);
    EXPECT_EQ(dummy.maximum, 1.0);
    EXPECT_EQ(dummy.defaultValue, 0.0);
}

TEST(ParameterTable, HostNamesHideIdsZeroOneAndFour)
{
    EXPECT_STREQ(hostParameterName(0), "");
    EXPECT_STREQ(hostParameterName(kCopyToLocal), "");
    EXPECT_STREQ(hostParameterName(kReset), "");
    EXPECT_STREQ(hostParameterName(kIRFileSelect), "IR_FileSelect");
    EXPECT_STREQ(hostParameterName(kWebSearch), "WebSearch");
    EXPECT_STREQ(hostParameterName(kBypassLocal), "Bypass (local)");
    for (int id = kPathFirst; id <= kPathCommit; ++id)
        EXPECT_STREQ(hostParameterName(id), "Dummy") << id;
    std::size_t longest = 0;
    for (int id = 0; id < kNumParams; ++id)
        longest = std::max(longest, std::strlen(hostParameterName(id)));
    EXPECT_EQ(longest, static_cast<std::size_t>(kMaxHostParameterNameLength));
}

TEST(ValueMapping, HalfStepEndsAreExactAndNeverNegativeZero)
{
    EXPECT_EQ(toRealValue(1.0, kPreDelay), 200.0);
    const double zero = toRealValue(0.0, kPreDelay);
    EXPECT_EQ(zero, 0.0);
    EXPECT_FALSE(std::signbit(zero));
    EXPECT_EQ(toRealValue(0.0, kWetLevel), -30.0);
    EXPECT_EQ(toRealValue(1.0, kDryLevel), 6.0);
    // Around 0 dB (a hair below up to almost a quarter above) the result is zero; no sign survives.
    for (double x : {0.8333333, static_cast<double>(0.8333333f), 0.8333333333333334, 30.1 / 36.0, 30.2 / 36.0}) {
        const double r = toRealValue(x, kDryLevel);
        EXPECT_EQ(r, 0.0) << x;
        EXPECT_FALSE(std::signbit(r)) << x;
    }
}

TEST(ValueMapping, HalfStepFloorsOntoTheHalfGridWithTolerance)
{
    EXPECT_EQ(toRealValue(0.5, kPreDelay), 100.0);
    EXPECT_EQ(toRealValue(0.0025, kPreDelay), 0.5);
    EXPECT_EQ(toRealValue(0.00249, kPreDelay), 0.0);
    EXPECT_EQ(toRealValue(0.5, kWetLevel), -12.0);
    EXPECT_EQ(toRealValue(0.5139, kWetLevel), -11.5);
    // A value a hair below a grid point still counts as that grid point.
    EXPECT_EQ(toRealValue(100.5 / 200.0 - 0.000004 / 200.0, kPreDelay), 100.5);
    EXPECT_EQ(toRealValue(100.5 / 200.0 - 0.00002 / 200.0, kPreDelay), 100.0);
    for (int i = 0; i <= 4000; ++i) {
        const double x = i / 4000.0;
        const double expected = 0.5 * std::floor(2.0 * (x * 200.0) + 0.00002);
        ASSERT_EQ(toRealValue(x, kPreDelay), expected) << x;
    }
}

TEST(ValueMapping, LogarithmicMidpointsAndEnds)
{
    EXPECT_NEAR(toRealValue(0.5, kHPF), 400.0, 1e-9);
    EXPECT_NEAR(toRealValue(0.5, kLPF), 2000.0, 1e-9);
    EXPECT_NEAR(toRealValue(0.5, kStrech), 1.0, 1e-12);
    EXPECT_NEAR(toRealValue(0.5, kDecay), 1.0, 1e-12);
    EXPECT_NEAR(toRealValue(0.5, kGate), 545.17, 0.005);
    EXPECT_NEAR(toRealValue(0.0, kHPF), 20.0, 1e-9);
    EXPECT_NEAR(toRealValue(1.0, kLPF), 20000.0, 1e-9);
    EXPECT_EQ(toNormalisedValue(20.0, kHPF), 0.0);
    EXPECT_EQ(toNormalisedValue(20000.0, kLPF), 1.0);
    EXPECT_EQ(toNormalisedValue(kGateMaximumMs, kGate), 1.0);
}

TEST(ValueMapping, RoundTrips)
{
    // Half-step values map back without stepping, so a stepped value returns to its grid point.
    EXPECT_EQ(toRealValue(0.51, kPreDelay), 102.0);
    EXPECT_EQ(toNormalisedValue(102.0, kPreDelay), 0.51);
    EXPECT_EQ(toRealValue(0.512, kPreDelay), 102.0);
    EXPECT_EQ(toNormalisedValue(toRealValue(0.512, kPreDelay), kPreDelay), 0.51);

    for (int id : {kStrech, kDecay, kGate, kHPF, kLPF, kDump, kStInputs, kStWidth, kStBalance, kBAL}) {
        for (int i = 0; i <= 100; ++i) {
            const double x = i / 100.0;
            EXPECT_NEAR(toNormalisedValue(toRealValue(x, id), id), x, 1e-12) << "id " << id << " x " << x;
        }
    }
}

TEST(ValueMapping, NormalisedDefaults)
{
    const double eps = 1e-12;
    EXPECT_EQ(normalisedDefault(kBypassLocal), 1.0);
    EXPECT_NEAR(normalisedDefault(kStrech), 0.5, eps);
    EXPECT_NEAR(normalisedDefault(kDecay), 0.5, eps);
    EXPECT_EQ(normalisedDefault(kGate), 1.0);
    EXPECT_EQ(normalisedDefault(kDump), 1.0);
    EXPECT_EQ(normalisedDefault(kPreDelay), 0.0);
    EXPECT_EQ(normalisedDefault(kStInputs), 0.75);
    EXPECT_EQ(normalisedDefault(kStWidth), 0.5);
    EXPECT_EQ(normalisedDefault(kStBalance), 0.5);
    EXPECT_EQ(normalisedDefault(kHPF), 0.0);
    EXPECT_EQ(normalisedDefault(kLPF), 1.0);
    EXPECT_EQ(normalisedDefault(kBAL), 0.5);
    EXPECT_EQ(normalisedDefault(kDryLevel), 0.8333333333333334);
    EXPECT_EQ(normalisedDefault(kWetLevel), 0.8333333333333334);
    for (int id : {0, 1, 2, 3, 4, 17, 18, 19, 20})
        EXPECT_EQ(normalisedDefault(id), 0.0) << id;
    for (int id = kPathFirst; id <= kPathCommit; ++id)
        EXPECT_EQ(normalisedDefault(id), 0.0) << id;
    // Defaults reached through the host's float must land back on the table default.
    EXPECT_EQ(toRealValue(static_cast<float>(normalisedDefault(kDryLevel)), kDryLevel), 0.0);
    EXPECT_EQ(toRealValue(static_cast<float>(normalisedDefault(kPreDelay)), kPreDelay), 0.0);
}
