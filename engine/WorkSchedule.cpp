#include "engine/WorkSchedule.h"

#include <cassert>

namespace engine {

void WorkSchedule::clear()
{
    count_ = 0;
    current_ = 0;
    unit_ = 0;
    total_ = 0;
    done_ = 0;
    largest_ = 0;
}

void WorkSchedule::add(int kind, int index, int units, int weight, int firstExtra)
{
    assert(count_ < kMaxSteps && units >= 0 && weight > 0 && firstExtra >= 0);
    if (count_ == kMaxSteps || units <= 0)
        return;
    steps_[count_++] = {kind, index, units, weight, firstExtra};
    total_ += static_cast<std::int64_t>(units) * weight + firstExtra;
    if (weight + firstExtra > largest_)
        largest_ = weight + firstExtra;
}

} // namespace engine
