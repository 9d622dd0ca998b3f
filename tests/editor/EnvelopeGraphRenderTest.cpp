// The envelope graph drawn into a window-less frame and saved as PNG: scales,
// frame, curves, gate marker and the info text in their colours.
#include "params/ParameterRanges.h"
#include "GraphTestKit.h"

#include "editor/EnvelopeInfoText.h"
#include "platform/FileOperations.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

using namespace graphtest;

namespace {

constexpr int kSamples = ir::EnvelopeSink::kCurveSamples;
const CRect kPlotInside(83, 64, 566, 169);
const CRect kFolderLine(52, 16, 587, 29);
const CRect kFormatLines(52, 29, 152, 55);
const CRect kNameLine(152, 29, 587, 55);

// Pixels of one column that have the colour.
int columnCount(GraphBench& bench, int x, int top, int bottom, const CColor& colour)
{
    return bench.countColour(CRect(x, top, x + 1, bottom), colour);
}

TEST(EnvelopeGraphRender, EmptyGraphShowsScalesFrameMarkerAndPrompt)
{
    GraphBench bench;
    bench.addEnvelopeGraph();
    bench.render("envelope_no_ir");

    // Level lines every 10 dB, drawn under the frame's top and bottom edges.
    for (int y : {81, 98, 116, 134, 151})
        EXPECT_EQ(bench.pixel(104, y), kMinorGrey) << y;
    EXPECT_NE(bench.pixel(104, 80), kMinorGrey);
    EXPECT_NE(bench.pixel(104, 82), kMinorGrey);
    // Minor time lines every 50 ms, major ones every 500 ms.
    EXPECT_EQ(bench.pixel(91, 125), kMinorGrey);
    EXPECT_EQ(bench.pixel(99, 125), kMinorGrey);
    EXPECT_NE(bench.pixel(95, 125), kMinorGrey);
    for (int x : {163, 244, 324, 405, 485, 566})
        EXPECT_EQ(bench.pixel(x, 125), kScaleBlue) << x;
    // The frame around the plot.
    EXPECT_EQ(bench.pixel(82, 125), kScaleBlue);
    EXPECT_EQ(bench.pixel(303, 63), kScaleBlue);
    EXPECT_EQ(bench.pixel(303, 169), kScaleBlue);
    EXPECT_NE(bench.pixel(303, 170), kScaleBlue);

    // The gate marker (3 ms) on the first column, dotted, its left twin clipped.
    const int dots = columnCount(bench, 83, 64, 169, kGateBlue);
    EXPECT_GT(dots, 20);
    EXPECT_LT(dots, 90);
    EXPECT_EQ(columnCount(bench, 82, 64, 169, kGateBlue), 0);

    // Scale labels left of the plot and under it; the prompt above it.
    EXPECT_GT(bench.countInk(CRect(40, 58, 82, 69), kScaleBlue), 5);      // 0dB
    EXPECT_GT(bench.countInk(CRect(33, 164, 82, 175), kScaleBlue), 8);    // -60dB
    EXPECT_GT(bench.countInk(CRect(84, 171, 120, 180), kScaleBlue), 5);   // 0ms
    EXPECT_GT(bench.countInk(CRect(534, 171, 596, 180), kScaleBlue), 8);  // 3.00s
    EXPECT_EQ(bench.countInk(CRect(33, 86, 82, 93), kScaleBlue), 0);      // between labels
    EXPECT_GT(bench.countColour(CRect(52, 16, 587, 35), kScaleBlue), 30);    // not loaded
    EXPECT_GT(bench.countColour(CRect(52, 35, 587, 47), kScaleBlue), 30);    // the prompt
    EXPECT_EQ(bench.countColour(CRect(52, 16, 587, 47), kOuterLilac), 0);
    EXPECT_EQ(bench.countColour(CRect(32, 8, 597, 60), kHighlight), 0);
    EXPECT_EQ(bench.countColour(kPlotInside, kRawGrey), 0);
}

TEST(EnvelopeGraphRender, CurveIsDrawnThroughItsColumnPointsInsideTheClip)
{
    GraphBench bench;
    CENVGRAP* graph = bench.addEnvelopeGraph();
    // -20 dB for the first 60000 samples, -40 dB for the rest; a 0 dB spike
    // at the very start lies on the frame's top edge and is clipped away.
    std::vector<float> values(kSamples, 0.01f);
    for (int i = 0; i < 60000; ++i)
        values[static_cast<std::size_t>(i)] = 0.1f;
    values[0] = 1.0f;
    graph->setCurve(0, values.data(), kSamples, "impluse data -", ir::CurveColour{147, 167, 174, 255});
    bench.render("envelope_step_curve");

    const int split = graph->columnOfSample(60000);
    for (int x = 90; x < split - 1; x += 7) {
        EXPECT_EQ(bench.pixel(x, 98), kRawGrey) << x;
        EXPECT_NE(bench.pixel(x, 97), kRawGrey) << x;
        EXPECT_NE(bench.pixel(x, 99), kRawGrey) << x;
    }
    for (int x = split + 2; x < 83 + 479; x += 7)
        EXPECT_EQ(bench.pixel(x, 134), kRawGrey) << x;
    // The step down and the drop after column 479 (no samples) are drawn ...
    int stepPixels = 0;
    for (int x = split - 1; x <= split + 1; ++x)
        stepPixels += columnCount(bench, x, 99, 134, kRawGrey);
    EXPECT_GE(stepPixels, 30);
    EXPECT_GT(columnCount(bench, 83 + 479, 135, 169, kRawGrey) + columnCount(bench, 83 + 480, 135, 169, kRawGrey), 10);
    // ... but nothing leaves the plot: not the spike, not the last columns.
    EXPECT_EQ(bench.countColour(CRect(32, 8, 597, 64), kRawGrey), 0);
    EXPECT_EQ(bench.countColour(CRect(32, 169, 597, 188), kRawGrey), 0);
    EXPECT_EQ(bench.countColour(CRect(566, 8, 597, 188), kRawGrey), 0);
}

TEST(EnvelopeGraphRender, IROutsideTheDataFolderWithPreDelay)
{
    const testsupport::TempDir folder("graphs-data");
    const std::string data = folder.path() + "/data";
    GraphBench bench(44100, data);
    CENVGRAP* graph = bench.addEnvelopeGraph();
    ir::IRData& ir = bench.effect().irData();
    ir.setGate(static_cast<float>(param::kGateMaximumMs));
    ir.setDump(1.0f);
    bench.effect().setPreDelayMs(200.0);
    ASSERT_EQ(ir.loadIR(demoIRPath().c_str()), 0) << ir.errorText();
    ASSERT_TRUE(graph->curveValid(0));
    ASSERT_TRUE(graph->curveValid(1));

    // Freshly built: every text in the highlight colour.
    ASSERT_NE(ir.rebuildIndicator(), 0);
    bench.render("envelope_outer_highlight");
    EXPECT_GT(bench.countColour(kFolderLine, kHighlight), 30);
    EXPECT_GT(bench.countColour(kFormatLines, kHighlight), 30);
    EXPECT_GT(bench.countColour(kNameLine, kHighlight), 30);
    EXPECT_EQ(bench.countColour(kFolderLine, kOuterLilac), 0);

    ir.setRebuildIndicator(0);
    bench.render("envelope_outer_folder");
    EXPECT_GT(bench.countColour(kFolderLine, kOuterLilac), 30);
    EXPECT_EQ(bench.countColour(kFolderLine, kScaleBlue), 0);
    EXPECT_GT(bench.countColour(kFormatLines, kScaleBlue), 30);
    EXPECT_GT(bench.countColour(kNameLine, kScaleBlue), 30);
    EXPECT_EQ(bench.countColour(CRect(32, 8, 597, 60), kHighlight), 0);

    // Both curves are there; the shaped one starts 32 columns late, so the
    // columns before it show the raw curve only.
    EXPECT_GT(bench.countColour(kPlotInside, kRawGrey), 150);
    EXPECT_GT(bench.countColour(kPlotInside, kShapedCyan), 150);
    EXPECT_EQ(bench.countColour(CRect(84, 64, 83 + 31, 169), kShapedCyan), 0);
    EXPECT_GT(bench.countColour(CRect(84, 64, 83 + 31, 169), kRawGrey), 20);
    // Where the shaped curve runs, its column points are cyan.
    const std::vector<CPoint> shaped = graph->curvePoints(1);
    int checked = 0;
    for (int j = 40; j < 470; ++j) {
        const CPoint p = shaped[static_cast<std::size_t>(j - 32)];
        if (p.y > 64 && p.y < 168) {
            EXPECT_EQ(bench.pixel(83 + j, p.y), kShapedCyan) << j;
            ++checked;
        }
    }
    EXPECT_GT(checked, 100);
    // The gate marker moved with the pre-delay to the last column.
    EXPECT_GT(columnCount(bench, 565, 64, 169, kGateBlue), 20);
    EXPECT_GT(columnCount(bench, 564, 64, 169, kGateBlue), 20);

    const envelopeinfo::Lines lines = envelopeinfo::linesFor(ir, bench.effect().dataFolder());
    EXPECT_EQ(lines.folder, testsupport::nativePath(RVB_SOURCE_DIR "/resources/demo") + " (outer folder)");
    EXPECT_EQ(lines.name, "demo_ir.wav");
    EXPECT_EQ(lines.format, "44100 24bit");
    EXPECT_EQ(lines.length, "Stereo 1.600sec");
}

TEST(EnvelopeGraphRender, IRInsideTheDataFolder)
{
    const testsupport::TempDir folder("graphs-local");
    const std::string data = testsupport::joinPath(folder.path(), "data");
    ASSERT_TRUE(std::filesystem::create_directory(data));
    ASSERT_TRUE(platform::copyFile(demoIRPath(), testsupport::joinPath(data, "demo_ir.wav")));
    GraphBench bench(44100, data);
    bench.addEnvelopeGraph();
    ir::IRData& ir = bench.effect().irData();
    ASSERT_EQ(ir.loadIR(testsupport::joinPath(data, "demo_ir.wav").c_str()), 0) << ir.errorText();
    ir.setRebuildIndicator(0);
    bench.render("envelope_local");

    EXPECT_GT(bench.countColour(kFolderLine, kScaleBlue), 30);
    EXPECT_EQ(bench.countColour(kFolderLine, kOuterLilac), 0);
    const envelopeinfo::Lines lines = envelopeinfo::linesFor(ir, data.c_str());
    EXPECT_EQ(lines.folder, data);
    EXPECT_EQ(lines.folderColour, kScaleBlue);

    // A rebuild pending (-1) highlights as well.
    ir.setRebuildIndicator(-1);
    bench.render();
    EXPECT_GT(bench.countColour(kFolderLine, kHighlight), 30);
    EXPECT_EQ(bench.countColour(kFolderLine, kScaleBlue), 0);
}

} // namespace
