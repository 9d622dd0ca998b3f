#include "engine/LivePartitionPlan.h"

#include "params/EffectConstants.h"

#include <cstddef>
#include <limits>
#include <vector>

namespace engine {

namespace {

constexpr int kSmallestBlock = 1 << LiveCostModel::kMinLog2Block;
// The longest head the search considers: beyond it the direct form always
// costs more than the transforms that replace it.
constexpr int kLongestHead = 2048;

} // namespace

LivePartitionPlan LivePartitionPlan::cheapest(const LiveCostModel& model, int capacityFrames)
{
    // best[i]: the least cost of covering frames i * kSmallestBlock to the
    // capacity with levels, and the first level that achieves it.
    const int steps = (capacityFrames + kSmallestBlock - 1) / kSmallestBlock;
    const double none = std::numeric_limits<double>::infinity();
    std::vector<double> best(static_cast<std::size_t>(steps) + 1, none);
    std::vector<LiveLevel> first(static_cast<std::size_t>(steps) + 1, LiveLevel{0, 0, 0});
    best[static_cast<std::size_t>(steps)] = 0.0;
    for (int i = steps - 1; i >= 1; --i) {
        const int d = i * kSmallestBlock;
        for (int log2B = LiveCostModel::kMinLog2Block; log2B <= LiveCostModel::kMaxLog2Block; ++log2B) {
            const int b = 1 << log2B;
            if (d % b != 0 || d < 2 * b)
                continue;
            for (int k = 1; k <= kMaxPartitions; ++k) {
                const int end = d + k * b;
                const int next = end >= capacityFrames ? steps : end / kSmallestBlock;
                const double c = model.levelCost(log2B, k) + best[static_cast<std::size_t>(next)];
                if (c < best[static_cast<std::size_t>(i)]) {
                    best[static_cast<std::size_t>(i)] = c;
                    first[static_cast<std::size_t>(i)] = LiveLevel{b, d, k};
                }
                if (end >= capacityFrames)
                    break;
            }
        }
    }
    LivePartitionPlan plan;
    double least = none;
    for (int head = kHeadQuantum; head <= kLongestHead; head += kHeadQuantum) {
        if (head % kSmallestBlock != 0)
            continue;
        const double c = model.headPerTap * head + best[static_cast<std::size_t>(head / kSmallestBlock)];
        if (c < least) {
            least = c;
            plan.headFrames = head;
        }
    }
    for (int d = plan.headFrames; d < capacityFrames && plan.levelCount < kMaxLevels;) {
        const LiveLevel& level = first[static_cast<std::size_t>(d / kSmallestBlock)];
        plan.levels[plan.levelCount++] = level;
        d = level.offsetFrames + level.partitions * level.blockFrames;
    }
    return plan;
}

const LivePartitionPlan& LivePartitionPlan::chosen()
{
    static const LivePartitionPlan plan = cheapest(LiveCostModel::measured(), effect::kIRCapacityFrames);
    return plan;
}

double LivePartitionPlan::cost(const LiveCostModel& model) const
{
    double c = model.headPerTap * headFrames;
    for (int l = 0; l < levelCount; ++l) {
        int log2B = 0;
        while ((1 << log2B) < levels[l].blockFrames)
            ++log2B;
        c += model.levelCost(log2B, levels[l].partitions);
    }
    return 2.0 * c;
}

int LivePartitionPlan::coveredFrames() const
{
    if (levelCount == 0)
        return headFrames;
    const LiveLevel& last = levels[levelCount - 1];
    return last.offsetFrames + last.partitions * last.blockFrames;
}

bool LivePartitionPlan::valid(int capacityFrames) const
{
    if (headFrames <= 0 || headFrames % kHeadQuantum != 0 || levelCount < 0 || levelCount > kMaxLevels)
        return false;
    int d = headFrames;
    for (int l = 0; l < levelCount; ++l) {
        const LiveLevel& level = levels[l];
        const int b = level.blockFrames;
        if (b < kSmallestBlock || b > (1 << LiveCostModel::kMaxLog2Block) || (b & (b - 1)) != 0)
            return false;
        if (level.offsetFrames != d || d % b != 0 || d < 2 * b)
            return false;
        if (level.partitions < 1 || level.partitions > kMaxPartitions)
            return false;
        d += level.partitions * b;
    }
    return d >= capacityFrames;
}

} // namespace engine
