#pragma once
// A reverb that only shows: for an editor that cannot reach the reverb that
// processes (an LV2 host without instance access). It holds the parameter
// values its editor is told of, reads the IR file the processing reverb
// reports for display (the curves and the info line; no kernel), designs the
// filters for the response graph, and runs the editor's file actions, whose
// result its owner passes on to the processing reverb. No audio, no worker:
// everything runs on the editor's thread, at once.
#include "core/ReverbHost.h"
#include "core/ReverbModel.h"
#include "engine/FilterPair.h"
#include "engine/Handover.h"
#include "ir/EnvelopeRecording.h"
#include "ir/FileActionHost.h"
#include "ir/IROwner.h"
#include "params/ParameterTable.h"
#include "platform/ModuleLocation.h"

#include <memory>

namespace ir {
class FileActions;
class IRData;
}

namespace core {

class ReverbView final : public ReverbModel, private ir::IROwner, private ir::FileActionHost {
public:
    ReverbView(ReverbHost& host, const platform::ModuleLocation& location, int sampleRate);
    ~ReverbView() override;
    ReverbView(const ReverbView&) = delete;
    ReverbView& operator=(const ReverbView&) = delete;

    float getParameter(int id) const override;
    void setParameter(int id, float value) override;
    int integerSampleRate() const override { return sampleRate_; }
    const char* dataFolder() const override { return location_.dataFolder; }
    std::string rememberedPath() const override;
    // Shows this file (as the processing reverb reported it); remembered
    // only when it loaded.
    int showIRFile(const std::string& path);

    ir::IRDescription irDescription() const override;
    int rebuildIndicator() const override;
    bool clearRebuildIndicatorIfDue(std::uint32_t now) override;
    void setEditorOpen(bool open) override;
    const ir::EnvelopeRecording* envelopeCurves() const override { return editorOpen_ ? &curves_ : nullptr; }
    engine::ResponseAnalyser& responseAnalyser() override { return *analyser_; }
    void runResponseAnalysis() override;
    void envelopeGraphClicked() override;
    void envelopeGraphDropped(const char* item, bool isFileName) override;

private:
    // ir::IROwner
    void setPseudoStereo(bool) override {}
    ir::EnvelopeSink* envelopeSink() override { return editorOpen_ ? &curves_ : nullptr; }
    bool editorOpen() const override { return editorOpen_; }
    // ir::FileActionHost
    ir::IRData& irData() override { return *ir_; }
    void storePathParams(const float* values80) override;
    void showCopyButton(bool show) override { host_.copyButtonChanged(show); }
    bool chooseFile(const platform::FileDialogRequest& request, std::string& chosenPath) override;
    void reportLoadFailure(const std::string& path, const std::string& reason) override;
    void tellUser(const std::string& caption, const std::string& text) override { host_.tellUser(caption, text); }

    double real(int id) const { return param::toRealValue(values_[id], id); }
    void applyShaping();
    void applyFilter(int id);
    void runAction(int id);

    ReverbHost& host_;
    const platform::ModuleLocation location_;
    const int sampleRate_;
    float values_[param::kNumParams] = {};
    bool editorOpen_ = false;
    ir::EnvelopeRecording curves_{effect::kDefaultSampleRate};
    engine::ProcessEpoch epoch_;
    engine::FilterPair highPass_;
    engine::FilterPair lowPass_;
    engine::FilterPair balance_;
    std::unique_ptr<engine::ResponseAnalyser> analyser_;
    std::unique_ptr<ir::IRData> ir_;
    std::unique_ptr<ir::FileActions> fileActions_;
};

} // namespace core
