#include "engine/PartitionKernel.h"

#include <algorithm>
#include <cmath>
#include <new>

namespace engine {

namespace {

double leadingEnergy(const float* ir, int frames)
{
    double sum = 0.0;
    for (int i = 0; i < std::min(frames, PartitionKernel::kEnergyFrames); ++i)
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

std::unique_ptr<PartitionKernel> PartitionKernel::prepare(const float* left, const float* right, int frames,
                                                          const RealFft& fft)
{
    frames = soundingFrames(left, right, std::clamp(frames, 0, kCapacityFrames));
    const int partitions = (frames + kPartitionFrames - 1) / kPartitionFrames;
    std::unique_ptr<PartitionKernel> kernel;
    try {
        kernel.reset(new PartitionKernel());
        kernel->spectra_ = AlignedFloats(offset(std::max(partitions, 1), 0));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    kernel->partitions_ = partitions;

    const float w =
        static_cast<float>(std::max(std::sqrt(leadingEnergy(left, frames)), std::sqrt(leadingEnergy(right, frames))));
    const double gain = (w != 0.0f ? 1.0 / w : 1.0) / fft.size();

    const float* channels[2] = {left, right};
    for (int j = 0; j < partitions; ++j) {
        const int first = j * kPartitionFrames;
        for (int c = 0; c < 2; ++c) {
            // The partition in the first half of the transform, zeros after it,
            // so that its products with two partitions of input never wrap.
            float* re = kernel->spectra_.data() + offset(j, c);
            float* im = re + kImOffset;
            for (int i = 0; i < kPartitionFrames / 2; ++i) {
                const int at = first + 2 * i;
                re[i] = at < frames ? static_cast<float>(channels[c][at] * gain) : 0.0f;
                im[i] = at + 1 < frames ? static_cast<float>(channels[c][at + 1] * gain) : 0.0f;
            }
            fft.forward(re, im);
        }
    }
    return kernel;
}

} // namespace engine
