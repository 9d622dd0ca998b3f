#include "GraphTestKit.h"

#include "support/TestSupport.h"
#include "toolkit/CBitmap.h"
#include "toolkit/COffscreenContext.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <filesystem>

namespace graphtest {

FakeEffect::FakeEffect(int sampleRate, std::string dataFolder)
    : highPass(epoch_, engine::FilterPair::Kind::HighPass, sampleRate),
      lowPass(epoch_, engine::FilterPair::Kind::LowPass, sampleRate),
      balance(epoch_, engine::FilterPair::Kind::Balance, sampleRate),
      sampleRate_(sampleRate),
      dataFolder_(std::move(dataFolder)),
      engine_(epoch_),
      ir_(std::make_unique<ir::IRData>(this, engine_, static_cast<float>(sampleRate))),
      analyser_(sampleRate)
{
}

FakeEffect::~FakeEffect() = default;

float FakeEffect::getParameter(vst::Int32 index)
{
    return index >= 0 && index < param::kNumParams ? parameters_[index] : 0.0f;
}

void FakeEffect::setParameter(int index, float value)
{
    if (index >= 0 && index < param::kNumParams)
        parameters_[index] = value;
}

void FakeEffect::setPreDelayMs(double ms)
{
    setParameter(param::kPreDelay, static_cast<float>(param::toNormalisedValue(ms, param::kPreDelay)));
}

void FakeEffect::runResponseAnalysis()
{
    analyser_.analyse(highPass, lowPass, balance);
    if (frequencyGraph != nullptr) {
        frequencyGraph->buildCurve(analyser_);
        frequencyGraph->redraw();
    }
}

GraphBench::GraphBench(int sampleRate, std::string dataFolder)
    : effect_(std::make_unique<FakeEffect>(sampleRate, std::move(dataFolder))),
      frame_(new CFrame(CRect(0, 0, 712, 386), nullptr, nullptr))
{
}

GraphBench::~GraphBench()
{
    effect_->envelopeGraph = nullptr;
    effect_->frequencyGraph = nullptr;
    effect_->setEditorOpen(false);
    frame_->forget();
}

CENVGRAP* GraphBench::addEnvelopeGraph()
{
    CBitmap* background = new CBitmap(132L);
    CENVGRAP* graph = new CENVGRAP(envelopeRect(), background, effect_.get(), nullptr);
    background->forget();
    graph->setTimeAxis(44100, 3000.0f);
    frame_->addView(graph);
    effect_->envelopeGraph = graph;
    effect_->setEditorOpen(true);
    return graph;
}

CFRGRAP* GraphBench::addFrequencyGraph()
{
    CBitmap* background = new CBitmap(131L);
    CFRGRAP* graph =
        new CFRGRAP(frequencyRect(), background, effect_.get(), &effect_->responseAnalyser(), nullptr);
    background->forget();
    graph->setLevelRange(-110.0f, -80.0f, 6.0f);
    graph->setFrequencyRange(20.0f, static_cast<float>(effect_->integerSampleRate()) * 0.5f);
    frame_->addView(graph);
    effect_->frequencyGraph = graph;
    return graph;
}

void GraphBench::render(const std::string& pngName)
{
    if (pngName.empty())
        frame_->draw();
    else
        frame_->renderToPng(pngFolder() + "/" + pngName + ".png");
}

CColor GraphBench::pixel(int x, int y) const
{
    return frame_->getOffscreen()->getPixel(x, y);
}

int GraphBench::countColour(const CRect& area, const CColor& colour) const
{
    int count = 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            if (pixel(x, y) == colour)
                ++count;
    return count;
}

int GraphBench::countInk(const CRect& area, const CColor& ink) const
{
    std::map<std::uint32_t, int> seen;
    auto key = [](const CColor& c) { return static_cast<std::uint32_t>(c.red << 16 | c.green << 8 | c.blue); };
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            ++seen[key(pixel(x, y))];
    std::uint32_t background = 0;
    int most = 0;
    for (const auto& entry : seen)
        if (entry.second > most) {
            most = entry.second;
            background = entry.first;
        }
    const double bg[3] = {double(background >> 16 & 0xff), double(background >> 8 & 0xff), double(background & 0xff)};
    const double toInk[3] = {ink.red - bg[0], ink.green - bg[1], ink.blue - bg[2]};
    const double inkLength = toInk[0] * toInk[0] + toInk[1] * toInk[1] + toInk[2] * toInk[2];

    int count = 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x) {
            const CColor p = pixel(x, y);
            const double d[3] = {p.red - bg[0], p.green - bg[1], p.blue - bg[2]};
            const double share = (d[0] * toInk[0] + d[1] * toInk[1] + d[2] * toInk[2]) / inkLength;
            if (share < 0.5)
                continue;
            double worst = 0.0;
            for (int c = 0; c < 3; ++c)
                worst = std::max(worst, std::fabs(d[c] - share * toInk[c]));
            if (worst <= 10.0)
                ++count;
        }
    return count;
}

std::string pngFolder()
{
    static const std::string folder = [] {
        const char* chosen = std::getenv("RVB_GRAPH_PNG_DIR");
        if (chosen != nullptr && *chosen != '\0') {
            std::filesystem::create_directories(chosen);
            return std::string(chosen);
        }
        return testsupport::makeTempDir("graphs");
    }();
    return folder;
}

std::string demoIRPath()
{
    return testsupport::nativePath(RVB_SOURCE_DIR "/resources/demo/demo_ir.wav");
}

} // namespace graphtest
