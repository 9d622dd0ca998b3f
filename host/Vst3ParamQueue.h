#pragma once
// The points of one parameter in one process call, in frame order.
#include "host/Vst3Object.h"
#include "vst3/ParameterChanges.h"

#include <utility>
#include <vector>

class Vst3ParamQueue final : public Vst3Object<Vst3ParamQueue, vst3::IParamValueQueue> {
public:
    // Room for this many points before a call would allocate.
    explicit Vst3ParamQueue(std::size_t capacity = 64) { points_.reserve(capacity); }

    void reset(vst3::ParamID id)
    {
        id_ = id;
        points_.clear();
    }

    vst3::ParamID RVB_VST3_CALL getParameterId() override { return id_; }
    vst3::int32 RVB_VST3_CALL getPointCount() override { return static_cast<vst3::int32>(points_.size()); }
    vst3::tresult RVB_VST3_CALL getPoint(vst3::int32 index, vst3::int32& sampleOffset,
                                         vst3::ParamValue& value) override;
    // A point at a frame that has one replaces it: the later change wins.
    vst3::tresult RVB_VST3_CALL addPoint(vst3::int32 sampleOffset, vst3::ParamValue value,
                                         vst3::int32& index) override;

private:
    vst3::ParamID id_ = 0;
    std::vector<std::pair<vst3::int32, vst3::ParamValue>> points_;
};
