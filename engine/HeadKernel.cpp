#include "engine/HeadKernel.h"

#include <new>

namespace engine {

std::unique_ptr<HeadKernel> HeadKernel::prepare(const float* left, const float* right, const NormalisedExtent& extent,
                                                int taps)
{
    std::unique_ptr<HeadKernel> kernel;
    try {
        kernel.reset(new HeadKernel());
        kernel->data_ = AlignedFloats(2 * static_cast<std::size_t>(taps));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    kernel->taps_ = taps;
    const float* channels[2] = {left, right};
    for (int c = 0; c < 2; ++c) {
        float* out = kernel->data_.data() + c * taps;
        for (int i = 0; i < taps && i < extent.frames; ++i) {
            out[taps - 1 - i] = static_cast<float>(channels[c][i] * extent.gain);
            kernel->sounding_ = kernel->sounding_ || out[taps - 1 - i] != 0.0f;
        }
    }
    return kernel;
}

} // namespace engine
