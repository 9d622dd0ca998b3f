#pragma once
// The effect as the plug-in's editor sees it (EditorEffect), over the VST 3
// component: values and what the graphs draw come from the reverb, gestures
// go to the component, which applies them and tells the host. It owns the
// editor, made once with the component and opened and closed by its views.
#include "core/Reverb.h"
#include "editor/ModelEditorEffect.h"

class SDEditor;

namespace vst3plugin {

class ReverbComponent;

class ReverbEditorEffect final : public ModelEditorEffect<core::Reverb> {
public:
    explicit ReverbEditorEffect(ReverbComponent& component);
    ~ReverbEditorEffect() override;
    ReverbEditorEffect(const ReverbEditorEffect&) = delete;
    ReverbEditorEffect& operator=(const ReverbEditorEffect&) = delete;

    SDEditor& editor() { return *editor_; }
    void closeEditor();
    // The reverb's events, from any thread: only noted by the editor.
    void parameterChanged(int id, float value);
    void copyButtonChanged(bool show);

    // EditorEffect
    float getParameter(vst::Int32 index) override;
    void setParameterAutomated(vst::Int32 index, float value) override;
    bool beginEdit(vst::Int32 index) override;
    bool endEdit(vst::Int32 index) override;
    void setEditor(AEffEditor* editor) override;
    vst::IntPtr masterIdle() override { return 0; }
    bool canHostDo(const char*) override { return false; }
    bool openFileSelector(vst::VstFileSelect*) override { return false; }
    bool closeFileSelector(vst::VstFileSelect*) override { return false; }
    const char* editionMark() const override;

private:
    core::Reverb& shownModel() const override;

    ReverbComponent& component_;
    SDEditor* editor_ = nullptr;
};

} // namespace vst3plugin
