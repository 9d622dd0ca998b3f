#pragma once
// Helpers shared by the convolution tests: running the engine in calls of
// given sizes, and the independent reference it is held to, a time-domain
// linear convolution in double precision.
#include "engine/ConvolutionEngine.h"
#include "engine/Convolver.h"
#include "engine/Handover.h"

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace convtest {

constexpr int kLatency = engine::ConvolutionEngine::kLatencyFrames;
constexpr int kCapacity = engine::ConvolutionEngine::kCapacityFrames;

struct Output {
    std::vector<float> dryL, dryR, wetL, wetR;
};

struct Stereo {
    std::vector<float> l, r;
};

inline bool prepare(engine::Convolver& engine, const std::vector<float>& irL, const std::vector<float>& irR)
{
    // The engine takes one length for both channels; the shorter one is padded.
    const size_t frames = std::max(irL.size(), irR.size());
    std::vector<float> left(irL), right(irR);
    left.resize(frames, 0.0f);
    right.resize(frames, 0.0f);
    return engine.prepareKernel(left.data(), right.data(), static_cast<int>(frames));
}

inline std::vector<float> randomSignal(int frames, unsigned stream, float amplitude = 1.0f)
{
    std::mt19937 rng(stream);
    std::uniform_real_distribution<float> dist(-amplitude, amplitude);
    std::vector<float> v(static_cast<size_t>(frames));
    for (float& x : v)
        x = dist(rng);
    return v;
}

// Noise whose level falls exponentially to endLevel times its start.
inline std::vector<float> decayingNoise(int frames, unsigned stream, double endLevel, float amplitude = 1.0f)
{
    std::vector<float> v = randomSignal(frames, stream, amplitude);
    for (int i = 0; i < frames; ++i)
        v[i] = static_cast<float>(v[i] * std::pow(endLevel, static_cast<double>(i) / frames));
    return v;
}

// Feeds the whole input through the engine in calls of the given sizes (used
// in turn), each call inside a process scope as the effect makes it.
inline Output run(engine::Convolver& engine, engine::ProcessEpoch& epoch, const std::vector<float>& inL,
                  const std::vector<float>& inR, const std::vector<int>& callSizes = {512})
{
    const int total = static_cast<int>(inL.size());
    Output out;
    out.dryL.resize(inL.size());
    out.dryR.resize(inL.size());
    out.wetL.resize(inL.size());
    out.wetR.resize(inL.size());
    size_t call = 0;
    for (int done = 0; done < total;) {
        const int frames = std::min(callSizes[call++ % callSizes.size()], total - done);
        engine::ProcessEpoch::Scope scope(epoch);
        engine.exchange(inL.data() + done, inR.data() + done, out.dryL.data() + done, out.dryR.data() + done,
                        out.wetL.data() + done, out.wetR.data() + done, frames);
        done += frames;
    }
    return out;
}

// The input routing in double: r = 1 straight, -1 swapped, 0 the mono sum.
inline Stereo routed(const Stereo& in, double r)
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
// channels' first kLatency frames (1 for silence).
inline double normalisation(const Stereo& ir)
{
    double energy[2] = {0.0, 0.0};
    const std::vector<float>* ch[2] = {&ir.l, &ir.r};
    for (int c = 0; c < 2; ++c)
        for (size_t i = 0; i < std::min(ch[c]->size(), static_cast<size_t>(kLatency)); ++i)
            energy[c] += static_cast<double>((*ch[c])[i]) * (*ch[c])[i];
    const float w = static_cast<float>(std::max(std::sqrt(energy[0]), std::sqrt(energy[1])));
    return w == 0.0f ? 1.0 : 1.0 / w;
}

// Frame t of gain * (x convolved with h), delayed by `latency`, in double.
inline double directAt(const std::vector<float>& x, const std::vector<float>& h, double gain, int t,
                       int latency = kLatency)
{
    const int n = t - latency;  // the newest input frame that reaches t
    if (n < 0)
        return 0.0;
    // Raw pointers: this loop dominates the tests in unoptimised builds.
    const float* xp = x.data();
    const float* hp = h.data();
    const int taps = std::min(static_cast<int>(h.size()), n + 1);
    const int newest = std::min(n, static_cast<int>(x.size()) - 1);
    double sum = 0.0;
    for (int k = n - newest; k < taps; ++k)
        sum += static_cast<double>(xp[n - k]) * hp[k];
    return sum * gain;
}

// The whole wet stream of a sparse IR (only its nonzero taps cost anything).
inline std::vector<double> directSparse(const std::vector<float>& x, const std::vector<float>& h, double gain,
                                        int latency = kLatency)
{
    std::vector<double> y(x.size(), 0.0);
    for (int k = 0; k < static_cast<int>(h.size()); ++k) {
        if (h[k] == 0.0f)
            continue;
        const double a = static_cast<double>(h[k]) * gain;
        for (int t = latency + k; t < static_cast<int>(x.size()); ++t)
            y[t] += a * x[t - latency - k];
    }
    return y;
}

inline double largestMagnitude(const std::vector<float>& v)
{
    double m = 0.0;
    for (float x : v)
        m = std::max(m, static_cast<double>(std::fabs(x)));
    return m;
}

} // namespace convtest
