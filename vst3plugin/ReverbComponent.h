#pragma once
// The reverb as a VST 3 plug-in: one object that is both the component (its
// buses, state, activation and the process call) and its own edit controller
// (the parameter list, the program list, the editor's view), translated onto
// the format-free reverb (core::Reverb) it owns, as the VST 2.4 and LV2
// shells do. Nothing here does the reverb's work.
//
// Parameters. The host's changes reach the reverb twice over, as VST 3 has
// it: inside process calls, at their frames (applied there, the call cut at
// each), and through setParamNormalized, which only shows the value (to
// getParamNormalized and the editor) - except for what must not run on the
// audio thread: the four actions run when the controller sees one pressed
// (off to on), and the program selector switches programs there. Changes the
// editor makes are applied at once and reported to the host.
//
// Threads: process on the host's audio thread (it never allocates, locks or
// waits, except once after activation and while the host renders offline);
// everything else on the host's main thread, as VST 3 hosts call it.
#include "core/ReverbHost.h"
#include "vst3/AudioProcessor.h"
#include "vst3/EditController.h"
#include "vst3/Units.h"
#include "vst3plugin/ComObject.h"
#include "vst3plugin/PluginClasses.h"
#include "vst3plugin/StateSides.h"

#include "params/ParameterTable.h"

#include <atomic>
#include <memory>

class SDEditor;

namespace core {
class Reverb;
}

namespace vst3plugin {

class ReverbEditorEffect;

class ReverbComponent final : public ComponentSide,
                              public vst3::IAudioProcessor,
                              public ControllerSide,
                              public vst3::IUnitInfo,
                              public vst3::IProcessContextRequirements,
                              private core::ReverbHost {
public:
    explicit ReverbComponent(Edition edition);
    ReverbComponent(const ReverbComponent&) = delete;
    ReverbComponent& operator=(const ReverbComponent&) = delete;

    // FUnknown
    vst3::tresult RVB_VST3_CALL queryInterface(const vst3::TUID interfaceId, void** obj) override;
    vst3::uint32 RVB_VST3_CALL addRef() override { return count_.increment(); }
    vst3::uint32 RVB_VST3_CALL release() override;

    // IPluginBase (both sides: the host may call each twice)
    vst3::tresult RVB_VST3_CALL initialize(vst3::FUnknown* context) override;
    vst3::tresult RVB_VST3_CALL terminate() override;

    // IComponent
    vst3::tresult RVB_VST3_CALL getControllerClassId(vst3::TUID classId) override;
    vst3::tresult RVB_VST3_CALL setIoMode(vst3::IoMode) override { return vst3::kResultOk; }
    vst3::int32 RVB_VST3_CALL getBusCount(vst3::MediaType type, vst3::BusDirection dir) override;
    vst3::tresult RVB_VST3_CALL getBusInfo(vst3::MediaType type, vst3::BusDirection dir, vst3::int32 index,
                                           vst3::BusInfo& bus) override;
    vst3::tresult RVB_VST3_CALL getRoutingInfo(vst3::RoutingInfo&, vst3::RoutingInfo&) override;
    vst3::tresult RVB_VST3_CALL activateBus(vst3::MediaType type, vst3::BusDirection dir, vst3::int32 index,
                                            vst3::TBool state) override;
    vst3::tresult RVB_VST3_CALL setActive(vst3::TBool state) override;

    // IAudioProcessor
    vst3::tresult RVB_VST3_CALL setBusArrangements(vst3::SpeakerArrangement* inputs, vst3::int32 numIns,
                                                   vst3::SpeakerArrangement* outputs, vst3::int32 numOuts) override;
    vst3::tresult RVB_VST3_CALL getBusArrangement(vst3::BusDirection dir, vst3::int32 index,
                                                  vst3::SpeakerArrangement& arrangement) override;
    vst3::tresult RVB_VST3_CALL canProcessSampleSize(vst3::int32 size) override;
    vst3::uint32 RVB_VST3_CALL getLatencySamples() override;
    vst3::tresult RVB_VST3_CALL setupProcessing(vst3::ProcessSetup& setup) override;
    vst3::tresult RVB_VST3_CALL setProcessing(vst3::TBool) override { return vst3::kResultOk; }
    vst3::tresult RVB_VST3_CALL process(vst3::ProcessData& data) override;
    vst3::uint32 RVB_VST3_CALL getTailSamples() override;

    // IProcessContextRequirements: the reverb reads nothing of the transport.
    vst3::uint32 RVB_VST3_CALL getProcessContextRequirements() override { return 0; }

    // IEditController (ReverbComponentController.cpp)
    vst3::tresult RVB_VST3_CALL setComponentState(vst3::IBStream* state) override;
    vst3::int32 RVB_VST3_CALL getParameterCount() override;
    vst3::tresult RVB_VST3_CALL getParameterInfo(vst3::int32 index, vst3::ParameterInfo& info) override;
    vst3::tresult RVB_VST3_CALL getParamStringByValue(vst3::ParamID id, vst3::ParamValue value,
                                                      vst3::String128 text) override;
    vst3::tresult RVB_VST3_CALL getParamValueByString(vst3::ParamID id, vst3::TChar* text,
                                                      vst3::ParamValue& value) override;
    vst3::ParamValue RVB_VST3_CALL normalizedParamToPlain(vst3::ParamID id, vst3::ParamValue value) override;
    vst3::ParamValue RVB_VST3_CALL plainParamToNormalized(vst3::ParamID id, vst3::ParamValue plain) override;
    vst3::ParamValue RVB_VST3_CALL getParamNormalized(vst3::ParamID id) override;
    vst3::tresult RVB_VST3_CALL setParamNormalized(vst3::ParamID id, vst3::ParamValue value) override;
    vst3::tresult RVB_VST3_CALL setComponentHandler(vst3::IComponentHandler* handler) override;
    vst3::IPlugView* RVB_VST3_CALL createView(vst3::FIDString name) override;

    // IUnitInfo: one unit with the program list.
    vst3::int32 RVB_VST3_CALL getUnitCount() override { return 1; }
    vst3::tresult RVB_VST3_CALL getUnitInfo(vst3::int32 index, vst3::UnitInfo& info) override;
    vst3::int32 RVB_VST3_CALL getProgramListCount() override { return 1; }
    vst3::tresult RVB_VST3_CALL getProgramListInfo(vst3::int32 index, vst3::ProgramListInfo& info) override;
    vst3::tresult RVB_VST3_CALL getProgramName(vst3::ProgramListID list, vst3::int32 program,
                                               vst3::String128 name) override;
    vst3::tresult RVB_VST3_CALL getProgramInfo(vst3::ProgramListID, vst3::int32, vst3::CString,
                                               vst3::String128) override { return vst3::kResultFalse; }
    vst3::tresult RVB_VST3_CALL hasProgramPitchNames(vst3::ProgramListID, vst3::int32) override { return vst3::kResultFalse; }
    vst3::tresult RVB_VST3_CALL getProgramPitchName(vst3::ProgramListID, vst3::int32, vst3::int16,
                                                    vst3::String128) override { return vst3::kResultFalse; }
    vst3::UnitID RVB_VST3_CALL getSelectedUnit() override { return vst3::kRootUnitId; }
    vst3::tresult RVB_VST3_CALL selectUnit(vst3::UnitID) override { return vst3::kResultOk; }
    vst3::tresult RVB_VST3_CALL getUnitByBus(vst3::MediaType, vst3::BusDirection, vst3::int32, vst3::int32,
                                             vst3::UnitID& unit) override;
    vst3::tresult RVB_VST3_CALL setUnitProgramData(vst3::int32, vst3::int32, vst3::IBStream*) override { return vst3::kResultFalse; }

    // For the editor and its view (the host's main thread).
    core::Reverb& reverb() { return *reverb_; }
    SDEditor& editor();
    // The editor's gestures: applied now and reported to the host.
    void editorEdit(int id, float value);
    void editorBeginEdit(int id);
    void editorEndEdit(int id);
    // One view at a time shows the editor.
    bool claimEditor();
    void releaseEditor();

private:
    ~ReverbComponent();

    // core::ReverbHost
    void irLoadFailed(const std::string& path, const std::string& reason) override;
    void tellUser(const std::string& caption, const std::string& text) override;
    void parameterChanged(int id, float value) override;
    void copyButtonChanged(bool show) override;
    bool chooseFile(const platform::FileDialogRequest& request, std::string& chosenPath) override;

    // The component's state (ReverbComponentState.cpp); the controller has
    // none of its own: it shows the component's values.
    vst3::tresult readComponentState(vst3::IBStream* state) override;
    vst3::tresult writeComponentState(vst3::IBStream* state) override;
    vst3::tresult readControllerState(vst3::IBStream*) override { return vst3::kResultOk; }
    vst3::tresult writeControllerState(vst3::IBStream*) override { return vst3::kResultOk; }

    // A change from a process call's queue, on the audio thread.
    void applyQueuedChange(vst3::ParamID id, vst3::ParamValue value);
    void processPiece(vst3::ProcessData& data, int from, int to, bool offline);
    // The controller's side of a press or a program choice.
    void pressAction(int id, bool on);
    void chooseProgram(vst3::ParamValue value);
    void tellHostValuesChanged();

    RefCount count_;
    std::unique_ptr<ReverbEditorEffect> editorEffect_;
    std::unique_ptr<core::Reverb> reverb_;
    Held<vst3::IComponentHandler> handler_;
    // The values as last set by the host or the reverb, in the reverb's terms.
    std::atomic<float> shown_[param::kNumParams];
    // Whether each action's parameter is on, as the controller last saw it.
    bool actionOn_[param::kReset + 1] = {};
    bool editorClaimed_ = false;
    std::atomic<vst3::int32> processMode_{vst3::kRealtime};
    // The first process call after activation starts with the work a restore
    // left pending done.
    std::atomic<bool> settleOnNextProcess_{false};
};

} // namespace vst3plugin
