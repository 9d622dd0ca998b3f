#include "engine/ResponseAnalyser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "FilterTestSignals.h"

namespace {

using engine::FilterPair;
using engine::ProcessEpoch;
using engine::ResponseAnalyser;

struct Chain {
    ProcessEpoch epoch;
    FilterPair highPass{epoch, FilterPair::Kind::HighPass};
    FilterPair lowPass{epoch, FilterPair::Kind::LowPass};
    FilterPair balance{epoch, FilterPair::Kind::Balance};

    explicit Chain(bool on)
    {
        highPass.setFrequency(20.0f);
        lowPass.setFrequency(20000.0f);
        balance.setBalance(0.0f);
        highPass.setEnabled(on);
        lowPass.setEnabled(on);
        balance.setEnabled(on);
    }
};

std::vector<float> powerOf(const ResponseAnalyser& analyser)
{
    std::vector<float> power(ResponseAnalyser::kBins);
    analyser.copyPower(power.data());
    return power;
}

// The chain's gain in dB at bin k, as the graph shows it.
double shownDb(const std::vector<float>& power, int k)
{
    return ResponseAnalyser::levelDb(power[static_cast<size_t>(k)]) + ResponseAnalyser::kDisplayOffsetDb;
}

TEST(ResponseAnalyser, DisplayOffsetCancelsTheNormalisation)
{
    EXPECT_NEAR(-10.0 * std::log10(ResponseAnalyser::normalisation()), ResponseAnalyser::kDisplayOffsetDb, 1e-5);
}

TEST(ResponseAnalyser, DisabledChainIsFlatAtZeroDecibels)
{
    ResponseAnalyser analyser(44100);
    EXPECT_FALSE(analyser.ready());
    for (float p : powerOf(analyser))
        ASSERT_EQ(p, 0.0f);

    Chain chain(false);
    chain.balance.setBalance(12.0f);  // off: neither shelf nor make-up gain applies
    analyser.analyse(chain.highPass, chain.lowPass, chain.balance);
    EXPECT_TRUE(analyser.ready());
    const auto power = powerOf(analyser);
    for (int k = 0; k < ResponseAnalyser::kBins; ++k)
        ASSERT_NEAR(shownDb(power, k), 0.0, 1e-3) << k;
}

TEST(ResponseAnalyser, BalanceTwelveTiltsHighsUpAndLowsDown)
{
    ResponseAnalyser analyser(44100);
    Chain chain(false);
    chain.balance.setBalance(12.0f);
    chain.balance.setEnabled(true);
    analyser.analyse(chain.highPass, chain.lowPass, chain.balance);
    const auto power = powerOf(analyser);
    EXPECT_NEAR(shownDb(power, 1), -12.0, 0.05);     // 10.8 Hz
    EXPECT_NEAR(shownDb(power, 93), 0.0, 0.05);      // 1001 Hz, the pivot
    EXPECT_NEAR(shownDb(power, 1857), 12.0, 0.05);   // 19995 Hz
    for (int k = 2; k < ResponseAnalyser::kBins; ++k)
        ASSERT_GE(shownDb(power, k), shownDb(power, k - 1) - 1e-3) << k;
}

TEST(ResponseAnalyser, PowerFollowsTheChainsTransferFunction)
{
    const int rate = 48000;
    ProcessEpoch epoch;
    FilterPair hp(epoch, FilterPair::Kind::HighPass, rate);
    FilterPair lp(epoch, FilterPair::Kind::LowPass, rate);
    FilterPair bal(epoch, FilterPair::Kind::Balance, rate);
    hp.setFrequency(200.0f);
    lp.setFrequency(5000.0f);
    bal.setBalance(-5.0f);

    ResponseAnalyser analyser(rate);
    analyser.analyse(hp, lp, bal);
    const auto power = powerOf(analyser);
    const auto h = hp.design().left.coefficients();
    const auto l = lp.design().left.coefficients();
    const auto b = bal.design().left.coefficients();
    const double makeUp = bal.design().makeUpGain;
    for (int k = 1; k < ResponseAnalyser::kBins; k += 7) {
        const double hz = static_cast<double>(k) * rate / ResponseAnalyser::kSize;
        const double gain = filtertest::magnitudeAt(h, hz, rate) * filtertest::magnitudeAt(l, hz, rate) *
                            filtertest::magnitudeAt(b, hz, rate) * makeUp;
        // Within 0.1 %, or within the block form's own noise floor where the
        // float-rounded history meets the high-pass's near-DC poles.
        const double shown = std::pow(10.0, shownDb(power, k) / 20.0);
        ASSERT_NEAR(shown, gain, std::max(gain * 1e-3, 2e-4)) << hz << " Hz";
    }
}

TEST(ResponseAnalyser, AnalysisLeavesTheLiveFiltersAlone)
{
    Chain analysed(true), untouched(true);
    const auto in = filtertest::noise(256);
    std::vector<float> a(256), b(256);
    analysed.highPass.process(FilterPair::Channel::Left, in.data(), a.data(), 256);
    untouched.highPass.process(FilterPair::Channel::Left, in.data(), b.data(), 256);

    ResponseAnalyser analyser;
    analyser.analyse(analysed.highPass, analysed.lowPass, analysed.balance);

    analysed.highPass.process(FilterPair::Channel::Left, in.data(), a.data(), 256);
    untouched.highPass.process(FilterPair::Channel::Left, in.data(), b.data(), 256);
    EXPECT_EQ(a, b);
}

} // namespace
