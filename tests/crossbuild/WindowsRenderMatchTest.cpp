// The same effect on both systems: the bundled demo rendered by the Windows
// host through the DLL under Wine equals the render of our host through the
// shared object, within 1e-6 of full scale.
#include "CrossBuildKit.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>

using namespace crossbuild;

namespace {

// Renders the demo through `linuxModule` with our host and through
// `windowsModule` (in the Windows build folder) with the Windows host, and
// compares: same length, within 1e-6 of full scale, not silence.
void expectTheSameRender(const char* linuxModule, const std::string& windowsModule, const std::string& name)
{
    const std::string dir = testsupport::makeTempDir("cross-render");
    const std::string demo = std::string(RVB_SOURCE_DIR) + "/resources/demo/";
    const std::string settings = " --set WetLevel=0.75 --set DryLevel=0.8333333 --set St.Width=0.7 --quiet";
    std::string out;
    ASSERT_EQ(run(std::string(RVB_HOST_PATH) + " render " + demo + "demo_input.wav " + dir + "/linux.wav --plugin "
                      + linuxModule + " --ir " + demo + "demo_ir.wav" + settings,
                  out),
              0)
        << out;
    const std::string plugin = windowsModule.empty() ? "" : " --plugin '" + zPath(windowsBuildFile(windowsModule)) + "'";
    ASSERT_EQ(runUnderWine("rvbhost.exe", "render '" + zPath(demo + "demo_input.wav") + "' '" + zPath(dir + "/windows.wav")
                                              + "' --ir '" + zPath(demo + "demo_ir.wav") + "'" + plugin + settings,
                           out),
              0)
        << out;

    int linuxChannels = 0, windowsChannels = 0;
    const std::vector<float> linuxRender = readAudio(dir + "/linux.wav", linuxChannels);
    const std::vector<float> windowsRender = readAudio(dir + "/windows.wav", windowsChannels);
    ASSERT_EQ(linuxChannels, 2);
    ASSERT_EQ(windowsChannels, 2);
    // Same length: the same latency compensation and the same tail.
    ASSERT_EQ(windowsRender.size(), linuxRender.size());
    ASSERT_GT(linuxRender.size(), 2u * 264600);
    double largest = 0.0, energy = 0.0;
    std::size_t worst = 0;
    for (std::size_t i = 0; i < linuxRender.size(); ++i) {
        const double difference = std::fabs(static_cast<double>(linuxRender[i]) - windowsRender[i]);
        if (difference > largest) {
            largest = difference;
            worst = i;
        }
        energy += static_cast<double>(linuxRender[i]) * linuxRender[i];
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.3g", largest);
    ::testing::Test::RecordProperty(name + "LargestDifference", text);
    EXPECT_LE(largest, 1e-6) << "at frame " << worst / 2 << " channel " << worst % 2;
    // A render of silence would match too.
    EXPECT_GT(energy, 100.0);
    std::filesystem::remove_all(dir);
}

} // namespace

TEST(WindowsRenderMatch, DemoThroughTheDllEqualsTheLinuxRender)
{
    expectTheSameRender(RVB_PLUGIN_PATH, "", "standard");
}

TEST(WindowsRenderMatch, DemoThroughTheLiveDllEqualsTheLinuxLiveRender)
{
    expectTheSameRender(RVB_LIVE_PLUGIN_PATH, "KestrelReverbLive.dll", "live");
}
