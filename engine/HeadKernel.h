#pragma once
// The first taps of the normalised IR, for the live convolution's direct-form
// head: both channels, each time-reversed so that an output frame is one dot
// product with the newest input frames (VectorKernels::directForm).
#include "engine/AlignedFloats.h"
#include "engine/KernelNormalisation.h"

#include <memory>

namespace engine {

class HeadKernel {
public:
    // Non-audio thread. `left` and `right` hold the IR whose extent and gain
    // `extent` gives; the first `taps` frames (a multiple of 32) are kept.
    // Returns nullptr when the memory cannot be had.
    static std::unique_ptr<HeadKernel> prepare(const float* left, const float* right, const NormalisedExtent& extent,
                                               int taps);

    int taps() const { return taps_; }
    // Whether any of the taps is nonzero: a silent head costs nothing.
    bool sounding() const { return sounding_; }
    // Channel 0 left, 1 right: taps() values, the last one for the newest frame.
    const float* reversed(int channel) const { return taps_ == 0 ? nullptr : data_.data() + channel * taps_; }

private:
    HeadKernel() = default;

    int taps_ = 0;
    bool sounding_ = false;
    AlignedFloats data_;
};

} // namespace engine
