#include "engine/LevelKernel.h"

#include <algorithm>
#include <new>

namespace engine {

std::unique_ptr<LevelKernel> LevelKernel::prepare(const float* left, const float* right,
                                                  const NormalisedExtent& extent, const LiveLevel& level,
                                                  const RealFft& fft)
{
    const int b = level.blockFrames;
    int partitions = 0;
    while (partitions < level.partitions && level.offsetFrames + partitions * b < extent.frames)
        ++partitions;
    std::unique_ptr<LevelKernel> kernel;
    try {
        kernel.reset(new LevelKernel());
        kernel->imOffset_ = imOffsetFor(fft.points());
        kernel->spectra_ = AlignedFloats(kernel->offset(std::max(partitions, 1), 0));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    kernel->partitions_ = partitions;

    const double gain = extent.gain / fft.size();
    const float* channels[2] = {left, right};
    for (int j = 0; j < partitions; ++j) {
        const int first = level.offsetFrames + j * b;
        for (int c = 0; c < 2; ++c) {
            // The partition in the first half of the transform, zeros after it,
            // so that its products with two blocks of input never wrap.
            float* re = kernel->spectra_.data() + kernel->offset(j, c);
            float* im = re + kernel->imOffset_;
            for (int i = 0; i < b / 2; ++i) {
                const int at = first + 2 * i;
                re[i] = at < extent.frames ? static_cast<float>(channels[c][at] * gain) : 0.0f;
                im[i] = at + 1 < extent.frames ? static_cast<float>(channels[c][at + 1] * gain) : 0.0f;
            }
            fft.forward(re, im);
        }
    }
    return kernel;
}

} // namespace engine
