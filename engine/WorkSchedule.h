#pragma once
// The work of one period, as a list of steps of units, done at an even rate
// over the period's frames: after frame f of F, the share f/F of the period's
// whole cost (rounded up) is done, so the last frame finishes it.
//
// Units of different steps may cost different amounts; each step carries a
// weight (its cost per unit in a common measure), and the shares are shares
// of the weighted sum. A step's first unit may cost more (the step's arrays
// arrive cold): it then runs alone, and counts its weight and that surcharge.
// Building the list and running it never allocate.
#include <cstdint>

namespace engine {

class WorkSchedule {
public:
    static constexpr int kMaxSteps = 64;

    // Empties the list and the progress.
    void clear();
    // Appends a step of `units` units costing `weight` each, the first
    // `firstExtra` more; `kind` and `index` are the owner's, handed back to it
    // when the step runs.
    void add(int kind, int index, int units, int weight, int firstExtra = 0);

    std::int64_t totalCost() const { return total_; }
    // The cost of the dearest single unit (with its surcharge): how far a
    // share may overshoot.
    int largestWeight() const { return largest_; }
    std::int64_t costDone() const { return done_; }

    // Runs units, in order, until the share due after `frames` of `period`
    // frames is done; run(kind, index, fromUnit, toUnit) does the units.
    // Returns the cost of what ran.
    template <class Run>
    std::int64_t advance(int frames, int period, Run&& run)
    {
        return advanceTo((total_ * frames + period - 1) / period, run);
    }

    // Runs units, in order, until at least `due` of the cost is done.
    template <class Run>
    std::int64_t advanceTo(std::int64_t due, Run&& run)
    {
        const std::int64_t before = done_;
        while (done_ < due && current_ < count_) {
            Step& s = steps_[current_];
            int to = unit_ + 1;
            std::int64_t cost = s.weight + s.firstExtra;
            if (unit_ > 0 || s.firstExtra == 0) {
                const std::int64_t wanted = (due - done_ + s.weight - 1) / s.weight;
                to = static_cast<int>(wanted < s.units - unit_ ? unit_ + wanted : s.units);
                cost = static_cast<std::int64_t>(to - unit_) * s.weight;
            }
            run(s.kind, s.index, unit_, to);
            done_ += cost;
            unit_ = to;
            if (unit_ == s.units) {
                ++current_;
                unit_ = 0;
            }
        }
        return done_ - before;
    }

private:
    struct Step {
        int kind;
        int index;
        int units;
        int weight;
        int firstExtra;
    };

    Step steps_[kMaxSteps] = {};
    int count_ = 0;
    int current_ = 0;
    int unit_ = 0;
    std::int64_t total_ = 0;
    std::int64_t done_ = 0;
    int largest_ = 0;
};

} // namespace engine
