#pragma once
// The module's factory: the two classes of PluginClasses.h, each made as a
// ReverbComponent of its edition.
#include "vst3/Factory.h"

namespace vst3plugin {

class ReverbFactory final : public vst3::IPluginFactory3 {
public:
    vst3::tresult RVB_VST3_CALL queryInterface(const vst3::TUID interfaceId, void** obj) override;
    // One factory for the module's whole life.
    vst3::uint32 RVB_VST3_CALL addRef() override { return 1; }
    vst3::uint32 RVB_VST3_CALL release() override { return 1; }

    vst3::tresult RVB_VST3_CALL getFactoryInfo(vst3::PFactoryInfo* info) override;
    vst3::int32 RVB_VST3_CALL countClasses() override;
    vst3::tresult RVB_VST3_CALL getClassInfo(vst3::int32 index, vst3::PClassInfo* info) override;
    vst3::tresult RVB_VST3_CALL createInstance(vst3::FIDString classId, vst3::FIDString interfaceId,
                                               void** obj) override;
    vst3::tresult RVB_VST3_CALL getClassInfo2(vst3::int32 index, vst3::PClassInfo2* info) override;
    vst3::tresult RVB_VST3_CALL getClassInfoUnicode(vst3::int32 index, vst3::PClassInfoW* info) override;
    vst3::tresult RVB_VST3_CALL setHostContext(vst3::FUnknown*) override { return vst3::kResultOk; }
};

} // namespace vst3plugin
