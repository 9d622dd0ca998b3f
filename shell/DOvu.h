#pragma once
// The reverb effect as the host sees it: identity, programs, parameters and the
// processing call. It owns every other part of the plug-in.
#include "editor/EditorEffect.h"
#include "editor/EnvelopeGraphActions.h"
#include "engine/Handover.h"
#include "ir/FileActionHost.h"
#include "ir/IROwner.h"
#include "params/EffectConstants.h"
#include "platform/ModuleLocation.h"
#include "shell/AudioEffectX.h"
#include "shell/ProgramRecord.h"

#include <atomic>
#include <memory>
#include <mutex>

namespace engine {
class ProcessingPath;
class ResponseAnalyser;
}
namespace ir {
class FileActions;
class IRData;
}
class SDEditor;

class DOvu : public AudioEffectX,
             public EditorEffect,
             public EnvelopeGraphActions,
             public ir::FileActionHost,
             private ir::IROwner {
public:
    static constexpr int kNumPrograms = 8;
    static constexpr vst::Int32 kUniqueId = vst::fourCharCode('2', '9', '1', '3');

    explicit DOvu(vst::HostCallback hostCallback);
    ~DOvu() override;

    void resume() override;
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

    // What the editor uses.
    void setParameterAutomated(vst::Int32 index, float value) override { AudioEffectX::setParameterAutomated(index, value); }
    bool beginEdit(vst::Int32 index) override { return AudioEffectX::beginEdit(index); }
    bool endEdit(vst::Int32 index) override { return AudioEffectX::endEdit(index); }
    vst::IntPtr masterIdle() override { return AudioEffectX::masterIdle(); }
    bool canHostDo(const char* text) override { return AudioEffectX::canHostDo(text); }
    bool openFileSelector(vst::VstFileSelect* select) override { return AudioEffectX::openFileSelector(select); }
    bool closeFileSelector(vst::VstFileSelect* select) override { return AudioEffectX::closeFileSelector(select); }
    int integerSampleRate() const override { return intSampleRate_.load(); }
    void setEditorOpen(bool open) override { editorOpen_.store(open ? 1 : 0); }
    ir::IRData& irData() override { return *ir_; }
    const char* dataFolder() const override { return location_.dataFolder; }
    engine::ResponseAnalyser& responseAnalyser() override { return *analyser_; }
    void runResponseAnalysis() override;
    void setEditor(AEffEditor* editor) override { AudioEffect::setEditor(editor); }
    std::recursive_mutex& applicationMutex() override { return parameterMutex_; }

    // The IR file actions and what they need (DOvuFileActions.cpp).
    ir::FileActions& fileActions() { return *fileActions_; }
    void storePathParams(const float* values80) override;
    void showCopyButton(bool show) override;
    long runFileSelector(vst::VstFileSelect& request) override;
    void envelopeGraphClicked() override;
    void envelopeGraphDropped(const char* item, bool isFileName) override;

    const platform::ModuleLocation& location() const { return location_; }
    bool editorIsOpen() const { return editorOpen_.load() != 0; }
    // The editor made at construction (owned and deleted by the base part).
    SDEditor* editor() const { return sdEditor_; }
    engine::ProcessingPath& processingPath() { return *path_; }

private:
    // What the IR object needs from its owner.
    void setPseudoStereo(bool on) override;
    ir::EnvelopeSink* envelopeSink() override;
    bool editorOpen() const override { return editorIsOpen(); }

    void resetToDefaults();
    // Copy to local, file selection, web search and reset; each takes the
    // parameter lock itself where it needs it, so no dialog holds it.
    void runAction(int id);
    void applyParameter(int id, float real);
    void applyPathCommit();
    void highlightEnvelope();

    engine::ProcessEpoch epoch_;
    std::unique_ptr<engine::ProcessingPath> path_;
    std::unique_ptr<engine::ResponseAnalyser> analyser_;
    std::unique_ptr<ir::IRData> ir_;
    std::unique_ptr<ir::FileActions> fileActions_;
    platform::ModuleLocation location_;
    std::unique_ptr<ProgramRecord[]> programs_;
    std::atomic<float> values_[param::kNumParams];
    std::atomic<int> intSampleRate_{effect::kDefaultSampleRate};
    std::atomic<int> editorOpen_{0};
    // Applying parameters is serialised between the host's threads and the editor.
    std::recursive_mutex parameterMutex_;
    // Parameter application runs once the effect has its editor object.
    bool applying_ = false;
    SDEditor* sdEditor_ = nullptr;
};
