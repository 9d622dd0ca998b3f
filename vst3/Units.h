#pragma once
// Units and program lists. A plug-in shows its programs to the host as a
// program list of a unit, with a parameter flagged kIsProgramChange in that
// unit (stepCount: programs - 1) that selects among them; the names come
// from getProgramName.
#include "vst3/Component.h"
#include "vst3/EditController.h"

namespace vst3 {

using ProgramListID = int32;

inline constexpr UnitID kRootUnitId = 0;
inline constexpr UnitID kNoParentUnitId = -1;
inline constexpr ProgramListID kNoProgramListId = -1;

struct UnitInfo {
    UnitID id;
    UnitID parentUnitId;
    String128 name;
    ProgramListID programListId;
};

struct ProgramListInfo {
    ProgramListID id;
    String128 name;
    int32 programCount;
};

// The controller's description of its units and program lists.
class IUnitInfo : public FUnknown {
public:
    virtual int32 RVB_VST3_CALL getUnitCount() = 0;
    virtual tresult RVB_VST3_CALL getUnitInfo(int32 unitIndex, UnitInfo& info) = 0;
    virtual int32 RVB_VST3_CALL getProgramListCount() = 0;
    virtual tresult RVB_VST3_CALL getProgramListInfo(int32 listIndex, ProgramListInfo& info) = 0;
    virtual tresult RVB_VST3_CALL getProgramName(ProgramListID listId, int32 programIndex, String128 name) = 0;
    virtual tresult RVB_VST3_CALL getProgramInfo(ProgramListID listId, int32 programIndex, CString attributeId,
                                                 String128 attributeValue) = 0;
    virtual tresult RVB_VST3_CALL hasProgramPitchNames(ProgramListID listId, int32 programIndex) = 0;
    virtual tresult RVB_VST3_CALL getProgramPitchName(ProgramListID listId, int32 programIndex, int16 midiPitch,
                                                      String128 name) = 0;
    virtual UnitID RVB_VST3_CALL getSelectedUnit() = 0;
    virtual tresult RVB_VST3_CALL selectUnit(UnitID unitId) = 0;
    virtual tresult RVB_VST3_CALL getUnitByBus(MediaType type, BusDirection dir, int32 busIndex, int32 channel,
                                               UnitID& unitId) = 0;
    virtual tresult RVB_VST3_CALL setUnitProgramData(int32 listOrUnitId, int32 programIndex, IBStream* data) = 0;

    static constexpr Uid iid = makeUid(0x3D4BD6B5, 0x913A4FD2, 0xA886E768, 0xA5EB92C1);

protected:
    ~IUnitInfo() = default;
};

// The component's: a program's whole data, for hosts that store programs themselves.
class IProgramListData : public FUnknown {
public:
    virtual tresult RVB_VST3_CALL programDataSupported(ProgramListID listId) = 0;
    virtual tresult RVB_VST3_CALL getProgramData(ProgramListID listId, int32 programIndex, IBStream* data) = 0;
    virtual tresult RVB_VST3_CALL setProgramData(ProgramListID listId, int32 programIndex, IBStream* data) = 0;

    static constexpr Uid iid = makeUid(0x8683B01F, 0x7B354F70, 0xA2651DEC, 0x353AF4FF);

protected:
    ~IProgramListData() = default;
};

} // namespace vst3
