// The frequency graph drawn into a window-less frame and saved as PNG: grid,
// labels, outline and the orange curve inside its clip.
#include "GraphTestKit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using namespace graphtest;

namespace {

// Inside the curve's clip rectangle.
const CRect kCurveArea(312, 216, 440, 268);

TEST(FrequencyGraphRender, EmptyGraphShowsGridLabelsAndOutline)
{
    GraphBench bench;
    bench.addFrequencyGraph();
    bench.render("frequency_no_analysis");

    for (int y : {263, 253, 242, 231, 221})
        EXPECT_EQ(bench.pixel(321, y), kScaleBlue) << y;
    EXPECT_NE(bench.pixel(321, 258), kScaleBlue);
    for (int x : {340, 382, 425})
        EXPECT_EQ(bench.pixel(x, 230), kScaleBlue) << x;
    // Major lines stand out two pixels above and below the frame.
    EXPECT_EQ(bench.pixel(340, 213), kScaleBlue);
    EXPECT_EQ(bench.pixel(340, 270), kScaleBlue);
    EXPECT_NE(bench.pixel(340, 212), kScaleBlue);
    const int x30Hz = 318;
    EXPECT_EQ(bench.pixel(x30Hz, 230), kScaleBlue);
    EXPECT_NE(bench.pixel(x30Hz, 214), kScaleBlue);
    // The outline.
    EXPECT_EQ(bench.pixel(311, 247), kScaleBlue);
    EXPECT_EQ(bench.pixel(439, 247), kScaleBlue);
    EXPECT_EQ(bench.pixel(330, 215), kScaleBlue);
    EXPECT_EQ(bench.pixel(330, 268), kScaleBlue);
    EXPECT_NE(bench.pixel(440, 247), kScaleBlue);

    // Level labels to the left, frequency labels under the frame.
    EXPECT_GT(bench.countInk(CRect(283, 237, 309, 248), kScaleBlue), 3);   // +0
    EXPECT_GT(bench.countInk(CRect(283, 258, 309, 269), kScaleBlue), 5);   // -12
    EXPECT_GT(bench.countInk(CRect(329, 271, 361, 281), kScaleBlue), 8);   // 100Hz
    EXPECT_GT(bench.countInk(CRect(414, 271, 446, 281), kScaleBlue), 8);   // 10kHz
    EXPECT_EQ(bench.countColour(CRect(287, 205, 447, 285), kOrange), 0);
}

TEST(FrequencyGraphRender, FlatChainLiesOnTheZeroLine)
{
    GraphBench bench;
    bench.addFrequencyGraph();
    FakeEffect& effect = bench.effect();
    for (engine::FilterPair* pair : {&effect.highPass, &effect.lowPass, &effect.balance})
        pair->setEnabled(false);
    effect.runResponseAnalysis();
    bench.render("frequency_disabled");

    // From the frame's left edge to the last point (21.7 kHz at x 438, whose
    // own pixel ends the line and is left out).
    for (int x = 312; x < 438; ++x)
        EXPECT_EQ(bench.pixel(x, 242), kOrange) << x;
    EXPECT_EQ(bench.countColour(kCurveArea, kOrange), 126);
    EXPECT_EQ(bench.pixel(311, 242), kScaleBlue);  // the outline stays outside the clip
}

TEST(FrequencyGraphRender, FiltersOnDrawTheirResponseInsideTheClip)
{
    GraphBench bench;
    CFRGRAP* graph = bench.addFrequencyGraph();
    FakeEffect& effect = bench.effect();
    effect.highPass.setFrequency(200.0f);
    effect.lowPass.setFrequency(5000.0f);
    effect.balance.setEnabled(false);
    effect.runResponseAnalysis();
    bench.render("frequency_filters_on");

    // The curve passes every segment end inside the clip (slanted lines may
    // leave the end pixel itself to a neighbour); the band's middle is near
    // 0 dB and both slopes fall out of the window at the bottom.
    const std::vector<CFRGRAP::Line> segments = graph->segments();
    int inside = 0;
    for (const CFRGRAP::Line& s : segments) {
        if (kCurveArea.pointInside(s.to)) {
            const CRect around(s.to.x - 1, s.to.y - 1, s.to.x + 2, s.to.y + 2);
            EXPECT_GT(bench.countColour(around.intersection(kCurveArea), kOrange), 0) << s.to.x << "," << s.to.y;
            ++inside;
        }
    }
    // Nothing orange strays from the path: every orange pixel has a segment nearby.
    for (int y = kCurveArea.top; y < kCurveArea.bottom; ++y)
        for (int x = kCurveArea.left; x < kCurveArea.right; ++x) {
            if (bench.pixel(x, y) != kOrange)
                continue;
            bool near = false;
            for (const CFRGRAP::Line& s : segments)
                near = near || (x >= std::min(s.from.x, s.to.x) - 1 && x <= std::max(s.from.x, s.to.x) + 1 &&
                                y >= std::min(s.from.y, s.to.y) - 1 && y <= std::max(s.from.y, s.to.y) + 1);
            EXPECT_TRUE(near) << x << "," << y;
        }
    EXPECT_GT(inside, 100);
    int lowest = 0;
    for (const CFRGRAP::Line& s : segments)
        lowest = std::max(lowest, s.to.y);
    EXPECT_GT(lowest, 268);
    EXPECT_EQ(bench.countColour(CRect(287, 269, 447, 285), kOrange), 0);
    EXPECT_EQ(bench.countColour(CRect(287, 205, 447, 216), kOrange), 0);
    int bandTop = 400;
    for (int y = 216; y < 268; ++y)
        if (bench.pixel(382, y) == kOrange)
            bandTop = std::min(bandTop, y);
    EXPECT_NEAR(bandTop, 242, 2);
}

TEST(FrequencyGraphRender, BalanceAtPlusTwelveSpansTheOuterLines)
{
    GraphBench bench;
    bench.addFrequencyGraph();
    FakeEffect& effect = bench.effect();
    effect.highPass.setEnabled(false);
    effect.lowPass.setEnabled(false);
    effect.balance.setBalance(12.0f);
    effect.runResponseAnalysis();
    bench.render("frequency_balance_12db");

    EXPECT_EQ(bench.pixel(314, 263), kOrange);
    EXPECT_EQ(bench.pixel(436, 221), kOrange);
    EXPECT_EQ(bench.pixel(436, 263), kScaleBlue);
    EXPECT_EQ(bench.pixel(314, 221), kScaleBlue);
}

TEST(FrequencyGraphRender, At96000TheFortyKilohertzLineIsLabelled)
{
    GraphBench bench(96000);
    CFRGRAP* graph = bench.addFrequencyGraph();
    bench.effect().runResponseAnalysis();
    bench.render("frequency_96k");
    const CFRGRAP::FrequencyLine last = graph->frequencyLines().back();
    const int x = last.line.from.x;
    EXPECT_EQ(bench.pixel(x, 230), kScaleBlue);
    EXPECT_NE(bench.pixel(x, 214), kScaleBlue);
    EXPECT_GT(bench.countInk(CRect(x - 11, 271, x + 20, 281), kScaleBlue), 8);
}

} // namespace
