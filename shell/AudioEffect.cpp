#include "shell/AudioEffect.h"

#include "core/ExceptionBarrier.h"
#include "editor/AEffEditor.h"

namespace {

vst::IntPtr dispatchEntry(vst::AEffect* e, vst::Int32 opcode, vst::Int32 index, vst::IntPtr value, void* ptr, float opt)
{
    auto* effect = e ? static_cast<AudioEffect*>(e->object) : nullptr;
    if (!effect)
        return 0;
    return core::guardedCall("dispatcher", vst::IntPtr{0},
                             [&] { return effect->dispatcher(opcode, index, value, ptr, opt); });
}

void setParameterEntry(vst::AEffect* e, vst::Int32 index, float value)
{
    if (auto* effect = e ? static_cast<AudioEffect*>(e->object) : nullptr)
        core::guardedCall("setParameter", [&] { effect->setParameter(index, value); });
}

float getParameterEntry(vst::AEffect* e, vst::Int32 index)
{
    auto* effect = e ? static_cast<AudioEffect*>(e->object) : nullptr;
    return effect ? core::guardedCall("getParameter", 0.0f, [&] { return effect->getParameter(index); }) : 0.0f;
}

// A call that fails leaves silence rather than whatever the buffers held.
template <class Sample>
void silence(Sample** outputs, vst::Int32 channels, vst::Int32 frames)
{
    for (vst::Int32 c = 0; outputs && c < channels; ++c)
        for (vst::Int32 i = 0; outputs[c] && i < frames; ++i)
            outputs[c][i] = Sample(0);
}

void processReplacingEntry(vst::AEffect* e, float** inputs, float** outputs, vst::Int32 frames)
{
    if (auto* effect = e ? static_cast<AudioEffect*>(e->object) : nullptr)
        if (!core::guardedCall("processReplacing", false, [&] {
                effect->processReplacing(inputs, outputs, frames);
                return true;
            }))
            silence(outputs, e->numOutputs, frames);
}

void processDoubleReplacingEntry(vst::AEffect* e, double** inputs, double** outputs, vst::Int32 frames)
{
    if (auto* effect = e ? static_cast<AudioEffect*>(e->object) : nullptr)
        core::guardedCall("processDoubleReplacing",
                          [&] { effect->processDoubleReplacing(inputs, outputs, frames); });
}

// The deprecated accumulating process call is not supported: it does nothing.
void processDeprecatedEntry(vst::AEffect*, float**, float**, vst::Int32) {}

} // namespace

AudioEffect::AudioEffect(vst::HostCallback hostCallback, int numPrograms, int numParams)
    : hostCallback_(hostCallback), numPrograms_(numPrograms), numParams_(numParams)
{
    cEffect_.magic = vst::kEffectMagic;
    cEffect_.dispatcher = dispatchEntry;
    cEffect_.process = processDeprecatedEntry;
    cEffect_.setParameter = setParameterEntry;
    cEffect_.getParameter = getParameterEntry;
    cEffect_.numPrograms = numPrograms;
    cEffect_.numParams = numParams;
    cEffect_.numInputs = 1; // placeholders until the effect sets its own
    cEffect_.numOutputs = 2;
    cEffect_.flags = vst::effFlagsCanReplacing;
    cEffect_.ioRatio = 1.0f;
    cEffect_.object = this;
    cEffect_.uniqueID = vst::fourCharCode('N', 'o', 'E', 'f');
    cEffect_.version = 1;
    cEffect_.processReplacing = processReplacingEntry;
    cEffect_.processDoubleReplacing = processDoubleReplacingEntry;
}

AudioEffect::~AudioEffect()
{
    delete editor_;
}

void AudioEffect::setEditor(AEffEditor* editor)
{
    editor_ = editor;
    if (editor)
        cEffect_.flags |= vst::effFlagsHasEditor;
    else
        cEffect_.flags &= ~vst::effFlagsHasEditor;
}

vst::IntPtr AudioEffect::callHost(vst::Int32 opcode, vst::Int32 index, vst::IntPtr value, void* ptr, float opt)
{
    return hostCallback_ ? hostCallback_(&cEffect_, opcode, index, value, ptr, opt) : 0;
}

void AudioEffect::setParameterAutomated(vst::Int32 index, float value)
{
    setParameter(index, value);
    callHost(vst::audioMasterAutomate, index, 0, nullptr, value);
}

vst::IntPtr AudioEffect::masterIdle()
{
    return callHost(vst::audioMasterIdle);
}

vst::Int32 AudioEffect::getMasterVersion()
{
    return static_cast<vst::Int32>(callHost(vst::audioMasterVersion));
}

vst::IntPtr AudioEffect::dispatcher(vst::Int32 opcode, vst::Int32 index, vst::IntPtr value, void* ptr, float opt)
{
    switch (opcode) {
    case vst::effOpen:
        open();
        return 0;
    case vst::effClose:
        // The host's only way to delete an effect: after this call the record is gone.
        close();
        delete this;
        return 0;
    case vst::effSetProgram:
        // negative programs are as meaningless as those past the last one
        if (value >= 0 && value < numPrograms_)
            setProgram(static_cast<vst::Int32>(value));
        return 0;
    case vst::effGetProgram:
        return curProgram_;
    case vst::effSetProgramName:
        if (ptr)
            setProgramName(static_cast<char*>(ptr));
        return 0;
    case vst::effGetProgramName:
        if (ptr)
            getProgramName(static_cast<char*>(ptr));
        return 0;
    case vst::effGetParamLabel:
        if (ptr)
            getParameterLabel(index, static_cast<char*>(ptr));
        return 0;
    case vst::effGetParamDisplay:
        if (ptr)
            getParameterDisplay(index, static_cast<char*>(ptr));
        return 0;
    case vst::effGetParamName:
        if (ptr)
            getParameterName(index, static_cast<char*>(ptr));
        return 0;
    case vst::effSetSampleRate:
        setSampleRate(opt);
        return 0;
    case vst::effSetBlockSize:
        setBlockSize(static_cast<vst::Int32>(value));
        return 0;
    case vst::effMainsChanged:
        if (value == 0)
            suspend();
        else
            resume();
        return 0;
    case vst::effEditGetRect:
        return (editor_ && ptr) ? editor_->getRect(static_cast<vst::ERect**>(ptr)) : 0;
    case vst::effEditOpen:
        return editor_ ? editor_->open(ptr) : 0;
    case vst::effEditClose:
        if (editor_)
            editor_->close();
        return 0;
    case vst::effEditIdle:
        if (editor_)
            editor_->idle();
        return 0;
    case vst::effIdentify:
        return vst::fourCharCode('N', 'v', 'E', 'f');
    case vst::effGetChunk:
        return ptr ? getChunk(static_cast<void**>(ptr), index != 0) : 0;
    case vst::effSetChunk:
        return setChunk(ptr, static_cast<vst::Int32>(value), index != 0);
    default:
        return 0;
    }
}
