#pragma once
// The part of the normalised IR that one level of the live convolution
// multiplies with: the level's partitions of B frames from IR frame d on,
// each zero-padded to 2B samples and transformed (RealFft layout), for both
// channels. Only the partitions up to the IR's last nonzero frame are kept,
// so that a short IR costs less; the factor 1/2B of the inverse transform is
// folded in.
#include "engine/AlignedFloats.h"
#include "engine/KernelNormalisation.h"
#include "engine/LivePartitionPlan.h"
#include "engine/RealFft.h"

#include <cstddef>
#include <memory>

namespace engine {

class LevelKernel {
public:
    // Non-audio thread. `fft` transforms 2B samples of the level's B.
    // Returns nullptr when the memory cannot be had.
    static std::unique_ptr<LevelKernel> prepare(const float* left, const float* right, const NormalisedExtent& extent,
                                                const LiveLevel& level, const RealFft& fft);

    // Partitions kept: none when the IR ends before the level.
    int partitions() const { return partitions_; }

    const float* re(int partition, int channel) const { return spectra_.data() + offset(partition, channel); }
    const float* im(int partition, int channel) const { return re(partition, channel) + imOffset_; }

    // A partition's storage, for the engine to compute in once the kernel is
    // being replaced and that partition has taken its last product. A kernel
    // with no partitions still has storage for partition 0.
    float* spentRe(int partition, int channel) { return spectra_.data() + offset(partition, channel); }
    float* spentIm(int partition, int channel) { return spentRe(partition, channel) + imOffset_; }

    // A spectrum's imaginary parts start one cache line after the space its
    // real parts take, so that arrays a power of two apart do not all share
    // cache sets.
    static int imOffsetFor(int points) { return points + 16; }

private:
    LevelKernel() = default;

    std::size_t offset(int partition, int channel) const
    {
        return 2 * static_cast<std::size_t>(imOffset_) * (2 * static_cast<std::size_t>(partition) + channel);
    }

    int partitions_ = 0;
    int imOffset_ = 0;
    AlignedFloats spectra_;
};

} // namespace engine
