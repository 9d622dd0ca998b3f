#pragma once
// The live edition's stereo convolution: the same wet signal as
// ConvolutionEngine (the routed input convolved with the same normalised IR,
// up to kCapacityFrames frames, no wrap-around), at zero latency. The dry
// frame is the input frame itself.
//
// How. The IR is cut as LivePartitionPlan says: a direct-form head for the
// first taps (DirectFormHead: one dot product per output frame over the input
// up to that frame), then levels of partitions that grow towards the tail
// (PartitionLevel), each level's work spread evenly over its period on the
// calling thread. An output frame is the head's output plus each level's, in
// that order, so that it depends only on the input up to and including its
// own frame, and never on the call sizes: calls of any sizes give the same
// stream, bit for bit. Calls are cut at the boundaries of the shortest
// level's blocks. Nothing here allocates, locks, waits or starts threads on
// the audio thread. A shorter IR costs less: levels past its end do only
// their window transforms. See LIVE_ENGINE.md for the plan and its cost.
//
// Settings:
// - The input routing is taken at the start of each exchange() call and
//   applies to that call's input frames as they enter, and to nothing that
//   entered before: the wet signal already under way keeps the routing its
//   input had. (ConvolutionEngine routes a whole partition at once at its
//   end.) With a constant routing both engines convolve the same signal.
// - A new kernel is taken by the head at the start of the shortest level's
//   next block (within that many frames of its publication) and crossfaded
//   in over fadeFrames(); each level takes it at the start of its next
//   period and crossfades its output over at least as long (see
//   PartitionLevel). The first kernel, prepared before any input, needs no
//   fade.
//
// Memory: the input of the last 3 longest blocks, each level's window
// spectra, a sum for fades and output blocks, and the kernel (2 MiB for a full-length
// stereo IR; while kernels change, up to twice that).
#include "engine/AlignedFloats.h"
#include "engine/Convolver.h"
#include "engine/DirectFormHead.h"
#include "engine/Handover.h"
#include "engine/LivePartitionPlan.h"
#include "engine/PartitionLevel.h"
#include "engine/VectorPath.h"
#include "params/EffectConstants.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

namespace engine {

class LiveConvolutionEngine final : public Convolver {
public:
    static constexpr int kCapacityFrames = effect::kIRCapacityFrames;
    // A kernel change crossfades over this many frames, or a longer level's
    // whole period: long enough that the fade adds next to nothing to how
    // fast a low note's waveform moves.
    static constexpr int kLog2FadeFrames = 12;

    // The effect's process call holds a ProcessEpoch::Scope of `epoch` around
    // every exchange(). `path` chooses the inner loops; `plan` the
    // partitioning (the measured cheapest unless a benchmark compares others).
    explicit LiveConvolutionEngine(ProcessEpoch& epoch, VectorPath path = bestVectorPath(),
                                   const LivePartitionPlan& plan = LivePartitionPlan::chosen());
    LiveConvolutionEngine(const LiveConvolutionEngine&) = delete;
    LiveConvolutionEngine& operator=(const LiveConvolutionEngine&) = delete;

    void exchange(const float* inL, const float* inR, float* dryL, float* dryR, float* wetL, float* wetR,
                  int frames) override;
    void setInputRouting(double r) override { routing_.store(r, std::memory_order_relaxed); }
    bool prepareKernel(const float* left, const float* right, int frames) override;
    void reset() override;
    void releaseUnused() override;
    int latencyFrames() const override { return 0; }

    const LivePartitionPlan& plan() const { return plan_; }
    VectorPath vectorPath() const { return path_; }
    int headFadeFrames() const { return head_.fadeFrames(); }
    // The frames between two chances for the head to take a new kernel.
    int blockFrames() const { return blockFrames_; }

private:
    const LivePartitionPlan plan_;
    const VectorPath path_;
    const int blockFrames_;  // the shortest level's block
    std::atomic<double> routing_{0.5};

    // Each channel's routed input, the last three longest blocks.
    int ringFrames_;
    std::size_t ringStride_;
    AlignedFloats ring_;

    DirectFormHead head_;
    std::unique_ptr<std::unique_ptr<PartitionLevel>[]> levels_;
    std::unique_ptr<float[]> routed_;  // one block of routed input, both channels
    std::int64_t frame_ = 0;

    // Serialises kernel publishers, so that every part of the engine ends up
    // with the same newest kernel.
    std::mutex publishMutex_;
};

} // namespace engine
