#pragma once
// The normalised IR in the form the convolution engine multiplies with: both
// channels cut into partitions of kPartitionFrames frames, each zero-padded to
// twice its length and transformed (RealFft layout). Only the partitions up to
// the IR's last nonzero frame are kept, so a short IR costs less to run.
//
// Both channels are scaled together as KernelNormalisation says; the factor
// 1/N of the inverse transform is folded in too.
#include "engine/AlignedFloats.h"
#include "engine/KernelNormalisation.h"
#include "engine/RealFft.h"
#include "params/EffectConstants.h"

#include <cstddef>
#include <memory>

namespace engine {

class PartitionKernel {
public:
    // Half the latency: the work for a partition spreads over the next one's
    // period, and its result plays in the period after.
    static constexpr int kPartitionFrames = effect::kLatencyFrames / 2;
    static constexpr int kLog2Size = 16;  // transforms of two partitions' length
    static_assert((1 << kLog2Size) == 2 * kPartitionFrames, "a partition fills half a transform");
    static constexpr int kPoints = kPartitionFrames;  // complex points per spectrum
    // A spectrum's imaginary parts start this far after its real parts: one
    // cache line more than the real parts take, so that arrays a power of two
    // apart do not all fall into the same cache set. The engine lays out its
    // own spectra the same way.
    static constexpr int kImOffset = kPoints + 16;
    static constexpr int kCapacityFrames = effect::kIRCapacityFrames;
    static constexpr int kMaxPartitions = kCapacityFrames / kPartitionFrames;
    static_assert(kMaxPartitions * kPartitionFrames == kCapacityFrames, "whole partitions cover the capacity");
    // The normalisation measures this many frames from the start of each channel.
    static constexpr int kEnergyFrames = KernelNormalisation::kEnergyFrames;

    // Non-audio thread. `left` and `right` hold `frames` samples each (at most
    // kCapacityFrames are used); `fft` transforms 2 * kPartitionFrames samples.
    // Returns nullptr when the memory cannot be had.
    static std::unique_ptr<PartitionKernel> prepare(const float* left, const float* right, int frames,
                                                    const RealFft& fft);

    // Partitions kept: none for a silent IR.
    int partitions() const { return partitions_; }

    // The spectrum of one partition of one channel (0 left, 1 right).
    const float* re(int partition, int channel) const { return spectra_.data() + offset(partition, channel); }
    const float* im(int partition, int channel) const { return re(partition, channel) + kImOffset; }

    // A partition's storage for one channel, for the engine to compute in
    // once it has taken that partition's last product: a kernel being
    // replaced is never multiplied with again from the partition it spent.
    // A silent kernel, with no partitions, still has storage for partition 0.
    float* spentRe(int partition, int channel) { return spectra_.data() + offset(partition, channel); }
    float* spentIm(int partition, int channel) { return spentRe(partition, channel) + kImOffset; }

private:
    PartitionKernel() = default;

    // After the engine's twenty arrays' worth of cache-line skews, so that the
    // kernel's arrays take other cache sets than the engine's.
    static constexpr std::size_t kFirstSkew = 20 * 16;

    static std::size_t offset(int partition, int channel)
    {
        return kFirstSkew + 2 * static_cast<std::size_t>(kImOffset) * (2 * static_cast<std::size_t>(partition) + channel);
    }

    int partitions_ = 0;
    AlignedFloats spectra_;
};

} // namespace engine
