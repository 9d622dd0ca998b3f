#pragma once
// One level of the live convolution: the IR frames d .. d + kB - 1 cut into
// k partitions of B frames, convolved by uniformly partitioned overlap-save.
//
// Period p is the frames pB .. (p+1)B - 1. At its start the input block p - 1
// is complete; during it, the window of blocks p - 2 and p - 1 is transformed
// (a forward transform of 2B samples), its spectrum joins those of the last
// k windows, their products with the k partitions are summed, transformed
// back, and the last B samples are stored as the output block that plays in
// period p + 1 + d/B - 2 (d >= 2B). The work is cut into units and done on
// the calling thread at an even rate over the period's frames, each unit
// weighted by its cost (LiveCostModel), so that no call carries a whole
// transform and the output does not depend on the call sizes.
//
// Kernel changes: at the start of a period, unless a fade runs, the level
// takes the newest kernel published for it. All its terms change at once, the
// past input included (so the change is heard at once, not only on new
// input): for the next fadeFrames of output (whole periods), the level
// blends its output blocks from the old kernel's to the new one's with the
// raised-cosine FadeCurve. Where the fade spans several periods (short
// blocks) the level computes both kernels' sums and transforms both back;
// where it is one period (blocks as long as the fade or longer) it computes
// the new sum and the change's difference (kept where the old kernel kept its
// first partition), blends them on the spectrum (RealFft::blendSpectra, whose
// curve over the output half of the window is the same raised cosine) and
// transforms back once. A level whose kernels have no partitions (an IR that ends before it) only
// keeps its window spectra up to date, ready for a longer IR.
#include "engine/AlignedFloats.h"
#include "engine/Handover.h"
#include "engine/LevelKernel.h"
#include "engine/LiveCostModel.h"
#include "engine/LivePartitionPlan.h"
#include "engine/RealFft.h"
#include "engine/WorkSchedule.h"

#include <cstdint>
#include <memory>

namespace engine {

class PartitionLevel {
public:
    // `input` holds each channel's routed input frames (frame t of channel c
    // at input[c * inputStride + t mod inputFrames]); the engine writes a
    // period's frames before the level's work of that period runs and keeps
    // at least the last 3B frames. `log2FadeFrames` within FadeCurve's range.
    PartitionLevel(ProcessEpoch& epoch, const LiveLevel& level, VectorPath path, const LiveCostModel& costs,
                   int log2FadeFrames, const float* input, std::size_t inputStride, int inputFrames);
    PartitionLevel(const PartitionLevel&) = delete;
    PartitionLevel& operator=(const PartitionLevel&) = delete;

    const LiveLevel& level() const { return level_; }
    int blockFrames() const { return level_.blockFrames; }
    int fadeFrames() const { return fadePeriods_ * level_.blockFrames; }

    // Non-audio threads.
    std::unique_ptr<LevelKernel> prepare(const float* left, const float* right, const NormalisedExtent& extent) const
    {
        return LevelKernel::prepare(left, right, extent, level_, fft_);
    }
    void publish(std::unique_ptr<LevelKernel> kernel) { kernel_.publish(std::move(kernel)); }
    void collect() { kernel_.collect(); }

    // Audio thread: at the first frame of period `period`; then the work due
    // after `frames` frames of it; at its end.
    void beginPeriod(std::int64_t period);
    void advance(int frames);
    void endPeriod();

    // Audio thread: channel `channel`'s output from frame `frame` to the end of
    // its block, or null where the level is silent.
    const float* output(int channel, std::int64_t frame) const;

    // While processing is stopped.
    void reset();

    // The schedule's cost of the period begun last, in LiveCostModel units
    // (hundredths of a nanosecond).
    std::int64_t periodCost() const { return schedule_.totalCost(); }

private:
    enum Work { Load, Forward, WholeForward, Sums, BlendSpectra, Inverse, WholeInverse, Store };

    void run(int work, int index, int from, int to);
    void load(int from, int to);
    void sums(int channel, int from, int to);
    void store(int channel, int from, int to);

    float* spectrum(int which, int channel);
    float* sum(int which, int channel);
    float* slot(int which, int channel);
    const float* slot(int which, int channel) const;

    const LiveLevel level_;
    RealFft fft_;
    const VectorKernels& kernels_;
    const int points_;    // M = B
    const int imOffset_;
    const int slots_;     // output blocks kept: d / B
    const float* input_;
    const std::size_t inputStride_;
    const int inputFrames_;  // a multiple of B
    const int fadePeriods_;
    const bool spectralFade_;  // fades over one period, blended on the spectrum
    const float* fade_;

    Handover<LevelKernel, 2> kernel_;
    LevelKernel* current_ = nullptr;
    LevelKernel* fadingFrom_ = nullptr;
    bool fading_ = false;
    bool fresh_ = true;
    int fadePeriod_ = 0;

    // Per channel: the spectra of the last k windows in turns (newest_ the
    // newest; the oldest takes the new kernel's sum), the old kernel's sum
    // while fading, and the output blocks, in that order in one allocation.
    AlignedFloats store_;
    std::size_t channelStride_ = 0;
    int newest_ = 0;
    std::int64_t period_ = 0;
    int sumsThisPeriod_ = 0;  // 0 silent, 1, or 2 while fading from a sounding kernel
    int termsNew_ = 0;
    int termsOld_ = 0;
    bool difference_ = false;  // this period blends a change's difference on the spectrum
    TermChanges changes_;
    int writeSlot_ = 0;
    std::unique_ptr<bool[]> slotSilent_;

    WorkSchedule schedule_;
    // Schedule weights, in hundredths of a nanosecond per unit.
    int loadUnitFrames_;
    int storeUnitFrames_;
    int sumUnitPoints_;
    int loadWeight_;
    int storeWeight_;
    int sumWeightPerTerm_;
    int sumWeightBase_;
    int stepWeight_[2][16] = {};  // [inverse][step]
};

} // namespace engine
