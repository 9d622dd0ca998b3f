// The component's life, its buses and activation, and what the reverb asks
// of its shell.
#include "vst3plugin/ReverbComponent.h"

#include "core/ExceptionBarrier.h"
#include "core/Reverb.h"
#include "editor/SDEditor.h"
#include "ir/LoadFailureMessage.h"
#include "platform/Dialogs.h"
#include "platform/ModulePath.h"
#include "vst3plugin/BundleLocation.h"
#include "vst3plugin/ParameterList.h"
#include "vst3plugin/ReverbEditorEffect.h"
#include "vst3plugin/Utf16Text.h"

using namespace vst3;

namespace vst3plugin {

namespace {

bool isMainAudioBus(MediaType type, BusDirection dir, int32 index)
{
    return type == kAudio && (dir == kInput || dir == kOutput) && index == 0;
}

} // namespace

ReverbComponent::ReverbComponent(Edition edition)
{
    for (auto& value : shown_)
        value.store(0.0f);
    // The editor exists before the reverb, which shows it its defaults.
    editorEffect_ = std::make_unique<ReverbEditorEffect>(*this);
    const std::string module = platform::modulePath();
    reverb_ = std::make_unique<core::Reverb>(static_cast<core::ReverbHost&>(*this), bundleLocation(module.c_str()),
                                             edition);
}

vst3::uint32 ReverbComponent::getLatencySamples()
{
    return static_cast<vst3::uint32>(reverb_->latencyFrames());
}

ReverbComponent::~ReverbComponent()
{
    // An editor still open closes while the reverb is whole; the reverb goes
    // before the editor, which it may still tell of changes until then.
    editorEffect_->closeEditor();
    reverb_.reset();
    editorEffect_.reset();
}

tresult ReverbComponent::queryInterface(const TUID interfaceId, void** obj)
{
    return queryAmong<IComponent, IAudioProcessor, IEditController, IUnitInfo, IProcessContextRequirements>(
        this, interfaceId, obj);
}

uint32 ReverbComponent::release()
{
    const uint32 left = count_.decrement();
    if (left == 0)
        core::guardedCall("release", [this] { delete this; });
    return left;
}

tresult ReverbComponent::initialize(FUnknown*)
{
    return kResultOk;
}

tresult ReverbComponent::terminate()
{
    handler_.reset();
    return kResultOk;
}

tresult ReverbComponent::getControllerClassId(TUID)
{
    // The component is its own controller.
    return kNotImplemented;
}

int32 ReverbComponent::getBusCount(MediaType type, BusDirection dir)
{
    return type == kAudio && (dir == kInput || dir == kOutput) ? 1 : 0;
}

tresult ReverbComponent::getBusInfo(MediaType type, BusDirection dir, int32 index, BusInfo& bus)
{
    if (!isMainAudioBus(type, dir, index))
        return kInvalidArgument;
    bus = BusInfo{};
    bus.mediaType = kAudio;
    bus.direction = dir;
    bus.channelCount = 2;
    copyUtf16(dir == kInput ? "Stereo In" : "Stereo Out", bus.name, 128);
    bus.busType = kMain;
    bus.flags = BusInfo::kDefaultActive;
    return kResultOk;
}

tresult ReverbComponent::getRoutingInfo(RoutingInfo&, RoutingInfo&)
{
    return kNotImplemented;
}

tresult ReverbComponent::activateBus(MediaType type, BusDirection dir, int32 index, TBool)
{
    return isMainAudioBus(type, dir, index) ? kResultOk : kInvalidArgument;
}

tresult ReverbComponent::setBusArrangements(SpeakerArrangement* inputs, int32 numIns, SpeakerArrangement* outputs,
                                            int32 numOuts)
{
    // Stereo in, stereo out, nothing else.
    const bool stereo = numIns == 1 && numOuts == 1 && inputs && outputs && inputs[0] == kStereoArrangement &&
                        outputs[0] == kStereoArrangement;
    return stereo ? kResultTrue : kResultFalse;
}

tresult ReverbComponent::getBusArrangement(BusDirection dir, int32 index, SpeakerArrangement& arrangement)
{
    if (!isMainAudioBus(kAudio, dir, index))
        return kInvalidArgument;
    arrangement = kStereoArrangement;
    return kResultOk;
}

tresult ReverbComponent::canProcessSampleSize(int32 size)
{
    return size == kSample32 ? kResultTrue : kResultFalse;
}

tresult ReverbComponent::setupProcessing(ProcessSetup& setup)
{
    if (setup.symbolicSampleSize != kSample32)
        return kResultFalse;
    processMode_ = setup.processMode;
    core::guardedCall("setupProcessing", [&] { reverb_->setSampleRate(static_cast<float>(setup.sampleRate)); });
    return kResultOk;
}

tresult ReverbComponent::setActive(TBool state)
{
    if (!state)
        return kResultOk;
    // As a VST 2.4 resume: every signal history cleared, then the work a
    // restore left pending finished (bounded), so that the first process
    // call sounds as restored. Should the host restore only after this, the
    // first call waits instead.
    core::guardedCall("setActive", [this] { reverb_->resume(); });
    settleOnNextProcess_.store(true);
    return kResultOk;
}

uint32 ReverbComponent::getTailSamples()
{
    // A reverb rings on for as long as its IR, which is the user's choice.
    return kInfiniteTail;
}

SDEditor& ReverbComponent::editor()
{
    return editorEffect_->editor();
}

bool ReverbComponent::claimEditor()
{
    if (editorClaimed_)
        return false;
    editorClaimed_ = true;
    return true;
}

void ReverbComponent::releaseEditor()
{
    editorClaimed_ = false;
}

void ReverbComponent::irLoadFailed(const std::string& path, const std::string& reason)
{
    // On the host's thread that restored the path or the editor's that chose
    // the file, as in VST 2.4: both may wait for the user.
    ir::showLoadFailure(path.c_str(), reason.empty() ? nullptr : reason.c_str());
}

void ReverbComponent::tellUser(const std::string& caption, const std::string& text)
{
    platform::dialogs().messageBox(caption, text);
}

void ReverbComponent::parameterChanged(int id, float value)
{
    // Any thread, the audio thread included: only noted. Called while the
    // reverb is being made, before reverb_ is set.
    if (id >= 0 && id < param::kNumParams)
        shown_[id].store(value);
    editorEffect_->parameterChanged(id, value);
}

void ReverbComponent::copyButtonChanged(bool show)
{
    editorEffect_->copyButtonChanged(show);
}

bool ReverbComponent::chooseFile(const platform::FileDialogRequest& request, std::string& chosenPath)
{
    return platform::dialogs().openFileDialog(request, chosenPath);
}

} // namespace vst3plugin
