// The order in which a process call's parameter changes are made: by frame
// across all queues, each queue's points in its order, frames a host got
// wrong moved to the nearest frame that keeps the order.
#include "vst3plugin/ChangeSchedule.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

using namespace vst3;

namespace {

// A host's queues as given, right or wrong (points in any order, any frame).
class Queue final : public IParamValueQueue {
public:
    Queue(ParamID id, std::vector<std::pair<int32, ParamValue>> points) : id_(id), points_(std::move(points)) {}
    tresult RVB_VST3_CALL queryInterface(const TUID, void**) override { return kNoInterface; }
    uint32 RVB_VST3_CALL addRef() override { return 1; }
    uint32 RVB_VST3_CALL release() override { return 1; }
    ParamID RVB_VST3_CALL getParameterId() override { return id_; }
    int32 RVB_VST3_CALL getPointCount() override { return static_cast<int32>(points_.size()); }
    tresult RVB_VST3_CALL getPoint(int32 index, int32& offset, ParamValue& value) override
    {
        if (index < 0 || index >= getPointCount())
            return kInvalidArgument;
        offset = points_[static_cast<size_t>(index)].first;
        value = points_[static_cast<size_t>(index)].second;
        return kResultOk;
    }
    tresult RVB_VST3_CALL addPoint(int32, ParamValue, int32&) override { return kNotImplemented; }

private:
    ParamID id_;
    std::vector<std::pair<int32, ParamValue>> points_;
};

class Changes final : public IParameterChanges {
public:
    explicit Changes(std::vector<Queue*> queues) : queues_(std::move(queues)) {}
    tresult RVB_VST3_CALL queryInterface(const TUID, void**) override { return kNoInterface; }
    uint32 RVB_VST3_CALL addRef() override { return 1; }
    uint32 RVB_VST3_CALL release() override { return 1; }
    int32 RVB_VST3_CALL getParameterCount() override { return static_cast<int32>(queues_.size()); }
    IParamValueQueue* RVB_VST3_CALL getParameterData(int32 index) override
    {
        return index >= 0 && index < getParameterCount() ? queues_[static_cast<size_t>(index)] : nullptr;
    }
    IParamValueQueue* RVB_VST3_CALL addParameterData(const ParamID&, int32&) override { return nullptr; }

private:
    std::vector<Queue*> queues_;
};

// "frame:id=value" for every change, in the order the schedule makes them.
std::string madeInOrder(IParameterChanges* changes, int frames)
{
    vst3plugin::ChangeSchedule schedule(changes, frames);
    std::string made;
    int frame = 0;
    int previous = -1;
    while (schedule.nextFrame(frame)) {
        EXPECT_GT(frame, previous) << "each frame once, in order";
        previous = frame;
        schedule.takeAt(frame, [&](ParamID id, ParamValue value) {
            made += std::to_string(frame) + ":" + std::to_string(id) + "=" + std::to_string(value).substr(0, 4) + " ";
        });
    }
    return made;
}

} // namespace

TEST(ChangeSchedule, TakesEveryQueuesPointsByFrame)
{
    Queue dry(22, {{0, 0.1}, {37, 0.2}, {300, 0.3}});
    Queue wet(21, {{37, 0.5}, {100, 0.6}});
    Queue decay(7, {{511, 0.9}});
    Changes changes({&dry, &wet, &decay});
    EXPECT_EQ(madeInOrder(&changes, 512), "0:22=0.10 37:22=0.20 37:21=0.50 100:21=0.60 300:22=0.30 511:7=0.90 ");
}

TEST(ChangeSchedule, MovesWrongFramesToTheNearestThatKeepsTheOrder)
{
    // A point before its queue's previous one comes right after it; frames
    // past the call come at its end, before the first frame at its start.
    Queue backwards(6, {{200, 0.1}, {50, 0.2}, {-5, 0.3}});
    Queue outside(8, {{-10, 0.4}, {900, 0.5}});
    Changes changes({&backwards, &outside});
    EXPECT_EQ(madeInOrder(&changes, 256), "0:8=0.40 200:6=0.10 200:6=0.20 200:6=0.30 256:8=0.50 ");
}

TEST(ChangeSchedule, NoChangesAndEmptyQueuesTakeNothing)
{
    EXPECT_EQ(madeInOrder(nullptr, 512), "");
    Queue empty(5, {});
    Changes changes({&empty});
    EXPECT_EQ(madeInOrder(&changes, 512), "");
}
