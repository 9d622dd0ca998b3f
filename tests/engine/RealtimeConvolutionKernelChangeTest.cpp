// Kernel changes while the engine runs. With B = kPartitionFrames, wet output
// partition k (frames kB .. (k+1)B-1) is computed entirely with the newest
// kernel published before the exchange reached frame (k-1)B. So a kernel
// published between calls at frame c is heard from frame
//     S(c) = B * (ceil(c / B) + 1)
// on, and every partition equals, bit for bit, the same partition of the
// stream that one kernel alone would have given.
#include "engine/ConvolutionEngine.h"

#include "ConvolutionTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace {

using convtest::kLatency;
using convtest::Output;
using convtest::randomSignal;
using engine::ConvolutionEngine;
using engine::ProcessEpoch;

constexpr int kPart = ConvolutionEngine::kPartitionFrames;

struct Fixture {
    // Long enough that every kernel partition takes part in every output partition.
    std::vector<float> irA = randomSignal(131072, 1u);
    std::vector<float> irB = randomSignal(120000, 2u, 0.5f);
    std::vector<float> inL, inR;
    Output streamA, streamB;

    explicit Fixture(int frames) : inL(randomSignal(frames, 3u)), inR(randomSignal(frames, 4u))
    {
        streamA = alone(irA);
        streamB = alone(irB);
    }

    Output alone(const std::vector<float>& ir) const
    {
        ProcessEpoch epoch;
        ConvolutionEngine conv(epoch);
        convtest::prepare(conv, ir, ir);
        return convtest::run(conv, epoch, inL, inR, {4096});
    }
};

bool samePartition(const Output& a, const Output& b, int k)
{
    const auto from = static_cast<size_t>(k) * kPart;
    const auto to = std::min(from + kPart, a.wetL.size());
    return std::equal(a.wetL.begin() + from, a.wetL.begin() + to, b.wetL.begin() + from) &&
           std::equal(a.wetR.begin() + from, a.wetR.begin() + to, b.wetR.begin() + from);
}

void append(Output& to, const Output& part)
{
    to.wetL.insert(to.wetL.end(), part.wetL.begin(), part.wetL.end());
    to.wetR.insert(to.wetR.end(), part.wetR.begin(), part.wetR.end());
}

TEST(RealtimeConvolutionKernelChange, KernelPublishedBetweenCallsIsHeardFromThePartitionAfterTheNextBoundary)
{
    const int frames = kLatency + 12 * kPart;
    const Fixture f(frames);
    const int first = kLatency / kPart;  // the first partition with wet signal
    for (int k = first; k < frames / kPart; ++k)
        ASSERT_FALSE(samePartition(f.streamA, f.streamB, k)) << "the two kernels must be told apart in partition " << k;

    for (const int c : {kLatency + 3 * kPart, kLatency + 3 * kPart + 1, kLatency + 4 * kPart - 1}) {
        ProcessEpoch epoch;
        ConvolutionEngine conv(epoch);
        ASSERT_TRUE(convtest::prepare(conv, f.irA, f.irA));
        const std::vector<float> l1(f.inL.begin(), f.inL.begin() + c), r1(f.inR.begin(), f.inR.begin() + c);
        const std::vector<float> l2(f.inL.begin() + c, f.inL.end()), r2(f.inR.begin() + c, f.inR.end());
        Output out = convtest::run(conv, epoch, l1, r1, {1000});
        ASSERT_TRUE(convtest::prepare(conv, f.irB, f.irB));
        append(out, convtest::run(conv, epoch, l2, r2, {1000}));

        const int switchPartition = (c + kPart - 1) / kPart + 1;
        for (int k = 0; k < frames / kPart; ++k) {
            const Output& expected = k < switchPartition ? f.streamA : f.streamB;
            EXPECT_TRUE(samePartition(out, expected, k)) << "switch at " << c << ", partition " << k;
        }
    }
}

// Kernels replaced from another thread while calls run: every wet partition
// is one kernel's, never a blend or a half-installed kernel.
TEST(RealtimeConvolutionKernelChange, ConcurrentChangesNeverMixWithinAPartition)
{
    const int frames = kLatency + 24 * kPart;
    const Fixture f(frames);

    ProcessEpoch epoch;
    ConvolutionEngine conv(epoch);
    ASSERT_TRUE(convtest::prepare(conv, f.irA, f.irA));
    std::atomic<bool> stop{false};
    std::atomic<int> replacements{0};
    std::thread preparer([&] {
        for (int i = 1; !stop.load(); ++i) {
            const std::vector<float>& k = (i % 2) ? f.irB : f.irA;
            conv.prepareKernel(k.data(), k.data(), static_cast<int>(k.size()));
            replacements.fetch_add(1);
            std::this_thread::sleep_for(std::chrono::microseconds(700 * (i % 5)));
        }
    });

    // Partition by partition, letting at least one replacement land halfway
    // through each, while the products for the next output partition are formed.
    Output out;
    const int call = 512;
    for (int k = 0; k < frames / kPart; ++k) {
        const int seen = replacements.load();
        for (int at = k * kPart; at < (k + 1) * kPart; at += call) {
            const std::vector<float> l(f.inL.begin() + at, f.inL.begin() + at + call);
            const std::vector<float> r(f.inR.begin() + at, f.inR.begin() + at + call);
            append(out, convtest::run(conv, epoch, l, r, {call}));
            std::this_thread::sleep_for(std::chrono::microseconds(200));
            while (at + call == k * kPart + kPart / 2 && k >= kLatency / kPart - 1 && replacements.load() == seen)
                std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    }
    stop.store(true);
    preparer.join();

    int changesHeard = 0;
    bool previousA = true;
    for (int k = kLatency / kPart; k < frames / kPart; ++k) {
        const bool isA = samePartition(out, f.streamA, k);
        const bool isB = samePartition(out, f.streamB, k);
        EXPECT_TRUE(isA || isB) << "partition " << k;
        if (isA != previousA)
            ++changesHeard;
        previousA = isA;
    }
    EXPECT_GE(changesHeard, 2);
}

} // namespace
