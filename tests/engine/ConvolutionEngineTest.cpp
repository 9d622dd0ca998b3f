// Behaviour of the convolution engine apart from its accuracy: latency,
// normalisation, routing, silence, in-place calls and reset.
#include "engine/ConvolutionEngine.h"

#include "ConvolutionTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

using convtest::kLatency;
using convtest::Output;
using convtest::randomSignal;
using convtest::Stereo;
using engine::ConvolutionEngine;
using engine::ProcessEpoch;

Stereo silence(int frames) { return {std::vector<float>(frames, 0.0f), std::vector<float>(frames, 0.0f)}; }

Output runFresh(const Stereo& ir, double routing, const Stereo& in, const std::vector<int>& calls)
{
    ProcessEpoch epoch;
    ConvolutionEngine conv(epoch);
    conv.setInputRouting(routing);
    if (!ir.l.empty()) {
        EXPECT_TRUE(convtest::prepare(conv, ir.l, ir.r));
    }
    return convtest::run(conv, epoch, in.l, in.r, calls);
}

bool allZero(const std::vector<float>& v, int from, int to)
{
    return std::all_of(v.begin() + from, v.begin() + to, [](float x) { return x == 0.0f; });
}

TEST(ConvolutionEngine, OneFrameIrPassesAnImpulseWithTheLatency)
{
    const int frames = 2 * kLatency;
    Stereo in = silence(frames);
    in.l[0] = 1.0f;
    in.r[kLatency - 1] = 1.0f;
    const Output out = runFresh(Stereo{{1.0f}, {1.0f}}, 1.0, in, {512});
    for (int t = 0; t < frames; ++t) {
        ASSERT_NEAR(out.wetL[t], t == kLatency ? 1.0f : 0.0f, 1e-6f) << t;
        ASSERT_NEAR(out.wetR[t], t == 2 * kLatency - 1 ? 1.0f : 0.0f, 1e-6f) << t;
        ASSERT_EQ(out.dryL[t], t == kLatency ? 1.0f : 0.0f) << t;
    }
}

// Both channels are scaled by the same factor, taken from the louder channel's
// first kLatency frames only: here w = 2 from the left frame 0, although the
// left IR's frame 70000 is far louder.
TEST(ConvolutionEngine, NormalisationUsesTheStartOfTheLouderChannel)
{
    std::vector<float> irL(70001, 0.0f);
    irL[0] = 2.0f;
    irL[70000] = 100.0f;
    std::vector<float> irR(11, 0.0f);
    irR[10] = 1.0f;
    const int frames = kLatency + 70001;
    Stereo in = silence(frames);
    in.l[0] = 1.0f;
    in.r[0] = 1.0f;
    const Output out = runFresh(Stereo{irL, irR}, 1.0, in, {4096});
    EXPECT_NEAR(out.wetL[kLatency], 1.0f, 1e-6f);
    EXPECT_NEAR(out.wetL[kLatency + 70000], 50.0f, 1e-5f);
    EXPECT_NEAR(out.wetR[kLatency + 10], 0.5f, 1e-6f);
}

// A routing change applies to whole input partitions of B frames: partition q
// (frames qB .. (q+1)B-1) is routed with the setting in force when the
// exchange reaches the frame at which it enters the convolution,
// (q+1)B + (kLatency - 2B).
TEST(ConvolutionEngine, RoutingChangeAppliesToWholeInputPartitions)
{
    const int part = ConvolutionEngine::kPartitionFrames;
    const int delay = kLatency - 2 * part;
    const int frames = kLatency + 5 * part;
    Stereo in = silence(frames);
    for (int q = 1; q <= 3; ++q)
        in.l[q * part + 10] = 1.0f;

    ProcessEpoch epoch;
    ConvolutionEngine conv(epoch);
    conv.setInputRouting(1.0);
    ASSERT_TRUE(convtest::prepare(conv, {1.0f}, {1.0f}));
    const int change = 3 * part + delay;  // partition 2 enters the convolution here
    const Stereo first{{in.l.begin(), in.l.begin() + change}, {in.r.begin(), in.r.begin() + change}};
    const Stereo rest{{in.l.begin() + change, in.l.end()}, {in.r.begin() + change, in.r.end()}};
    Output out = convtest::run(conv, epoch, first.l, first.r, {1000});
    conv.setInputRouting(-1.0);
    const Output more = convtest::run(conv, epoch, rest.l, rest.r, {1000});
    out.wetL.insert(out.wetL.end(), more.wetL.begin(), more.wetL.end());
    out.wetR.insert(out.wetR.end(), more.wetR.begin(), more.wetR.end());

    // Partition 1 entered before the change and stays straight; 2 and 3 are swapped.
    for (int q = 1; q <= 3; ++q) {
        const int at = kLatency + q * part + 10;
        EXPECT_NEAR(out.wetL[at], q == 1 ? 1.0f : 0.0f, 1e-6f) << q;
        EXPECT_NEAR(out.wetR[at], q == 1 ? 0.0f : 1.0f, 1e-6f) << q;
    }
}

// Silence is exact, not just small: no kernel, or a kernel of zeros.
TEST(ConvolutionEngine, WetIsExactlySilentWithoutKernelAndWithAnAllZeroKernel)
{
    const Stereo in{randomSignal(2 * kLatency, 40u), randomSignal(2 * kLatency, 41u)};
    for (const Stereo& ir : {Stereo{}, Stereo{std::vector<float>(5000, 0.0f), std::vector<float>(5000, 0.0f)}}) {
        const Output out = runFresh(ir, 0.5, in, {777});
        EXPECT_TRUE(allZero(out.wetL, 0, 2 * kLatency));
        EXPECT_TRUE(allZero(out.wetR, 0, 2 * kLatency));
        EXPECT_TRUE(std::equal(in.l.begin(), in.l.begin() + kLatency, out.dryL.begin() + kLatency));
    }
}

// Outputs written over the inputs (dry into the input arrays, then wet) give
// the same streams.
TEST(ConvolutionEngine, InPlaceCallsGiveTheSameStreams)
{
    const Stereo ir{convtest::decayingNoise(3000, 50u, 0.5), convtest::decayingNoise(2000, 51u, 0.5)};
    const Stereo in{randomSignal(kLatency + 20000, 52u), randomSignal(kLatency + 20000, 53u)};
    const Output want = runFresh(ir, 0.5, in, {4096});
    for (const bool dryInPlace : {true, false}) {
        ProcessEpoch epoch;
        ConvolutionEngine conv(epoch);
        ASSERT_TRUE(convtest::prepare(conv, ir.l, ir.r));
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

// A reset in the middle of a partition drops every stored frame and tail but
// keeps the kernel: the engine then behaves exactly like a fresh one.
TEST(ConvolutionEngine, ResetMidStreamStartsOverWithTheKernel)
{
    const Stereo ir{convtest::decayingNoise(100000, 60u, 0.4), convtest::decayingNoise(90000, 61u, 0.4)};
    const int before = kLatency + kLatency / 2 + 123;
    const Stereo first{randomSignal(before, 62u), randomSignal(before, 63u)};
    const Stereo second{randomSignal(2 * kLatency + 5000, 64u), randomSignal(2 * kLatency + 5000, 65u)};

    ProcessEpoch epoch;
    ConvolutionEngine conv(epoch);
    ASSERT_TRUE(convtest::prepare(conv, ir.l, ir.r));
    const Output warm = convtest::run(conv, epoch, first.l, first.r, {1000});
    ASSERT_GT(convtest::largestMagnitude(warm.wetL), 0.1);
    conv.reset();
    const Output out = convtest::run(conv, epoch, second.l, second.r, {1000});

    EXPECT_TRUE(allZero(out.dryL, 0, kLatency) && allZero(out.wetL, 0, kLatency));
    const Output fresh = runFresh(ir, 0.5, second, {1000});
    ASSERT_GT(convtest::largestMagnitude(fresh.wetL), 0.1);
    EXPECT_TRUE(out.dryL == fresh.dryL && out.dryR == fresh.dryR);
    EXPECT_TRUE(out.wetL == fresh.wetL && out.wetR == fresh.wetR);
}

} // namespace
