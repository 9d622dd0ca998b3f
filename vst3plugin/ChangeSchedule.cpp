#include "vst3plugin/ChangeSchedule.h"

#include <algorithm>

using namespace vst3;

namespace vst3plugin {

ChangeSchedule::ChangeSchedule(IParameterChanges* changes, int frames) : frames_(std::max(0, frames))
{
    if (!changes)
        return;
    const int32 queues = changes->getParameterCount();
    for (int32 q = 0; q < queues; ++q) {
        IParamValueQueue* queue = changes->getParameterData(q);
        if (!queue || count_ == kMaxQueues)
            continue;
        Cursor& c = cursors_[count_++];
        c.queue = queue;
        c.id = queue->getParameterId();
        c.points = std::max<int32>(0, queue->getPointCount());
        c.next = 0;
        load(c, 0);
    }
}

void ChangeSchedule::load(Cursor& c, int notBefore)
{
    int32 offset = 0;
    ParamValue value = 0.0;
    if (c.next >= c.points || c.queue->getPoint(c.next, offset, value) != kResultOk) {
        c.next = c.points;
        return;
    }
    c.frame = std::clamp(static_cast<int>(offset), notBefore, frames_);
    c.value = value;
}

void ChangeSchedule::advance(Cursor& c)
{
    const int taken = c.frame;
    ++c.next;
    load(c, taken);
}

bool ChangeSchedule::nextFrame(int& frame) const
{
    bool any = false;
    for (int i = 0; i < count_; ++i) {
        const Cursor& c = cursors_[i];
        if (c.next < c.points && (!any || c.frame < frame)) {
            frame = c.frame;
            any = true;
        }
    }
    return any;
}

} // namespace vst3plugin
