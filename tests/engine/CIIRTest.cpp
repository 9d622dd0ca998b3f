#include "engine/CIIR.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "FilterTestSignals.h"

namespace {

using engine::CIIR;
using filtertest::isStable;
using filtertest::kPi;
using filtertest::magnitudeAt;
using filtertest::magnitudeAtOmega;

CIIR designed(int type, float hz, float q, float gain, int rate = 48000)
{
    CIIR f;
    f.setSampleRate(rate);
    f.design(type, hz, q, gain);
    return f;
}

std::vector<float> run(CIIR& f, const std::vector<float>& in)
{
    std::vector<float> out(in.size());
    f.processBlock(in.data(), out.data(), static_cast<int>(in.size()));
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

// Gain at DC, at the design frequency and at Nyquist for every design type,
// with Q = 2 (slope 1 for the shelves) and +6 dB.
TEST(CIIRDesign, EveryTypeHasItsTextbookGains)
{
    const double rate = 48000.0;
    const double q = 2.0;
    const double a2 = std::pow(10.0, 6.0 / 20.0);  // linear gain of +6 dB
    const double a = std::sqrt(a2);
    struct Expect {
        int type;
        float q;
        double dc, centre, nyquist;
    };
    const Expect cases[] = {
        {CIIR::kLowPass, 2.0f, 1.0, q, 0.0},
        {CIIR::kHighPass, 2.0f, 0.0, q, 1.0},
        {CIIR::kBandPass, 2.0f, 0.0, 1.0, 0.0},
        {CIIR::kBandPassPeakQ, 2.0f, 0.0, q, 0.0},
        {CIIR::kPeaking, 2.0f, 1.0, a2, 1.0},
        {CIIR::kNotch, 2.0f, 1.0, 0.0, 1.0},
        {CIIR::kLowShelf, 1.0f, a2, a, 1.0},
        {CIIR::kHighShelf, 1.0f, 1.0, a, a2},
    };
    for (const Expect& e : cases) {
        SCOPED_TRACE(e.type);
        const CIIR f = designed(e.type, 3000.0f, e.q, 6.0f, static_cast<int>(rate));
        EXPECT_EQ(f.type(), e.type);
        EXPECT_EQ(f.frequency(), 3000.0f);
        EXPECT_EQ(f.q(), e.q);
        const auto c = f.coefficients();
        EXPECT_TRUE(isStable(c));
        // The gain exponent's single-precision 0.025 shifts A by a few parts in 1e8.
        EXPECT_NEAR(magnitudeAtOmega(c, 0.0), e.dc, 1e-6);
        EXPECT_NEAR(magnitudeAt(c, 3000.0, rate), e.centre, 1e-5);
        EXPECT_NEAR(magnitudeAtOmega(c, kPi), e.nyquist, 1e-6);
    }
}

TEST(CIIRForms, BlockAndFrameFormsComputeDirectFormOne)
{
    CIIR block = designed(CIIR::kPeaking, 700.0f, 0.8f, 9.0f);
    CIIR frame = block;
    const auto c = block.coefficients();
    const auto in = filtertest::noise(2000);

    // The block form keeps its outputs as floats, the per-frame form in double.
    double x1 = 0, x2 = 0, yf1 = 0, yf2 = 0, yd1 = 0, yd2 = 0;
    std::vector<float> out(in.size());
    block.processBlock(in.data(), out.data(), 700);
    block.processBlock(in.data() + 700, out.data() + 700, 1300);
    for (size_t i = 0; i < in.size(); ++i) {
        const double x = in[i];
        const float yf = static_cast<float>(c.b0 * x + c.b1 * x1 + c.b2 * x2 - c.a1 * yf1 - c.a2 * yf2);
        const double yd = c.b0 * x + c.b1 * x1 + c.b2 * x2 - c.a1 * yd1 - c.a2 * yd2;
        ASSERT_EQ(out[i], yf) << i;
        ASSERT_EQ(frame.processFrame(x), yd) << i;
        x2 = x1;
        x1 = x;
        yf2 = yf1;
        yf1 = yf;
        yd2 = yd1;
        yd1 = yd;
    }
}

TEST(CIIRForms, DisabledFilterCopiesBitForBitAndKeepsNoState)
{
    CIIR f = designed(CIIR::kHighPass, 500.0f, 0.6f, 0.0f);
    f.setEnabled(false);
    std::vector<float> in = {0.25f, -0.0f, 1e-40f, -3.5f, std::numeric_limits<float>::max(), 1.0f};
    const auto out = run(f, in);
    EXPECT_EQ(0, std::memcmp(in.data(), out.data(), in.size() * sizeof(float)));
    EXPECT_EQ(f.processFrame(0.123456789), 0.123456789);
}

TEST(CIIRForms, SwitchingClearsHistorySoTheNextBlockStartsFromSilence)
{
    CIIR f = designed(CIIR::kLowPass, 800.0f, 0.6f, 0.0f);
    const std::vector<float> silence(64, 0.0f);
    run(f, filtertest::noise(256));
    f.processFrame(1.0);
    f.setEnabled(true);  // no change: history stays
    EXPECT_FALSE(allZero(run(f, silence)));
    EXPECT_NE(f.processFrame(0.0), 0.0);

    f.setEnabled(false);
    f.setEnabled(true);
    EXPECT_TRUE(allZero(run(f, silence)));
    EXPECT_EQ(f.processFrame(0.0), 0.0);
}

TEST(CIIRForms, QuietTailEndsInExactSilenceInsteadOfDenormals)
{
    CIIR f = designed(CIIR::kLowPass, 2000.0f, 0.6f, 0.0f);
    std::vector<float> block(16, 0.0f);
    block[0] = 1e-36f;
    bool sawSubnormalEnd = false;
    for (int b = 0; b < 200 && !sawSubnormalEnd; ++b) {
        const auto out = run(f, block);
        block.assign(16, 0.0f);
        const float last = std::fabs(out[15]), before = std::fabs(out[14]);
        if (last <= FLT_MIN && before <= FLT_MIN && (last > 0.0f || before > 0.0f)) {
            sawSubnormalEnd = true;
            EXPECT_TRUE(allZero(run(f, block)));
        }
    }
    EXPECT_TRUE(sawSubnormalEnd);
}

TEST(CIIRState, SampleRateChangeKeepsSettingsAndClearsHistory)
{
    CIIR f = designed(CIIR::kLowPass, 1000.0f, 0.6f, 0.0f, 44100);
    run(f, filtertest::noise(300));
    f.processFrame(0.7);
    ASSERT_TRUE(f.setSampleRate(96000));

    EXPECT_EQ(f.sampleRate(), 96000.0f);
    EXPECT_EQ(f.type(), CIIR::kLowPass);
    EXPECT_EQ(f.frequency(), 1000.0f);
    EXPECT_EQ(f.q(), 0.6f);
    const CIIR fresh = designed(CIIR::kLowPass, 1000.0f, 0.6f, 0.0f, 96000);
    const auto c = f.coefficients(), e = fresh.coefficients();
    EXPECT_EQ(c.b0, e.b0);
    EXPECT_EQ(c.b1, e.b1);
    EXPECT_EQ(c.a1, e.a1);
    EXPECT_EQ(c.a2, e.a2);
    EXPECT_TRUE(allZero(run(f, std::vector<float>(32, 0.0f))));
    EXPECT_EQ(f.processFrame(0.0), 0.0);
}

TEST(CIIRState, FullDesignClearsBlockHistoryButParameterRedesignKeepsIt)
{
    const std::vector<float> silence(16, 0.0f);
    CIIR f = designed(CIIR::kLowPass, 1000.0f, 0.6f, 0.0f);
    run(f, filtertest::noise(100));
    f.designLowPass(2000.0f, 0.6f);
    EXPECT_FALSE(allZero(run(f, silence)));
    f.designHighShelf(1000.0f, 6.0f, 0.3f);
    EXPECT_FALSE(allZero(run(f, silence)));

    f.design(CIIR::kLowPass, 2000.0f, 0.6f, 0.0f);
    EXPECT_TRUE(allZero(run(f, silence)));
}

TEST(CIIRState, ResetClearsBothForms)
{
    CIIR f = designed(CIIR::kBandPass, 1000.0f, 1.0f, 0.0f);
    run(f, filtertest::noise(100));
    f.processFrame(1.0);
    f.processFrame(-0.5);
    f.reset();
    EXPECT_TRUE(allZero(run(f, std::vector<float>(16, 0.0f))));
    EXPECT_EQ(f.processFrame(0.0), 0.0);
    EXPECT_EQ(f.processFrame(0.0), 0.0);
}

TEST(CIIRRetune, FastRetuneMatchesAFullDesignAndKeepsFrequencyAndHistory)
{
    CIIR lp = designed(CIIR::kLowPass, 5000.0f, 0.5f, 0.0f, 44100);
    CIIR hp = designed(CIIR::kHighPass, 5000.0f, 0.3f, 0.0f, 44100);
    run(lp, filtertest::noise(50));
    lp.fastRetuneLowPass(1234.5);
    hp.fastRetuneHighPass(1234.5);
    EXPECT_EQ(lp.frequency(), 5000.0f);
    EXPECT_EQ(hp.frequency(), 5000.0f);
    EXPECT_FALSE(allZero(run(lp, std::vector<float>(8, 0.0f))));

    const auto l = lp.coefficients();
    const auto el = designed(CIIR::kLowPass, 1234.5f, 0.5f, 0.0f, 44100).coefficients();
    EXPECT_NEAR(l.b0, el.b0, 1e-12);
    EXPECT_NEAR(l.a1, el.a1, 1e-12);
    EXPECT_NEAR(l.a2, el.a2, 1e-12);
    const auto h = hp.coefficients();
    const auto eh = designed(CIIR::kHighPass, 1234.5f, 0.3f, 0.0f, 44100).coefficients();
    EXPECT_NEAR(h.b1, eh.b1, 1e-12);
    EXPECT_NEAR(h.a1, eh.a1, 1e-12);
    EXPECT_NEAR(h.a2, eh.a2, 1e-12);
}

TEST(CIIRGuards, NonPositiveQIsReplacedAndShelfSlopeKept)
{
    EXPECT_EQ(designed(CIIR::kLowPass, 1000.0f, 0.0f, 0.0f).q(), 0.00001f);
    EXPECT_EQ(designed(CIIR::kPeaking, 1000.0f, -2.0f, 3.0f).q(), 0.00001f);
    EXPECT_EQ(designed(CIIR::kNotch, 1000.0f, 0.0f, 0.0f).q(), 0.0001f);
    EXPECT_EQ(designed(CIIR::kNotch, 1000.0f, -1.0f, 0.0f).q(), 0.0001f);
    EXPECT_EQ(designed(CIIR::kBandPass, 1000.0f, std::nanf(""), 0.0f).q(), 0.00001f);
    // A slope that drives the shelf's square-root term negative is held positive.
    for (float slope : {-2.0f, 0.0f, 10.0f}) {
        const CIIR f = designed(CIIR::kHighShelf, 1000.0f, slope, 24.0f);
        EXPECT_EQ(f.q(), slope);
        EXPECT_TRUE(isStable(f.coefficients())) << slope;
    }
}

// Frequencies at or beyond half the rate (or at or below 0 Hz) stay stable:
// a low-pass up there passes the audio band, a high-pass up there passes nothing.
TEST(CIIRGuards, OutOfRangeFrequenciesGiveStableFinitePairs)
{
    const auto probe = filtertest::noise(20000);
    for (float hz : {22050.0f, 24000.0f, 40000.0f, 1e9f, 0.0f, -100.0f, std::nanf(""),
                     std::numeric_limits<float>::infinity()}) {
        for (int type : {CIIR::kLowPass, CIIR::kHighPass, CIIR::kPeaking, CIIR::kHighShelf}) {
            SCOPED_TRACE(testing::Message() << hz << " Hz, type " << type);
            CIIR f = designed(type, hz, 0.6f, 6.0f, 44100);
            ASSERT_TRUE(isStable(f.coefficients()));
            for (float y : run(f, probe))
                ASSERT_TRUE(std::isfinite(y) && std::fabs(y) < 100.0f);
        }
        if (hz >= 22050.0f) {
            const CIIR lp = designed(CIIR::kLowPass, hz, 0.6f, 0.0f, 44100);
            const CIIR hp = designed(CIIR::kHighPass, hz, 0.6f, 0.0f, 44100);
            EXPECT_NEAR(magnitudeAt(lp.coefficients(), 1000.0, 44100.0), 1.0, 1e-3);
            EXPECT_LT(magnitudeAt(hp.coefficients(), 1000.0, 44100.0), 1e-3);
        }
    }
}

TEST(CIIRGuards, DesignThatOverflowsFallsBackToPassThrough)
{
    CIIR f = designed(CIIR::kPeaking, 1000.0f, 1.0f, 1e30f);
    const auto c = f.coefficients();
    EXPECT_EQ(c.b0, 1.0);
    EXPECT_EQ(c.b1, 0.0);
    EXPECT_EQ(c.b2, 0.0);
    EXPECT_EQ(c.a1, 0.0);
    EXPECT_EQ(c.a2, 0.0);
}

TEST(CIIRGuards, NonFiniteInputDoesNotPoisonLaterBlocks)
{
    CIIR f = designed(CIIR::kLowPass, 1000.0f, 0.6f, 0.0f);
    run(f, {1.0f, std::numeric_limits<float>::quiet_NaN(), 1.0f});
    for (float y : run(f, filtertest::noise(64)))
        EXPECT_TRUE(std::isfinite(y));
}

} // namespace
