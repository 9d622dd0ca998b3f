#pragma once
// The reverb effect as the host sees it: identity, programs, parameters and the
// processing call. It owns every other part of the plug-in.
//
// Threads. A parameter change only records itself (DOvuParameterApplication):
// levels and switches the audio thread reads as atomics are stored at once,
// everything dearer is marked for the effect's worker thread, which designs,
// shapes and analyses and hands the results over. Neither setParameter (ids
// 5..102) nor processReplacing allocates or takes a lock. The path commit and
// the file actions read their file on the calling thread, under the
// application mutex that the worker's IR work and the editor's graphs share.
#include "editor/EditorEffect.h"
#include "editor/EnvelopeGraphActions.h"
#include "engine/Handover.h"
#include "ir/FileActionHost.h"
#include "ir/IROwner.h"
#include "params/EffectConstants.h"
#include "platform/ModuleLocation.h"
#include "shell/AudioEffectX.h"
#include "shell/EffectWorker.h"
#include "shell/ProgramRecord.h"

#include <atomic>
#include <chrono>
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
             private ir::IROwner,
             private EffectWorker::Client {
public:
    static constexpr int kNumPrograms = 8;
    static constexpr vst::Int32 kUniqueId = vst::fourCharCode('2', '9', '1', '3');
    // Longer than shaping and preparing the longest IR at 192 kHz takes on a
    // slow machine; a worker held up beyond it is not waited for.
    static constexpr std::chrono::milliseconds kResumeWaitLimit{5000};

    explicit DOvu(vst::HostCallback hostCallback);
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
    // The editor's graphs are fed by the worker: these only ask for it.
    void runResponseAnalysis() override;
    void refreshIRCurves() override;
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

    // Waits until the worker has done everything asked of it so far (not
    // from the audio thread, and not holding the application mutex).
    void finishPendingWork() { worker_.finish(); }
    // The same, waiting at most kResumeWaitLimit: for a host starting to process.
    bool settlePendingWork() { return worker_.finishWithin(kResumeWaitLimit); }
    bool workPending() const { return worker_.busy(); }

private:
    // What the IR object needs from its owner.
    void setPseudoStereo(bool on) override;
    ir::EnvelopeSink* envelopeSink() override;
    bool editorOpen() const override { return editorIsOpen(); }
    bool buildKernelLater() override;

    // The worker's side of parameter application.
    void runWork(const WorkItems& items) override;
    void releaseUnused() override;
    bool applyFilterChanges(const WorkItems& items);
    void applyShaping();
    float realValue(int id) const;

    // Stores a normalised value as current and in the current program.
    void storeValue(int id, float value);
    // Applies what the audio thread reads directly, marks the rest for the worker.
    void recordChange(int id, float value);
    // The processing path's setting for one id, in real units.
    void applyToPath(int id, float real);
    void resetToDefaults();
    // Copy to local, file selection, web search and reset; each takes the
    // application mutex itself where it needs it, so no dialog holds it.
    void runAction(int id);
    void applyPathCommit();
    void highlightEnvelope();
    bool hostRendersOffline();

    engine::ProcessEpoch epoch_;
    std::unique_ptr<engine::ProcessingPath> path_;
    std::unique_ptr<engine::ResponseAnalyser> analyser_;
    std::unique_ptr<ir::IRData> ir_;
    std::unique_ptr<ir::FileActions> fileActions_;
    platform::ModuleLocation location_;
    std::unique_ptr<ProgramRecord[]> programs_;
    std::atomic<float> values_[param::kNumParams];
    std::atomic<int> intSampleRate_{effect::kDefaultSampleRate};
    std::atomic<float> hostRate_{static_cast<float>(effect::kDefaultSampleRate)};
    std::atomic<int> editorOpen_{0};
    // The IR object and the editor's graphs: held by the path commit, the file
    // actions, the worker's IR and graph work and the editor's views.
    std::recursive_mutex parameterMutex_;
    // Program names, for the host's dispatcher calls.
    std::mutex programNameMutex_;
    // Parameter application runs once the effect has its editor object.
    bool applying_ = false;
    SDEditor* sdEditor_ = nullptr;
    // Last, so that it is gone before anything it works on.
    EffectWorker worker_{*this};
};
