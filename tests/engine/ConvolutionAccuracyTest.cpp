// The engine's wet signal against a time-domain linear convolution in double
// precision: within 1e-6 of full scale, whatever the host's call sizes, for a
// dense full-length IR and for sparse IRs whose taps sit at the edges of the
// engine's partitions, and with no wrap-around at any IR length up to the
// capacity. The dry signal is the input, exactly, kLatency frames late.
#include "engine/ConvolutionEngine.h"

#include "ConvolutionTestSupport.h"

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
using engine::ConvolutionEngine;
using engine::ProcessEpoch;
using engine::VectorPath;

constexpr double kTolerance = 1e-6;  // of full scale

// Every call size the other engine tests use, alone and mixed.
const std::vector<std::vector<int>> kCallSizes = {{1}, {7}, {64}, {512}, {4096}, {65537}, {1, 7, 512, 4096, 65537, 333}};

Stereo noise(int frames, unsigned stream, float amplitude)
{
    return {convtest::randomSignal(frames, stream, amplitude), convtest::randomSignal(frames, stream + 1000u, amplitude)};
}

// Both instruction-set paths where this machine has them: each test runs on
// every one.
std::vector<VectorPath> paths()
{
    std::vector<VectorPath> p{VectorPath::Sse2};
    if (engine::vectorPathAvailable(VectorPath::Avx2Fma))
        p.push_back(VectorPath::Avx2Fma);
    return p;
}

Output runEngine(const Stereo& ir, double routing, const Stereo& in, const std::vector<int>& calls,
                 VectorPath path)
{
    ProcessEpoch epoch;
    ConvolutionEngine conv(epoch, path);
    EXPECT_EQ(conv.vectorPath(), path);
    conv.setInputRouting(routing);
    EXPECT_TRUE(convtest::prepare(conv, ir.l, ir.r));
    return convtest::run(conv, epoch, in.l, in.r, calls);
}

// Frames where a partition of any size from 1024 to 65536 frames begins or
// ends, up to `frames`, and a spread of frames between them.
std::vector<int> checkedFrames(int frames, unsigned stream)
{
    std::vector<int> at;
    for (int edge = kLatency; edge < frames; edge += 1024)
        for (int d : {-1, 0, 1})
            if (edge + d < frames)
                at.push_back(edge + d);
    std::mt19937 rng(stream);
    std::uniform_int_distribution<int> anywhere(kLatency, frames - 1);
    for (int i = 0; i < 200; ++i)
        at.push_back(anywhere(rng));
    at.push_back(frames - 1);
    return at;
}

struct Reference {
    std::vector<int> frames;
    std::vector<double> left, right;
};

Reference directAtFrames(const Stereo& ir, double routing, const Stereo& in, const std::vector<int>& frames)
{
    const Stereo x = convtest::routed(in, routing);
    const double gain = convtest::normalisation(ir);
    Reference ref{frames, {}, {}};
    for (int t : frames) {
        ref.left.push_back(convtest::directAt(x.l, ir.l, gain, t));
        ref.right.push_back(convtest::directAt(x.r, ir.r, gain, t));
    }
    return ref;
}

double worstError(const Output& out, const Reference& ref)
{
    double worst = 0.0;
    for (size_t i = 0; i < ref.frames.size(); ++i) {
        const size_t t = static_cast<size_t>(ref.frames[i]);
        worst = std::max(worst, std::fabs(out.wetL[t] - ref.left[i]));
        worst = std::max(worst, std::fabs(out.wetR[t] - ref.right[i]));
    }
    return worst;
}

bool dryIsTheDelayedInput(const Output& out, const Stereo& in)
{
    for (size_t t = 0; t < in.l.size(); ++t) {
        const float l = t < static_cast<size_t>(kLatency) ? 0.0f : in.l[t - kLatency];
        const float r = t < static_cast<size_t>(kLatency) ? 0.0f : in.r[t - kLatency];
        if (out.dryL[t] != l || out.dryR[t] != r)
            return false;
    }
    return true;
}

std::string describe(const std::vector<int>& calls)
{
    std::string s = "calls of";
    for (int c : calls)
        s += " " + std::to_string(c);
    return s;
}

// A dense IR of the full capacity whose end is still loud, under noise at
// -6 dBFS: by the last frame every tap has met real input, so a wrap-around
// or a lost partition anywhere would show. Every call size gives the same
// stream, bit for bit.
TEST(ConvolutionAccuracy, DenseFullLengthIrForEveryCallSize)
{
    const Stereo ir{convtest::decayingNoise(kCapacity, 1u, 0.3), convtest::decayingNoise(kCapacity, 2u, 0.6)};
    const int frames = kLatency + kCapacity + 20000;
    const Stereo in = noise(frames, 3u, 0.5f);
    const double routing = 0.5;
    const Reference ref = directAtFrames(ir, routing, in, checkedFrames(frames, 4u));
    double peak = 0.0;
    for (double v : ref.left)
        peak = std::max(peak, std::fabs(v));
    ASSERT_GT(peak, 0.3);

    for (const VectorPath path : paths()) {
        Output first;
        for (const std::vector<int>& calls : kCallSizes) {
            const Output out = runEngine(ir, routing, in, calls, path);
            const std::string what = describe(calls) + " on " + engine::vectorPathName(path);
            EXPECT_LE(worstError(out, ref), kTolerance) << what;
            EXPECT_TRUE(dryIsTheDelayedInput(out, in)) << what;
            if (first.wetL.empty())
                first = out;
            else
                EXPECT_TRUE(out.wetL == first.wetL && out.wetR == first.wetR) << what;
        }
    }
}

// Single taps at the first and last frame of partitions of 4096 and 32768
// frames, and at the capacity's last frame, under every routing: the whole
// stream, every frame, against the direct convolution.
TEST(ConvolutionAccuracy, SparseTapsAtPartitionEdges)
{
    Stereo ir{std::vector<float>(kCapacity, 0.0f), std::vector<float>(kCapacity, 0.0f)};
    const int taps[] = {0, 1, 4095, 4096, 8191, 32767, 32768, 65535, 65536, 98303, 98304, kCapacity - 2, kCapacity - 1};
    float value = 0.9f;
    for (int at : taps) {
        ir.l[at] = value;
        ir.r[kCapacity - 1 - at] = -value;
        value = -value * 0.93f;
    }
    const int frames = kLatency + kCapacity + 6000;
    const Stereo in = noise(frames, 10u, 0.5f);
    for (const double routing : {1.0, -1.0, 0.0, 0.3}) {
        const Stereo x = convtest::routed(in, routing);
        const double gain = convtest::normalisation(ir);
        const std::vector<double> wantL = convtest::directSparse(x.l, ir.l, gain);
        const std::vector<double> wantR = convtest::directSparse(x.r, ir.r, gain);
        for (const VectorPath path : paths()) {
            const Output out = runEngine(ir, routing, in, {509, 4096, 3}, path);
            double worst = 0.0;
            for (int t = 0; t < frames; ++t) {
                worst = std::max(worst, std::fabs(out.wetL[t] - wantL[t]));
                worst = std::max(worst, std::fabs(out.wetR[t] - wantR[t]));
            }
            EXPECT_LE(worst, kTolerance) << "routing " << routing << " on " << engine::vectorPathName(path);
            EXPECT_GT(convtest::largestMagnitude(out.wetL), 0.1);
        }
    }
}

// Lengths just past a partition edge, and IRs of different lengths in the
// two channels.
TEST(ConvolutionAccuracy, IrLengthsUpToTheCapacity)
{
    struct Case {
        int left, right;
        double routing;
    };
    for (const Case c : {Case{1, 1, -1.0}, Case{1000, 300, 0.0}, Case{32769, 4097, 1.0}, Case{65537, 100000, 0.7},
                         Case{kCapacity - 1, kCapacity, 0.5}}) {
        const Stereo ir{convtest::decayingNoise(c.left, 20u + c.left, 0.5),
                        convtest::decayingNoise(c.right, 30u + c.right, 0.2)};
        const int frames = kLatency + std::max(c.left, c.right) + 3000;
        const Stereo in = noise(frames, 40u, 0.5f);
        const Reference ref = directAtFrames(ir, c.routing, in, checkedFrames(frames, 50u));
        for (const VectorPath path : paths()) {
            const Output out = runEngine(ir, c.routing, in, {777}, path);
            const std::string what = "IR of " + std::to_string(c.left) + " / " + std::to_string(c.right) +
                                     " frames on " + engine::vectorPathName(path);
            EXPECT_LE(worstError(out, ref), kTolerance) << what;
            EXPECT_GT(convtest::largestMagnitude(out.wetR), 0.05) << what;
        }
    }
}

} // namespace
