// The envelope graph's geometry, its reduction of a curve to pixel columns,
// the pre-delay shift and gate marker, and the gestures it hands on.
#include "params/ParameterRanges.h"
#include "GraphTestKit.h"

#include "toolkit/MouseButtons.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using namespace graphtest;

namespace {

constexpr int kSamples = ir::EnvelopeSink::kCurveSamples;

// The samples that fall into column j of a 483-column, 132300-sample axis.
std::vector<int> samplesOfColumn(const CENVGRAP& graph, int j)
{
    std::vector<int> samples;
    for (int i = 0; i < kSamples; ++i)
        if (graph.columnOfSample(i) == graph.plotRect().left + j)
            samples.push_back(i);
    return samples;
}

TEST(EnvelopeGraph, EditorRectangleGivesThePlotColumnsAndRows)
{
    GraphBench bench;
    CENVGRAP* graph = bench.addEnvelopeGraph();
    EXPECT_EQ(graph->plotRect(), CRect(83, 63, 567, 170));
    EXPECT_EQ(graph->columnCount(), 483);
    EXPECT_EQ(graph->rowSpan(), 106);
    EXPECT_EQ(graph->getTag(), -1);
    EXPECT_EQ(graph->graphSampleRate(), 44100);
    EXPECT_FLOAT_EQ(graph->timeRange(), 3000.0f);
    EXPECT_FLOAT_EQ(graph->samplesInRange(), 132300.0f);
    for (int slot = 0; slot < CGRAP::kSlotCount; ++slot)
        EXPECT_FALSE(graph->curveValid(slot));
}

TEST(EnvelopeGraph, TimeAxisStartsAtTheEffectsRateUntilTheEditorSetsIt)
{
    GraphBench bench(48000);
    CBitmap* background = new CBitmap(132L);
    CENVGRAP* graph = new CENVGRAP(envelopeRect(), background, &bench.effect(), nullptr);
    background->forget();
    EXPECT_EQ(graph->sampleRate(), 48000);
    EXPECT_FLOAT_EQ(graph->samplesInRange(), 144000.0f);
    graph->setSampleRate(44100);
    EXPECT_FLOAT_EQ(graph->samplesInRange(), 132300.0f);
    // The IR object sets time and samples separately before each feed.
    graph->setTimeRange(1500.0f);
    graph->setSamplesInRange(66150.0f);
    EXPECT_EQ(graph->columnOfSample(66149), 83 + 482);
    graph->forget();
}

TEST(EnvelopeGraph, LevelsMapToRowsAndSamplesToColumns)
{
    GraphBench bench;
    CENVGRAP* graph = bench.addEnvelopeGraph();
    EXPECT_EQ(graph->rowOfLevel(1.0f), 63);
    EXPECT_EQ(graph->rowOfLevel(-1.0f), 63);
    EXPECT_EQ(graph->rowOfLevel(0.001f), 169);     // -60 dB, the bottom row
    EXPECT_EQ(graph->rowOfLevel(0.1f), 63 + 35);   // -20 dB: 35.33 rows down
    EXPECT_LT(graph->rowOfLevel(10.0f), 63);       // louder than full scale lies above
    EXPECT_GT(graph->rowOfLevel(0.0f), 700);       // silence far below
    EXPECT_EQ(graph->rowOfLevel(1e-39f), graph->rowOfLevel(0.0f));
    EXPECT_EQ(graph->rowOfLevel(std::nanf("")), graph->rowOfLevel(0.0f));
    EXPECT_LT(graph->rowOfLevel(INFINITY), -1000);  // held to an integer, not undefined

    EXPECT_EQ(graph->columnOfSample(0), 83);
    EXPECT_EQ(graph->columnOfSample(kSamples - 1), 83 + 479);
    EXPECT_EQ(graph->columnOfSample(132299), 83 + 482);
    EXPECT_EQ(graph->columnOfSample(1 << 30), 83 + 482);
    EXPECT_EQ(graph->columnOfSample(-5000), 83);
}

TEST(EnvelopeGraph, CurveColumnsShowPeaksLoweredByTheirSilentShare)
{
    GraphBench bench;
    CENVGRAP* graph = bench.addEnvelopeGraph();
    std::vector<float> values(kSamples, 0.0f);

    // A column near 100 with an even number of samples: half of them at full
    // scale, half silent: -3 dB.
    int half = 100;
    while (samplesOfColumn(*graph, half).size() % 2 != 0)
        ++half;
    ASSERT_LT(half, 110);
    const std::vector<int> halfColumn = samplesOfColumn(*graph, half);
    for (std::size_t k = 0; k < halfColumn.size(); k += 2)
        values[static_cast<std::size_t>(halfColumn[k])] = 1.0f;
    // Column 200: every sample at -20 dB, one at -6 dB.
    const std::vector<int> column200 = samplesOfColumn(*graph, 200);
    for (int i : column200)
        values[static_cast<std::size_t>(i)] = 0.1f;
    values[static_cast<std::size_t>(column200[7])] = 0.5f;
    // Negative values are not magnitudes: they never raise the peak.
    const std::vector<int> column300 = samplesOfColumn(*graph, 300);
    for (int i : column300)
        values[static_cast<std::size_t>(i)] = -1.0f;
    // The last sample is loud, in column 479.
    values[kSamples - 1] = 1.0f;

    ASSERT_EQ(graph->setCurve(0, values.data(), kSamples, "impluse data -", ir::CurveColour{147, 167, 174, 255}), 0);
    ASSERT_TRUE(graph->curveValid(0));
    const std::vector<CPoint> points = graph->curvePoints(0);
    ASSERT_EQ(points.size(), 483u);
    for (int j = 0; j < 483; ++j)
        EXPECT_EQ(points[static_cast<std::size_t>(j)].x, 83 + j);

    const int minus3dB = graph->rowOfLevel(0.70710678f);
    EXPECT_EQ(minus3dB, 68);
    EXPECT_EQ(points[static_cast<std::size_t>(half)].y, minus3dB);
    EXPECT_EQ(points[200].y, graph->rowOfLevel(0.5f));
    EXPECT_EQ(points[300].y, graph->rowOfLevel(0.0f));  // peak stays 0
    EXPECT_EQ(points[0].y, graph->rowOfLevel(0.0f));
    EXPECT_EQ(points[479].y, graph->rowOfLevel(1.0f / std::sqrt(static_cast<float>(samplesOfColumn(*graph, 479).size()))));
    for (int j = 480; j < 483; ++j)
        EXPECT_GT(points[static_cast<std::size_t>(j)].y, 169) << "column " << j << " gets no samples";
    EXPECT_EQ(graph->curveLabel(0), "impluse data -");
    EXPECT_EQ(graph->curveColour(0), (CColor{147, 167, 174, 255}));
}

TEST(EnvelopeGraph, SilentCurveLiesBelowThePlotAndBadSlotsChangeNothing)
{
    GraphBench bench;
    CENVGRAP* graph = bench.addEnvelopeGraph();
    const std::vector<float> silence(kSamples, 0.0f);
    ASSERT_EQ(graph->setCurve(2, silence.data(), kSamples, "x", ir::CurveColour{1, 2, 3, 255}), 0);
    for (const CPoint& p : graph->curvePoints(2))
        EXPECT_GT(p.y, 169);

    const std::vector<float> loud(kSamples, 1.0f);
    EXPECT_EQ(graph->setCurve(4, loud.data(), kSamples, "x", ir::CurveColour{}), -1);
    EXPECT_EQ(graph->setCurve(-1, loud.data(), kSamples, "x", ir::CurveColour{}), -1);
    EXPECT_EQ(graph->setCurve(3, nullptr, kSamples, "x", ir::CurveColour{}), -1);
    EXPECT_FALSE(graph->curveValid(3));
    EXPECT_FALSE(graph->curveValid(0));
    EXPECT_EQ(graph->curveLabel(2), "x");

    // A label keeps at most 255 characters.
    const std::string longLabel(400, 'a');
    ASSERT_EQ(graph->setCurve(3, loud.data(), kSamples, longLabel.c_str(), ir::CurveColour{}), 0);
    EXPECT_EQ(graph->curveLabel(3), std::string(255, 'a'));
    EXPECT_EQ(graph->curvePoints(3)[10].y, 63);
}

TEST(EnvelopeGraph, ShapedCurveTakesTheLouderChannelOfEachSample)
{
    GraphBench bench;
    CENVGRAP* graph = bench.addEnvelopeGraph();
    std::vector<float> left(ir::EnvelopeSink::kCurveSamples, 0.0f);
    std::vector<float> right(ir::EnvelopeSink::kCurveSamples, 0.0f);
    const std::vector<int> column50 = samplesOfColumn(*graph, 50);
    for (int i : column50) {
        left[static_cast<std::size_t>(i)] = -0.25f;  // magnitudes count
        right[static_cast<std::size_t>(i)] = 0.1f;
    }
    // Samples of a column count, their neighbours outside it do not.
    const std::vector<int> column60 = samplesOfColumn(*graph, 60);
    left[static_cast<std::size_t>(column60.front() - 1)] = 1.0f;
    right[static_cast<std::size_t>(column60.back() + 1)] = 1.0f;
    ASSERT_EQ(graph->setEnvelopeCurve(1, left.data(), right.data(), ir::CurveColour{0, 244, 255, 255}), 0);
    const std::vector<CPoint> points = graph->curvePoints(1);
    EXPECT_EQ(points[50].y, graph->rowOfLevel(0.25f));
    EXPECT_GT(points[60].y, 169);
    EXPECT_EQ(graph->curveLabel(1), "enveloped data -");
    EXPECT_EQ(graph->curveColour(1), (CColor{0, 244, 255, 255}));
    EXPECT_EQ(graph->setEnvelopeCurve(7, left.data(), right.data(), ir::CurveColour{}), -1);
}

TEST(EnvelopeGraph, PreDelayShiftsTheShapedCurveAndTheGateMarker)
{
    GraphBench bench;
    CENVGRAP* graph = bench.addEnvelopeGraph();
    ir::IRData& ir = bench.effect().irData();

    EXPECT_EQ(graph->preDelayColumns(), 0);
    ir.setGate(static_cast<float>(param::kGateMaximumMs));  // 131072 samples at 44100 Hz
    EXPECT_EQ(graph->gateMarkerColumn(), 83 + 479);

    bench.effect().setPreDelayMs(200.0);  // 8820 samples
    EXPECT_EQ(graph->preDelayColumns(), 32);
    EXPECT_EQ(graph->gateMarkerColumn(), 83 + 482);  // held at the last column

    bench.effect().setPreDelayMs(100.0);
    EXPECT_EQ(graph->preDelayColumns(), 16);  // 483 * 4410 / 132300 = 16.1
    ir.setGate(500.0f);
    EXPECT_EQ(graph->gateMarkerColumn(), graph->columnOfSample(static_cast<int>(600.0 * 44100 * 0.001)));
    EXPECT_EQ(graph->gateMarkerColumn(), 83 + 97);
}

TEST(EnvelopeGraph, PreDelayCountsSamplesAtTheHostRate)
{
    // At 96000 Hz the curves arrive at the host's rate while the axis keeps
    // 44100 samples per second, so 200 ms shift by 483 * 19200 / 132300 columns.
    GraphBench bench(96000);
    CENVGRAP* graph = bench.addEnvelopeGraph();
    bench.effect().setPreDelayMs(200.0);
    EXPECT_EQ(graph->preDelayColumns(), 70);
}

TEST(EnvelopeGraph, LeftClicksAndDropsGoToTheActions)
{
    GraphBench bench;
    CENVGRAP* graph = bench.addEnvelopeGraph();
    RecordingActions actions;
    graph->setActions(&actions);
    CPoint where(100, 100);

    graph->mouse(nullptr, where, kLButton);
    graph->mouse(nullptr, where, kRButton);
    graph->mouse(nullptr, where, kLButton | kShift);
    EXPECT_EQ(actions.clicks, 2);

    graph->setMouseEnabled(false);
    graph->mouse(nullptr, where, kLButton);
    EXPECT_EQ(actions.clicks, 2);

    EXPECT_TRUE(graph->dropItem("/irs/hall.wav", true));
    EXPECT_TRUE(graph->dropItem("some text", false));
    EXPECT_FALSE(graph->dropItem(nullptr, true));
    ASSERT_EQ(actions.drops.size(), 2u);
    EXPECT_EQ(actions.drops[0], "/irs/hall.wav");
    EXPECT_TRUE(actions.fileNames[0]);
    EXPECT_FALSE(actions.fileNames[1]);

    // Without actions a gesture is still harmless.
    graph->setActions(nullptr);
    graph->setMouseEnabled(true);
    graph->mouse(nullptr, where, kLButton);
    EXPECT_TRUE(graph->dropItem("x.wav", true));
}

TEST(EnvelopeGraph, GraphWithoutAnEffectIgnoresGesturesAndDrawsNothing)
{
    CFrame* frame = new CFrame(CRect(0, 0, 712, 386), nullptr, nullptr);
    CENVGRAP* graph = new CENVGRAP(envelopeRect(), nullptr, nullptr, nullptr);
    frame->addView(graph);
    RecordingActions actions;
    graph->setActions(&actions);
    CPoint where(100, 100);
    graph->mouse(nullptr, where, kLButton);
    EXPECT_FALSE(graph->dropItem("/irs/hall.wav", true));
    EXPECT_EQ(actions.clicks, 0);
    EXPECT_TRUE(actions.drops.empty());
    EXPECT_EQ(graph->sampleRate(), 44100);
    EXPECT_EQ(graph->preDelayColumns(), 0);

    frame->draw();
    const COffscreenContext* picture = frame->getOffscreen();
    for (int y = 8; y < 188; y += 3)
        for (int x = 32; x < 597; x += 3)
            ASSERT_EQ(picture->getPixel(x, y), (CColor{0, 0, 0, 255})) << x << "," << y;
    frame->forget();
}

} // namespace
