#pragma once
// Parameter changes travelling with a process call: per parameter a queue of
// points, each a normalised value at a frame of the call.
#include "vst3/Unknown.h"

namespace vst3 {

using ParamID = uint32;
using ParamValue = double;  // normalised, 0 to 1

class IParamValueQueue : public FUnknown {
public:
    virtual ParamID RVB_VST3_CALL getParameterId() = 0;
    virtual int32 RVB_VST3_CALL getPointCount() = 0;
    virtual tresult RVB_VST3_CALL getPoint(int32 index, int32& sampleOffset, ParamValue& value) = 0;
    virtual tresult RVB_VST3_CALL addPoint(int32 sampleOffset, ParamValue value, int32& index) = 0;

    static constexpr Uid iid = makeUid(0x01263A18, 0xED074F6F, 0x98C9D356, 0x4686F9BA);

protected:
    ~IParamValueQueue() = default;
};

class IParameterChanges : public FUnknown {
public:
    virtual int32 RVB_VST3_CALL getParameterCount() = 0;
    virtual IParamValueQueue* RVB_VST3_CALL getParameterData(int32 index) = 0;
    // The queue of parameter `id`, made when there is none yet; its position in `index`.
    virtual IParamValueQueue* RVB_VST3_CALL addParameterData(const ParamID& id, int32& index) = 0;

    static constexpr Uid iid = makeUid(0xA4779663, 0x0BB64A56, 0xB44384A8, 0x466FEB9D);

protected:
    ~IParameterChanges() = default;
};

} // namespace vst3
