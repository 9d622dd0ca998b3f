// Kernel changes while the engine runs. With P = kPartitionFrames, the work
// for wet output partition k (frames kP .. (k+1)P-1) begins at frame (k-1)P
// and takes the newest kernel published before it. When that kernel differs
// from the one before, partition k crossfades from the old kernel's output to
// the new one's. So a kernel published between calls at frame c is heard from
// frame S(c) = P * (ceil(c / P) + 1) on, alone from S(c) + P on, and every
// partition equals, bit for bit, the same partition of the stream that one
// kernel alone would have given, or is the crossfade between two such.
#include "engine/ConvolutionEngine.h"

#include "ConvolutionTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
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

size_t partitionEnd(const Output& a, int k) { return std::min(static_cast<size_t>(k + 1) * kPart, a.wetL.size()); }

bool samePartition(const Output& a, const Output& b, int k)
{
    const size_t from = static_cast<size_t>(k) * kPart, to = partitionEnd(a, k);
    return std::equal(a.wetL.begin() + from, a.wetL.begin() + to, b.wetL.begin() + from) &&
           std::equal(a.wetR.begin() + from, a.wetR.begin() + to, b.wetR.begin() + from);
}

// The fade's curve at frame f of the partition, computed here on its own.
double fadeWeight(int f)
{
    const double pi = 3.14159265358979323846;
    return std::pow(std::sin(pi * f / (2.0 * kPart)), 2.0);
}

// Partition k of `got` is the crossfade from `from` to `to`: within float
// rounding of from + w (to - from) at every frame.
bool crossfadesFrom(const Output& got, const Output& from, const Output& to, int k)
{
    const size_t first = static_cast<size_t>(k) * kPart, end = partitionEnd(got, k);
    for (size_t t = first; t < end; ++t) {
        const double w = fadeWeight(static_cast<int>(t - first));
        for (const auto member : {&Output::wetL, &Output::wetR}) {
            const double a = (from.*member)[t], b = (to.*member)[t];
            const double want = a + w * (b - a);
            if (std::fabs((got.*member)[t] - want) > 1e-6 * (1.0 + std::fabs(a) + std::fabs(b)))
                return false;
        }
    }
    return true;
}

void append(Output& to, const Output& part)
{
    to.wetL.insert(to.wetL.end(), part.wetL.begin(), part.wetL.end());
    to.wetR.insert(to.wetR.end(), part.wetR.begin(), part.wetR.end());
}

TEST(RealtimeConvolutionKernelChange, KernelPublishedBetweenCallsCrossfadesInThePartitionAfterTheNextBoundary)
{
    const int frames = kLatency + 5 * kPart;
    const Fixture f(frames);
    const int first = kLatency / kPart;  // the first partition with wet signal
    for (int k = first; k < frames / kPart; ++k)
        ASSERT_FALSE(samePartition(f.streamA, f.streamB, k)) << "the two kernels must be told apart in partition " << k;

    for (const int c : {kLatency + kPart, kLatency + kPart + 1, kLatency + 2 * kPart - 1}) {
        ProcessEpoch epoch;
        ConvolutionEngine conv(epoch);
        ASSERT_TRUE(convtest::prepare(conv, f.irA, f.irA));
        const std::vector<float> l1(f.inL.begin(), f.inL.begin() + c), r1(f.inR.begin(), f.inR.begin() + c);
        const std::vector<float> l2(f.inL.begin() + c, f.inL.end()), r2(f.inR.begin() + c, f.inR.end());
        Output out = convtest::run(conv, epoch, l1, r1, {1000});
        ASSERT_TRUE(convtest::prepare(conv, f.irB, f.irB));
        append(out, convtest::run(conv, epoch, l2, r2, {1000}));

        const int fade = (c + kPart - 1) / kPart + 1;
        for (int k = 0; k < frames / kPart; ++k) {
            if (k < fade)
                EXPECT_TRUE(samePartition(out, f.streamA, k)) << "change at " << c << ", partition " << k;
            else if (k == fade)
                EXPECT_TRUE(crossfadesFrom(out, f.streamA, f.streamB, k)) << "change at " << c;
            else
                EXPECT_TRUE(samePartition(out, f.streamB, k)) << "change at " << c << ", partition " << k;
        }
    }
}

double largestStep(const std::vector<float>& v, size_t from, size_t to)
{
    double step = 0.0;
    for (size_t t = from + 1; t < to; ++t)
        step = std::max(step, std::fabs(static_cast<double>(v[t]) - v[t - 1]));
    return step;
}

// A sine through the engine while the kernel changes to another IR (which
// gives the wet sine another phase and level): around and through the change
// the wet signal moves from one frame to the next no more than either
// kernel's own wet sine does. Switching without the fade would jump.
TEST(RealtimeConvolutionKernelChange, SineThroughAKernelChangeStepsNoMoreThanTheSineItself)
{
    const int frames = kLatency + 4 * kPart;
    std::vector<float> sine(frames);
    for (int t = 0; t < frames; ++t)
        sine[t] = static_cast<float>(0.5 * std::sin(0.01 * t));
    const std::vector<float> irA = convtest::decayingNoise(3000, 7u, 0.01);
    const std::vector<float> irB = convtest::decayingNoise(3000, 8u, 0.01);

    // The sine through kernel `first`, changed to `second` (if any) between
    // calls at frame `changeAt`.
    auto stream = [&](const std::vector<float>& first, const std::vector<float>* second, int changeAt) {
        ProcessEpoch epoch;
        ConvolutionEngine conv(epoch);
        convtest::prepare(conv, first, first);
        const std::vector<float> before(sine.begin(), sine.begin() + changeAt);
        Output out = convtest::run(conv, epoch, before, before, {64});
        if (second != nullptr)
            convtest::prepare(conv, *second, *second);
        const std::vector<float> after(sine.begin() + changeAt, sine.end());
        append(out, convtest::run(conv, epoch, after, after, {64}));
        return out;
    };
    const int change = kLatency + kPart / 2;
    const size_t boundary = static_cast<size_t>((change + kPart - 1) / kPart + 1) * kPart;  // the fade begins
    const Output a = stream(irA, nullptr, change);
    const Output b = stream(irB, nullptr, change);
    const Output changed = stream(irA, &irB, change);

    const size_t steady = static_cast<size_t>(kLatency + kPart);  // well past the IRs' length
    const size_t end = static_cast<size_t>(frames);
    const double own = std::max(largestStep(a.wetL, steady, end), largestStep(b.wetL, steady, end));
    ASSERT_GT(own, 0.001);
    EXPECT_LE(largestStep(changed.wetL, steady, end), 1.001 * own);
    EXPECT_LE(largestStep(changed.wetR, steady, end), 1.001 * own);

    // The same change without the fade: A's output, then B's.
    std::vector<float> hard(a.wetL.begin(), a.wetL.begin() + static_cast<long>(boundary));
    hard.insert(hard.end(), b.wetL.begin() + static_cast<long>(boundary), b.wetL.end());
    EXPECT_GT(largestStep(hard, boundary - 1, boundary + 1), 5.0 * own) << "the two kernels' sines must differ";
}

// Kernels replaced from another thread while calls run: every wet partition
// is one kernel's, or the crossfade from one kernel to the other, never a mix
// or a half-installed kernel; a crossfade always ends in the kernel it fades to.
TEST(RealtimeConvolutionKernelChange, ConcurrentChangesAreWholeKernelsOrCrossfades)
{
    const int frames = kLatency + 10 * kPart;
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
    // through each, while the work for the next output partition runs.
    Output out;
    const int call = 512;
    for (int k = 0; k < frames / kPart; ++k) {
        const int seen = replacements.load();
        for (int at = k * kPart; at < (k + 1) * kPart; at += call) {
            const std::vector<float> l(f.inL.begin() + at, f.inL.begin() + at + call);
            const std::vector<float> r(f.inR.begin() + at, f.inR.begin() + at + call);
            append(out, convtest::run(conv, epoch, l, r, {call}));
            while (at + call == k * kPart + kPart / 2 && replacements.load() == seen)
                std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    }
    stop.store(true);
    preparer.join();

    int fades = 0;
    const Output* current = &f.streamA;
    for (int k = kLatency / kPart; k < frames / kPart; ++k) {
        const Output* other = current == &f.streamA ? &f.streamB : &f.streamA;
        if (samePartition(out, *current, k))
            continue;
        ASSERT_TRUE(crossfadesFrom(out, *current, *other, k)) << "partition " << k;
        ++fades;
        current = other;
    }
    EXPECT_GE(fades, 2);
}

} // namespace
