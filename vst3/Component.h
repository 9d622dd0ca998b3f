#pragma once
// The processing part of a plug-in as the host first meets it: its buses, its
// state, whether it is active, and the class of its edit controller.
#include "vst3/Stream.h"

namespace vst3 {

enum MediaTypes : int32 { kAudio = 0, kEvent = 1 };
enum BusDirections : int32 { kInput = 0, kOutput = 1 };
enum BusTypes : int32 { kMain = 0, kAux = 1 };
enum IoModes : int32 { kSimple = 0, kAdvanced = 1, kOfflineProcessing = 2 };

using MediaType = int32;
using BusDirection = int32;
using BusType = int32;
using IoMode = int32;

struct BusInfo {
    enum BusFlags : uint32 {
        kDefaultActive = 1 << 0,
        kIsControlVoltage = 1 << 1,
    };
    MediaType mediaType;
    BusDirection direction;
    int32 channelCount;
    String128 name;
    BusType busType;
    uint32 flags;
};

struct RoutingInfo {
    MediaType mediaType;
    int32 busIndex;
    int32 channel;
};

class IComponent : public IPluginBase {
public:
    // The class id of the edit controller, when it is an object of its own.
    virtual tresult RVB_VST3_CALL getControllerClassId(TUID classId) = 0;
    virtual tresult RVB_VST3_CALL setIoMode(IoMode mode) = 0;
    virtual int32 RVB_VST3_CALL getBusCount(MediaType type, BusDirection dir) = 0;
    virtual tresult RVB_VST3_CALL getBusInfo(MediaType type, BusDirection dir, int32 index, BusInfo& bus) = 0;
    virtual tresult RVB_VST3_CALL getRoutingInfo(RoutingInfo& inInfo, RoutingInfo& outInfo) = 0;
    virtual tresult RVB_VST3_CALL activateBus(MediaType type, BusDirection dir, int32 index, TBool state) = 0;
    virtual tresult RVB_VST3_CALL setActive(TBool state) = 0;
    virtual tresult RVB_VST3_CALL setState(IBStream* state) = 0;
    virtual tresult RVB_VST3_CALL getState(IBStream* state) = 0;

    static constexpr Uid iid = makeUid(0xE831FF31, 0xF2D54301, 0x928EBBEE, 0x25697802);

protected:
    ~IComponent() = default;
};

} // namespace vst3
