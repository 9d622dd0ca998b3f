#pragma once
// A processing path set up the way the effect leaves it after applying its
// parameter defaults, with a one-frame unit kernel (which the normalisation
// keeps at 1) and straight input routing unless a test says otherwise.
#include "engine/ConvolutionEngine.h"
#include "engine/Handover.h"
#include "engine/ProcessingPath.h"

#include <algorithm>
#include <memory>
#include <random>
#include <vector>

namespace pathtest {

constexpr int kLatency = engine::ConvolutionEngine::kLatencyFrames;

struct Stereo {
    std::vector<float> left, right;
};

inline Stereo silence(int frames)
{
    return {std::vector<float>(static_cast<size_t>(frames), 0.0f),
            std::vector<float>(static_cast<size_t>(frames), 0.0f)};
}

inline Stereo noise(int frames, unsigned stream)
{
    std::mt19937 rng(stream);
    std::uniform_real_distribution<float> dist(-1.0f, 1.0f);
    Stereo s = silence(frames);
    for (size_t i = 0; i < s.left.size(); ++i) {
        s.left[i] = dist(rng);
        s.right[i] = dist(rng);
    }
    return s;
}

// Both channels padded to one length, as the kernel preparation takes them.
inline bool prepareKernel(engine::ProcessingPath& path, const std::vector<float>& irL,
                          const std::vector<float>& irR)
{
    const size_t frames = std::max(irL.size(), irR.size());
    std::vector<float> left(irL), right(irR);
    left.resize(frames, 0.0f);
    right.resize(frames, 0.0f);
    return path.convolution().prepareKernel(left.data(), right.data(), static_cast<int>(frames));
}

struct Rig {
    engine::ProcessEpoch epoch;
    std::unique_ptr<engine::ProcessingPath> path = std::make_unique<engine::ProcessingPath>(epoch);

    explicit Rig(bool unitKernel = true)
    {
        engine::ProcessingPath& p = *path;
        p.setActive(1.0f);
        p.setWetLevel(0.0f);
        p.setDryLevel(0.0f);
        p.setWetBoost(0.0f);
        p.setBalance(0.0);
        p.setInputRouting(1.0);
        p.setPreDelay(0.0f);
        p.setWidth(1.0f);
        p.setHighPassFrequency(20.0f);
        p.setLowPassFrequency(20000.0f);
        p.setBalanceTilt(0.0f);
        p.setHighPassEnabled(0.0f);
        p.setBalanceEnabled(0.0f);
        p.setLowPassEnabled(0.0f);
        p.reset();
        if (unitKernel)
            prepareKernel(p, {1.0f}, {1.0f});
    }

    // Feeds `in` through the path in calls of the given sizes, used in turn.
    Stereo run(const Stereo& in, const std::vector<int>& callSizes = {512})
    {
        Stereo out = silence(static_cast<int>(in.left.size()));
        const int total = static_cast<int>(in.left.size());
        size_t call = 0;
        for (int done = 0; done < total;) {
            const int frames = std::min(callSizes[call++ % callSizes.size()], total - done);
            path->process(in.left.data() + done, in.right.data() + done, out.left.data() + done,
                          out.right.data() + done, frames);
            done += std::max(frames, 0);
        }
        return out;
    }
};

} // namespace pathtest
