// Kernel changes while the engine runs. With P = kPartitionFrames, the work
// for wet output partition k (frames kP .. (k+1)P-1) begins at frame (k-1)P
// and takes the newest kernel published before it. A kernel published between
// calls at frame c is thus taken up for partition F = ceil(c / P) + 1.
//
// The change then runs term by term: the output is the sum over j of the
// input convolved with the kernel's partition j (delayed by jP), and term j
// changes in partition F + j, crossfading over that partition from the old
// kernel's partition to the new one's. From F + T on (T the longer kernel's
// partitions) the output is the new kernel's alone; no newer kernel is taken
// while a change runs.
//
// The reference for the change is built from streams of single partitions of
// each IR. The right channel of every kernel here is a unit impulse, so that
// every kernel and partition is normalised alike (by 1) and the streams add
// up: the left channel carries the IRs under test.
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
constexpr int kMaxTerms = ConvolutionEngine::kCapacityFrames / kPart;

std::vector<float> unitImpulse(size_t frames)
{
    std::vector<float> v(frames, 0.0f);
    v[0] = 1.0f;
    return v;
}

// One IR under test (left channel), with its stream and the streams of each
// of its partitions alone, for one input.
struct Kernel {
    std::vector<float> left;
    Output whole;
    std::vector<Output> terms;
};

struct Fixture {
    std::vector<float> inL, inR;
    Kernel a, b;

    explicit Fixture(int frames) : inL(randomSignal(frames, 3u)), inR(randomSignal(frames, 4u))
    {
        // Quiet enough that the impulse channel sets the normalisation: B is
        // shorter than A, so that changes between them also add or drop a term.
        a = kernel(randomSignal(131072, 1u, 0.003f));
        b = kernel(randomSignal(90000, 2u, 0.002f));
    }

    Output alone(const std::vector<float>& left) const
    {
        ProcessEpoch epoch;
        ConvolutionEngine conv(epoch);
        convtest::prepare(conv, left, unitImpulse(left.size()));
        return convtest::run(conv, epoch, inL, inR, {4096});
    }

    Kernel kernel(std::vector<float> left) const
    {
        Kernel k;
        k.whole = alone(left);
        for (int j = 0; j < kMaxTerms; ++j) {
            std::vector<float> part(left.size(), 0.0f);
            for (size_t t = static_cast<size_t>(j) * kPart; t < std::min(left.size(), size_t(j + 1) * kPart); ++t)
                part[t] = left[t];
            k.terms.push_back(alone(part));
        }
        k.left = std::move(left);
        return k;
    }

    bool prepare(ConvolutionEngine& conv, const Kernel& k) const
    {
        return convtest::prepare(conv, k.left, unitImpulse(k.left.size()));
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

// Partition k of `got`, from the kernels that the windows it reads entered
// with, newest first (window j is read by term j): term j is window j's
// kernel's partition j, crossfading over the partition from window j + 1's
// where the two differ (within float rounding). The right channel, the same
// in every kernel, goes on unchanged.
bool fromWindows(const Output& got, int k, const Kernel* const* windows)
{
    const size_t first = static_cast<size_t>(k) * kPart, end = partitionEnd(got, k);
    for (size_t t = first; t < end; ++t) {
        const double w = fadeWeight(static_cast<int>(t - first));
        double want = 0.0, size = 1.0;
        for (int j = 0; j < kMaxTerms; ++j) {
            const double next = windows[j]->terms[j].wetL[t], old = windows[j + 1]->terms[j].wetL[t];
            want += windows[j] == windows[j + 1] ? next : old + w * (next - old);
            size += std::fabs(old) + std::fabs(next);
        }
        if (std::fabs(got.wetL[t] - want) > 1e-6 * size)
            return false;
        if (std::fabs(got.wetR[t] - windows[0]->whole.wetR[t]) > 1e-6 * (1.0 + std::fabs(windows[0]->whole.wetR[t])))
            return false;
    }
    return true;
}

// The work for output partition k runs in period k - 1, and its term j reads
// the window that entered in period k - 1 - j.
int windowPeriod(int k, int j) { return k - 1 - j; }

int termsOf(const Kernel& k) { return static_cast<int>((k.left.size() + kPart - 1) / kPart); }

void append(Output& to, const Output& part)
{
    to.wetL.insert(to.wetL.end(), part.wetL.begin(), part.wetL.end());
    to.wetR.insert(to.wetR.end(), part.wetR.begin(), part.wetR.end());
}

TEST(RealtimeConvolutionKernelChange, KernelPublishedBetweenCallsChangesTermByTermFromTheNextBoundary)
{
    const int frames = kLatency + 8 * kPart;
    const Fixture f(frames);
    const int first = kLatency / kPart;  // the first partition with wet signal
    for (int k = first; k < frames / kPart; ++k)
        ASSERT_FALSE(samePartition(f.a.whole, f.b.whole, k)) << "the two kernels must be told apart in partition " << k;

    // Down to a shorter kernel and up to a longer one, published at a
    // boundary, just after it and just before the next.
    struct Change {
        const Kernel* from;
        const Kernel* to;
        int at;
    };
    for (const Change& c : {Change{&f.a, &f.b, kLatency + kPart}, Change{&f.a, &f.b, kLatency + kPart + 1},
                            Change{&f.b, &f.a, kLatency + 2 * kPart - 1}}) {
        ProcessEpoch epoch;
        ConvolutionEngine conv(epoch);
        ASSERT_TRUE(f.prepare(conv, *c.from));
        const std::vector<float> l1(f.inL.begin(), f.inL.begin() + c.at), r1(f.inR.begin(), f.inR.begin() + c.at);
        const std::vector<float> l2(f.inL.begin() + c.at, f.inL.end()), r2(f.inR.begin() + c.at, f.inR.end());
        Output out = convtest::run(conv, epoch, l1, r1, {1000});
        ASSERT_TRUE(f.prepare(conv, *c.to));
        append(out, convtest::run(conv, epoch, l2, r2, {1000}));

        const int fade = (c.at + kPart - 1) / kPart + 1;
        const int steps = std::max(termsOf(*c.from), termsOf(*c.to));
        for (int k = 0; k < frames / kPart; ++k) {
            const Kernel* windows[kMaxTerms + 1];
            for (int j = 0; j <= kMaxTerms; ++j)
                windows[j] = windowPeriod(k, j) >= fade - 1 ? c.to : c.from;
            if (k < fade)
                EXPECT_TRUE(samePartition(out, c.from->whole, k)) << "change at " << c.at << ", partition " << k;
            else if (k < fade + steps)
                EXPECT_TRUE(fromWindows(out, k, windows)) << "change at " << c.at << ", partition " << k;
            else
                EXPECT_TRUE(samePartition(out, c.to->whole, k)) << "change at " << c.at << ", partition " << k;
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
// kernel's own wet sine does. Switching without the fade would jump. The
// same holds for the first IR, arriving while the sine already plays.
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
        if (!first.empty())
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
    const Output first = stream({}, &irB, change);
    EXPECT_LE(largestStep(first.wetL, 0, end), 1.001 * own);
    EXPECT_GT(largestStep(first.wetL, 0, end), 0.5 * own);

    // The same change without the fade: A's output, then B's.
    std::vector<float> hard(a.wetL.begin(), a.wetL.begin() + static_cast<long>(boundary));
    hard.insert(hard.end(), b.wetL.begin() + static_cast<long>(boundary), b.wetL.end());
    EXPECT_GT(largestStep(hard, boundary - 1, boundary + 1), 5.0 * own) << "the two kernels' sines must differ";
}

// Kernels replaced from another thread while calls run, as often as every
// period: every wet partition is what the windows' kernels give, each window
// having entered with one whole kernel, never a mix or a half-installed one.
TEST(RealtimeConvolutionKernelChange, ConcurrentChangesGiveEachWindowOneWholeKernel)
{
    const int frames = kLatency + 14 * kPart;
    const Fixture f(frames);

    ProcessEpoch epoch;
    ConvolutionEngine conv(epoch);
    ASSERT_TRUE(f.prepare(conv, f.a));
    std::atomic<bool> stop{false};
    std::atomic<bool> firstWindowIn{false};
    std::atomic<int> replacements{0};
    std::thread preparer([&] {
        // The first window enters with A at the first frame: nothing is
        // replaced before the first call has run.
        while (!firstWindowIn.load())
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        for (int i = 1; !stop.load(); ++i) {
            f.prepare(conv, (i % 2) ? f.b : f.a);
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
            firstWindowIn.store(true);
            while (at + call == k * kPart + kPart / 2 && replacements.load() == seen)
                std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    }
    stop.store(true);
    preparer.join();

    // The kernel of each period's window, found partition by partition: the
    // first ones (and those before the first call, which hold no input) A's.
    const int partitions = frames / kPart;
    std::vector<const Kernel*> entered(static_cast<size_t>(partitions), &f.a);
    int changes = 0;
    for (int k = kLatency / kPart; k < partitions; ++k) {
        bool found = false;
        for (const Kernel* newest : {&f.a, &f.b}) {
            entered[static_cast<size_t>(k - 1)] = newest;
            const Kernel* windows[kMaxTerms + 1];
            for (int j = 0; j <= kMaxTerms; ++j)
                windows[j] = windowPeriod(k, j) >= 0 ? entered[static_cast<size_t>(windowPeriod(k, j))] : &f.a;
            if (fromWindows(out, k, windows)) {
                found = true;
                break;
            }
        }
        ASSERT_TRUE(found) << "partition " << k;
        if (entered[static_cast<size_t>(k - 1)] != entered[static_cast<size_t>(k - 2)])
            ++changes;
    }
    EXPECT_GE(changes, 3);
}

} // namespace
