#pragma once
// What the live convolution's work costs on the audio thread, per frame of
// one channel, in nanoseconds: the model the partition plan is chosen by
// (LivePartitionPlan) and the work of each period is weighted by
// (PartitionLevel). LIVE_ENGINE.md says how the figures were measured:
// in place, each level timed while a whole engine runs beside it, so that
// what other levels push out of the caches between its calls counts.
//
// A direct-form head of H taps costs headPerTap * H per frame. A level of
// partitions of B = 2^b frames with k partitions costs level[b] + k *
// partition[b] per frame: level[b] its share of one forward and one inverse
// transform of 2B samples every B frames, of moving the window in and the
// output out, its bookkeeping and its part of the output's sum; partition[b]
// one product of spectra per frame.
namespace engine {

struct LiveCostModel {
    static constexpr int kMinLog2Block = 5;
    static constexpr int kMaxLog2Block = 15;

    double headPerTap;
    double level[kMaxLog2Block + 1];
    double partition[kMaxLog2Block + 1];

    // ns per frame of one channel for a level of `partitions` partitions of 2^log2Block frames.
    double levelCost(int log2Block, int partitions) const
    {
        return level[log2Block] + partitions * partition[log2Block];
    }

    // The figures measured on the machine the engine was tuned on.
    static const LiveCostModel& measured();
};

} // namespace engine
