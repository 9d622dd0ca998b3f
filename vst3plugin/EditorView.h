#pragma once
// The editor's view, as the host gets it from createView: the plug-in's
// editor opened in the host's window (an X11 window id on Linux, an HWND on
// Windows) when attached, and closed when removed, as often as the host
// likes. One view of a component shows the editor at a time. The view keeps
// its component alive.
#include "vst3/View.h"
#include "vst3plugin/ComObject.h"

#include <memory>

namespace vst3plugin {

class EditorPump;
class ReverbComponent;

class EditorView final : public vst3::IPlugView {
public:
    explicit EditorView(ReverbComponent& component);
    EditorView(const EditorView&) = delete;
    EditorView& operator=(const EditorView&) = delete;

    vst3::tresult RVB_VST3_CALL queryInterface(const vst3::TUID interfaceId, void** obj) override;
    vst3::uint32 RVB_VST3_CALL addRef() override { return count_.increment(); }
    vst3::uint32 RVB_VST3_CALL release() override;

    vst3::tresult RVB_VST3_CALL isPlatformTypeSupported(vst3::FIDString type) override;
    vst3::tresult RVB_VST3_CALL attached(void* parent, vst3::FIDString type) override;
    vst3::tresult RVB_VST3_CALL removed() override;
    vst3::tresult RVB_VST3_CALL onWheel(float distance) override;
    // No control of the editor takes keys: the host keeps them.
    vst3::tresult RVB_VST3_CALL onKeyDown(vst3::char16, vst3::int16, vst3::int16) override { return vst3::kResultFalse; }
    vst3::tresult RVB_VST3_CALL onKeyUp(vst3::char16, vst3::int16, vst3::int16) override { return vst3::kResultFalse; }
    vst3::tresult RVB_VST3_CALL getSize(vst3::ViewRect* size) override;
    vst3::tresult RVB_VST3_CALL onSize(vst3::ViewRect* newSize) override;
    vst3::tresult RVB_VST3_CALL onFocus(vst3::TBool) override { return vst3::kResultOk; }
    vst3::tresult RVB_VST3_CALL setFrame(vst3::IPlugFrame* frame) override;
    // The editor has one size.
    vst3::tresult RVB_VST3_CALL canResize() override { return vst3::kResultFalse; }
    vst3::tresult RVB_VST3_CALL checkSizeConstraint(vst3::ViewRect* rect) override;

private:
    ~EditorView();

    RefCount count_;
    ReverbComponent& component_;
    Held<vst3::IPlugFrame> frame_;
    std::unique_ptr<EditorPump> pump_;
    bool attached_ = false;
};

} // namespace vst3plugin
