#pragma once
// IComponent and IEditController both name their state calls setState and
// getState. An object that is both would answer the two with one function;
// through these it answers each with its own.
#include "vst3/Component.h"
#include "vst3/EditController.h"

namespace vst3plugin {

class ComponentSide : public vst3::IComponent {
public:
    vst3::tresult RVB_VST3_CALL setState(vst3::IBStream* state) final { return readComponentState(state); }
    vst3::tresult RVB_VST3_CALL getState(vst3::IBStream* state) final { return writeComponentState(state); }

protected:
    ~ComponentSide() = default;
    virtual vst3::tresult readComponentState(vst3::IBStream* state) = 0;
    virtual vst3::tresult writeComponentState(vst3::IBStream* state) = 0;
};

class ControllerSide : public vst3::IEditController {
public:
    vst3::tresult RVB_VST3_CALL setState(vst3::IBStream* state) final { return readControllerState(state); }
    vst3::tresult RVB_VST3_CALL getState(vst3::IBStream* state) final { return writeControllerState(state); }

protected:
    ~ControllerSide() = default;
    virtual vst3::tresult readControllerState(vst3::IBStream* state) = 0;
    virtual vst3::tresult writeControllerState(vst3::IBStream* state) = 0;
};

} // namespace vst3plugin
