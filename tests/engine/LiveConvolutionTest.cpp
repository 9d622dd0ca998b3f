// The live engine's wet signal at zero latency: against a time-domain linear
// convolution in double precision, against the standard engine advanced by
// its latency (at the IR lengths a 1.5 s IR has at 44.1, 48, 96 and 192 kHz),
// and the same stream bit for bit whatever the host's call sizes, with the
// dry signal the input itself. At the path level, the whole effect's output
// in the live edition is the standard edition's advanced by its latency,
// pre-delay, filters and width included.
#include "engine/ConvolutionEngine.h"
#include "engine/LiveConvolutionEngine.h"
#include "engine/ProcessingPath.h"

#include "ConvolutionTestSupport.h"
#include "ProcessingPathTestRig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

namespace {

using convtest::kCapacity;
using convtest::kLatency;
using convtest::Output;
using convtest::Stereo;
using engine::LiveConvolutionEngine;
using engine::ProcessEpoch;
using engine::VectorPath;

constexpr double kTolerance = 1e-6;  // of full scale

std::vector<VectorPath> paths()
{
    std::vector<VectorPath> p{VectorPath::Sse2};
    if (engine::vectorPathAvailable(VectorPath::Avx2Fma))
        p.push_back(VectorPath::Avx2Fma);
    return p;
}

Stereo noise(int frames, unsigned stream, float amplitude = 1.0f)
{
    return {convtest::randomSignal(frames, stream, amplitude), convtest::randomSignal(frames, stream + 1000u, amplitude)};
}

Stereo decayingIR(int frames, unsigned stream)
{
    return {convtest::decayingNoise(frames, stream, 0.01), convtest::decayingNoise(frames, stream + 1000u, 0.01)};
}

Output runLive(const Stereo& ir, double routing, const Stereo& in, const std::vector<int>& calls,
               VectorPath path = engine::bestVectorPath())
{
    ProcessEpoch epoch;
    LiveConvolutionEngine live(epoch, path);
    live.setInputRouting(routing);
    EXPECT_TRUE(convtest::prepare(live, ir.l, ir.r));
    return convtest::run(live, epoch, in.l, in.r, calls);
}

// Every frame where a block of the plan's levels begins or ends (and the
// frames either side), up to `frames`, and a spread of frames between them.
std::vector<int> levelEdges(const engine::LivePartitionPlan& plan, int frames, unsigned stream)
{
    std::vector<int> at;
    auto add = [&](int edge) {
        for (int d : {-1, 0, 1})
            if (edge + d >= 0 && edge + d < frames)
                at.push_back(edge + d);
    };
    add(plan.headFrames);
    for (int l = 0; l < plan.levelCount; ++l) {
        const int b = plan.levels[l].blockFrames;
        for (int edge = b; edge < frames; edge += std::max(b, 4096))
            add(edge);
        for (int j = 0; j <= plan.levels[l].partitions; ++j)
            add(plan.levels[l].offsetFrames + j * b);
    }
    std::mt19937 rng(stream);
    std::uniform_int_distribution<int> anywhere(0, frames - 1);
    for (int i = 0; i < 150; ++i)
        at.push_back(anywhere(rng));
    at.push_back(frames - 1);
    return at;
}

// A full-length dense IR, checked at the level edges, and a sparse one with a
// tap on each side of every partition boundary of the plan, checked at every
// frame: each tap lands in the part of the engine its frame belongs to.
TEST(LiveConvolution, WetIsTheLinearConvolutionOfTheRoutedInputAtZeroLatency)
{
    const engine::LivePartitionPlan& plan = engine::LivePartitionPlan::chosen();
    ASSERT_TRUE(plan.valid(kCapacity));
    const int frames = kCapacity + 9000;
    const double routing = 0.4;
    const Stereo in = noise(frames, 11u);
    const Stereo x = convtest::routed(in, routing);

    const Stereo dense = decayingIR(kCapacity, 21u);
    const double gain = convtest::normalisation(dense);
    const std::vector<int> checked = levelEdges(plan, frames, 5u);
    std::vector<double> wantL, wantR;
    for (int t : checked) {
        wantL.push_back(convtest::directAt(x.l, dense.l, gain, t, 0));
        wantR.push_back(convtest::directAt(x.r, dense.r, gain, t, 0));
    }

    Stereo sparse{std::vector<float>(kCapacity, 0.0f), std::vector<float>(kCapacity, 0.0f)};
    std::mt19937 rng(8u);
    std::uniform_real_distribution<float> tap(-1.0f, 1.0f);
    auto setTaps = [&](int edge) {
        for (int d : {-1, 0})
            if (edge + d >= 0 && edge + d < kCapacity) {
                sparse.l[static_cast<size_t>(edge + d)] = tap(rng);
                sparse.r[static_cast<size_t>(edge + d)] = tap(rng);
            }
    };
    setTaps(0);
    setTaps(1);
    setTaps(plan.headFrames);
    for (int l = 0; l < plan.levelCount; ++l)
        for (int j = 0; j <= plan.levels[l].partitions; ++j)
            setTaps(plan.levels[l].offsetFrames + j * plan.levels[l].blockFrames);
    setTaps(kCapacity);
    const double sparseGain = convtest::normalisation(sparse);
    const std::vector<double> sparseL = convtest::directSparse(x.l, sparse.l, sparseGain, 0);
    const std::vector<double> sparseR = convtest::directSparse(x.r, sparse.r, sparseGain, 0);

    for (const VectorPath path : paths()) {
        const Output out = runLive(dense, routing, in, {64}, path);
        double worst = 0.0;
        for (size_t i = 0; i < checked.size(); ++i) {
            worst = std::max(worst, std::fabs(out.wetL[static_cast<size_t>(checked[i])] - wantL[i]));
            worst = std::max(worst, std::fabs(out.wetR[static_cast<size_t>(checked[i])] - wantR[i]));
        }
        EXPECT_LE(worst, kTolerance) << engine::vectorPathName(path) << ", dense IR";

        const Output s = runLive(sparse, routing, in, {100}, path);
        double sparseWorst = 0.0;
        for (size_t t = 0; t < s.wetL.size(); ++t) {
            sparseWorst = std::max(sparseWorst, std::fabs(s.wetL[t] - sparseL[t]));
            sparseWorst = std::max(sparseWorst, std::fabs(s.wetR[t] - sparseR[t]));
        }
        EXPECT_LE(sparseWorst, kTolerance) << engine::vectorPathName(path) << ", sparse IR";
    }
}

// Calls of any sizes give one stream, bit for bit, wet and dry; the dry
// signal is the input, undelayed and untouched by the routing; and a reset
// drops everything, so that the same input gives the same stream again.
TEST(LiveConvolution, AnyCallSizesGiveTheSameStreamAndTheDryIsTheInput)
{
    const int frames = 3 * 32768 + 5000;
    const Stereo in = noise(frames, 31u);
    const Stereo ir = decayingIR(kCapacity, 41u);
    const Output whole = runLive(ir, -0.3, in, {64});
    EXPECT_EQ(whole.dryL, in.l);
    EXPECT_EQ(whole.dryR, in.r);
    ASSERT_GT(convtest::largestMagnitude(whole.wetL), 0.01);

    const std::vector<std::vector<int>> callSizes = {{1},    {7},    {100},  {512},
                                                     {4096}, {8192}, {1, 7, 100, 8192, 333, 64, 4096, 2}};
    for (const std::vector<int>& calls : callSizes) {
        const Output out = runLive(ir, -0.3, in, calls);
        EXPECT_TRUE(out.wetL == whole.wetL && out.wetR == whole.wetR) << "calls of " << calls[0] << " ...";
        EXPECT_TRUE(out.dryL == in.l && out.dryR == in.r) << "calls of " << calls[0] << " ...";
    }

    ProcessEpoch epoch;
    LiveConvolutionEngine live(epoch);
    live.setInputRouting(-0.3);
    ASSERT_TRUE(convtest::prepare(live, ir.l, ir.r));
    const std::vector<float> firstL(in.l.begin(), in.l.begin() + 40000), firstR(in.r.begin(), in.r.begin() + 40000);
    convtest::run(live, epoch, firstL, firstR, {333});
    live.reset();
    const Output again = convtest::run(live, epoch, in.l, in.r, {4096});
    EXPECT_TRUE(again.wetL == whole.wetL && again.wetR == whole.wetR);
}

// A routing change between calls applies to the input from that call on, as
// it enters: the output is the convolution of the input routed one way up to
// the change and the other way after it, the tail of the earlier input
// ringing on with its own routing.
TEST(LiveConvolution, RoutingChangeAppliesToTheInputFromTheNextCallOn)
{
    const int frames = 60000, change = 20011;
    const Stereo in = noise(frames, 91u);
    Stereo ir{std::vector<float>(40000, 0.0f), std::vector<float>(40000, 0.0f)};
    for (const int at : {0, 5, 700, 9000, 39999}) {
        ir.l[static_cast<size_t>(at)] = 0.3f;
        ir.r[static_cast<size_t>(at)] = -0.2f;
    }
    ProcessEpoch epoch;
    LiveConvolutionEngine live(epoch);
    live.setInputRouting(1.0);
    ASSERT_TRUE(convtest::prepare(live, ir.l, ir.r));
    const Stereo first{std::vector<float>(in.l.begin(), in.l.begin() + change),
                       std::vector<float>(in.r.begin(), in.r.begin() + change)};
    const Stereo second{std::vector<float>(in.l.begin() + change, in.l.end()),
                        std::vector<float>(in.r.begin() + change, in.r.end())};
    Output out = convtest::run(live, epoch, first.l, first.r, {333});
    live.setInputRouting(-0.5);
    const Output after = convtest::run(live, epoch, second.l, second.r, {333});
    out.wetL.insert(out.wetL.end(), after.wetL.begin(), after.wetL.end());
    out.wetR.insert(out.wetR.end(), after.wetR.begin(), after.wetR.end());

    const Stereo straight = convtest::routed(in, 1.0), crossed = convtest::routed(in, -0.5);
    Stereo x = straight;
    std::copy(crossed.l.begin() + change, crossed.l.end(), x.l.begin() + change);
    std::copy(crossed.r.begin() + change, crossed.r.end(), x.r.begin() + change);
    const double gain = convtest::normalisation(ir);
    const std::vector<double> wantL = convtest::directSparse(x.l, ir.l, gain, 0);
    const std::vector<double> wantR = convtest::directSparse(x.r, ir.r, gain, 0);
    double worst = 0.0;
    for (size_t t = 0; t < static_cast<size_t>(frames); ++t) {
        worst = std::max(worst, std::fabs(out.wetL[t] - wantL[t]));
        worst = std::max(worst, std::fabs(out.wetR[t] - wantR[t]));
    }
    EXPECT_LE(worst, kTolerance);
}

// The same normalised IR as the standard engine, at zero latency: the live
// output at frame t is the standard output at t + kLatency, for the lengths a
// 1.5 s IR has at four rates (the two higher ones cut at the capacity).
TEST(LiveConvolution, MatchesTheStandardEngineAdvancedByItsLatency)
{
    const int frames = kCapacity + 6000;
    const Stereo in = noise(frames + kLatency, 51u);
    for (const int rate : {44100, 48000, 96000, 192000}) {
        const int length = std::min(kCapacity, rate * 3 / 2);
        const Stereo ir = decayingIR(length, 61u + static_cast<unsigned>(rate));
        const Stereo live{std::vector<float>(in.l.begin(), in.l.begin() + frames),
                          std::vector<float>(in.r.begin(), in.r.begin() + frames)};
        const Output fast = runLive(ir, 0.2, live, {64});

        ProcessEpoch epoch;
        engine::ConvolutionEngine standard(epoch);
        standard.setInputRouting(0.2);
        ASSERT_TRUE(convtest::prepare(standard, ir.l, ir.r));
        const Output late = convtest::run(standard, epoch, in.l, in.r, {4096});

        double worst = 0.0;
        for (size_t t = 0; t < static_cast<size_t>(frames); ++t) {
            worst = std::max(worst, std::fabs(static_cast<double>(fast.wetL[t]) - late.wetL[t + kLatency]));
            worst = std::max(worst, std::fabs(static_cast<double>(fast.wetR[t]) - late.wetR[t + kLatency]));
        }
        EXPECT_LE(worst, kTolerance) << rate << " Hz, IR of " << length << " frames";
        EXPECT_GT(convtest::largestMagnitude(fast.wetL), 0.1) << rate;
    }
}

// The whole path: the live edition reports no latency, and its output is the
// standard edition's advanced by that edition's latency, with a pre-delay
// that depends on the rate, the low-pass filter, width, balance and levels.
// (The high-pass pair and the shelf keep their recursion in single precision:
// near the bottom of their range they turn inputs one rounding step apart
// into outputs some 5e-5 apart, whichever engine fed them.)
TEST(LiveProcessingPath, OutputIsTheStandardEditionsAdvancedByItsLatency)
{
    const int rate = 96000;
    const int frames = 2 * kLatency;
    const pathtest::Stereo in = pathtest::noise(frames + kLatency, 71u);
    const Stereo ir = decayingIR(rate, 81u);

    auto render = [&](engine::Edition edition, int length) {
        engine::ProcessEpoch epoch;
        engine::ProcessingPath path(epoch, edition);
        path.setActive(1.0f);
        path.setWetLevel(3.0f);
        path.setDryLevel(-6.0f);
        path.setBalance(0.2);
        path.setInputRouting(0.6);
        path.setSampleRate(rate);
        path.setPreDelay(50.0f);
        path.setWidth(0.7f);
        path.setHighPassEnabled(0.0f);
        path.setLowPassEnabled(1.0f);
        path.setLowPassFrequency(9000.0f);
        path.setBalanceEnabled(0.0f);
        path.reset();
        EXPECT_TRUE(pathtest::prepareKernel(path, ir.l, ir.r));
        const pathtest::Stereo part{std::vector<float>(in.left.begin(), in.left.begin() + length),
                                    std::vector<float>(in.right.begin(), in.right.begin() + length)};
        pathtest::Stereo out = pathtest::silence(length);
        for (int done = 0; done < length; done += 512)
            path.process(part.left.data() + done, part.right.data() + done, out.left.data() + done,
                         out.right.data() + done, std::min(512, length - done));
        return std::make_pair(path.latencyFrames(), out);
    };
    const auto live = render(engine::Edition::Live, frames);
    const auto standard = render(engine::Edition::Standard, frames + kLatency);
    EXPECT_EQ(live.first, 0);
    EXPECT_EQ(standard.first, kLatency);

    double worst = 0.0, loudest = 0.0;
    for (size_t t = 0; t < static_cast<size_t>(frames); ++t) {
        worst = std::max(worst, std::fabs(static_cast<double>(live.second.left[t]) - standard.second.left[t + kLatency]));
        worst = std::max(worst, std::fabs(static_cast<double>(live.second.right[t]) - standard.second.right[t + kLatency]));
        loudest = std::max(loudest, static_cast<double>(std::fabs(live.second.left[t])));
    }
    EXPECT_LE(worst, kTolerance);
    EXPECT_GT(loudest, 0.1);
    // The pre-delay of 4800 frames: before it the live output is the dry signal alone.
    const float dryGain = engine::ProcessingPath::levelGain(-6.0f);
    EXPECT_EQ(live.second.left[100], static_cast<float>(in.left[100] * static_cast<double>(dryGain)));
}

} // namespace
