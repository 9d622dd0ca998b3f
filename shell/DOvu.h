#pragma once
// The reverb effect as the host sees it: identity, programs, parameters and the
// processing call. It owns every other part of the plug-in.
#include "engine/Handover.h"
#include "shell/AudioEffectX.h"
#include "shell/ModuleLocation.h"
#include "shell/ProgramRecord.h"

#include <atomic>
#include <memory>
#include <mutex>

namespace engine {
class ProcessingPath;
class ResponseAnalyser;
}

class DOvu : public AudioEffectX {
public:
    static constexpr int kNumPrograms = 8;
    static constexpr int kLatencyFrames = 65536;
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

    const ModuleLocation& location() const { return location_; }
    int integerSampleRate() const { return intSampleRate_.load(); }
    bool editorIsOpen() const { return editorOpen_.load() != 0; }
    void setEditorOpen(bool open) { editorOpen_.store(open ? 1 : 0); }

    engine::ProcessingPath& processingPath() { return *path_; }

private:
    void resetToDefaults();
    void applyParameter(int id, float real);
    void applyPathCommit();
    void runResponseAnalysis();

    engine::ProcessEpoch epoch_;
    std::unique_ptr<engine::ProcessingPath> path_;
    std::unique_ptr<engine::ResponseAnalyser> analyser_;
    ModuleLocation location_;
    std::unique_ptr<ProgramRecord[]> programs_;
    std::atomic<float> values_[param::kNumParams];
    std::atomic<int> intSampleRate_{44100};
    std::atomic<int> editorOpen_{0};
    // Applying parameters is serialised between the host's threads and the editor.
    std::recursive_mutex parameterMutex_;
    // Parameter application runs once the effect has its editor object.
    bool applying_ = false;
};
