// Kernel changes in the live engine. A kernel published between calls at
// frame c reaches the head at the start of the next block of the shortest
// level and fades in over the head's fade; each level takes it at its next
// period and fades its output over at least as long. Before c the output is
// untouched; within 480 frames (10 ms at 48 kHz) it has clearly changed; and
// once every level's fade is over it is the new kernel's stream, bit for bit.
// A sine through a change moves from frame to frame no faster than through
// either kernel alone.
#include "engine/LiveConvolutionEngine.h"

#include "ConvolutionTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

using convtest::Output;
using engine::LiveConvolutionEngine;
using engine::ProcessEpoch;

void append(Output& to, const Output& part)
{
    to.wetL.insert(to.wetL.end(), part.wetL.begin(), part.wetL.end());
    to.wetR.insert(to.wetR.end(), part.wetR.begin(), part.wetR.end());
}

struct Ir {
    std::vector<float> l, r;
};

// The input through kernel `first` (none if empty), changed to `second` (if
// given) between calls at frame `changeAt`.
Output stream(const std::vector<float>& inL, const std::vector<float>& inR, const Ir& first, const Ir* second,
              int changeAt, int call)
{
    ProcessEpoch epoch;
    LiveConvolutionEngine live(epoch);
    live.setInputRouting(1.0);
    if (!first.l.empty()) {
        EXPECT_TRUE(convtest::prepare(live, first.l, first.r));
    }
    const std::vector<float> l1(inL.begin(), inL.begin() + changeAt), r1(inR.begin(), inR.begin() + changeAt);
    Output out = convtest::run(live, epoch, l1, r1, {call});
    if (second != nullptr) {
        EXPECT_TRUE(convtest::prepare(live, second->l, second->r));
    }
    const std::vector<float> l2(inL.begin() + changeAt, inL.end()), r2(inR.begin() + changeAt, inR.end());
    append(out, convtest::run(live, epoch, l2, r2, {call}));
    return out;
}

// The frame from which every part of the engine plays the kernel published
// at frame `change` alone.
long settledAfter(const LiveConvolutionEngine& live, long change)
{
    const long block = live.blockFrames();
    long settled = (change + block - 1) / block * block + live.headFadeFrames();
    const engine::LivePartitionPlan& plan = live.plan();
    for (int l = 0; l < plan.levelCount; ++l) {
        const long b = plan.levels[l].blockFrames;
        const long taken = (change + b - 1) / b * b;
        const long fade = std::max(b, static_cast<long>(1) << LiveConvolutionEngine::kLog2FadeFrames);
        settled = std::max(settled, taken + plan.levels[l].offsetFrames - b + fade);
    }
    return settled;
}

// A reshaped room: the same noise decaying faster, and a new one, published
// at frames that do and do not fall on a block boundary, with calls of 100
// frames (so that c is wherever a call ends).
TEST(LiveKernelChange, NewKernelIsHeardWithin480FramesAndAloneOnceEveryLevelFaded)
{
    ProcessEpoch epoch;
    const LiveConvolutionEngine probe(epoch);
    const int frames = 180000;
    const std::vector<float> inL = convtest::randomSignal(frames, 3u), inR = convtest::randomSignal(frames, 4u);
    const Ir a{convtest::decayingNoise(131072, 5u, 0.01), convtest::decayingNoise(131072, 6u, 0.01)};
    const Ir shorter{convtest::decayingNoise(131072, 5u, 0.0001), convtest::decayingNoise(131072, 6u, 0.0001)};
    const Ir other{convtest::decayingNoise(90000, 7u, 0.01), convtest::decayingNoise(90000, 8u, 0.01)};

    const Output plainA = stream(inL, inR, a, nullptr, 0, 100);
    for (const Ir* to : {&shorter, &other}) {
        const Output plainB = stream(inL, inR, *to, nullptr, 0, 100);
        for (const int change : {40000, 40100, 57300}) {
            const Output out = stream(inL, inR, a, to, change, 100);
            const size_t c = static_cast<size_t>(change);
            EXPECT_TRUE(std::equal(out.wetL.begin(), out.wetL.begin() + change, plainA.wetL.begin()));
            double moved = 0.0;
            for (size_t t = c; t < c + 480; ++t)
                moved = std::max(moved, static_cast<double>(std::fabs(out.wetL[t] - plainA.wetL[t])));
            EXPECT_GT(moved, 1e-3) << "change at " << change;

            const size_t settled = static_cast<size_t>(settledAfter(probe, change));
            ASSERT_LT(settled + 1000, static_cast<size_t>(frames));
            EXPECT_TRUE(std::equal(out.wetL.begin() + static_cast<long>(settled), out.wetL.end(),
                                   plainB.wetL.begin() + static_cast<long>(settled)))
                << "change at " << change;
            EXPECT_TRUE(std::equal(out.wetR.begin() + static_cast<long>(settled), out.wetR.end(),
                                   plainB.wetR.begin() + static_cast<long>(settled)))
                << "change at " << change;
            // Still fading just before that.
            EXPECT_FALSE(std::equal(out.wetL.begin() + static_cast<long>(settled) - 2000,
                                    out.wetL.begin() + static_cast<long>(settled), 
                                    plainB.wetL.begin() + static_cast<long>(settled) - 2000));
        }
    }
}

// Kernels that differ only within one part of the engine (the head, the
// shortest level, the longest level), with a louder impulse on the right so
// that every kernel is normalised alike: the left output is then the old
// kernel's stream crossfaded into the new one's by exactly that part's fade,
// the raised cosine from the frame its first new output plays, over its
// fade's length. (The longest level blends on the spectrum, the shortest in
// time over several periods.)
TEST(LiveKernelChange, EachPartFadesFromTheOldKernelToTheNewOverItsOwnFade)
{
    ProcessEpoch epoch;
    const LiveConvolutionEngine probe(epoch);
    const engine::LivePartitionPlan& plan = probe.plan();
    const engine::LiveLevel& first = plan.levels[0];
    const engine::LiveLevel& last = plan.levels[plan.levelCount - 1];
    const int fadeFrames = 1 << LiveConvolutionEngine::kLog2FadeFrames;
    const double pi = 3.14159265358979323846;
    struct Part {
        int from, to;        // the IR frames that differ
        long block;          // the part's block: when it takes a kernel
        long delay;          // from taking it to playing its first output
        long fade;
    };
    const long capacity = 131072;
    const Part parts[] = {
        {0, plan.headFrames, probe.blockFrames(), 0, fadeFrames},
        {first.offsetFrames, first.offsetFrames + first.partitions * first.blockFrames, first.blockFrames,
         first.offsetFrames - first.blockFrames, std::max(first.blockFrames, fadeFrames)},
        {last.offsetFrames, static_cast<int>(capacity), last.blockFrames, last.offsetFrames - last.blockFrames,
         std::max(last.blockFrames, fadeFrames)},
    };
    const int change = 50000 + 37;
    const int frames = 200000;
    const std::vector<float> inL = convtest::randomSignal(frames, 23u), inR = convtest::randomSignal(frames, 24u);
    std::vector<float> impulse(capacity, 0.0f);
    impulse[0] = 1.0f;
    const std::vector<float> base = convtest::randomSignal(static_cast<int>(capacity), 25u, 0.001f);
    for (const Part& part : parts) {
        std::vector<float> other(base);
        const std::vector<float> noise = convtest::randomSignal(part.to - part.from, 26u, 0.001f);
        std::copy(noise.begin(), noise.end(), other.begin() + part.from);
        const Ir a{base, impulse}, b{other, impulse};
        const Output oldStream = stream(inL, inR, a, nullptr, 0, 100);
        const Output newStream = stream(inL, inR, b, nullptr, 0, 100);
        const Output out = stream(inL, inR, a, &b, change, 100);

        const long start = (change + part.block - 1) / part.block * part.block + part.delay;
        double worst = 0.0;
        for (long t = change; t < start + part.fade + 1000; ++t) {
            const size_t i = static_cast<size_t>(t);
            const double g = static_cast<double>(t - start);
            const double w = g < 0.0 ? 0.0 : g >= part.fade ? 1.0 : std::pow(std::sin(pi * g / (2.0 * part.fade)), 2.0);
            const double want = oldStream.wetL[i] + w * (static_cast<double>(newStream.wetL[i]) - oldStream.wetL[i]);
            worst = std::max(worst, std::fabs(out.wetL[i] - want));
        }
        EXPECT_LE(worst, 1e-6) << "IR frames " << part.from << " to " << part.to;
        double moved = 0.0;
        for (long t = start; t < start + part.fade; ++t)
            moved = std::max(moved, std::fabs(static_cast<double>(newStream.wetL[static_cast<size_t>(t)]) -
                                              oldStream.wetL[static_cast<size_t>(t)]));
        EXPECT_GT(moved, 1e-3) << "the kernels must differ there, IR frames " << part.from << " to " << part.to;
    }
}

double largestStep(const std::vector<float>& v, size_t from, size_t to)
{
    double step = 0.0;
    for (size_t t = from + 1; t < to; ++t)
        step = std::max(step, std::fabs(static_cast<double>(v[t]) - v[t - 1]));
    return step;
}

// A low sine through a change to another IR (which gives the wet sine another
// phase and level): from frame to frame the wet signal moves no more than
// either kernel's own wet sine does; the first IR, arriving while the sine
// plays, fades in as smoothly. Switching without the fade jumps.
TEST(LiveKernelChange, SineThroughAChangeStepsNoMoreThanTheSineItself)
{
    const int frames = 60000;
    std::vector<float> sine(frames);
    for (int t = 0; t < frames; ++t)
        sine[t] = static_cast<float>(0.5 * std::sin(0.01 * t));
    const Ir a{convtest::decayingNoise(3000, 7u, 0.01), convtest::decayingNoise(3000, 7u, 0.01)};
    const Ir b{convtest::decayingNoise(3000, 8u, 0.01), convtest::decayingNoise(3000, 8u, 0.01)};
    const int change = 20037;
    const Output withA = stream(sine, sine, a, nullptr, change, 64);
    const Output withB = stream(sine, sine, b, nullptr, change, 64);
    const Output changed = stream(sine, sine, a, &b, change, 64);

    const size_t steady = 10000;  // well past the IRs' length
    const size_t end = static_cast<size_t>(frames);
    const double own = std::max(largestStep(withA.wetL, steady, end), largestStep(withB.wetL, steady, end));
    ASSERT_GT(own, 0.001);
    EXPECT_LE(largestStep(changed.wetL, steady, end), 1.001 * own);
    const Output first = stream(sine, sine, Ir{}, &b, change, 64);
    EXPECT_LE(largestStep(first.wetL, 0, end), 1.001 * own);
    EXPECT_GT(largestStep(first.wetL, 0, end), 0.5 * own);

    // The same change without a fade: A's output, then B's.
    const size_t at = static_cast<size_t>(change);
    std::vector<float> hard(withA.wetL.begin(), withA.wetL.begin() + change);
    hard.insert(hard.end(), withB.wetL.begin() + change, withB.wetL.end());
    EXPECT_GT(largestStep(hard, at - 1, at + 1), 5.0 * own) << "the two kernels' sines must differ";
}

} // namespace
