#pragma once
// The host's frame around a VST 3 editor: it takes the editor's requests to
// resize, and on Linux hands out the host's run loop.
#include "host/Vst3Object.h"
#include "host/Vst3Ptr.h"
#include "vst3/View.h"

class Vst3PlugFrame final : public Vst3Object<Vst3PlugFrame, vst3::IPlugFrame> {
public:
    explicit Vst3PlugFrame(vst3::IRunLoop* runLoop);

    vst3::tresult RVB_VST3_CALL queryInterface(const vst3::TUID interfaceId, void** obj) override;
    // Agreed to: the view is told its new size (the host's window keeps its own).
    vst3::tresult RVB_VST3_CALL resizeView(vst3::IPlugView* view, vst3::ViewRect* newSize) override;

    int resizeRequests() const { return resizeRequests_; }

private:
    Vst3Ptr<vst3::IRunLoop> runLoop_;
    int resizeRequests_ = 0;
};
