#include "host/Vst3ParamQueue.h"

#include <algorithm>

using namespace vst3;

tresult Vst3ParamQueue::getPoint(int32 index, int32& sampleOffset, ParamValue& value)
{
    if (index < 0 || index >= getPointCount())
        return kInvalidArgument;
    sampleOffset = points_[static_cast<size_t>(index)].first;
    value = points_[static_cast<size_t>(index)].second;
    return kResultOk;
}

tresult Vst3ParamQueue::addPoint(int32 sampleOffset, ParamValue value, int32& index)
{
    if (sampleOffset < 0)
        return kInvalidArgument;
    auto at = std::lower_bound(points_.begin(), points_.end(), sampleOffset,
                               [](const auto& point, int32 offset) { return point.first < offset; });
    if (at != points_.end() && at->first == sampleOffset)
        at->second = value;
    else
        at = points_.insert(at, {sampleOffset, value});
    index = static_cast<int32>(at - points_.begin());
    return kResultOk;
}
