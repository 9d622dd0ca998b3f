#pragma once
// The parameter changes that come with one process call, taken in frame
// order across all their queues, so that the call can be cut at each change
// and the change made between the pieces. Nothing here allocates: the
// queues' cursors live in a fixed array, with room for far more queues than
// the plug-in has parameters (a host's queues beyond it are ignored).
#include "vst3/ParameterChanges.h"

namespace vst3plugin {

class ChangeSchedule {
public:
    static constexpr int kMaxQueues = 64;

    // `changes` may be null (no changes). Frames outside 0..frames, and
    // points out of order within a queue, are moved to the nearest frame
    // that keeps the order.
    ChangeSchedule(vst3::IParameterChanges* changes, int frames);

    // The frame of the earliest change not yet taken; false when none is left.
    bool nextFrame(int& frame) const;

    // Every change at `frame` (that nextFrame gave), queue by queue in
    // their order, each queue's points in theirs: apply(id, value).
    template <class Apply>
    void takeAt(int frame, Apply&& apply)
    {
        for (int i = 0; i < count_; ++i) {
            Cursor& c = cursors_[i];
            while (c.next < c.points && c.frame <= frame) {
                apply(c.id, c.value);
                advance(c);
            }
        }
    }

private:
    struct Cursor {
        vst3::IParamValueQueue* queue = nullptr;
        vst3::ParamID id = 0;
        vst3::int32 points = 0;
        vst3::int32 next = 0;
        int frame = 0;  // of the point at `next`, in order
        vst3::ParamValue value = 0.0;
    };
    void advance(Cursor& c);
    // Reads the point at c.next into c, or ends the queue when it cannot be read.
    void load(Cursor& c, int notBefore);

    Cursor cursors_[kMaxQueues];
    int count_ = 0;
    int frames_ = 0;
};

} // namespace vst3plugin
