#pragma once
// Fixtures for the graph tests: an effect stand-in with a real IR object,
// convolution engine, filter pairs and response analyser; a window-less frame
// holding the graphs at their editor rectangles; and pixel helpers.
#include "editor/CENVGRAP.h"
#include "editor/CFRGRAP.h"
#include "editor/EditorEffect.h"
#include "editor/EnvelopeGraphActions.h"
#include "engine/ConvolutionEngine.h"
#include "engine/FilterPair.h"
#include "engine/Handover.h"
#include "engine/ResponseAnalyser.h"
#include "ir/IRData.h"
#include "ir/IROwner.h"
#include "params/ParameterTable.h"
#include "toolkit/CBitmap.h"
#include "toolkit/CFrame.h"

#include <memory>
#include <string>
#include <vector>

namespace graphtest {

// The editor's rectangles of the two graphs.
inline CRect envelopeRect() { return CRect(32, 8, 597, 188); }
inline CRect frequencyRect() { return CRect(287, 205, 447, 285); }

constexpr CColor kMinorGrey{74, 116, 128, 255};
constexpr CColor kScaleBlue{104, 160, 182, 255};
constexpr CColor kGateBlue{60, 64, 255, 255};
constexpr CColor kRawGrey{147, 167, 174, 255};
constexpr CColor kShapedCyan{0, 244, 255, 255};
constexpr CColor kOuterLilac{180, 160, 200, 255};
constexpr CColor kHighlight{159, 211, 245, 255};
constexpr CColor kOrange{255, 175, 0, 255};

class FakeEffect final : public EditorEffect, public ir::IROwner {
    // First, so that the filter pairs and the engine below can use it.
    engine::ProcessEpoch epoch_;

public:
    explicit FakeEffect(int sampleRate = 44100, std::string dataFolder = "/nowhere/data");
    ~FakeEffect() override;

    float getParameter(vst::Int32 index) override;
    void setParameterAutomated(vst::Int32 index, float value) override { setParameter(index, value); }
    bool beginEdit(vst::Int32) override { return false; }
    bool endEdit(vst::Int32) override { return false; }
    vst::IntPtr masterIdle() override { return 0; }
    bool canHostDo(const char*) override { return false; }
    bool openFileSelector(vst::VstFileSelect*) override { return false; }
    bool closeFileSelector(vst::VstFileSelect*) override { return false; }
    int integerSampleRate() const override { return sampleRate_; }
    void setEditorOpen(bool open) override { open_ = open; }
    ir::IRData& irData() { return *ir_; }
    ir::IRDescription irDescription() override { return ir_->description(); }
    int rebuildIndicator() override { return ir_->rebuildIndicator(); }
    bool clearRebuildIndicatorIfDue(std::uint32_t now) override { return ir_->clearRebuildIndicatorIfDue(now); }
    // The graphs here are fed directly (envelopeSink), not through an editor.
    const ir::EnvelopeRecording* envelopeCurves() override { return nullptr; }
    const char* dataFolder() const override { return dataFolder_.c_str(); }
    engine::ResponseAnalyser& responseAnalyser() override { return analyser_; }
    // Analyses the three pairs and, when a frequency graph is attached, rebuilds and redraws it.
    void runResponseAnalysis() override;

    void setPseudoStereo(bool) override {}
    ir::EnvelopeSink* envelopeSink() override { return envelopeGraph; }
    bool editorOpen() const override { return open_; }

    void setParameter(int index, float value);
    // The pre-delay parameter as a real value in ms (0 .. 200).
    void setPreDelayMs(double ms);

    engine::FilterPair highPass;
    engine::FilterPair lowPass;
    engine::FilterPair balance;
    CENVGRAP* envelopeGraph = nullptr;
    CFRGRAP* frequencyGraph = nullptr;

private:
    int sampleRate_;
    std::string dataFolder_;
    bool open_ = false;
    float parameters_[param::kNumParams] = {};
    engine::ConvolutionEngine engine_;
    std::unique_ptr<ir::IRData> ir_;
    engine::ResponseAnalyser analyser_;
};

// Records the gestures the envelope graph hands on.
struct RecordingActions final : EnvelopeGraphActions {
    void envelopeGraphClicked() override { ++clicks; }
    void envelopeGraphDropped(const char* item, bool isFileName) override
    {
        drops.push_back(item);
        fileNames.push_back(isFileName);
    }
    int clicks = 0;
    std::vector<std::string> drops;
    std::vector<bool> fileNames;
};

// A window-less editor-sized frame with the graphs the test asks for, made
// the way the editor makes them. Destroys the frame before the effect.
class GraphBench {
public:
    explicit GraphBench(int sampleRate = 44100, std::string dataFolder = "/nowhere/data");
    ~GraphBench();
    GraphBench(const GraphBench&) = delete;
    GraphBench& operator=(const GraphBench&) = delete;

    CENVGRAP* addEnvelopeGraph();
    CFRGRAP* addFrequencyGraph();

    // Draws the whole frame offscreen and, when a name is given, saves it as
    // <png folder>/<name>.png.
    void render(const std::string& pngName = "");
    CColor pixel(int x, int y) const;
    // Pixels of exactly this colour inside the rectangle.
    int countColour(const CRect& area, const CColor& colour) const;
    // Pixels of antialiased text in this colour: the area's most common colour
    // is taken as the background, and a pixel counts when it lies at least half
    // way from the background towards the ink, in the ink's own hue.
    int countInk(const CRect& area, const CColor& ink) const;

    FakeEffect& effect() { return *effect_; }
    CFrame* frame() { return frame_; }

private:
    std::unique_ptr<FakeEffect> effect_;
    CFrame* frame_;
};

// Where rendered pictures go: $RVB_GRAPH_PNG_DIR, else a fresh temporary folder.
std::string pngFolder();

// The demo IR shipped with the sources.
std::string demoIRPath();

} // namespace graphtest
