#pragma once
// The VST 2.x extension of the base part: the later opcodes with their
// default answers, identity queries and the further host requests.
#include "shell/AudioEffect.h"

class AudioEffectX : public AudioEffect {
public:
    AudioEffectX(vst::HostCallback hostCallback, int numPrograms, int numParams);

    vst::IntPtr dispatcher(vst::Int32 opcode, vst::Int32 index, vst::IntPtr value, void* ptr, float opt) override;

    virtual bool getProgramNameIndexed(vst::Int32 category, vst::Int32 index, char* text);
    virtual bool getEffectName(char*) { return false; }
    virtual bool getVendorString(char*) { return false; }
    virtual bool getProductString(char*) { return false; }
    virtual vst::Int32 getVendorVersion() { return 0; }
    virtual vst::Int32 getVstVersion() { return 2400; }
    virtual vst::Int32 getPlugCategory() { return vst::kPlugCategUnknown; }
    virtual vst::IntPtr canDo(char*) { return 0; }
    virtual vst::Int32 getGetTailSize() { return 0; }
    virtual bool setBypass(bool) { return false; }
    virtual bool canParameterBeAutomated(vst::Int32) { return true; }
    // effStartProcess and effStopProcess: the host is about to call, or has
    // stopped calling, the process function.
    virtual vst::Int32 startProcess() { return 0; }
    virtual vst::Int32 stopProcess() { return 0; }

    // Host requests.
    bool canHostDo(const char* text);
    bool beginEdit(vst::Int32 index);
    bool endEdit(vst::Int32 index);
    bool openFileSelector(vst::VstFileSelect* select);
    bool closeFileSelector(vst::VstFileSelect* select);
};
