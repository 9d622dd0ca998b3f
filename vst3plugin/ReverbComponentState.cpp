// The component state: written from the reverb's values and remembered IR
// path, restored as a VST 2.4 host restores a project (the values, then the
// IR path, which loads the file).
#include "vst3plugin/ReverbComponent.h"

#include "core/ExceptionBarrier.h"
#include "core/Reverb.h"
#include "vst3plugin/ReverbState.h"

using namespace vst3;

namespace vst3plugin {

namespace {

// The settings a state holds: everything but the actions and the path values.
constexpr int kFirstStored = param::kBypassLocal;
constexpr int kLastStored = param::kDryLevel;

} // namespace

tresult ReverbComponent::writeComponentState(IBStream* stream)
{
    if (!stream)
        return kInvalidArgument;
    return core::guardedCall("getState", kResultFalse, [&] {
        ReverbState state;
        state.program = reverb_->currentProgram();
        for (int id = kFirstStored; id <= kLastStored; ++id)
            state.values.push_back({id, reverb_->getParameter(id)});
        state.irPath = reverb_->rememberedPath();
        return writeState(state, *stream) ? kResultOk : kResultFalse;
    });
}

tresult ReverbComponent::readComponentState(IBStream* stream)
{
    if (!stream)
        return kInvalidArgument;
    return core::guardedCall("setState", kResultFalse, [&] {
        ReverbState state;
        if (!readState(*stream, state))
            return kResultFalse;
        // The program's own values come first only when it is another one;
        // the state's values then overwrite them.
        if (state.program != reverb_->currentProgram())
            reverb_->setProgram(state.program);
        for (const ReverbState::Value& v : state.values)
            if (v.id >= kFirstStored && v.id <= kLastStored)
                reverb_->setParameter(v.id, v.value);
        // A state without an IR file keeps the IR in force, as LV2's does.
        if (!state.irPath.empty())
            reverb_->restoreIRPath(state.irPath);
        // The host reads the values afresh after a restore (setComponentState follows).
        return kResultOk;
    });
}

} // namespace vst3plugin
