#pragma once
// Stereo convolution with a latency of two partitions whose work is spread
// evenly over the frames it processes, so that no process call pays for more
// than its own share.
//
// Input is gathered in partitions of kPartitionFrames frames. While the next
// partition fills, the output for the one just completed is computed by
// overlap-save: the last two input partitions are transformed together (one
// real transform per channel), the spectrum joins a delay line of the last
// kPartitions spectra, each of those is multiplied with its kernel partition,
// and the sum is transformed back. That work is cut into units and done at a
// fixed rate per frame on the calling thread (WorkSchedule); it is finished
// when the period ends, and its result plays during the period after. So input
// frame t comes out at t + kLatencyFrames, convolved exactly (no wrap-around)
// with a kernel of up to kCapacityFrames frames.
//
// Each output partition is computed with one whole kernel: the one in force
// when its work begins, at the first frame of the period after its input
// partition completed. Each input partition is routed between the channels
// with the setting in force at that same moment.
//
// The audio thread never allocates, locks, waits or starts threads here.
#include "engine/AlignedFloats.h"
#include "engine/Handover.h"
#include "engine/PartitionKernel.h"
#include "engine/RealFft.h"
#include "engine/WorkSchedule.h"

#include <atomic>
#include <cstdint>

namespace engine {

class PartitionedConvolver {
public:
    static constexpr int kPartitionFrames = PartitionKernel::kPartitionFrames;
    static constexpr int kPartitions = PartitionKernel::kPartitions;
    static constexpr int kLatencyFrames = 2 * kPartitionFrames;

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
    // the normalisation. False (the old kernel stays) when the memory for the
    // new one cannot be had.
    bool prepareKernel(const float* left, const float* right, int frames);

    // While processing is stopped: clears every signal history and the work in
    // progress; kernel and routing stay.
    void reset();

    // Audio thread: units of work done since construction.
    long long workUnits() const { return workUnits_; }
    // Units of work per partition period.
    std::int64_t unitsPerPartition() const { return schedule_.totalCost(); }

private:
    enum Step { Load, Forward, Multiply, Inverse, Store };

    void beginPartition();
    void endPeriod();
    void run(int step, int index, int from, int to);

    void loadWindow(int from, int to);
    void multiply(int channel, int from, int to);
    void storeOutput(int from, int to);

    float* inputPartition(int slot, int channel);
    float* outputPartition(int buffer, int channel);
    float* spectrum(int slot, int channel);
    float* sum(int channel);

    Handover<PartitionKernel> kernel_;
    std::atomic<double> routing_{0.5};
    RealFft fft_;

    // Three input partitions: the one filling and the two being convolved.
    AlignedFloats input_;
    double routingOf_[3] = {0.5, 0.5, 0.5};
    // Two output partitions: the one playing and the one being computed.
    AlignedFloats output_;
    // Spectra of the last kPartitions input windows, both channels.
    AlignedFloats delayLine_;
    AlignedFloats sums_;

    int phase_ = 0;      // frames of the current period done
    int filling_ = 0;    // input partition slot of the current period
    int playing_ = 0;    // output buffer of the current period
    int newestSpectrum_ = kPartitions - 1;
    bool started_ = false;

    const PartitionKernel* kernelInUse_ = nullptr;
    WorkSchedule schedule_;
    long long workUnits_ = 0;
};

} // namespace engine
