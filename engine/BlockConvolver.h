#pragma once
// Stereo block convolver with a fixed latency of one block (65536 frames).
//
// The model that the effect's ConvolutionEngine reproduces call for call; kept
// for tests and benchmarks. It is not real-time safe: the call that completes
// a block does four 262144-point transforms, each starting and joining worker
// threads.
//
// Frames are exchanged one at a time: the input frame goes into the current
// block, and the dry frame (the input of one block earlier, unrouted) and the
// wet frame come out. When a block is complete it is routed between the
// channels and convolved with the kernel by FFT, all inside the exchange call
// that completes it.
//
// Every signal that enters a transform uses the slot layout: frame k at slot
// 2k (the real part of complex point 2k of a spectrum), odd slots zero, so
// one 262144-point circle spans 131072 frames.
//
// The IR is split into two partitions of one block each. A block's spectrum
// is multiplied with the first partition, the previous block's spectrum with
// the second, and the sum is transformed back with an overlap-add tail. The
// wet signal is thus the exact linear convolution of the routed input with the
// normalised IR for every IR of up to 131072 frames.
#include "engine/Handover.h"

#include <atomic>
#include <vector>

namespace engine {

class BlockConvolver {
public:
    static constexpr int kBlockFrames = 65536;
    static constexpr int kBlockSlots = 131072;
    static constexpr int kFftPoints = 262144;
    static constexpr int kKernelCapacity = 131072;

    // The effect's process call holds a ProcessEpoch::Scope of `epoch` around
    // every exchange(), so that replaced kernels are freed only when unused.
    explicit BlockConvolver(ProcessEpoch& epoch);
    ~BlockConvolver();
    BlockConvolver(const BlockConvolver&) = delete;
    BlockConvolver& operator=(const BlockConvolver&) = delete;

    // Audio thread. For each of `frames` frames in order: stores the input
    // frame, writes the dry and wet frames, and runs the block step when the
    // frame completes a block. Inputs and outputs may be the same arrays.
    void exchange(const float* inL, const float* inR, float* dryL, float* dryR, float* wetL, float* wetR,
                  int frames);

    // Any thread. r = 1 keeps the channels, -1 swaps them, 0 feeds the mono
    // sum to both; values between cross-feed. Read at each block step.
    void setInputRouting(double r);

    // Non-audio thread, concurrently with exchange(). `left` and `right` each
    // hold 2 * kFftPoints floats with the shaped IR in the slot layout; they
    // are only read. Both channels are scaled together so that the channel
    // with more energy in its first 65536 frames has an energy of 1 there
    // (a silent first block leaves the IR unscaled). The new kernel is used
    // from the next block step on. Returns false, leaving the kernel in force,
    // when the new spectra cannot be allocated.
    bool prepareKernel(const float* left, const float* right);

    // While processing is stopped: drops the partial block, the dry block and
    // all tails. The kernel stays.
    void reset();

private:
    struct Kernel;

    void blockStep();
    void convolveChannel(int channel, const Kernel* kernel);

    // Block store, slot layout, kBlockSlots values each.
    std::vector<float> input_[2];
    std::vector<float> dry_[2];
    std::vector<float> wet_[2];
    int position_ = 0;  // slot index of the next frame, always even

    // Spectra of the last two routed blocks per channel; `newest_` picks the
    // latest. Work spectra hold the back-transformed result, whose upper half
    // is the tail for the next block period.
    std::vector<float> blockSpectrum_[2][2];
    std::vector<float> work_[2];
    int newest_ = 0;

    std::atomic<double> routing_{0.5};
    Handover<Kernel> kernel_;
};

} // namespace engine
