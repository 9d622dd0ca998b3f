#pragma once
// The one normalisation of the shaped IR, shared by both convolution engines
// so that both editions convolve with the same kernel: both channels are
// scaled together so that the channel with more energy in its first
// kEnergyFrames frames has an energy of 1 there (a silent start leaves the IR
// unscaled), and only the frames up to the last nonzero one in either channel
// (at most the capacity) are kept.
#include "params/EffectConstants.h"

namespace engine {

struct NormalisedExtent {
    int frames;   // sounding frames: up to and including the last nonzero one, within the capacity
    double gain;  // the common scale of both channels
};

class KernelNormalisation {
public:
    static constexpr int kCapacityFrames = effect::kIRCapacityFrames;
    // The normalisation measures this many frames from the start of each channel.
    static constexpr int kEnergyFrames = effect::kLatencyFrames;

    // `left` and `right` hold `frames` samples each (null when frames is 0).
    static NormalisedExtent of(const float* left, const float* right, int frames);
};

} // namespace engine
