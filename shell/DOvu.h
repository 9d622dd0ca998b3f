#pragma once
// The reverb as a VST 2.4 effect: identity, programs, parameters and the
// processing call, translated onto the format-free reverb (core::Reverb) it
// owns, and the editor the host opens. Nothing here does the reverb's work.
#include "core/Reverb.h"
#include "editor/ModelEditorEffect.h"
#include "shell/AudioEffectX.h"

#include <chrono>
#include <memory>

class SDEditor;

class DOvu : public AudioEffectX,
             public ModelEditorEffect<core::Reverb>,
             private core::ReverbHost {
public:
    static constexpr int kNumPrograms = core::Reverb::kNumPrograms;
    static constexpr vst::Int32 kUniqueId = vst::fourCharCode('2', '9', '1', '3');
    static constexpr vst::Int32 kLiveUniqueId = vst::fourCharCode('2', '9', '1', 'L');
    static constexpr std::chrono::milliseconds kResumeWaitLimit = core::Reverb::kResumeWaitLimit;

    explicit DOvu(vst::HostCallback hostCallback, engine::Edition edition = engine::Edition::Standard);
    ~DOvu() override;

    // Clears every signal history, then waits (at most kResumeWaitLimit) for
    // the work earlier calls left pending, so that the first process call
    // after a restore sounds as restored whatever the host's process level.
    void resume() override;
    vst::Int32 startProcess() override;
    void setSampleRate(float sampleRate) override;
    void processReplacing(float** inputs, float** outputs, vst::Int32 sampleFrames) override;

    void setParameter(vst::Int32 index, float value) override;
    float getParameter(vst::Int32 index) override;

    void setProgram(vst::Int32 program) override;
    void setProgramName(char* name) override;
    void getProgramName(char* name) override;
    bool getProgramNameIndexed(vst::Int32 category, vst::Int32 index, char* text) override;

    // Values are shown only in the editor: the host's label and display buffers stay as given.
    void getParameterLabel(vst::Int32, char*) override {}
    void getParameterDisplay(vst::Int32, char*) override {}
    void getParameterName(vst::Int32 index, char* text) override;

    bool getEffectName(char* name) override;
    bool getVendorString(char* text) override;
    bool getProductString(char* text) override;
    vst::Int32 getVendorVersion() override { return 1000; }
    vst::Int32 getPlugCategory() override { return vst::kPlugCategEffect; }

    // EditorEffect: the host's side through the base part, the rest from the reverb.
    void setParameterAutomated(vst::Int32 index, float value) override { AudioEffectX::setParameterAutomated(index, value); }
    bool beginEdit(vst::Int32 index) override { return AudioEffectX::beginEdit(index); }
    bool endEdit(vst::Int32 index) override { return AudioEffectX::endEdit(index); }
    vst::IntPtr masterIdle() override { return AudioEffectX::masterIdle(); }
    bool canHostDo(const char* text) override { return AudioEffectX::canHostDo(text); }
    bool openFileSelector(vst::VstFileSelect* select) override { return AudioEffectX::openFileSelector(select); }
    bool closeFileSelector(vst::VstFileSelect* select) override { return AudioEffectX::closeFileSelector(select); }
    void setEditor(AEffEditor* editor) override { AudioEffect::setEditor(editor); }
    const char* editionMark() const override { return reverb_->identity().editorMark; }

    core::Reverb& reverb() { return *reverb_; }
    // The editor made at construction (owned and deleted by the base part).
    SDEditor* editor() const { return sdEditor_; }
    bool editorIsOpen() const { return reverb_->editorIsOpen(); }

    // For tests: the reverb's parts, and its work.
    ir::IRData& irData() { return reverb_->irData(); }
    engine::ProcessingPath& processingPath() { return reverb_->processingPath(); }
    void finishPendingWork() { reverb_->finishPendingWork(); }
    bool settlePendingWork() { return reverb_->settlePendingWork(); }
    bool workPending() const { return reverb_->workPending(); }

private:
    core::Reverb& shownModel() const override { return *reverb_; }

    // core::ReverbHost
    void irLoadFailed(const std::string& path, const std::string& reason) override;
    void tellUser(const std::string& caption, const std::string& text) override;
    void parameterChanged(int id, float value) override;
    void copyButtonChanged(bool show) override;
    bool chooseFile(const platform::FileDialogRequest& request, std::string& chosenPath) override;

    bool hostRendersOffline();

    SDEditor* sdEditor_ = nullptr;
    std::unique_ptr<core::Reverb> reverb_;
};
