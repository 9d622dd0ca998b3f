#include "lv2/EffectHost.h"

namespace lv2plugin {

namespace {

// The VST 2.4 version the effect is told it runs in.
constexpr vst::IntPtr kHostVersion = 2400;
// Answers to the process-level query.
constexpr vst::IntPtr kProcessLevelRealtime = 2;
constexpr vst::IntPtr kProcessLevelOffline = 4;

} // namespace

vst::IntPtr EffectHost::callback(vst::AEffect* effect, vst::Int32 opcode, vst::Int32 index, vst::IntPtr,
                                 void*, float opt)
{
    auto* host = effect ? static_cast<EffectHost*>(effect->user) : nullptr;
    if (!host)
        return opcode == vst::audioMasterVersion ? kHostVersion : 0;
    return host->answer(opcode, index, opt);
}

vst::IntPtr EffectHost::answer(vst::Int32 opcode, vst::Int32 index, float opt)
{
    switch (opcode) {
    case vst::audioMasterVersion:
        return kHostVersion;
    case vst::audioMasterGetCurrentProcessLevel:
        return offline() ? kProcessLevelOffline : kProcessLevelRealtime;
    case vst::audioMasterGetSampleRate:
        return static_cast<vst::IntPtr>(sampleRate_.load(std::memory_order_relaxed));
    case vst::audioMasterGetBlockSize:
        return blockSize_.load(std::memory_order_relaxed);
    case vst::audioMasterAutomate:
        if (ParameterListener* l = listener())
            l->parameterAutomated(index, opt);
        return 1;
    case vst::audioMasterBeginEdit:
        if (ParameterListener* l = listener())
            l->gestureBegun(index);
        return 1;
    case vst::audioMasterEndEdit:
        if (ParameterListener* l = listener())
            l->gestureEnded(index);
        return 1;
    default:
        // No file selector of the host's own (the desktop's dialog is used),
        // no time info, no idle duties.
        return 0;
    }
}

} // namespace lv2plugin
