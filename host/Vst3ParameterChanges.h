#pragma once
// The parameter changes of one process call: a queue per parameter that
// changes in it. Queues are kept from call to call, so that a call with no
// more parameters changing than before allocates nothing.
#include "host/Vst3ParamQueue.h"
#include "host/Vst3Ptr.h"

#include <vector>

class Vst3ParameterChanges final : public Vst3Object<Vst3ParameterChanges, vst3::IParameterChanges> {
public:
    void clear() { used_ = 0; }
    // The point, added to the queue of its parameter.
    void add(vst3::ParamID id, vst3::int32 sampleOffset, vst3::ParamValue value);

    vst3::int32 RVB_VST3_CALL getParameterCount() override { return static_cast<vst3::int32>(used_); }
    vst3::IParamValueQueue* RVB_VST3_CALL getParameterData(vst3::int32 index) override;
    vst3::IParamValueQueue* RVB_VST3_CALL addParameterData(const vst3::ParamID& id, vst3::int32& index) override;

private:
    std::vector<Vst3Ptr<Vst3ParamQueue>> queues_;
    std::size_t used_ = 0;
};
