#pragma once
// The host's context for the plug-in's objects (initialize, setHostContext):
// the host's name, and the messages and attribute lists it makes for them.
#include "host/Vst3Object.h"

class Vst3HostApplication final : public Vst3Object<Vst3HostApplication, vst3::IHostApplication> {
public:
    vst3::tresult RVB_VST3_CALL getName(vst3::String128 name) override;
    vst3::tresult RVB_VST3_CALL createInstance(vst3::TUID classId, vst3::TUID interfaceId, void** obj) override;

    // How many messages the plug-in had made, for diagnostics.
    int messagesMade() const { return messagesMade_; }

private:
    int messagesMade_ = 0;
};
