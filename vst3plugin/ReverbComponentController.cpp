// The controller's side: the parameter and program lists, values shown and
// texts, the actions and program choices the host makes, and the editor's
// gestures reported to the host.
#include "vst3plugin/ReverbComponent.h"

#include "core/ExceptionBarrier.h"
#include "core/Reverb.h"
#include "vst3plugin/EditorView.h"
#include "vst3plugin/ParameterList.h"
#include "vst3plugin/ReverbEditorEffect.h"
#include "vst3plugin/Utf16Text.h"

#include <algorithm>
#include <cmath>
#include <cstring>

using namespace vst3;

namespace vst3plugin {

namespace {

constexpr int kPrograms = core::Reverb::kNumPrograms;

int programOf(ParamValue value)
{
    return std::clamp(static_cast<int>(std::lround(value * (kPrograms - 1))), 0, kPrograms - 1);
}

ParamValue programValue(int program)
{
    return static_cast<ParamValue>(program) / (kPrograms - 1);
}

} // namespace

tresult ReverbComponent::setComponentState(IBStream*)
{
    // The component's state went into this very object: its values show already.
    return kResultOk;
}

int32 ReverbComponent::getParameterCount()
{
    return parameterCount();
}

tresult ReverbComponent::getParameterInfo(int32 index, ParameterInfo& info)
{
    return describeParameter(index, info, kPrograms) ? kResultOk : kInvalidArgument;
}

tresult ReverbComponent::getParamStringByValue(ParamID id, ParamValue value, String128 text)
{
    if (!text)
        return kInvalidArgument;
    std::string shown;
    if (parameterKind(id) == ParameterKind::Program)
        shown = reverb_->programName(programOf(value));
    else if (!valueText(id, value, shown))
        return kInvalidArgument;
    copyUtf16(shown, text, 128);
    return kResultOk;
}

tresult ReverbComponent::getParamValueByString(ParamID id, TChar* text, ParamValue& value)
{
    if (!text)
        return kInvalidArgument;
    const std::string typed = utf8FromUtf16(text, 128);
    if (parameterKind(id) == ParameterKind::Program) {
        for (int p = 0; p < kPrograms; ++p) {
            if (reverb_->programName(p) == typed) {
                value = programValue(p);
                return kResultOk;
            }
        }
        return kResultFalse;
    }
    return valueFromText(id, typed, value) ? kResultOk : kResultFalse;
}

ParamValue ReverbComponent::normalizedParamToPlain(ParamID id, ParamValue value)
{
    if (parameterKind(id) == ParameterKind::Program)
        return programOf(value);
    return toPlainValue(id, value);
}

ParamValue ReverbComponent::plainParamToNormalized(ParamID id, ParamValue plain)
{
    if (parameterKind(id) == ParameterKind::Program)
        return programValue(std::clamp(static_cast<int>(std::lround(plain)), 0, kPrograms - 1));
    return fromPlainValue(id, plain);
}

ParamValue ReverbComponent::getParamNormalized(ParamID id)
{
    switch (parameterKind(id)) {
    case ParameterKind::Program:
        return programValue(reverb_->currentProgram());
    case ParameterKind::Action:
        return actionOn_[id] ? 1.0 : 0.0;
    case ParameterKind::None:
        return 0.0;
    default:
        return toHostValue(id, shown_[id].load());
    }
}

tresult ReverbComponent::setParamNormalized(ParamID id, ParamValue value)
{
    if (!std::isfinite(value))
        return kInvalidArgument;
    value = std::clamp(value, 0.0, 1.0);
    switch (parameterKind(id)) {
    case ParameterKind::None:
        return kInvalidArgument;
    case ParameterKind::Program:
        core::guardedCall("program change", [&] { chooseProgram(value); });
        return kResultOk;
    case ParameterKind::Action:
        core::guardedCall("action", [&] { pressAction(static_cast<int>(id), value >= 0.5); });
        return kResultOk;
    default: {
        // Shown only: the same change reaches the processor at its frame.
        const float reverbValue = toReverbValue(id, value);
        shown_[id].store(reverbValue);
        editorEffect_->parameterChanged(static_cast<int>(id), reverbValue);
        return kResultOk;
    }
    }
}

void ReverbComponent::pressAction(int id, bool on)
{
    // Only a press runs the action: a host that hands the same value back
    // (its controls following what it sent) runs nothing twice.
    const bool pressed = on && !actionOn_[id];
    actionOn_[id] = on;
    if (!pressed)
        return;
    reverb_->setParameter(id, 1.0f);
    // Reset, a new IR: the host reads the values afresh.
    tellHostValuesChanged();
}

void ReverbComponent::chooseProgram(ParamValue value)
{
    const int program = programOf(value);
    if (program == reverb_->currentProgram())
        return;
    reverb_->setProgram(program);
    tellHostValuesChanged();
}

void ReverbComponent::tellHostValuesChanged()
{
    if (handler_)
        handler_->restartComponent(kParamValuesChanged);
}

tresult ReverbComponent::setComponentHandler(IComponentHandler* handler)
{
    handler_.reset(handler);
    return kResultOk;
}

IPlugView* ReverbComponent::createView(FIDString name)
{
    if (!name || std::strcmp(name, kEditor) != 0)
        return nullptr;
    return core::guardedCall("createView", static_cast<IPlugView*>(nullptr),
                             [this] { return static_cast<IPlugView*>(new EditorView(*this)); });
}

void ReverbComponent::editorEdit(int id, float value)
{
    if (param::isAction(id)) {
        // The editor's buttons send 1 then 0; the reverb runs the action on
        // the 1. The host is not told: an action recorded and played back
        // would open dialogs and copy files by itself.
        actionOn_[id] = value >= 0.5f;
        reverb_->setParameter(id, value);
        return;
    }
    reverb_->setParameter(id, value);
    const auto hostId = static_cast<ParamID>(id);
    if (handler_ && parameterKind(hostId) != ParameterKind::None)
        handler_->performEdit(hostId, toHostValue(hostId, value));
}

void ReverbComponent::editorBeginEdit(int id)
{
    const auto hostId = static_cast<ParamID>(id);
    if (handler_ && !param::isAction(id) && parameterKind(hostId) != ParameterKind::None)
        handler_->beginEdit(hostId);
}

void ReverbComponent::editorEndEdit(int id)
{
    const auto hostId = static_cast<ParamID>(id);
    if (handler_ && !param::isAction(id) && parameterKind(hostId) != ParameterKind::None)
        handler_->endEdit(hostId);
}

tresult ReverbComponent::getUnitInfo(int32 index, UnitInfo& info)
{
    if (index != 0)
        return kInvalidArgument;
    info = UnitInfo{};
    info.id = kRootUnitId;
    info.parentUnitId = kNoParentUnitId;
    copyUtf16("Root", info.name, 128);
    info.programListId = kProgramListId;
    return kResultOk;
}

tresult ReverbComponent::getProgramListInfo(int32 index, ProgramListInfo& info)
{
    if (index != 0)
        return kInvalidArgument;
    info = ProgramListInfo{};
    info.id = kProgramListId;
    copyUtf16("Programs", info.name, 128);
    info.programCount = kPrograms;
    return kResultOk;
}

tresult ReverbComponent::getProgramName(ProgramListID list, int32 program, String128 name)
{
    if (list != kProgramListId || program < 0 || program >= kPrograms || !name)
        return kInvalidArgument;
    copyUtf16(reverb_->programName(program), name, 128);
    return kResultOk;
}

tresult ReverbComponent::getUnitByBus(MediaType, BusDirection, int32, int32, UnitID& unit)
{
    unit = kRootUnitId;
    return kResultOk;
}

} // namespace vst3plugin
