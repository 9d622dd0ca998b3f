#pragma once
// A small effect for the editor's tests: parameter values, a real IR object
// and response analyser, and records of what the editor asked for. Like the
// real effect it mirrors every change back to the editor and hands the IR
// object the open editor's envelope graph. Also a clock the tests set.
#include "editor/EditorEffect.h"
#include "editor/SDEditor.h"
#include "engine/ConvolutionEngine.h"
#include "engine/FilterPair.h"
#include "engine/Handover.h"
#include "engine/ResponseAnalyser.h"
#include "ir/EnvelopeRecording.h"
#include "ir/IRData.h"
#include "ir/IROwner.h"
#include "params/ParameterTable.h"
#include "support/ServiceFake.h"
#include "toolkit/CControl.h"
#include "toolkit/CFrame.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace editortest {

// Time stands still unless a test moves it; a nap moves it by the nap.
class ClockServices final : public testsupport::ServiceFake {
public:
    std::uint32_t tickCount() override { return now.load(); }
    void sleepMs(int ms) override { now.fetch_add(static_cast<std::uint32_t>(ms)); }

    std::atomic<std::uint32_t> now{100000};
};

class FakeEffect final : public EditorEffect, public ir::IROwner {
public:
    explicit FakeEffect(std::string dataFolder = "/nonexistent/plugin/data")
        : dataFolder_(std::move(dataFolder))
    {
        for (int id = 0; id < param::kNumParams; ++id)
            values[id] = static_cast<float>(param::normalisedDefault(id));
        ir = std::make_unique<ir::IRData>(this, engine_);
    }
    ~FakeEffect() override
    {
        // The real effect's base part deletes its editor last, the same way.
        if (editor && editor->isOpen())
            editor->close();
        delete editor;
        ir.reset();
    }

    // What the host would do: store and tell the editor.
    void hostSets(int id, float value)
    {
        values[id] = value;
        if (editor)
            editor->setParameter(id, value);
    }

    float getParameter(vst::Int32 index) override { return values[index]; }
    void setParameterAutomated(vst::Int32 index, float value) override
    {
        automated.emplace_back(index, value);
        hostSets(index, value);
        if (onAutomated)
            onAutomated(index, value);
    }
    bool beginEdit(vst::Int32 index) override
    {
        edits.push_back("begin " + std::to_string(index));
        return true;
    }
    bool endEdit(vst::Int32 index) override
    {
        edits.push_back("end " + std::to_string(index));
        return true;
    }
    void setEditor(AEffEditor* e) override
    {
        ++editorRegistrations;
        editor = static_cast<SDEditor*>(e);
    }
    vst::IntPtr masterIdle() override
    {
        ++masterIdles;
        if (onMasterIdle)
            onMasterIdle();
        return 1;
    }
    bool canHostDo(const char*) override { return false; }
    bool openFileSelector(vst::VstFileSelect*) override { return false; }
    bool closeFileSelector(vst::VstFileSelect*) override { return false; }
    int integerSampleRate() const override { return sampleRate; }
    // As the reverb does: an open editor gets both curves afresh; a closed
    // one leaves none behind.
    void setEditorOpen(bool open) override
    {
        editorOpenFlag = open;
        if (open)
            ir->refreshEnvelopeCurves();
        else
            curves.clear();
    }
    ir::IRDescription irDescription() override { return ir->description(); }
    int rebuildIndicator() override { return ir->rebuildIndicator(); }
    bool clearRebuildIndicatorIfDue(std::uint32_t now) override { return ir->clearRebuildIndicatorIfDue(now); }
    const ir::EnvelopeRecording* envelopeCurves() override { return editorOpenFlag ? &curves : nullptr; }
    const char* dataFolder() const override { return dataFolder_.c_str(); }
    engine::ResponseAnalyser& responseAnalyser() override { return analyser; }
    void runResponseAnalysis() override
    {
        ++analyses;
        analyser.analyse(highPass_, lowPass_, balance_);
    }

    // ir::IROwner
    void setPseudoStereo(bool) override {}
    ir::EnvelopeSink* envelopeSink() override { return editorOpenFlag ? &curves : nullptr; }
    bool editorOpen() const override { return editorOpenFlag; }

    float values[param::kNumParams] = {};
    std::vector<std::pair<int, float>> automated;
    std::vector<std::string> edits;
    std::function<void()> onMasterIdle;
    std::function<void(int, float)> onAutomated;
    SDEditor* editor = nullptr;
    int editorRegistrations = 0;
    int masterIdles = 0;
    int analyses = 0;
    bool editorOpenFlag = false;
    int sampleRate = 44100;
    engine::ResponseAnalyser analyser{44100};
    ir::EnvelopeRecording curves{44100};
    std::unique_ptr<ir::IRData> ir;

private:
    std::string dataFolder_;
    engine::ProcessEpoch epoch_;
    engine::ConvolutionEngine engine_{epoch_};
    engine::FilterPair highPass_{epoch_, engine::FilterPair::Kind::HighPass};
    engine::FilterPair lowPass_{epoch_, engine::FilterPair::Kind::LowPass};
    engine::FilterPair balance_{epoch_, engine::FilterPair::Kind::Balance};
};

// Every view on the frame, in order.
inline std::vector<CView*> viewsOf(const CFrame* frame)
{
    std::vector<CView*> views;
    for (int i = 0; i < frame->getNbViews(); ++i)
        views.push_back(frame->getView(i));
    return views;
}

// The effect with its editor, on the test clock. The editor opens without a
// window: its frame draws offscreen only.
class EditorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testsupport::installServices(&clock);
        makeEffect("/nonexistent/plugin/data");
    }
    void TearDown() override
    {
        effect.reset();
        testsupport::installServices(nullptr);
    }
    void makeEffect(const std::string& dataFolder)
    {
        effect.reset();
        effect = std::make_unique<FakeEffect>(dataFolder);
        editor = new SDEditor(effect.get());
    }

    ClockServices clock;
    std::unique_ptr<FakeEffect> effect;
    SDEditor* editor = nullptr;  // owned by the effect
};

} // namespace editortest
