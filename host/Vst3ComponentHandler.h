#pragma once
// The host's side of a controller's edits: a value the user set in the editor
// (performEdit) goes on to the processor with the next process call, as a
// DAW's automation does; restart requests are kept for the host to act on.
#include "host/Vst3Object.h"
#include "vst3/EditController.h"

#include <mutex>
#include <utility>
#include <vector>

class Vst3ComponentHandler final : public Vst3Object<Vst3ComponentHandler, vst3::IComponentHandler> {
public:
    vst3::tresult RVB_VST3_CALL beginEdit(vst3::ParamID id) override;
    vst3::tresult RVB_VST3_CALL performEdit(vst3::ParamID id, vst3::ParamValue valueNormalized) override;
    vst3::tresult RVB_VST3_CALL endEdit(vst3::ParamID id) override;
    vst3::tresult RVB_VST3_CALL restartComponent(vst3::int32 flags) override;

    // The edits since the last call, oldest first.
    std::vector<std::pair<vst3::ParamID, vst3::ParamValue>> takeEdits();
    // The restart flags asked for since the last call.
    vst3::int32 takeRestartFlags();

private:
    std::mutex mutex_;
    std::vector<std::pair<vst3::ParamID, vst3::ParamValue>> edits_;
    vst3::int32 restartFlags_ = 0;
};
