#pragma once
// The controller side of a plug-in: its parameters as the host lists,
// automates and shows them, its own state, and its editor view. Also the
// host's side of parameter edits (IComponentHandler).
#include "vst3/ParameterChanges.h"
#include "vst3/Stream.h"

namespace vst3 {

class IPlugView;

using UnitID = int32;

struct ParameterInfo {
    enum ParameterFlags : int32 {
        kNoFlags = 0,
        kCanAutomate = 1 << 0,
        kIsReadOnly = 1 << 1,
        kIsWrapAround = 1 << 2,
        kIsList = 1 << 3,
        kIsHidden = 1 << 4,
        kIsProgramChange = 1 << 15,  // selects a program of the unit's program list
        kIsBypass = 1 << 16,         // the host's bypass switch
    };
    ParamID id;
    String128 title;
    String128 shortTitle;
    String128 units;
    int32 stepCount;  // 0: continuous; n: n + 1 values
    ParamValue defaultNormalizedValue;
    UnitID unitId;
    int32 flags;
};

// What the host re-reads after restartComponent.
enum RestartFlags : int32 {
    kReloadComponent = 1 << 0,
    kIoChanged = 1 << 1,
    kParamValuesChanged = 1 << 2,
    kLatencyChanged = 1 << 3,
    kParamTitlesChanged = 1 << 4,
    kMidiCCAssignmentChanged = 1 << 5,
    kNoteExpressionChanged = 1 << 6,
    kIoTitlesChanged = 1 << 7,
    kPrefetchableSupportChanged = 1 << 8,
    kRoutingInfoChanged = 1 << 9,
    kKeyswitchChanged = 1 << 10,
    kParamIDMappingChanged = 1 << 11,
};

// The host's: a controller reports the user's edits through it.
class IComponentHandler : public FUnknown {
public:
    virtual tresult RVB_VST3_CALL beginEdit(ParamID id) = 0;
    virtual tresult RVB_VST3_CALL performEdit(ParamID id, ParamValue valueNormalized) = 0;
    virtual tresult RVB_VST3_CALL endEdit(ParamID id) = 0;
    virtual tresult RVB_VST3_CALL restartComponent(int32 flags) = 0;

    static constexpr Uid iid = makeUid(0x93A0BEA3, 0x0BD045DB, 0x8E890B0C, 0xC1E46AC6);

protected:
    ~IComponentHandler() = default;
};

// The name of the view createView makes for the plug-in's editor.
inline constexpr char8 kEditor[] = "editor";

class IEditController : public IPluginBase {
public:
    // The component's state, as the component wrote it, so that the controller follows.
    virtual tresult RVB_VST3_CALL setComponentState(IBStream* state) = 0;
    virtual tresult RVB_VST3_CALL setState(IBStream* state) = 0;
    virtual tresult RVB_VST3_CALL getState(IBStream* state) = 0;
    virtual int32 RVB_VST3_CALL getParameterCount() = 0;
    virtual tresult RVB_VST3_CALL getParameterInfo(int32 paramIndex, ParameterInfo& info) = 0;
    virtual tresult RVB_VST3_CALL getParamStringByValue(ParamID id, ParamValue valueNormalized, String128 string) = 0;
    virtual tresult RVB_VST3_CALL getParamValueByString(ParamID id, TChar* string, ParamValue& valueNormalized) = 0;
    virtual ParamValue RVB_VST3_CALL normalizedParamToPlain(ParamID id, ParamValue valueNormalized) = 0;
    virtual ParamValue RVB_VST3_CALL plainParamToNormalized(ParamID id, ParamValue plainValue) = 0;
    virtual ParamValue RVB_VST3_CALL getParamNormalized(ParamID id) = 0;
    virtual tresult RVB_VST3_CALL setParamNormalized(ParamID id, ParamValue value) = 0;
    virtual tresult RVB_VST3_CALL setComponentHandler(IComponentHandler* handler) = 0;
    virtual IPlugView* RVB_VST3_CALL createView(FIDString name) = 0;

    static constexpr Uid iid = makeUid(0xDCD7BBE3, 0x7742448D, 0xA874AACC, 0x979C759E);

protected:
    ~IEditController() = default;
};

} // namespace vst3
