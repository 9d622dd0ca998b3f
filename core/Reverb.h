#pragma once
// The reverb without a plug-in format: the parameter values and programs,
// the IR and its shaping, the processing path with its convolution engine,
// the work queue on the process's worker thread, and what an editor draws.
// A shell (VST 2.4, LV2, ...) owns one and translates its format's calls.
//
// Threads. A parameter change only records itself: levels and switches the
// audio thread reads as atomics are stored at once, everything dearer is
// marked for the worker, which designs, shapes and analyses and hands the
// results over. Neither setParameter (ids 5..102) nor process allocates,
// locks or waits (process waits only when told the host renders offline).
// The path commit and the file actions read their file on the calling
// thread; the IR object locks itself. The editor's snapshots (the envelope
// curves, the response analysis, the IR's description) are taken by the
// editor on its own thread; the worker never touches a view.
#include "core/ProgramRecord.h"
#include "core/ReverbHost.h"
#include "core/ReverbModel.h"
#include "core/WorkQueue.h"
#include "engine/Handover.h"
#include "ir/EnvelopeRecording.h"
#include "ir/FileActionHost.h"
#include "ir/IRDescription.h"
#include "ir/IROwner.h"
#include "params/EffectConstants.h"
#include "params/ParameterTable.h"
#include "platform/ModuleLocation.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

namespace engine {
class ProcessingPath;
class ResponseAnalyser;
}
namespace ir {
class FileActions;
class IRData;
}

namespace core {

class Reverb final : public ReverbModel,
                     private ir::IROwner,
                     private ir::FileActionHost,
                     private WorkQueue::Client {
public:
    static constexpr int kNumPrograms = 8;
    static constexpr int kProgramNameCapacity = 24;
    // Longer than shaping and preparing the longest IR at 192 kHz takes on a
    // slow machine; a worker held up beyond it is not waited for.
    static constexpr std::chrono::milliseconds kResumeWaitLimit{5000};

    // Built with its defaults in force and program 0 current, at the default
    // rate; `host` hears its events for its whole life.
    Reverb(ReverbHost& host, const platform::ModuleLocation& location);
    ~Reverb() override;
    Reverb(const Reverb&) = delete;
    Reverb& operator=(const Reverb&) = delete;

    // --- the host's calls ---------------------------------------------------
    // Audio thread. With `offline` (the host renders and says so) a call that
    // finds work pending first waits for it, so that renders are the same at
    // any speed.
    void process(const float* inL, const float* inR, float* outL, float* outR, int frames, bool offline);
    // While processing is stopped: clears every signal history, then waits
    // (at most kResumeWaitLimit) for the work earlier calls left pending, so
    // that the first process call after a restore sounds as restored.
    void resume();
    // The wait alone, for a host that starts processing.
    bool settlePendingWork();
    void setSampleRate(float rate);
    float sampleRate() const { return hostRate_.load(); }

    // Normalised values; any thread, the audio thread included (ids 1..4
    // are actions: they run on the calling thread and are never stored).
    void setParameter(int id, float value) override;
    float getParameter(int id) const override;

    // Programs, from the host's thread.
    int currentProgram() const { return curProgram_.load(); }
    void setProgram(int program);
    void setProgramName(const char* name);
    // The current program's name as shown ("Init" numbered), and a stored one.
    std::string programDisplayName() const;
    std::string programName(int program) const;

    // The IR file the state remembers (the path values), "" for none.
    std::string rememberedPath() const override;
    // As a host restores it: the path values, then the commit, which loads
    // the file (telling the host when it fails).
    void restoreIRPath(const std::string& path);
    // As a file the user or the host chose: loaded first, remembered only
    // when it loaded. 0, or -1 when it was refused or failed.
    int takeIRFile(const std::string& path);

    // Waits until the worker has done everything asked of it so far (not
    // from the audio thread).
    void finishPendingWork() { work_.finish(); }
    bool workPending() const { return work_.busy(); }

    // --- what an editor shows and does -------------------------------------
    int integerSampleRate() const override { return intSampleRate_.load(); }
    const char* dataFolder() const override { return location_.dataFolder; }
    const platform::ModuleLocation& location() const { return location_; }
    ir::IRDescription irDescription() const override;
    int rebuildIndicator() const override;
    bool clearRebuildIndicatorIfDue(std::uint32_t now) override;
    // While open, the reverb keeps the envelope curves for the editor.
    void setEditorOpen(bool open) override;
    bool editorIsOpen() const { return editorOpen_.load(); }
    const ir::EnvelopeRecording* envelopeCurves() const override;
    engine::ResponseAnalyser& responseAnalyser() override { return *analyser_; }
    void runResponseAnalysis() override;
    // The envelope graph's click (the file dialog) and drop.
    void envelopeGraphClicked() override;
    void envelopeGraphDropped(const char* item, bool isFileName) override;

    // --- for tests and benchmarks ------------------------------------------
    ir::IRData& irData() override { return *ir_; }
    engine::ProcessingPath& processingPath() { return *path_; }
    const WorkQueue& workQueue() const { return work_; }

private:
    // ir::IROwner
    void setPseudoStereo(bool on) override;
    ir::EnvelopeSink* envelopeSink() override;
    bool editorOpen() const override { return editorIsOpen(); }
    bool buildKernelLater() override;
    // ir::FileActionHost
    void storePathParams(const float* values80) override;
    void showCopyButton(bool show) override { host_.copyButtonChanged(show); }
    bool chooseFile(const platform::FileDialogRequest& request, std::string& chosenPath) override;
    void reportLoadFailure(const std::string& path, const std::string& reason) override;
    void tellUser(const std::string& caption, const std::string& text) override { host_.tellUser(caption, text); }
    // WorkQueue::Client (ReverbWork.cpp)
    void runWork(const WorkItems& items) override;
    void releaseUnused() override;

    bool applyFilterChanges(const WorkItems& items);
    void applyShaping();
    float realValue(int id) const;
    void highlightEnvelope();

    // Parameter application (ReverbParameters.cpp).
    void storeValue(int id, float value);
    void recordChange(int id, float value);
    void applyToPath(int id, float real);
    void resetToDefaults();
    void runAction(int id);
    void applyPathCommit();

    ReverbHost& host_;
    const platform::ModuleLocation location_;
    engine::ProcessEpoch epoch_;
    std::unique_ptr<engine::ProcessingPath> path_;
    std::unique_ptr<engine::ResponseAnalyser> analyser_;
    std::unique_ptr<ir::IRData> ir_;
    std::unique_ptr<ir::FileActions> fileActions_;
    std::unique_ptr<ProgramRecord[]> programs_;
    std::atomic<float> values_[param::kNumParams];
    std::atomic<int> curProgram_{0};
    std::atomic<int> intSampleRate_;
    std::atomic<float> hostRate_;
    std::atomic<bool> editorOpen_{false};
    // The editor's curves, fed while it is open by whoever loads or shapes
    // the IR; emptied (its memory freed) when it closes.
    ir::EnvelopeRecording curves_{effect::kDefaultSampleRate};
    // Program names, for the host's dispatcher calls.
    mutable std::mutex programNameMutex_;
    // The 80 path values change together under this (never on the audio thread).
    mutable std::mutex pathMutex_;
    // Parameter application runs once construction has set everything up.
    bool applying_ = false;
    // Last, so that it leaves the worker before anything it works on goes.
    WorkQueue work_{*this};
};

} // namespace core
