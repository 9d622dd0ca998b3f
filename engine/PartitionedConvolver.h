#pragma once
// Stereo convolution with a latency of two partitions whose work is spread
// evenly over the frames it processes, so that no process call pays for more
// than its own share.
//
// Input is gathered in partitions of kPartitionFrames frames. While the next
// partition fills, the output for the one just completed is computed by
// overlap-save: the last two input partitions are transformed together (one
// complex transform of kPoints points carries both channels), the spectrum
// joins a delay line of the last kPartitions spectra, each of those is
// multiplied with its kernel partition, and the sum is transformed back. That
// work is cut into units and done at a fixed rate per frame on the calling
// thread; it is finished when the period ends, and its result plays during the
// period after. So input frame t comes out at t + kLatencyFrames, convolved
// exactly (no wrap-around) with a kernel of up to 131072 frames.
//
// Each output partition is computed with one whole kernel: the one in force
// when its work begins, at the first frame of the period after its input
// partition completed. Each input partition is routed between the channels
// with the setting in force at that same moment.
//
// The audio thread never allocates, locks, waits or starts threads here.
#include "engine/Handover.h"
#include "engine/PartitionKernel.h"
#include "engine/SteppedFft.h"

#include <atomic>
#include <vector>

namespace engine {

class PartitionedConvolver {
public:
    static constexpr int kPartitionFrames = PartitionKernel::kPartitionFrames;
    static constexpr int kPoints = PartitionKernel::kPoints;
    static constexpr int kBins = PartitionKernel::kBins;
    static constexpr int kPartitions = PartitionKernel::kPartitions;
    static constexpr int kLatencyFrames = 2 * kPartitionFrames;

    // The units of work for one output partition; each unit is one butterfly,
    // one pair of complex products, or the routing, splitting or storing of one point.
    static constexpr int kTransformStages = 13;
    static_assert((1 << kTransformStages) == kPoints, "one butterfly stage per bit of the transform length");
    static constexpr int kLoadUnits = kPoints;
    static constexpr int kTransformUnits = kTransformStages * kPoints / 2;
    static constexpr int kSplitUnits = kBins;
    static constexpr int kMultiplyUnits = kPartitions * kBins;
    static constexpr int kJoinUnits = kPoints;
    static constexpr int kStoreUnits = kPartitionFrames;
    static constexpr int kUnitsPerPartition =
        kLoadUnits + kTransformUnits + kSplitUnits + kMultiplyUnits + kJoinUnits + kTransformUnits + kStoreUnits;

    // Process calls hold a ProcessEpoch::Scope of `epoch` around process().
    explicit PartitionedConvolver(ProcessEpoch& epoch);
    PartitionedConvolver(const PartitionedConvolver&) = delete;
    PartitionedConvolver& operator=(const PartitionedConvolver&) = delete;

    // Audio thread. Inputs and outputs may be the same arrays.
    void process(const float* inL, const float* inR, float* outL, float* outR, int frames);

    // Any thread: r = 1 keeps the channels, -1 swaps them, 0 feeds the mono sum
    // to both; values between cross-feed.
    void setInputRouting(double r) { routing_.store(r, std::memory_order_relaxed); }

    // Non-audio thread, concurrently with process(). See PartitionKernel for
    // the layout and the normalisation. False (the old kernel stays) when the
    // memory for the new one cannot be had.
    bool prepareKernel(const float* left, const float* right, int frames);

    // While processing is stopped: clears every signal history and the work in
    // progress; kernel and routing stay.
    void reset();

    // Audio thread: units of work done since construction.
    long long workUnits() const { return workUnits_; }

private:
    struct Stage {
        int units;
        void (PartitionedConvolver::*run)(int from, int to);
    };
    static const Stage kStages[7];

    void beginPartition();
    void endPeriod();
    void advance(int units);

    void loadWindow(int from, int to);
    void forwardTransform(int from, int to);
    void splitSpectrum(int from, int to);
    void multiplyAccumulate(int from, int to);
    void joinSpectrum(int from, int to);
    void backwardTransform(int from, int to);
    void storeOutput(int from, int to);

    float* inputPartition(int slot, int channel);
    float* outputPartition(int buffer, int channel);
    float* delayLineBins(int slot, int channel);

    Handover<PartitionKernel> kernel_;
    std::atomic<double> routing_{0.5};
    SteppedFft fft_;

    // Three input partitions: the one filling and the two being convolved.
    std::vector<float> input_;
    double routingOf_[3] = {0.5, 0.5, 0.5};
    // Two output partitions: the one playing and the one being computed.
    std::vector<float> output_;
    // Half spectra of the last kPartitions input windows, both channels.
    std::vector<float> delayLine_;
    std::vector<ComplexValue> transform_;
    std::vector<ComplexValue> sum_[2];

    int phase_ = 0;      // frames of the current period done
    int filling_ = 0;    // input partition slot of the current period
    int playing_ = 0;    // output buffer of the current period
    int newestSpectrum_ = kPartitions - 1;
    bool started_ = false;

    // The partition in progress.
    const PartitionKernel* kernelInUse_ = nullptr;
    int stage_ = 0;
    int stageUnit_ = 0;
    int unitsDone_ = 0;

    long long workUnits_ = 0;
};

} // namespace engine
