#pragma once
// The effect's stereo convolution, with a fixed latency of kLatencyFrames
// (65536) frames for both the wet and the dry signal.
//
// Frames are exchanged one at a time: the input frame goes in, and the dry
// frame (the input of kLatencyFrames frames earlier, unrouted) and the wet
// frame come out. The wet signal is the exact linear convolution of the routed
// input with the normalised IR (up to kCapacityFrames frames), delayed by
// kLatencyFrames.
//
// The convolution itself has a latency of only two partitions of 4096 frames
// and does its work at a fixed rate per frame (PartitionedConvolver); the rest
// of the latency is a plain delay of the input in front of it. So every
// exchange() costs in proportion to its frame count, wherever the partition
// and block boundaries fall, and nothing runs outside the calling thread: the
// output is the same for any call sizes and any speed of rendering.
//
// Settings take effect at partition boundaries (B = kPartitionFrames):
// - wet frames kB .. (k+1)B-1 are computed with one whole kernel, the newest
//   one published before the exchange reached frame (k-1)B;
// - input frames qB .. (q+1)B-1 are routed between the channels with the
//   routing set when the exchange reached frame (q+15)B, the moment they
//   enter the convolution.
#include "engine/Handover.h"
#include "engine/PartitionedConvolver.h"
#include "params/EffectConstants.h"

#include <vector>

namespace engine {

class ConvolutionEngine {
public:
    static constexpr int kLatencyFrames = effect::kLatencyFrames;
    static constexpr int kCapacityFrames = effect::kIRCapacityFrames;
    static constexpr int kPartitionFrames = PartitionedConvolver::kPartitionFrames;

    // The effect's process call holds a ProcessEpoch::Scope of `epoch` around
    // every exchange(), so that replaced kernels are freed only when unused.
    explicit ConvolutionEngine(ProcessEpoch& epoch);
    ConvolutionEngine(const ConvolutionEngine&) = delete;
    ConvolutionEngine& operator=(const ConvolutionEngine&) = delete;

    // Audio thread. For each of `frames` frames in order: takes the input frame
    // and writes the dry and wet frames. Inputs and outputs may be the same arrays.
    void exchange(const float* inL, const float* inR, float* dryL, float* dryR, float* wetL, float* wetR,
                  int frames);

    // Any thread. r = 1 keeps the channels, -1 swaps them, 0 feeds the mono
    // sum to both; values between cross-feed.
    void setInputRouting(double r) { convolver_.setInputRouting(r); }

    // Non-audio thread, concurrently with exchange(). `left` and `right` each
    // hold the `frames` samples of one channel of the shaped IR (only the first
    // kCapacityFrames are used); they are only read. Both channels are scaled
    // together so that the channel with more energy in its first
    // kLatencyFrames frames has an energy of 1 there (a silent start leaves the
    // IR unscaled). Returns false, leaving the kernel in force, when the new
    // kernel's memory cannot be had.
    bool prepareKernel(const float* left, const float* right, int frames)
    {
        return convolver_.prepareKernel(left, right, frames);
    }

    // While processing is stopped: drops all stored input, the work in progress
    // and all tails. The kernel stays.
    void reset();

    // Audio thread: units of convolution work done since construction, and
    // per partition period, for checking how evenly the work falls on the calls.
    long long workUnits() const { return convolver_.workUnits(); }
    long long workUnitsPerPartition() const { return convolver_.unitsPerPartition(); }

private:
    // The input waits this long before it is convolved.
    static constexpr int kInputDelay = kLatencyFrames - PartitionedConvolver::kLatencyFrames;
    static constexpr int kChunkFrames = 4096;
    static_assert(kChunkFrames <= kInputDelay, "a chunk of delayed input must already be stored");

    // The last kLatencyFrames input frames, unrouted; frame t at t mod kLatencyFrames.
    std::vector<float> history_[2];
    int position_ = 0;
    // The delayed input of the chunk being exchanged.
    std::vector<float> delayed_[2];

    PartitionedConvolver convolver_;
};

} // namespace engine
