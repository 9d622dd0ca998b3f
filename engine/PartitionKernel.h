#pragma once
// The normalised IR in the form the partitioned convolution multiplies with:
// both channels cut into partitions of kPartitionFrames frames, each partition
// zero-padded to twice its length and transformed (RealFft layout).
//
// Both channels are scaled together so that the channel with more energy in
// its first kEnergyFrames frames has an energy of 1 there (a silent start
// leaves the IR unscaled). The factor 1/N of the inverse transform is folded
// in too.
#include "engine/AlignedFloats.h"
#include "engine/RealFft.h"
#include "params/EffectConstants.h"

#include <cstddef>
#include <memory>

namespace engine {

class PartitionKernel {
public:
    static constexpr int kPartitionFrames = 4096;
    static constexpr int kLog2Size = 13;  // transforms of two partitions' length
    static_assert((1 << kLog2Size) == 2 * kPartitionFrames, "a partition fills half a transform");
    static constexpr int kPoints = kPartitionFrames;  // complex points per spectrum
    static constexpr int kCapacityFrames = effect::kIRCapacityFrames;
    static constexpr int kPartitions = kCapacityFrames / kPartitionFrames;
    static_assert(kPartitions * kPartitionFrames == kCapacityFrames, "whole partitions cover the capacity");
    // The normalisation measures this many frames from the start of each channel.
    static constexpr int kEnergyFrames = effect::kLatencyFrames;

    // Non-audio thread. `left` and `right` hold `frames` samples each (at most
    // kCapacityFrames are used; frames after those count as zero); `fft`
    // transforms 2 * kPartitionFrames samples. Returns nullptr when the memory
    // cannot be had.
    static std::unique_ptr<PartitionKernel> prepare(const float* left, const float* right, int frames,
                                                    const RealFft& fft);

    // The spectrum of one partition of one channel (0 left, 1 right).
    const float* re(int partition, int channel) const { return spectra_.data() + offset(partition, channel); }
    const float* im(int partition, int channel) const { return re(partition, channel) + kPoints; }

private:
    PartitionKernel() = default;

    static std::size_t offset(int partition, int channel)
    {
        return 2 * static_cast<std::size_t>(kPoints) * (2 * static_cast<std::size_t>(partition) + channel);
    }

    AlignedFloats spectra_;
};

} // namespace engine
