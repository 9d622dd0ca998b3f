#include "engine/GrowableBufferPair.h"

#include <algorithm>
#include <new>

namespace engine {

GrowableBufferPair::GrowableBufferPair(int capacity)
    : capacity_(std::max(capacity, 1)),
      left_(new float[static_cast<size_t>(capacity_)]()),
      right_(new float[static_cast<size_t>(capacity_)]())
{
}

bool GrowableBufferPair::ensureCapacity(int frames)
{
    std::lock_guard<std::mutex> lock(busy_);
    if (frames <= capacity_)
        return true;
    const size_t oldCount = static_cast<size_t>(capacity_);
    const size_t newCount = static_cast<size_t>(frames);
    std::unique_ptr<float[]> left(new (std::nothrow) float[newCount]);
    std::unique_ptr<float[]> right(new (std::nothrow) float[newCount]);
    if (!left || !right)
        return false;
    std::copy(left_.get(), left_.get() + oldCount, left.get());
    std::copy(right_.get(), right_.get() + oldCount, right.get());
    std::fill(left.get() + oldCount, left.get() + newCount, 0.0f);
    std::fill(right.get() + oldCount, right.get() + newCount, 0.0f);
    left_ = std::move(left);
    right_ = std::move(right);
    capacity_ = frames;
    return true;
}

void GrowableBufferPair::clear()
{
    std::lock_guard<std::mutex> lock(busy_);
    std::fill(left_.get(), left_.get() + capacity_, 0.0f);
    std::fill(right_.get(), right_.get() + capacity_, 0.0f);
}

} // namespace engine
