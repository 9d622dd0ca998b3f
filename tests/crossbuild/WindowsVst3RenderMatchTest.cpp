// The VST 3 bundle on both systems: the demo rendered by the Windows host
// through the Windows bundle under Wine equals the render of our host through
// the Linux bundle, within 1e-6 of full scale. Each loads the demo IR as a
// user does, through IR_FileSelect and its file dialog (answered by a script).
#include "CrossBuildKit.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

using namespace crossbuild;

TEST(WindowsVst3RenderMatch, DemoThroughTheWindowsBundleEqualsTheLinuxBundle)
{
    testsupport::TempDir dir("cross-vst3");
    const std::string demo = std::string(RVB_SOURCE_DIR) + "/resources/demo/";
    testsupport::writeFile(dir.path() + "/linux-script.txt", "file " + demo + "demo_ir.wav\n");
    testsupport::writeFile(dir.path() + "/windows-script.txt", "file " + zPath(demo + "demo_ir.wav") + "\n");
    const std::string settings =
        " --set IR_FileSelect=1 --set WetLevel=0.75 --set DryLevel=0.8333333 --set Decay=0.4 --quiet";
    std::string out;
    ASSERT_EQ(run(std::string(RVB_HOST_PATH) + " render " + demo + "demo_input.wav " + dir.path() +
                      "/linux.wav --plugin " + RVB_VST3_BUNDLE + " --dialog-script " + dir.path() +
                      "/linux-script.txt" + settings,
                  out),
              0)
        << out;
    ASSERT_EQ(runUnderWine("rvbhost.exe", "render '" + zPath(demo + "demo_input.wav") + "' '" +
                                              zPath(dir.path() + "/windows.wav") + "' --plugin '" +
                                              zPath(windowsBuildFile("KestrelReverb.vst3")) + "' --dialog-script '" +
                                              zPath(dir.path() + "/windows-script.txt") + "'" + settings,
                           out),
              0)
        << out;

    int linuxChannels = 0, windowsChannels = 0;
    const std::vector<float> linuxRender = readAudio(dir.path() + "/linux.wav", linuxChannels);
    const std::vector<float> windowsRender = readAudio(dir.path() + "/windows.wav", windowsChannels);
    ASSERT_EQ(linuxChannels, 2);
    ASSERT_EQ(windowsChannels, 2);
    ASSERT_EQ(windowsRender.size(), linuxRender.size());
    ASSERT_GT(linuxRender.size(), 2u * 264600);
    double largest = 0.0, energy = 0.0;
    for (std::size_t i = 0; i < linuxRender.size(); ++i) {
        largest = std::fmax(largest, std::fabs(static_cast<double>(linuxRender[i]) - windowsRender[i]));
        energy += static_cast<double>(linuxRender[i]) * linuxRender[i];
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.3g", largest);
    RecordProperty("largestDifference", text);
    EXPECT_LE(largest, 1e-6);
    EXPECT_GT(energy, 100.0);
}
