#include "engine/PartitionKernel.h"

#include <algorithm>
#include <new>

namespace engine {

std::unique_ptr<PartitionKernel> PartitionKernel::prepare(const float* left, const float* right, int frames,
                                                          const RealFft& fft)
{
    const NormalisedExtent extent = KernelNormalisation::of(left, right, frames);
    frames = extent.frames;
    const int partitions = (frames + kPartitionFrames - 1) / kPartitionFrames;
    std::unique_ptr<PartitionKernel> kernel;
    try {
        kernel.reset(new PartitionKernel());
        kernel->spectra_ = AlignedFloats(offset(std::max(partitions, 1), 0));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    kernel->partitions_ = partitions;

    const double gain = extent.gain / fft.size();

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
