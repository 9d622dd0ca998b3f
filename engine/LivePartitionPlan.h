#pragma once
// How the live convolution cuts the IR: a direct-form head of the first
// headFrames taps, then levels of equal partitions, each level's partitions
// longer than (or as long as) those before, so that the early part of the
// IR is convolved in short blocks (little delay) and the long tail in long
// ones (little work per frame).
//
// A level of partitions of B frames starting at IR frame d takes the input in
// blocks of B frames; the block that completes at frame T is transformed,
// multiplied and transformed back over the next B frames, and its first
// output frame is due at T - B + d. So d >= 2B: the work of a block always
// has a whole block period, spread evenly over its frames, and never needs
// future input. d is also a multiple of B, so that every output block of a
// level falls on a block boundary of its own.
//
// The plan the engine runs is the cheapest under the measured cost model
// (LiveCostModel) that covers the whole IR capacity: a dynamic programme over
// the frame where the next level starts (Garcia's optimal partitioning, with
// Gardner's condition d >= 2B for spreading the work over a whole period).
#include "engine/LiveCostModel.h"
#include "engine/VectorKernels.h"

namespace engine {

struct LiveLevel {
    int blockFrames;   // B, a power of two
    int offsetFrames;  // d: the first IR frame of the level's first partition
    int partitions;    // the level covers IR frames d .. d + partitions * B - 1
};

class LivePartitionPlan {
public:
    static constexpr int kMaxLevels = 12;
    static constexpr int kMaxPartitions = ProductSum::kMaxTerms;
    // The head's taps come in whole vector blocks.
    static constexpr int kHeadQuantum = 32;

    int headFrames = 0;
    int levelCount = 0;
    LiveLevel levels[kMaxLevels] = {};

    // The cheapest plan under `model` covering `capacityFrames` frames.
    static LivePartitionPlan cheapest(const LiveCostModel& model, int capacityFrames);

    // The plan the engine runs: the cheapest for the effect's IR capacity
    // under the measured model. Computed on first use (non-audio threads).
    static const LivePartitionPlan& chosen();

    // Predicted ns per frame, both channels, with every partition present.
    double cost(const LiveCostModel& model) const;

    // Every level obeys d >= 2B, d a multiple of B, and the levels tile the
    // IR from the head's end up to at least `capacityFrames`.
    bool valid(int capacityFrames) const;

    int coveredFrames() const;
};

} // namespace engine
