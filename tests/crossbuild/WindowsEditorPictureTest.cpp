// The Windows editor under Wine draws what the Linux editor draws, where it
// draws it: the two pictures are compared region by region. Bitmaps must match;
// text may come in another font, but must stand in the same place.
#include "CrossBuildKit.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

using namespace crossbuild;

namespace {

struct Region {
    const char* name;
    int left, top, right, bottom;
};

// The controls' rectangles of the editor layout: bitmaps only.
const Region kBitmapRegions[] = {
    {"WebSearch", 600, 15, 681, 31},    {"IR_FileSelect", 600, 35, 680, 52}, {"CopyToLocal", 600, 55, 680, 72},
    {"Bypass", 605, 106, 677, 142},     {"Reset", 627, 165, 648, 185},       {"Strech", 30, 210, 85, 265},
    {"Decay", 90, 210, 145, 265},       {"Dump", 150, 210, 205, 265},        {"Gate", 210, 210, 265, 265},
    {"PreDelay", 30, 295, 85, 350},     {"St.Inputs", 90, 295, 145, 350},    {"St.Width", 150, 295, 205, 350},
    {"St.Balance", 210, 295, 265, 350}, {"HPF", 300, 311, 333, 344},         {"BAL", 350, 311, 383, 344},
    {"LPF", 400, 311, 433, 344},        {"Enabled_HPF", 296, 285, 336, 310}, {"Enabled_BAL", 346, 285, 386, 310},
    {"Enabled_LPF", 396, 285, 436, 310}, {"Wet+12dB", 636, 328, 688, 354},   {"DryLevel", 465, 270, 546, 351},
    {"WetLevel", 555, 270, 636, 351},   {"title block", 470, 200, 700, 250},
};

// The value displays under the knobs: a fill, an outline and centred text.
const Region kDisplayRegions[] = {
    {"Strech", 28, 266, 87, 277},     {"Decay", 88, 266, 147, 277},      {"Dump", 148, 266, 207, 277},
    {"Gate", 208, 266, 267, 277},     {"PreDelay", 28, 351, 87, 362},    {"St.Inputs", 88, 351, 147, 362},
    {"St.Width", 148, 351, 207, 362}, {"St.Balance", 208, 351, 267, 362}, {"HPF", 298, 344, 335, 355},
    {"BAL", 348, 344, 385, 355},      {"LPF", 398, 344, 435, 355},       {"DryLevel", 463, 351, 548, 362},
    {"WetLevel", 553, 351, 638, 362},
};

// The graphs: grids and curves drawn by the canvas, labels in the fonts.
const Region kGraphRegions[] = {
    {"frequency graph", 287, 205, 447, 285},
    {"envelope plot", 85, 62, 570, 165},
    {"envelope time axis", 60, 166, 597, 188},
};

double channelDifference(std::uint32_t a, std::uint32_t b)
{
    double sum = 0;
    for (int shift : {16, 8, 0})
        sum += std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF));
    return sum / 3;
}

double meanDifference(const Picture& a, const Picture& b, const Region& r)
{
    double sum = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            sum += channelDifference(a.at(x, y), b.at(x, y));
    return sum / ((r.right - r.left) * (r.bottom - r.top));
}

// Where the text of a display stands and how much of it there is: each
// pixel weighs by how far it stands from the display's fill, so that fonts
// antialiased a little differently still weigh about the same.
struct Ink {
    double weight = 0;
    double x = 0, y = 0;
};

// The display's fill: the colour most of its pixels have.
std::uint32_t fillOf(const Picture& p, const Region& r)
{
    std::map<std::uint32_t, int> counts;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            ++counts[p.at(x, y)];
    return std::max_element(counts.begin(), counts.end(),
                            [](const auto& a, const auto& b) { return a.second < b.second; })
        ->first;
}

Ink inkOf(const Picture& p, const Region& r)
{
    const std::uint32_t fill = fillOf(p, r);
    Ink ink;
    for (int y = r.top + 1; y < r.bottom - 1; ++y) {
        for (int x = r.left + 1; x < r.right - 1; ++x) {
            const double w = channelDifference(p.at(x, y), fill);
            if (w > 16) {
                ink.weight += w;
                ink.x += w * x;
                ink.y += w * y;
            }
        }
    }
    if (ink.weight > 0) {
        ink.x /= ink.weight;
        ink.y /= ink.weight;
    }
    return ink;
}

class WindowsEditorPicture : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!std::getenv("DISPLAY"))
            return;
        dir = testsupport::makeTempDir("cross-editor");
        const std::string ir = std::string(RVB_SOURCE_DIR) + "/resources/demo/demo_ir.wav";
        std::string out;
        linuxStatus = run(std::string(RVB_HOST_PATH) + " editor --quiet --screenshot " + dir + "/linux.png --plugin "
                              + RVB_PLUGIN_PATH + " --ir " + ir,
                          linuxLog);
        windowsStatus = runUnderWine("rvbhost.exe", "editor --quiet --screenshot '" + zPath(dir + "/windows.png")
                                                        + "' --ir '" + zPath(ir) + "'",
                                     windowsLog);
        linuxPicture = readPng(dir + "/linux.png");
        windowsPicture = readPng(dir + "/windows.png");
    }
    static void TearDownTestSuite()
    {
        if (!dir.empty() && !std::getenv("RVB_KEEP_PICTURES"))
            std::filesystem::remove_all(dir);
    }
    void SetUp() override
    {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "no X display";
        ASSERT_EQ(linuxStatus, 0) << linuxLog;
        ASSERT_EQ(windowsStatus, 0) << windowsLog;
        ASSERT_EQ(linuxPicture.width, 712);
        ASSERT_EQ(linuxPicture.height, 386);
        ASSERT_EQ(windowsPicture.width, 712);
        ASSERT_EQ(windowsPicture.height, 386);
    }

    static std::string dir;
    static int linuxStatus, windowsStatus;
    static std::string linuxLog, windowsLog;
    static Picture linuxPicture, windowsPicture;
};

std::string WindowsEditorPicture::dir;
int WindowsEditorPicture::linuxStatus = -1;
int WindowsEditorPicture::windowsStatus = -1;
std::string WindowsEditorPicture::linuxLog;
std::string WindowsEditorPicture::windowsLog;
Picture WindowsEditorPicture::linuxPicture;
Picture WindowsEditorPicture::windowsPicture;

} // namespace

TEST_F(WindowsEditorPicture, ControlsShowTheSameBitmapsInTheSamePlaces)
{
    for (const Region& r : kBitmapRegions)
        EXPECT_LE(meanDifference(linuxPicture, windowsPicture, r), 0.5) << r.name;
}

TEST_F(WindowsEditorPicture, ValueDisplaysShowTheirTextInTheSamePlace)
{
    for (const Region& r : kDisplayRegions) {
        const Ink a = inkOf(linuxPicture, r);
        const Ink b = inkOf(windowsPicture, r);
        ASSERT_GT(a.weight, 1000) << r.name;
        ASSERT_GT(b.weight, 1000) << r.name;
        // Same text, other fonts: about as much ink, centred alike.
        EXPECT_LT(std::max(a.weight, b.weight) / std::min(a.weight, b.weight), 1.3) << r.name;
        EXPECT_NEAR(a.x, b.x, 1.5) << r.name;
        EXPECT_NEAR(a.y, b.y, 1.5) << r.name;
        EXPECT_LE(meanDifference(linuxPicture, windowsPicture, r), 20.0) << r.name;
    }
}

TEST_F(WindowsEditorPicture, GraphsDrawTheirGridsAndCurvesAlike)
{
    for (const Region& r : kGraphRegions) {
        EXPECT_LE(meanDifference(linuxPicture, windowsPicture, r), 8.0) << r.name;
        // What stands out of the graph's background (grid, curves, labels):
        // as much of it, in the same place.
        const Ink a = inkOf(linuxPicture, r);
        const Ink b = inkOf(windowsPicture, r);
        ASSERT_GT(a.weight, 10000) << r.name;
        EXPECT_LT(std::max(a.weight, b.weight) / std::min(a.weight, b.weight), 1.3) << r.name << " " << a.weight
                                                                                     << " " << b.weight;
        EXPECT_NEAR(a.x, b.x, 1.5) << r.name;
        EXPECT_NEAR(a.y, b.y, 1.5) << r.name;
    }
}
