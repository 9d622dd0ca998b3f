#include "shell/AudioEffectX.h"

#include "editor/AEffEditor.h"

AudioEffectX::AudioEffectX(vst::HostCallback hostCallback, int numPrograms, int numParams)
    : AudioEffect(hostCallback, numPrograms, numParams)
{
}

bool AudioEffectX::getProgramNameIndexed(vst::Int32, vst::Int32, char*)
{
    return false;
}

vst::IntPtr AudioEffectX::dispatcher(vst::Int32 opcode, vst::Int32 index, vst::IntPtr value, void* ptr, float opt)
{
    char* text = static_cast<char*>(ptr);
    switch (opcode) {
    case vst::effProcessEvents:
        return 0;
    case vst::effCanBeAutomated:
        return canParameterBeAutomated(index) ? 1 : 0;
    case vst::effGetProgramNameIndexed:
        return text && getProgramNameIndexed(static_cast<vst::Int32>(value), index, text) ? 1 : 0;
    case vst::effGetPlugCategory:
        return getPlugCategory();
    case vst::effSetBypass:
        return setBypass(value != 0) ? 1 : 0;
    case vst::effGetEffectName:
        return text && getEffectName(text) ? 1 : 0;
    case vst::effGetVendorString:
        return text && getVendorString(text) ? 1 : 0;
    case vst::effGetProductString:
        return text && getProductString(text) ? 1 : 0;
    case vst::effGetVendorVersion:
        return getVendorVersion();
    case vst::effCanDo:
        return text ? canDo(text) : 0;
    case vst::effGetTailSize:
        return getGetTailSize();
    case vst::effGetVstVersion:
        return getVstVersion();
    case vst::effEditKeyDown:
        return editor_ ? editor_->onKeyDown(index, static_cast<int>(value), static_cast<int>(opt)) : 0;
    case vst::effEditKeyUp:
        return editor_ ? editor_->onKeyUp(index, static_cast<int>(value), static_cast<int>(opt)) : 0;
    case vst::effSetEditKnobMode:
        return editor_ ? editor_->setKnobMode(static_cast<int>(value)) : 0;
    case vst::effGetCurrentMidiProgram:
        return -1;
    case vst::effGetSpeakerArrangement:
        // value and ptr each point at the host's arrangement pointer
        if (value)
            *reinterpret_cast<void**>(value) = nullptr;
        if (ptr)
            *static_cast<void**>(ptr) = nullptr;
        return 0;
    case vst::effSetTotalSampleToProcess:
        return value;
    case vst::effStartProcess:
        return startProcess();
    case vst::effStopProcess:
        return stopProcess();
    default:
        return AudioEffect::dispatcher(opcode, index, value, ptr, opt);
    }
}

bool AudioEffectX::canHostDo(const char* text)
{
    return callHost(vst::audioMasterCanDo, 0, 0, const_cast<char*>(text)) != 0;
}

bool AudioEffectX::beginEdit(vst::Int32 index)
{
    return callHost(vst::audioMasterBeginEdit, index) != 0;
}

bool AudioEffectX::endEdit(vst::Int32 index)
{
    return callHost(vst::audioMasterEndEdit, index) != 0;
}

bool AudioEffectX::openFileSelector(vst::VstFileSelect* select)
{
    return select && callHost(vst::audioMasterOpenFileSelector, 0, 0, select) != 0;
}

bool AudioEffectX::closeFileSelector(vst::VstFileSelect* select)
{
    return select && callHost(vst::audioMasterCloseFileSelector, 0, 0, select) != 0;
}
