#include "engine/BlockConvolver.h"
#include "engine/Fft.h"

#include "ConvolutionTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

using convtest::kBlock;
using convtest::kSpectrumFloats;
using convtest::Output;
using convtest::randomSignal;
using engine::BlockConvolver;
using engine::ProcessEpoch;

constexpr int kSlots = BlockConvolver::kBlockSlots;

struct Stereo {
    std::vector<float> l, r;
};

Stereo routed(const Stereo& in, double r)
{
    const double e = (r + 1.0) * 0.5;
    const double f = 1.0 - e;
    Stereo out{in.l, in.r};
    for (size_t i = 0; i < in.l.size(); ++i) {
        out.l[i] = static_cast<float>(e * in.l[i] + f * in.r[i]);
        out.r[i] = static_cast<float>(e * in.r[i] + f * in.l[i]);
    }
    return out;
}

// The common scale of both channels: one over the larger root energy of the
// channels' first blocks.
double normalisation(const Stereo& ir)
{
    double energy[2] = {0.0, 0.0};
    const std::vector<float>* ch[2] = {&ir.l, &ir.r};
    for (int c = 0; c < 2; ++c)
        for (size_t i = 0; i < std::min(ch[c]->size(), static_cast<size_t>(kBlock)); ++i)
            energy[c] += static_cast<double>((*ch[c])[i]) * (*ch[c])[i];
    const float w = static_cast<float>(std::max(std::sqrt(energy[0]), std::sqrt(energy[1])));
    return w == 0.0f ? 1.0 : 1.0 / w;
}

// Time-domain linear convolution in double, delayed by one block; skips zero
// input frames so that sparse inputs stay cheap.
std::vector<double> directWet(const std::vector<float>& x, const std::vector<float>& h, double gain, int frames)
{
    std::vector<double> y(static_cast<size_t>(frames), 0.0);
    // Raw pointers: this loop dominates the test in unoptimised builds.
    const float* hp = h.data();
    double* yp = y.data();
    for (int j = 0; j < static_cast<int>(x.size()); ++j) {
        if (x[j] == 0.0f)
            continue;
        const double a = static_cast<double>(x[j]) * gain;
        const int count = std::min(static_cast<int>(h.size()), frames - kBlock - j);
        for (int k = 0; k < count; ++k)
            yp[j + k + kBlock] += a * hp[k];
    }
    return y;
}

// The plain single-partition design: each routed block convolved on one
// 131072-frame circle whose upper half is carried as the next block's tail.
// It is exact only for IRs of up to 65537 frames.
Stereo singlePartitionWet(const Stereo& in, const Stereo& ir, double routing)
{
    const Stereo x = routed(in, routing);
    const int total = static_cast<int>(in.l.size());
    const float scale = 1.0f / BlockConvolver::kFftPoints;
    const double gain = normalisation(ir);
    Stereo wet{std::vector<float>(in.l.size(), 0.0f), std::vector<float>(in.l.size(), 0.0f)};
    const std::vector<float>* irCh[2] = {&ir.l, &ir.r};
    const std::vector<float>* xCh[2] = {&x.l, &x.r};
    std::vector<float>* wetCh[2] = {&wet.l, &wet.r};
    for (int c = 0; c < 2; ++c) {
        std::vector<float> kernel = convtest::toSlotLayout(*irCh[c]);
        engine::fftForward(kernel.data(), kSpectrumFloats);
        for (float& v : kernel)
            v = static_cast<float>(v * gain);
        std::vector<float> work(kSpectrumFloats, 0.0f);
        std::vector<float> block(kSlots);
        for (int p = 0; (p + 1) * kBlock < total; ++p) {
            for (int i = 0; i < kSlots; ++i)
                block[i] = scale * work[2 * (kSlots + i)];
            std::fill(work.begin(), work.end(), 0.0f);
            for (int k = 0; k < kBlock; ++k)
                work[4 * k] = (*xCh[c])[static_cast<size_t>(p * kBlock + k)];
            engine::fftForward(work.data(), kSpectrumFloats);
            for (int k = 0; k < kSpectrumFloats; k += 2) {
                const float ar = work[k], ai = work[k + 1], br = kernel[k], bi = kernel[k + 1];
                work[k] = ar * br - ai * bi;
                work[k + 1] = ai * br + ar * bi;
            }
            engine::fftBackward(work.data(), kSpectrumFloats);
            for (int i = 0; i < kSlots; ++i)
                block[i] += scale * work[2 * i];
            for (int k = 0; k < kBlock && (p + 1) * kBlock + k < total; ++k)
                (*wetCh[c])[static_cast<size_t>((p + 1) * kBlock + k)] = block[2 * k];
        }
    }
    return wet;
}

template <class V>
double largestDifference(const std::vector<float>& a, const V& b)
{
    double worst = 0.0;
    for (size_t i = 0; i < a.size(); ++i)
        worst = std::max(worst, std::fabs(a[i] - static_cast<double>(b[i])));
    return worst;
}

double largestMagnitude(const std::vector<double>& v)
{
    double m = 0.0;
    for (double x : v)
        m = std::max(m, std::fabs(x));
    return m;
}

std::vector<float> decayingNoise(int frames, unsigned stream, float amplitude, double endLevel)
{
    std::vector<float> v = randomSignal(frames, stream, amplitude);
    for (int i = 0; i < frames; ++i)
        v[i] = static_cast<float>(v[i] * std::pow(endLevel, static_cast<double>(i) / frames));
    return v;
}

// A full-length IR whose second half is still loud. The input mixes isolated
// frames at block edges with a dense stretch across a block boundary, so that
// every part of the response lands in some block period where a wrap-around
// on the 131072-frame circle would show.
TEST(BlockConvolverLinearity, FullLengthIrGivesTheExactLinearConvolution)
{
    const Stereo ir{decayingNoise(131072, 21u, 1.0f, 0.3), decayingNoise(131072, 22u, 0.5f, 0.5)};
    const int frames = 5 * kBlock - 1;
    Stereo in{std::vector<float>(frames, 0.0f), std::vector<float>(frames, 0.0f)};
    const std::vector<float> denseL = randomSignal(512, 23u), denseR = randomSignal(512, 24u);
    for (int i = 0; i < 512; ++i) {
        in.l[kBlock - 256 + i] = denseL[i];
        in.r[kBlock - 256 + i] = denseR[i];
    }
    for (int at : {0, 1, 300, kBlock + kBlock / 2, 2 * kBlock - 1}) {
        in.l[at] = 0.9f;
        in.r[at] = -0.7f;
    }

    ProcessEpoch epoch;
    BlockConvolver conv(epoch);
    ASSERT_TRUE(convtest::prepare(conv, ir.l, ir.r));
    const Output out = convtest::run(conv, epoch, in.l, in.r, {4096});

    const double routing = 0.5;
    const Stereo x = routed(in, routing);
    const double gain = normalisation(ir);
    const std::vector<double> expectL = directWet(x.l, ir.l, gain, frames);
    const std::vector<double> expectR = directWet(x.r, ir.r, gain, frames);
    const double peak = std::max(largestMagnitude(expectL), largestMagnitude(expectR));
    ASSERT_GT(peak, 0.01);
    const double tolerance = 1e-6 * peak;
    EXPECT_LT(largestDifference(out.wetL, expectL), tolerance);
    EXPECT_LT(largestDifference(out.wetR, expectR), tolerance);

    // The same case through the plain design is far off: the check above is
    // sensitive to exactly the wrap-around it rules out.
    const Stereo plain = singlePartitionWet(in, ir, routing);
    EXPECT_GT(largestDifference(plain.l, expectL), 100 * tolerance);
}

// Up to 65537 frames the plain design is exact too; the split kernel must
// then give the same stream, whatever the input.
TEST(BlockConvolverLinearity, IrsUpTo65537FramesMatchThePlainDesign)
{
    const Stereo ir{decayingNoise(65537, 31u, 1.0f, 0.2), decayingNoise(40000, 32u, 1.0f, 0.1)};
    const int frames = 3 * kBlock - 1;
    const Stereo in{randomSignal(frames, 33u), randomSignal(frames, 34u)};

    ProcessEpoch epoch;
    BlockConvolver conv(epoch);
    conv.setInputRouting(0.2);
    ASSERT_TRUE(convtest::prepare(conv, ir.l, ir.r));
    const Output out = convtest::run(conv, epoch, in.l, in.r, {777});

    const Stereo plain = singlePartitionWet(in, ir, 0.2);
    double peak = 0.0;
    for (float v : plain.l)
        peak = std::max(peak, static_cast<double>(std::fabs(v)));
    ASSERT_GT(peak, 0.1);
    EXPECT_LT(largestDifference(out.wetL, plain.l), 1e-6 * peak);
    EXPECT_LT(largestDifference(out.wetR, plain.r), 1e-6 * peak);
}

} // namespace
