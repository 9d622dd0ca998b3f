#include "engine/BlockConvolver.h"

#include "ConvolutionTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>
#include <utility>
#include <vector>

namespace {

using convtest::kBlock;
using convtest::Output;
using convtest::prepare;
using convtest::randomSignal;
using convtest::run;
using engine::BlockConvolver;
using engine::ProcessEpoch;

std::vector<float> impulseAt(int frames, int at, float value = 1.0f)
{
    std::vector<float> v(static_cast<size_t>(frames), 0.0f);
    v[static_cast<size_t>(at)] = value;
    return v;
}

// Largest magnitude in [from, to) other than at the listed frames.
float largestExcept(const std::vector<float>& v, int from, int to, std::vector<int> skip)
{
    float worst = 0.0f;
    for (int i = from; i < to; ++i)
        if (std::find(skip.begin(), skip.end(), i) == skip.end())
            worst = std::max(worst, std::fabs(v[static_cast<size_t>(i)]));
    return worst;
}

std::vector<float> concat(std::vector<float> a, const std::vector<float>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

bool allZero(const std::vector<float>& v, int from, int to)
{
    for (int i = from; i < to; ++i)
        if (v[static_cast<size_t>(i)] != 0.0f)
            return false;
    return true;
}

TEST(BlockConvolver, WetIsSilentBeforeAnyKernelAndDryIsInputOneBlockLate)
{
    ProcessEpoch epoch;
    BlockConvolver conv(epoch);
    const int frames = 2 * kBlock - 1;
    const std::vector<float> inL = randomSignal(frames, 1u);
    const std::vector<float> inR = randomSignal(frames, 2u);
    const Output out = run(conv, epoch, inL, inR);

    EXPECT_TRUE(allZero(out.wetL, 0, frames));
    EXPECT_TRUE(allZero(out.wetR, 0, frames));
    EXPECT_TRUE(allZero(out.dryL, 0, kBlock));
    EXPECT_TRUE(allZero(out.dryR, 0, kBlock));
    for (int t = kBlock; t < frames; ++t) {
        ASSERT_EQ(out.dryL[t], inL[t - kBlock]) << t;
        ASSERT_EQ(out.dryR[t], inR[t - kBlock]) << t;
    }
}

TEST(BlockConvolver, ImpulseThroughOneFrameIrArrivesOneBlockLater)
{
    ProcessEpoch epoch;
    BlockConvolver conv(epoch);
    conv.setInputRouting(1.0);
    ASSERT_TRUE(prepare(conv, {1.0f}, {1.0f}));

    // Left impulse on the first frame of a block, right on the last one.
    const int frames = 2 * kBlock;
    const Output out = run(conv, epoch, impulseAt(frames, 0), impulseAt(frames, kBlock - 1));

    EXPECT_NEAR(out.wetL[kBlock], 1.0f, 1e-6f);
    EXPECT_NEAR(out.wetR[2 * kBlock - 1], 1.0f, 1e-6f);
    EXPECT_LT(largestExcept(out.wetL, 0, frames, {kBlock}), 1e-6f);
    EXPECT_LT(largestExcept(out.wetR, 0, frames, {2 * kBlock - 1}), 1e-6f);
    EXPECT_EQ(out.dryL[kBlock], 1.0f);
    EXPECT_EQ(out.dryR[2 * kBlock - 1], 1.0f);
    EXPECT_EQ(largestExcept(out.dryL, 0, frames, {kBlock}), 0.0f);
    EXPECT_EQ(largestExcept(out.dryR, 0, frames, {2 * kBlock - 1}), 0.0f);
}

// One frame per call, odd sizes, and a call that completes two blocks, with
// and without outputs written over the inputs, all give one stream.
TEST(BlockConvolver, OutputDoesNotDependOnCallSizesOrAliasing)
{
    const int frames = 2 * kBlock + 12345;
    const std::vector<float> inL = randomSignal(frames, 3u);
    const std::vector<float> inR = randomSignal(frames, 4u);

    ProcessEpoch epoch;
    BlockConvolver conv(epoch);
    ASSERT_TRUE(prepare(conv, randomSignal(3000, 5u), randomSignal(2000, 6u)));
    const Output reference = run(conv, epoch, inL, inR, {frames});
    ASSERT_GT(largestExcept(reference.wetL, 0, frames, {}), 0.01f);

    // Outputs into the input arrays; `dryInPlace` picks which pair goes there.
    auto runInPlace = [&](const std::vector<int>& sizes, bool dryInPlace) {
        conv.reset();
        Output out{inL, inR, std::vector<float>(frames), std::vector<float>(frames)};
        if (!dryInPlace) {
            std::swap(out.dryL, out.wetL);
            std::swap(out.dryR, out.wetR);
        }
        std::vector<float>& l = dryInPlace ? out.dryL : out.wetL;
        std::vector<float>& r = dryInPlace ? out.dryR : out.wetR;
        std::vector<float>& otherL = dryInPlace ? out.wetL : out.dryL;
        std::vector<float>& otherR = dryInPlace ? out.wetR : out.dryR;
        size_t call = 0;
        for (int done = 0; done < frames;) {
            const int n = std::min(sizes[call++ % sizes.size()], frames - done);
            ProcessEpoch::Scope scope(epoch);
            if (dryInPlace)
                conv.exchange(l.data() + done, r.data() + done, l.data() + done, r.data() + done,
                              otherL.data() + done, otherR.data() + done, n);
            else
                conv.exchange(l.data() + done, r.data() + done, otherL.data() + done, otherR.data() + done,
                              l.data() + done, r.data() + done, n);
            done += n;
        }
        return out;
    };

    const Output single = runInPlace({1}, false);
    EXPECT_TRUE(single.dryL == reference.dryL && single.dryR == reference.dryR);
    EXPECT_TRUE(single.wetL == reference.wetL && single.wetR == reference.wetR);
    const Output mixed = runInPlace({1, 7, 509, 4099, 65537}, true);
    EXPECT_TRUE(mixed.dryL == reference.dryL && mixed.dryR == reference.dryR);
    EXPECT_TRUE(mixed.wetL == reference.wetL && mixed.wetR == reference.wetR);
}

TEST(BlockConvolver, AllZeroIrLeavesWetSilent)
{
    ProcessEpoch epoch;
    BlockConvolver conv(epoch);
    ASSERT_TRUE(prepare(conv, std::vector<float>(1000, 0.0f), std::vector<float>(1000, 0.0f)));
    const int frames = 2 * kBlock - 1;
    const Output out = run(conv, epoch, randomSignal(frames, 7u), randomSignal(frames, 8u));
    EXPECT_TRUE(allZero(out.wetL, 0, frames));
    EXPECT_TRUE(allZero(out.wetR, 0, frames));
}

// Both channels are scaled by the same factor, taken from the louder
// channel's first block only: here w = 2 from the left frame 0, although the
// left IR's frame 70000 is far louder.
TEST(BlockConvolver, NormalisationUsesTheFirstBlockOfTheLouderChannel)
{
    ProcessEpoch epoch;
    BlockConvolver conv(epoch);
    conv.setInputRouting(1.0);
    std::vector<float> irL(70001, 0.0f);
    irL[0] = 2.0f;
    irL[70000] = 100.0f;
    std::vector<float> irR(11, 0.0f);
    irR[10] = 1.0f;
    ASSERT_TRUE(prepare(conv, irL, irR));

    const int frames = kBlock + 70001;
    const Output out = run(conv, epoch, impulseAt(frames, 0), impulseAt(frames, 0));
    EXPECT_NEAR(out.wetL[kBlock], 1.0f, 1e-5f);
    EXPECT_NEAR(out.wetL[kBlock + 70000], 50.0f, 1e-4f);
    EXPECT_NEAR(out.wetR[kBlock + 10], 0.5f, 1e-5f);
    EXPECT_LT(largestExcept(out.wetL, 0, frames, {kBlock, kBlock + 70000}), 1e-4f);
    EXPECT_LT(largestExcept(out.wetR, 0, frames, {kBlock + 10}), 1e-5f);
}

// After a reset in the middle of a block the engine behaves exactly like a
// fresh one with the same kernel: one silent block, then only the new input.
TEST(BlockConvolver, ResetMidBlockDropsThePartialBlockAndAllTails)
{
    const std::vector<float> irL = randomSignal(100000, 9u);
    const std::vector<float> irR = randomSignal(90000, 10u);
    // Two block steps before the reset, so that every stored spectrum holds data.
    const int before = 2 * kBlock + kBlock / 2;
    const int after = 2 * kBlock - 1;
    const std::vector<float> postL = randomSignal(after, 11u);
    const std::vector<float> postR = randomSignal(after, 12u);

    ProcessEpoch epoch;
    BlockConvolver conv(epoch);
    ASSERT_TRUE(prepare(conv, irL, irR));
    const Output warm = run(conv, epoch, randomSignal(before, 13u), randomSignal(before, 14u));
    ASSERT_GT(largestExcept(warm.wetL, kBlock, before, {}), 0.01f);
    conv.reset();
    const Output out = run(conv, epoch, postL, postR);

    EXPECT_TRUE(allZero(out.dryL, 0, kBlock) && allZero(out.dryR, 0, kBlock));
    EXPECT_TRUE(allZero(out.wetL, 0, kBlock) && allZero(out.wetR, 0, kBlock));
    EXPECT_GT(largestExcept(out.wetL, kBlock, after, {}), 0.01f) << "the kernel must survive a reset";

    ProcessEpoch freshEpoch;
    BlockConvolver fresh(freshEpoch);
    ASSERT_TRUE(prepare(fresh, irL, irR));
    const Output expect = run(fresh, freshEpoch, postL, postR);
    EXPECT_TRUE(out.dryL == expect.dryL && out.dryR == expect.dryR);
    EXPECT_TRUE(out.wetL == expect.wetL && out.wetR == expect.wetR);
}

// Left impulse 1 at frame 0, right impulse 2 at frame 10, through a one-frame
// IR of 1. The routing in force at the block step applies to the whole block,
// also to frames that arrived before it was set.
TEST(BlockConvolver, InputRoutingAtTheBlockStep)
{
    ProcessEpoch epoch;
    BlockConvolver conv(epoch);
    ASSERT_TRUE(prepare(conv, {1.0f}, {1.0f}));
    const int frames = kBlock + 11;
    const std::vector<float> inL = impulseAt(frames, 0, 1.0f);
    const std::vector<float> inR = impulseAt(frames, 10, 2.0f);

    struct Case {
        bool setFirst;
        double r;
        float e;  // weight of the own channel
    };
    // The first case relies on the initial routing of 0.5.
    for (const Case c : {Case{false, 0.5, 0.75f}, Case{true, 1.0, 1.0f}, Case{true, -1.0, 0.0f},
                         Case{true, 0.0, 0.5f}}) {
        conv.reset();
        if (c.setFirst)
            conv.setInputRouting(-c.r);
        const std::vector<float> l1(inL.begin(), inL.begin() + 5), r1(inR.begin(), inR.begin() + 5);
        const std::vector<float> l2(inL.begin() + 5, inL.end()), r2(inR.begin() + 5, inR.end());
        const Output a = run(conv, epoch, l1, r1);
        if (c.setFirst)
            conv.setInputRouting(c.r);
        const Output b = run(conv, epoch, l2, r2);
        const float f = 1.0f - c.e;
        const std::vector<float> wetL = concat(a.wetL, b.wetL);
        const std::vector<float> wetR = concat(a.wetR, b.wetR);
        EXPECT_NEAR(wetL[kBlock], c.e * 1.0f, 1e-6f) << c.r;
        EXPECT_NEAR(wetL[kBlock + 10], f * 2.0f, 1e-6f) << c.r;
        EXPECT_NEAR(wetR[kBlock], f * 1.0f, 1e-6f) << c.r;
        EXPECT_NEAR(wetR[kBlock + 10], c.e * 2.0f, 1e-6f) << c.r;
        EXPECT_LT(largestExcept(wetL, 0, frames, {kBlock, kBlock + 10}), 1e-6f) << c.r;
        EXPECT_LT(largestExcept(wetR, 0, frames, {kBlock, kBlock + 10}), 1e-6f) << c.r;
        // The dry signal is never routed.
        EXPECT_EQ(b.dryL[kBlock - 5], 1.0f) << c.r;
        EXPECT_EQ(b.dryR[kBlock + 5], 2.0f) << c.r;
        EXPECT_EQ(b.dryL[kBlock + 5], 0.0f) << c.r;
    }
}

// A kernel prepared while a block is filling is used for that whole block.
TEST(BlockConvolver, KernelPreparedMidBlockAppliesToThatBlock)
{
    ProcessEpoch epoch;
    BlockConvolver conv(epoch);
    ASSERT_TRUE(prepare(conv, {1.0f}, {1.0f}));
    const int frames = kBlock + 10;
    const std::vector<float> in = impulseAt(frames, 0);
    const std::vector<float> first(in.begin(), in.begin() + 1000), rest(in.begin() + 1000, in.end());
    run(conv, epoch, first, first);
    std::vector<float> delayed(4, 0.0f);
    delayed[3] = 1.0f;
    ASSERT_TRUE(prepare(conv, delayed, delayed));
    const Output out = run(conv, epoch, rest, rest);
    const int at = kBlock + 3 - 1000;
    EXPECT_NEAR(out.wetL[at], 1.0f, 1e-6f);
    EXPECT_NEAR(out.wetR[at], 1.0f, 1e-6f);
    EXPECT_LT(largestExcept(out.wetL, 0, frames - 1000, {at}), 1e-6f);
}

// Kernels replaced from another thread while blocks are convolved: every block
// period must show the head and tail response of one and the same kernel in
// both channels. Kernel A answers at frames 0 and 65541, kernel B at 7 and 65545.
TEST(BlockConvolver, KernelsReplacedConcurrentlyAreNeverMixed)
{
    std::vector<float> irA(kBlock + 10, 0.0f), irB(kBlock + 10, 0.0f);
    irA[0] = 1.0f;
    irA[kBlock + 5] = 0.5f;
    irB[7] = 1.0f;
    irB[kBlock + 9] = 0.5f;

    ProcessEpoch epoch;
    BlockConvolver conv(epoch);
    ASSERT_TRUE(prepare(conv, irA, irA));
    std::atomic<bool> stop{false};
    std::atomic<int> replacements{0};
    std::thread preparer([&] {
        const std::vector<float> a = convtest::toSlotLayout(irA), b = convtest::toSlotLayout(irB);
        for (int i = 1; !stop.load(); ++i) {
            const std::vector<float>& k = (i % 2) ? b : a;
            conv.prepareKernel(k.data(), k.data());
            replacements.fetch_add(1);
        }
    });

    // The frame that would complete the last block is left out: its block
    // step would only produce output nobody reads.
    const int blocks = 4;
    std::vector<float> in(static_cast<size_t>(blocks) * kBlock - 1, 0.0f);
    for (int p = 0; p < blocks; ++p)
        in[static_cast<size_t>(p) * kBlock] = 1.0f;
    // Block by block, letting at least one replacement finish during each.
    Output out;
    for (int p = 0; p < blocks; ++p) {
        const int seen = replacements.load();
        const auto from = in.begin() + p * kBlock;
        const std::vector<float> slice(from, p + 1 < blocks ? from + kBlock : in.end());
        const Output part = run(conv, epoch, slice, slice);
        out.wetL = concat(out.wetL, part.wetL);
        out.wetR = concat(out.wetR, part.wetR);
        while (replacements.load() == seen)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    stop.store(true);
    preparer.join();

    // Period p (p >= 2) holds the response to the impulses of blocks p-1 and p-2.
    for (int p = 2; p < blocks; ++p) {
        const float* l = out.wetL.data() + p * kBlock;
        const float* r = out.wetR.data() + p * kBlock;
        const bool isA = std::fabs(l[0] - 1.0f) < 1e-5f;
        const int head = isA ? 0 : 7;
        const int tail = isA ? 5 : 9;
        EXPECT_NEAR(l[head], 1.0f, 1e-5f) << "period " << p;
        EXPECT_NEAR(l[tail], 0.5f, 1e-5f) << "period " << p;
        const int available = std::min(kBlock, static_cast<int>(in.size()) - p * kBlock);
        for (int i = 0; i < available; ++i) {
            ASSERT_EQ(l[i], r[i]) << "period " << p << " frame " << i;
            if (i != head && i != tail) {
                ASSERT_LT(std::fabs(l[i]), 1e-5f) << "period " << p << " frame " << i;
            }
        }
    }
}

} // namespace
