#pragma once
// The normalised IR in the form the partitioned convolution multiplies with:
// both channels cut into partitions of kPartitionFrames frames, each partition
// zero-padded to kPoints points and transformed, kept as its half spectrum.
//
// Both channels are scaled together so that the channel with more energy in
// its first 65536 frames has an energy of 1 there (a silent start leaves the
// IR unscaled). The factor 1/kPoints of the inverse transform is folded in too.
#include "params/EffectConstants.h"

#include <memory>
#include <vector>

namespace engine {

class PartitionKernel {
public:
    static constexpr int kPartitionFrames = 4096;
    static constexpr int kPoints = 2 * kPartitionFrames;
    static constexpr int kBins = kPoints / 2 + 1;
    static constexpr int kCapacityFrames = effect::kIRCapacityFrames;
    static constexpr int kPartitions = kCapacityFrames / kPartitionFrames;
    static_assert(kPartitions * kPartitionFrames == kCapacityFrames, "whole partitions cover the capacity");
    // The normalisation measures this many frames from the start of each channel.
    static constexpr int kEnergyFrames = effect::kLatencyFrames;

    // Non-audio thread. `left` and `right` hold `frames` samples each (at most
    // kCapacityFrames are used; frames after those count as zero). Returns
    // nullptr when the memory cannot be had.
    static std::unique_ptr<PartitionKernel> prepare(const float* left, const float* right, int frames);

    // Bins 0 .. kBins-1 of one partition of one channel (0 left, 1 right), as
    // interleaved (real, imaginary) floats.
    const float* bins(int partition, int channel) const
    {
        return spectra_.data() + 2 * static_cast<size_t>(kBins) * (2 * static_cast<size_t>(partition) + channel);
    }

private:
    PartitionKernel() = default;

    float* binsToFill(int partition, int channel) { return const_cast<float*>(bins(partition, channel)); }

    std::vector<float> spectra_;
};

} // namespace engine
