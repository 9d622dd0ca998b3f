// The effect's convolution engine against the block convolver it replaces:
// for the same input, IR and routing both give the same dry and wet streams,
// whatever the host's call sizes.
#include "engine/BlockConvolver.h"
#include "engine/ConvolutionEngine.h"

#include "ConvolutionTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

using convtest::kBlock;
using convtest::Output;
using convtest::randomSignal;
using engine::BlockConvolver;
using engine::ConvolutionEngine;
using engine::ProcessEpoch;

struct Setting {
    std::vector<float> irL, irR;  // empty: no kernel at all
    double routing;
};

struct Stereo {
    std::vector<float> l, r;
};

std::vector<float> decayingNoise(int frames, unsigned stream, double endLevel)
{
    std::vector<float> v = randomSignal(frames, stream);
    for (int i = 0; i < frames; ++i)
        v[i] = static_cast<float>(v[i] * std::pow(endLevel, static_cast<double>(i) / frames));
    return v;
}

Stereo noise(int frames, unsigned stream) { return {randomSignal(frames, stream), randomSignal(frames, stream + 1000u)}; }

template <class Engine>
void install(Engine& engine, const Setting& s)
{
    engine.setInputRouting(s.routing);
    if (!s.irL.empty()) {
        ASSERT_TRUE(convtest::prepare(engine, s.irL, s.irR));
    }
}

Output blockStream(const Setting& s, const Stereo& in)
{
    ProcessEpoch epoch;
    BlockConvolver conv(epoch);
    install(conv, s);
    return convtest::run(conv, epoch, in.l, in.r, {kBlock});
}

Output realtimeStream(const Setting& s, const Stereo& in, const std::vector<int>& calls)
{
    ProcessEpoch epoch;
    ConvolutionEngine conv(epoch);
    install(conv, s);
    return convtest::run(conv, epoch, in.l, in.r, calls);
}

double peakOf(const Output& o)
{
    double peak = 0.0;
    for (const std::vector<float>* v : {&o.wetL, &o.wetR})
        for (float x : *v)
            peak = std::max(peak, static_cast<double>(std::fabs(x)));
    return peak;
}

double largestDifference(const std::vector<float>& a, const std::vector<float>& b)
{
    double worst = 0.0;
    for (size_t i = 0; i < a.size(); ++i)
        worst = std::max(worst, std::fabs(static_cast<double>(a[i]) - b[i]));
    return worst;
}

// The dry signal is a pure delay and must match exactly; the wet signals may
// differ by float rounding only.
void expectSameStreams(const Output& got, const Output& want, const std::string& what)
{
    EXPECT_TRUE(got.dryL == want.dryL && got.dryR == want.dryR) << what;
    const double tolerance = 1e-5 * peakOf(want);
    EXPECT_LE(largestDifference(got.wetL, want.wetL), tolerance) << what;
    EXPECT_LE(largestDifference(got.wetR, want.wetR), tolerance) << what;
}

// Two block steps of the reference: every frame of a full-length IR reaches
// the output for the first block's input.
constexpr int kLongRun = 3 * kBlock - 1;

TEST(RealtimeConvolutionMatch, FullLengthStereoIrForEveryCallSize)
{
    const Setting s{decayingNoise(131072, 1u, 0.3), decayingNoise(131072, 2u, 0.6), 0.5};
    const Stereo in = noise(kLongRun, 3u);
    const Output want = blockStream(s, in);
    ASSERT_GT(peakOf(want), 0.1);

    const std::vector<std::vector<int>> callSizes = {{1}, {7}, {512}, {4096}, {65537}, {1, 7, 512, 4096, 65537, 333}};
    for (const std::vector<int>& calls : callSizes)
        expectSameStreams(realtimeStream(s, in, calls), want, "first call size " + std::to_string(calls.front()) +
                                                                  " of " + std::to_string(calls.size()));
}

// Each length against the edges of the partitions and of the two block halves
// of the reference's kernel, each with one of the other routings (the full
// length with cross-feeding is above).
TEST(RealtimeConvolutionMatch, IrLengthsAndRoutings)
{
    struct Case {
        int length;
        double routing;
        int frames;
    };
    // One block step of the reference is enough for the short IRs.
    const int shortRun = 2 * kBlock - 1;
    for (const Case c : {Case{1, -1.0, shortRun}, Case{1000, 0.0, shortRun}, Case{65537, 1.0, kLongRun}}) {
        const Setting s{decayingNoise(c.length, 10u + c.length, 0.5), decayingNoise(c.length, 20u + c.length, 0.2),
                        c.routing};
        const Stereo in = noise(c.frames, 30u);
        const Output want = blockStream(s, in);
        ASSERT_GT(peakOf(want), 0.1) << c.length;
        expectSameStreams(realtimeStream(s, in, {509, 4096, 3}), want, "IR of " + std::to_string(c.length));
    }
}

TEST(RealtimeConvolutionMatch, OneFrameIrPassesAnImpulseWithTheLatencyOfOneBlock)
{
    const int frames = 2 * kBlock;
    Stereo in{std::vector<float>(frames, 0.0f), std::vector<float>(frames, 0.0f)};
    in.l[0] = 1.0f;
    in.r[kBlock - 1] = 1.0f;
    const Output out = realtimeStream(Setting{{1.0f}, {1.0f}, 1.0}, in, {512});
    for (int t = 0; t < frames; ++t) {
        ASSERT_NEAR(out.wetL[t], t == kBlock ? 1.0f : 0.0f, 1e-6f) << t;
        ASSERT_NEAR(out.wetR[t], t == 2 * kBlock - 1 ? 1.0f : 0.0f, 1e-6f) << t;
        ASSERT_EQ(out.dryL[t], t == kBlock ? 1.0f : 0.0f) << t;
    }
}

// A routing change applies to whole input partitions of B frames: partition q
// (frames qB .. (q+1)B-1) is routed with the setting in force when the
// exchange reaches frame (q+15)B, as it enters the convolution. The block
// convolver would route the whole 65536-frame block alike instead.
TEST(RealtimeConvolutionMatch, RoutingChangeAppliesToWholeInputPartitions)
{
    const int part = ConvolutionEngine::kPartitionFrames;
    const int frames = kBlock + 5 * part;
    Stereo in{std::vector<float>(frames, 0.0f), std::vector<float>(frames, 0.0f)};
    for (int q = 1; q <= 3; ++q)
        in.l[q * part + 10] = 1.0f;

    ProcessEpoch epoch;
    ConvolutionEngine conv(epoch);
    install(conv, Setting{{1.0f}, {1.0f}, 1.0});
    const int change = 17 * part;  // partition 2 enters the convolution here
    const Stereo first{{in.l.begin(), in.l.begin() + change}, {in.r.begin(), in.r.begin() + change}};
    const Stereo rest{{in.l.begin() + change, in.l.end()}, {in.r.begin() + change, in.r.end()}};
    Output out = convtest::run(conv, epoch, first.l, first.r, {1000});
    conv.setInputRouting(-1.0);
    const Output more = convtest::run(conv, epoch, rest.l, rest.r, {1000});
    out.wetL.insert(out.wetL.end(), more.wetL.begin(), more.wetL.end());
    out.wetR.insert(out.wetR.end(), more.wetR.begin(), more.wetR.end());

    // Partition 1 entered before the change and stays straight; 2 and 3 are swapped.
    for (int q = 1; q <= 3; ++q) {
        const int at = kBlock + q * part + 10;
        EXPECT_NEAR(out.wetL[at], q == 1 ? 1.0f : 0.0f, 1e-6f) << q;
        EXPECT_NEAR(out.wetR[at], q == 1 ? 0.0f : 1.0f, 1e-6f) << q;
    }
}

// Silence is exact, not just small: no kernel, or a kernel of zeros.
TEST(RealtimeConvolutionMatch, WetIsExactlySilentWithoutKernelAndWithAnAllZeroKernel)
{
    const Stereo in = noise(2 * kBlock, 40u);
    for (const Setting& s : {Setting{{}, {}, 0.5}, Setting{std::vector<float>(5000, 0.0f), std::vector<float>(5000, 0.0f), 0.5}}) {
        const Output out = realtimeStream(s, in, {777});
        EXPECT_TRUE(std::all_of(out.wetL.begin(), out.wetL.end(), [](float x) { return x == 0.0f; }));
        EXPECT_TRUE(std::all_of(out.wetR.begin(), out.wetR.end(), [](float x) { return x == 0.0f; }));
        for (int t = kBlock; t < 2 * kBlock; ++t)
            ASSERT_EQ(out.dryL[t], in.l[t - kBlock]) << t;
    }
}

// Outputs written over the inputs (dry into the input arrays, then wet) give
// the same streams.
TEST(RealtimeConvolutionMatch, InPlaceCallsGiveTheSameStreams)
{
    const Setting s{decayingNoise(3000, 50u, 0.5), decayingNoise(2000, 51u, 0.5), 0.5};
    const Stereo in = noise(kBlock + 20000, 52u);
    const Output want = realtimeStream(s, in, {4096});
    for (const bool dryInPlace : {true, false}) {
        ProcessEpoch epoch;
        ConvolutionEngine conv(epoch);
        install(conv, s);
        Stereo io = in;
        std::vector<float> otherL(in.l.size()), otherR(in.r.size());
        for (size_t done = 0; done < in.l.size();) {
            const int n = static_cast<int>(std::min<size_t>(700, in.l.size() - done));
            ProcessEpoch::Scope scope(epoch);
            float* l = io.l.data() + done;
            float* r = io.r.data() + done;
            float* ol = otherL.data() + done;
            float* orr = otherR.data() + done;
            if (dryInPlace)
                conv.exchange(l, r, l, r, ol, orr, n);
            else
                conv.exchange(l, r, ol, orr, l, r, n);
            done += static_cast<size_t>(n);
        }
        const std::vector<float>& wetL = dryInPlace ? otherL : io.l;
        const std::vector<float>& dryL = dryInPlace ? io.l : otherL;
        EXPECT_TRUE(wetL == want.wetL) << dryInPlace;
        EXPECT_TRUE(dryL == want.dryL) << dryInPlace;
    }
}

// A reset in the middle of a partition and of a block drops everything but
// the kernel: both engines then start over alike.
TEST(RealtimeConvolutionMatch, ResetMidStream)
{
    const Setting s{decayingNoise(70000, 60u, 0.4), decayingNoise(30000, 61u, 0.4), 0.0};
    const int before = kBlock + kBlock / 2 + 123;
    const Stereo first = noise(before, 62u);
    const Stereo second = noise(2 * kBlock + 5000, 63u);

    auto both = [&](auto& conv, ProcessEpoch& epoch, int call) {
        install(conv, s);
        const Output a = convtest::run(conv, epoch, first.l, first.r, {call});
        conv.reset();
        const Output b = convtest::run(conv, epoch, second.l, second.r, {call});
        return std::make_pair(a, b);
    };
    ProcessEpoch blockEpoch, realtimeEpoch;
    BlockConvolver block(blockEpoch);
    ConvolutionEngine realtime(realtimeEpoch);
    const auto want = both(block, blockEpoch, kBlock);
    const auto got = both(realtime, realtimeEpoch, 1000);
    ASSERT_GT(peakOf(want.first), 0.1);
    ASSERT_GT(peakOf(want.second), 0.1);
    expectSameStreams(got.first, want.first, "before the reset");
    expectSameStreams(got.second, want.second, "after the reset");
}

} // namespace
