#pragma once
// The effect's stereo convolution, with a fixed latency of kLatencyFrames
// (65536) frames for both the wet and the dry signal.
//
// Frames are exchanged one at a time: the input frame goes in, and the dry
// frame (the input of kLatencyFrames frames earlier, unrouted, bit for bit) and
// the wet frame come out. The wet signal is the linear convolution of the
// routed input with the normalised IR (up to kCapacityFrames frames, no
// wrap-around), delayed by kLatencyFrames.
//
// How. Input is gathered in partitions of P = kPartitionFrames (half the
// latency). In the period while partition q+1 fills, the output for partition
// q is computed by uniformly partitioned overlap-save: one real transform of
// partitions q-1 and q per channel, its products with the kernel's partitions
// and the spectra of the windows before it, summed, and transformed back. That
// work plays during the period after, so input frame t comes out at t + 2P.
// The work is cut into units and done on the calling thread at a fixed rate per
// frame (WorkSchedule), weighted by what each unit costs: every exchange() pays
// for its own frames only, wherever partition boundaries fall, nothing runs on
// any other thread, and the output is the same for any call sizes and any
// speed of rendering. A kernel with fewer partitions (a shorter IR) costs less.
//
// Settings take effect at partition boundaries:
// - each window enters the convolution at the first frame of a period with
//   the newest kernel published before that frame, and keeps it: term j of an
//   output (the window j periods older times partition j) takes partition j of
//   that window's kernel. So when a new kernel comes, the output changes term
//   by term, one per period: partition 0 in the period of the first window
//   with the new kernel (whose output plays in the next period), partition 1
//   in the next, and so on; input that entered before keeps the old kernel's
//   later partitions, as the tail of a room keeps ringing when the room
//   changes. A term that changes crossfades from the old partition's
//   product to the new one's over the whole partition (P frames, 683 ms at
//   48 kHz) with a raised-cosine curve, sin^2(pi f / 2P) at frame f: the two
//   come from the same input through similar kernels, so their gains add to
//   one, and the fade has no corner at either end. The curve is one period of
//   a cosine over the transform's window, three bins wide in frequency, so
//   the fade is done on the spectra (RealFft::blendSpectra) and transformed
//   back once. A change costs, per period, one more partition read for each
//   changing term and the blend: a single change, four periods of about 1.1
//   to 1.3 times a plain one, spread evenly like the rest; a new kernel in
//   every period (a turning knob) changes all four terms at once. A new
//   kernel is thus heard from the partition after the next boundary, without
//   a click, and alone after as many more partitions as the longer kernel has.
// - input partition q is routed between the channels with the setting in force
//   when the exchange reaches frame (q+1)P, as it enters the convolution.
//
// Memory: the kernel (2 MiB for a full-length stereo IR; while kernels
// change, those the last windows entered with, up to five), four transform
// buffers (the spectra of the last three windows and the window being
// transformed: 2 MiB), the output playing (0.25 MiB) and the last 65536 input
// frames (the dry delay and the windows' source: 0.5 MiB). The twiddle tables
// are shared by every instance in the process.
//
// Threads: exchange() on the audio thread inside a ProcessEpoch::Scope;
// prepareKernel() on any other thread at any time; setInputRouting() anywhere;
// reset() while processing is stopped. The audio thread never allocates,
// locks, waits or starts threads here, and never sees a half-built kernel.
#include "engine/AlignedFloats.h"
#include "engine/Convolver.h"
#include "engine/Handover.h"
#include "engine/PartitionKernel.h"
#include "engine/RealFft.h"
#include "engine/VectorPath.h"
#include "engine/WorkSchedule.h"
#include "params/EffectConstants.h"

#include <atomic>

namespace engine {

class ConvolutionEngine final : public Convolver {
public:
    static constexpr int kLatencyFrames = effect::kLatencyFrames;
    static constexpr int kCapacityFrames = effect::kIRCapacityFrames;
    static constexpr int kPartitionFrames = PartitionKernel::kPartitionFrames;
    static constexpr int kMaxPartitions = PartitionKernel::kMaxPartitions;
    static_assert(kLatencyFrames == 2 * kPartitionFrames, "the latency is the partition and its period of work");

    // The effect's process call holds a ProcessEpoch::Scope of `epoch` around
    // every exchange(), so that replaced kernels are freed only when unused.
    // `path` chooses the instruction set of the inner loops (the fastest this
    // machine has, unless a test wants another).
    explicit ConvolutionEngine(ProcessEpoch& epoch, VectorPath path = bestVectorPath());
    ConvolutionEngine(const ConvolutionEngine&) = delete;
    ConvolutionEngine& operator=(const ConvolutionEngine&) = delete;

    // Audio thread. For each of `frames` frames in order: takes the input frame
    // and writes the dry and wet frames. Inputs and outputs may be the same arrays.
    void exchange(const float* inL, const float* inR, float* dryL, float* dryR, float* wetL, float* wetR,
                  int frames) override;

    // Any thread. r = 1 keeps the channels, -1 swaps them, 0 feeds the mono
    // sum to both; values between cross-feed.
    void setInputRouting(double r) override { routing_.store(r, std::memory_order_relaxed); }

    // Non-audio thread, concurrently with exchange(). `left` and `right` each
    // hold the `frames` samples of one channel of the shaped IR (only the first
    // kCapacityFrames are used); they are only read. Both channels are scaled
    // together so that the channel with more energy in its first
    // kLatencyFrames frames has an energy of 1 there (a silent start leaves the
    // IR unscaled). Returns false, leaving the kernel in force, when the new
    // kernel's memory cannot be had.
    bool prepareKernel(const float* left, const float* right, int frames) override;

    // While processing is stopped: drops all stored input, the work in progress
    // and all tails. The kernel stays.
    void reset() override;

    // Non-audio thread, from time to time: frees replaced kernels that no
    // window uses any more (no later prepareKernel() may come to free them).
    void releaseUnused() override { kernel_.collect(); }

    int latencyFrames() const override { return kLatencyFrames; }

    VectorPath vectorPath() const { return fft_.path(); }

    // Audio thread: cost of the convolution work done since construction, and
    // of the whole work of the period in progress, in the schedule's units:
    // for checking how evenly the work falls on the calls.
    long long workUnits() const { return workUnits_; }
    long long workUnitsPerPartition() const { return schedule_.totalCost(); }
    // The dearest single unit of that period: a call may run up to this much
    // beyond its exact share (and the next one as much less).
    long long largestWorkUnit() const { return schedule_.largestWeight(); }

private:
    enum Work { Load, Forward, Sums, BlendSpectra, Inverse };

    void beginPeriod();
    void endPeriod();
    void run(int work, int index, int from, int to);
    void loadWindow(int from, int to);
    void sums(int channel, int from, int to);

    float* ring(int channel);
    float* buffer(int which, int channel);
    float* output(int channel);

    // Every window keeps the kernel it entered with while any term still
    // multiplies it: the last kMaxPartitions + 1 kernels held stay alive.
    Handover<PartitionKernel, kMaxPartitions + 1> kernel_;
    std::atomic<double> routing_{0.5};
    RealFft fft_;
    const VectorKernels& kernels_;

    // The last kLatencyFrames input frames of each channel, unrouted: the
    // partition of the current period fills the half that the dry signal and
    // the oldest half of the transform window are read from.
    AlignedFloats ring_;
    int half_ = 0;               // the ring half of the current period
    double routingOf_[2] = {0.5, 0.5};  // of the partition in each half

    // Four buffers of one transform per channel, in turns: the spectra of the
    // last three windows (newest first) and the one the new window is
    // transformed in. The oldest spectrum's buffer takes the sum of products
    // and is transformed back; in the next period it takes the new window,
    // its second half moved out to the output just ahead of the frames that
    // play it, so only the half that plays is kept twice.
    AlignedFloats buffers_;
    int spectrum_[3] = {0, 1, 2};
    int free_ = 3;
    AlignedFloats output_;
    bool playingSilent_ = true;
    bool nextSilent_ = true;

    int phase_ = 0;  // frames of the current period done
    bool started_ = false;

    // The kernel each of the last kMaxPartitions + 1 windows entered with,
    // newest first (null before the first, and after a reset), and the term
    // changes of this period, with where their difference is kept.
    PartitionKernel* kernelOf_[kMaxPartitions + 1] = {};
    TermChanges changes_;
    PartitionKernel* changeStore_ = nullptr;
    int changeStorePartition_ = 0;

    WorkSchedule schedule_;
    // Cost of the period's first load unit (window frames 0 .. 511), and of each further one.
    long long firstLoadCost_ = 0;
    long long loadUnitCost_ = 0;
    long long workUnits_ = 0;
};

} // namespace engine
