#pragma once
// Helpers shared by the convolution tests: the effect's ConvolutionEngine and
// the BlockConvolver it is measured against have the same interface.
#include "engine/BlockConvolver.h"
#include "engine/ConvolutionEngine.h"
#include "engine/Handover.h"

#include <algorithm>
#include <random>
#include <vector>

namespace convtest {

constexpr int kBlock = engine::ConvolutionEngine::kBlockFrames;
constexpr int kSpectrumFloats = 2 * engine::ConvolutionEngine::kFftPoints;
static_assert(engine::BlockConvolver::kBlockFrames == kBlock && engine::BlockConvolver::kFftPoints * 2 == kSpectrumFloats,
              "both engines take the same kernel layout and have the same latency");

struct Output {
    std::vector<float> dryL, dryR, wetL, wetR;
};

// The IR as the IR pipeline hands it over: frame i at float 4i.
inline std::vector<float> toSlotLayout(const std::vector<float>& frames)
{
    std::vector<float> a(kSpectrumFloats, 0.0f);
    const size_t count = std::min(frames.size(), static_cast<size_t>(engine::ConvolutionEngine::kKernelCapacity));
    for (size_t i = 0; i < count; ++i)
        a[4 * i] = frames[i];
    return a;
}

template <class Engine>
bool prepare(Engine& engine, const std::vector<float>& irL, const std::vector<float>& irR)
{
    const std::vector<float> left = toSlotLayout(irL);
    const std::vector<float> right = toSlotLayout(irR);
    return engine.prepareKernel(left.data(), right.data());
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

// Feeds the whole input through the engine in calls of the given sizes (used
// in turn), each call inside a process scope as the effect makes it.
template <class Engine>
Output run(Engine& engine, engine::ProcessEpoch& epoch, const std::vector<float>& inL, const std::vector<float>& inR,
           const std::vector<int>& callSizes = {512})
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

} // namespace convtest
