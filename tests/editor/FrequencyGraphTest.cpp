// The frequency graph's scales, its table of curve points and the curve it
// builds from the response analyser.
#include "GraphTestKit.h"

#include "editor/FrequencyGrid.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace graphtest;

namespace {

std::vector<int> rowsOf(const std::vector<CFRGRAP::Line>& lines)
{
    std::vector<int> rows;
    for (const CFRGRAP::Line& line : lines)
        rows.push_back(line.from.y);
    return rows;
}

TEST(FrequencyGraph, EditorRectangleGivesTheFrameAndSpans)
{
    GraphBench bench;
    CFRGRAP* graph = bench.addFrequencyGraph();
    EXPECT_EQ(graph->frameRect(), CRect(311, 215, 440, 269));
    EXPECT_EQ(graph->xSpan(), 128);
    EXPECT_EQ(graph->ySpan(), 53);
    EXPECT_EQ(graph->getTag(), -1);
    EXPECT_EQ(graph->sampleRate(), 44100);
    EXPECT_TRUE(graph->segments().empty());  // nothing until the first analysis
}

TEST(FrequencyGraph, LevelLinesOfTheEditorsWindow)
{
    GraphBench bench;
    CFRGRAP* graph = bench.addFrequencyGraph();
    const std::vector<CFRGRAP::Line> lines = graph->levelLines();
    EXPECT_EQ(rowsOf(lines), (std::vector<int>{263, 253, 242, 231, 221}));
    for (const CFRGRAP::Line& line : lines) {
        EXPECT_EQ(line.from.x, 311);
        EXPECT_EQ(line.to.x, 440);
        EXPECT_EQ(line.to.y, line.from.y);
    }

    // The window the graph starts with: -160 .. 10 dB every 10 dB.
    graph->setLevelRange(-160.0f, 10.0f, 10.0f);
    EXPECT_EQ(graph->levelLines().size(), 17u);
    // A window of no height puts every line on the top row.
    graph->setLevelRange(-95.0f, -95.0f, 6.0f);
    for (int row : rowsOf(graph->levelLines()))
        EXPECT_EQ(row, 215);
    // No step, or one so small it would ask for thousands of lines.
    graph->setLevelRange(-110.0f, -80.0f, 0.0f);
    EXPECT_EQ(rowsOf(graph->levelLines()), (std::vector<int>{242}));
    graph->setLevelRange(-110.0f, -80.0f, 0.001f);
    EXPECT_EQ(static_cast<int>(graph->levelLines().size()), CFRGRAP::kMaxLevelLines);
}

TEST(FrequencyGraph, PointTableAt44100)
{
    GraphBench bench;
    CFRGRAP* graph = bench.addFrequencyGraph();
    const std::vector<frequencypoints::Point> points = graph->points();
    ASSERT_EQ(points.size(), 243u);
    EXPECT_GE(graph->pointCapacity(), 243);
    EXPECT_EQ(graph->firstBin(), 1);  // 10.8 Hz lies below 20 Hz, 21.5 Hz does not

    const double step = std::pow(2.0, 1.0 / 24.0);
    const double halfStep = std::pow(2.0, -1.0 / 48.0);
    EXPECT_FLOAT_EQ(points.front().frequency, 20.0f);
    EXPECT_LE(points.back().frequency, 22050.0f);
    EXPECT_GT(points.back().frequency * step, 22050.0);
    int interpolated = 0;
    for (std::size_t k = 0; k < points.size(); ++k) {
        const frequencypoints::Point& p = points[k];
        if (k > 0) {
            EXPECT_NEAR(p.frequency / points[k - 1].frequency, step, 1e-5);
            EXPECT_GE(p.x, points[k - 1].x);
            EXPECT_GE(p.upperBin, points[k - 1].upperBin);
        }
        EXPECT_NEAR(p.edgeFrequency, p.frequency * halfStep, p.frequency * 1e-6);
        // The upper bin is the first whose frequency lies above the point's.
        EXPECT_GT(44100.0 * p.upperBin / 4096.0, p.frequency);
        EXPECT_LE(44100.0 * (p.upperBin - 1) / 4096.0, p.frequency);
        if (p.interpolationBin != 0) {
            ++interpolated;
            const int l = static_cast<int>(p.binPosition);
            EXPECT_EQ(p.interpolationBin, l < 2 ? 1 : l - 1);
        }
    }
    // The first point is half a step left of the frame; the last at its right end.
    EXPECT_EQ(points.front().x, 311);
    EXPECT_EQ(points.back().x, 438);
    // Low points lie between bins and are interpolated; high ones take peaks.
    EXPECT_GT(interpolated, 40);
    EXPECT_NE(points[1].interpolationBin, 0);
    EXPECT_EQ(points[1].interpolationBin, 1);
    for (std::size_t k = 150; k < points.size(); ++k)
        EXPECT_EQ(points[k].interpolationBin, 0) << points[k].frequency;
}

TEST(FrequencyGraph, FrequencyLinesAt44100)
{
    GraphBench bench;
    CFRGRAP* graph = bench.addFrequencyGraph();
    const std::vector<CFRGRAP::FrequencyLine> lines = graph->frequencyLines();
    ASSERT_EQ(lines.size(), 28u);
    EXPECT_FLOAT_EQ(lines.front().frequency, 20.0f);
    EXPECT_FLOAT_EQ(lines.back().frequency, 20000.0f);
    std::vector<int> labelled;
    for (const CFRGRAP::FrequencyLine& line : lines) {
        EXPECT_EQ(line.line.from.x, line.line.to.x);
        const bool major = (line.flags & frequencygrid::kMajor) != 0;
        EXPECT_EQ(line.line.from.y, major ? 213 : 215) << line.frequency;
        EXPECT_EQ(line.line.to.y, major ? 271 : 269) << line.frequency;
        if (line.flags & frequencygrid::kLabelled)
            labelled.push_back(line.line.from.x);
    }
    EXPECT_EQ(labelled, (std::vector<int>{340, 382, 425}));
    EXPECT_EQ(lines.front().line.from.x, 311);
}

TEST(FrequencyGraph, At96000TheAxisReaches48kHzWithThirtyLines)
{
    GraphBench bench(96000);
    CFRGRAP* graph = bench.addFrequencyGraph();
    const std::vector<CFRGRAP::FrequencyLine> lines = graph->frequencyLines();
    ASSERT_EQ(lines.size(), 30u);
    EXPECT_FLOAT_EQ(lines.back().frequency, 40000.0f);
    EXPECT_EQ(lines.back().flags, frequencygrid::kLabelled);  // labelled, not major
    EXPECT_EQ(lines.back().line.from.y, 215);
    EXPECT_LE(graph->points().back().frequency, 48000.0f);
    EXPECT_GT(graph->points().back().frequency * 1.03, 48000.0);
    EXPECT_GE(graph->pointCapacity(), static_cast<int>(graph->points().size()));
}

TEST(FrequencyGraph, SampleRateChangeRebuildsTheAxisAndRefusals)
{
    GraphBench bench;
    CFRGRAP* graph = bench.addFrequencyGraph();
    bench.effect().runResponseAnalysis();
    EXPECT_FALSE(graph->segments().empty());

    bench.effect().responseAnalyser().setSampleRate(96000);
    ASSERT_TRUE(graph->setSampleRate(96000));
    EXPECT_EQ(graph->sampleRate(), 96000);
    EXPECT_EQ(graph->frequencyLines().size(), 30u);
    EXPECT_TRUE(graph->segments().empty());  // until the next analysis
    EXPECT_EQ(graph->firstBin(), 0);         // 23.4 Hz per bin

    EXPECT_FALSE(graph->setSampleRate(0));
    EXPECT_FALSE(graph->setFrequencyRange(0.0f, 1000.0f));
    EXPECT_FALSE(graph->setFrequencyRange(-20.0f, 1000.0f));
    EXPECT_FALSE(graph->setFrequencyRange(1000.0f, 1000.0f));
    EXPECT_FALSE(graph->setFrequencyRange(20.0f, INFINITY));
    EXPECT_EQ(graph->sampleRate(), 96000);
    EXPECT_EQ(graph->frequencyLines().size(), 30u);

    // A narrower axis draws only the lines inside it.
    ASSERT_TRUE(graph->setFrequencyRange(100.0f, 1000.0f));
    const std::vector<CFRGRAP::FrequencyLine> lines = graph->frequencyLines();
    ASSERT_EQ(lines.size(), 10u);
    EXPECT_EQ(lines.front().line.from.x, 311);
    EXPECT_EQ(lines.back().line.from.x, 311 + 128);
}

// The analyser's levels of a flat, unity-gain chain land on the centre line.
TEST(FrequencyGraph, DisabledChainIsFlatOnTheZeroLine)
{
    GraphBench bench;
    CFRGRAP* graph = bench.addFrequencyGraph();
    FakeEffect& effect = bench.effect();
    for (engine::FilterPair* pair : {&effect.highPass, &effect.lowPass, &effect.balance})
        pair->setEnabled(false);
    effect.runResponseAnalysis();

    const std::vector<CFRGRAP::Line> segments = graph->segments();
    ASSERT_EQ(segments.size(), 242u);
    EXPECT_EQ(segments.front().from, CPoint(311, 242));  // starts at the frame's left edge
    const std::vector<frequencypoints::Point> points = graph->points();
    for (std::size_t k = 0; k < segments.size(); ++k) {
        EXPECT_EQ(segments[k].from.y, 242) << k;
        EXPECT_EQ(segments[k].to.y, 242) << k;
        EXPECT_EQ(segments[k].to.x, points[k + 1].x);
        if (k > 0) {
            EXPECT_EQ(segments[k].from.x, points[k].x);
        }
    }
}

TEST(FrequencyGraph, BalanceTiltsTheCurveAroundTheCentreLine)
{
    GraphBench bench;
    CFRGRAP* graph = bench.addFrequencyGraph();
    FakeEffect& effect = bench.effect();
    effect.highPass.setEnabled(false);
    effect.lowPass.setEnabled(false);
    effect.balance.setBalance(12.0f);
    effect.runResponseAnalysis();

    const std::vector<CFRGRAP::Line> segments = graph->segments();
    const std::vector<frequencypoints::Point> points = graph->points();
    ASSERT_EQ(segments.size(), 242u);
    // -12 dB at the low end, +12 dB at the high end: the outer grid lines.
    for (std::size_t k = 0; k < 20; ++k)
        EXPECT_EQ(segments[k].to.y, 263) << points[k + 1].frequency;
    for (std::size_t k = 225; k < segments.size(); ++k)
        EXPECT_EQ(segments[k].to.y, 221) << points[k + 1].frequency;
    // Crossing the centre line near the 1 kHz pivot, rising all the way.
    for (std::size_t k = 1; k < segments.size(); ++k)
        EXPECT_LE(segments[k].to.y, segments[k - 1].to.y);
    std::size_t pivot = 1;
    for (std::size_t k = 1; k < points.size(); ++k)
        if (std::fabs(std::log(points[k].frequency / 1000.0f)) < std::fabs(std::log(points[pivot].frequency / 1000.0f)))
            pivot = k;
    EXPECT_NEAR(segments[pivot - 1].to.y, 242, 1) << points[pivot].frequency;
    EXPECT_GT(segments[pivot - 1 - 24].to.y, 244);  // an octave lower
    EXPECT_LT(segments[pivot - 1 + 24].to.y, 240);  // an octave higher
}

} // namespace
