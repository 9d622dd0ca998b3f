#include "engine/KernelNormalisation.h"

#include <algorithm>
#include <cmath>

namespace engine {

namespace {

double leadingEnergy(const float* ir, int frames)
{
    double sum = 0.0;
    for (int i = 0; i < std::min(frames, KernelNormalisation::kEnergyFrames); ++i)
        sum += static_cast<double>(ir[i]) * ir[i];
    return sum;
}

// Frames up to and including the last nonzero one in either channel.
int soundingFrames(const float* left, const float* right, int frames)
{
    while (frames > 0 && left[frames - 1] == 0.0f && right[frames - 1] == 0.0f)
        --frames;
    return frames;
}

} // namespace

NormalisedExtent KernelNormalisation::of(const float* left, const float* right, int frames)
{
    frames = frames > 0 ? soundingFrames(left, right, std::min(frames, kCapacityFrames)) : 0;
    // The larger root energy, rounded to single precision as the engines
    // have always taken it.
    const float w =
        static_cast<float>(std::max(std::sqrt(leadingEnergy(left, frames)), std::sqrt(leadingEnergy(right, frames))));
    return {frames, w != 0.0f ? 1.0 / w : 1.0};
}

} // namespace engine
