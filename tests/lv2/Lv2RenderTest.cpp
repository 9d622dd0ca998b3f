// Rendering through the LV2 bundle as a host does it (lilv): the latency, an
// IR chosen through the path property, and the control ports, each held
// against the VST 2.4 plug-in built from the same core.
#include "lv2/Lv2TestHost.h"
#include "lv2/Lv2TestKit.h"
#include "lv2/PluginUris.h"
#include "params/ParameterTable.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

using namespace lv2test;

constexpr int kRate = 48000;
constexpr int kLatency = 65536;

class Lv2RenderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = testsupport::makeTempDir("lv2-render");
        irPath = dir + "/hall.wav";
        writeNoiseIR(irPath, 24000, 44100);
    }
    void TearDown() override { testsupport::removeTempDir(dir); }

    Stereo render(Lv2TestInstance& instance, const Stereo& input, int block, bool inPlace = false)
    {
        Stereo out;
        instance.render(input.left, input.right, out.left, out.right, block, inPlace);
        return out;
    }

    Lv2TestHost host;
    std::string dir;
    std::string irPath;
};

TEST_F(Lv2RenderTest, ReportsItsLatencyAndDelaysTheDrySignalByExactlyThat)
{
    Lv2TestInstance instance(host, kRate, TestWorker::Mode::Synchronous);
    ASSERT_TRUE(instance.valid());
    instance.port("wetlevel") = -30.0f; // wet off: only the dry signal remains
    instance.port("drylevel") = 0.0f;
    const Stereo out = render(instance, impulse(kLatency + 2000, 100), 333);
    EXPECT_EQ(instance.port("latency"), static_cast<float>(kLatency));
    for (std::size_t i = 0; i < out.left.size(); ++i) {
        const float expected = i == kLatency + 100 ? 0.5f : 0.0f;
        ASSERT_EQ(out.left[i], expected) << "frame " << i;
        ASSERT_EQ(out.right[i], expected) << "frame " << i;
    }
}

TEST_F(Lv2RenderTest, AnImpulseThroughAnIRSetByThePathPropertySoundsAsInTheVstPlugin)
{
    Lv2TestInstance instance(host, kRate, TestWorker::Mode::Synchronous);
    ASSERT_TRUE(instance.valid());
    instance.port("freewheel") = 1.0f;
    instance.sendIRFile(irPath);
    const Stereo input = impulse(kLatency + 30000);
    const Stereo out = render(instance, input, 256);
    ASSERT_FALSE(instance.reportedPaths().empty());
    EXPECT_EQ(instance.reportedPaths().back(), irPath);

    const Stereo reference = renderWithVst(irPath, {}, kRate, 256, input);
    EXPECT_EQ(maxDifference(out, reference), 0.0f);
    // and the IR is heard: the tail after the dry impulse carries energy
    Stereo tail{{out.left.begin() + kLatency + 1, out.left.end()}, {out.right.begin() + kLatency + 1, out.right.end()}};
    EXPECT_GT(energy(tail), 1e-3);
}

TEST_F(Lv2RenderTest, PortValuesInRealUnitsSoundAsTheSameParametersInTheVstPlugin)
{
    struct PortSetting {
        const char* symbol;
        int id;
        float real;
    };
    const PortSetting settings[] = {
        {"strech", param::kStrech, 1.5f},      {"decay", param::kDecay, 0.5f},
        {"gate", param::kGate, 800.0f},        {"dump", param::kDump, 0.4f},
        {"predelay", param::kPreDelay, 12.5f}, {"st_width", param::kStWidth, 1.4f},
        {"st_balance", param::kStBalance, -0.3f}, {"st_inputs", param::kStInputs, 1.0f},
        {"hpf", param::kHPF, 120.0f},          {"lpf", param::kLPF, 9000.0f},
        {"bal", param::kBAL, 3.0f},            {"enabled_hpf", param::kEnabledHPF, 1.0f},
        {"enabled_bal", param::kEnabledBAL, 1.0f}, {"enabled_lpf", param::kEnabledLPF, 1.0f},
        {"wet_12db", param::kWetPlus12dB, 1.0f}, {"wetlevel", param::kWetLevel, -6.0f},
        {"drylevel", param::kDryLevel, -3.0f},
    };
    Lv2TestInstance instance(host, kRate, TestWorker::Mode::Synchronous);
    ASSERT_TRUE(instance.valid());
    instance.port("freewheel") = 1.0f;
    std::vector<Setting> vst;
    for (const PortSetting& s : settings) {
        instance.port(s.symbol) = s.real;
        vst.push_back({s.id, static_cast<float>(param::toNormalisedValue(s.real, s.id))});
    }
    instance.sendIRFile(irPath);
    const Stereo input = noise(kLatency + 20000);
    const Stereo out = render(instance, input, 512);
    const Stereo reference = renderWithVst(irPath, vst, kRate, 512, input);
    EXPECT_EQ(maxDifference(out, reference), 0.0f);

    // Out-of-range values are held at the range's ends, as the VST host's 0 and 1 are.
    Lv2TestInstance clamped(host, kRate, TestWorker::Mode::Synchronous);
    clamped.port("freewheel") = 1.0f;
    clamped.port("wetlevel") = 40.0f;
    clamped.port("drylevel") = -1000.0f;
    clamped.port("bypass_local") = 0.5f; // a toggle: on above 0
    clamped.sendIRFile(irPath);
    const Stereo loud = render(clamped, input, 512);
    const Stereo loudReference = renderWithVst(irPath, {{param::kWetLevel, 1.0f}, {param::kDryLevel, 0.0f}}, kRate,
                                               512, input);
    EXPECT_EQ(maxDifference(loud, loudReference), 0.0f);
}

TEST_F(Lv2RenderTest, AFileThatFailsToLoadKeepsTheIRInForceAndTheHostIsToldSo)
{
    Lv2TestInstance instance(host, kRate, TestWorker::Mode::Threaded);
    ASSERT_TRUE(instance.valid());
    instance.port("freewheel") = 1.0f;
    instance.sendIRFile(irPath);
    for (int i = 0; i < 4; ++i) {
        instance.run(0);
        instance.worker().waitUntilIdle();
    }
    ASSERT_EQ(instance.reportedPaths(), std::vector<std::string>{irPath});

    // The host learns that its choice did not take: the file in force is reported again.
    instance.sendIRFile(dir + "/missing.wav");
    for (int i = 0; i < 4; ++i) {
        instance.run(0);
        instance.worker().waitUntilIdle();
    }
    EXPECT_EQ(instance.reportedPaths(), (std::vector<std::string>{irPath, irPath}));

    // asked, the plug-in reports the file in force again
    const std::size_t before = instance.reportedPaths().size();
    instance.askForIRFile();
    instance.run(0);
    ASSERT_EQ(instance.reportedPaths().size(), before + 1);
    EXPECT_EQ(instance.reportedPaths().back(), irPath);

    const Stereo input = impulse(kLatency + 10000);
    EXPECT_EQ(maxDifference(render(instance, input, 1024), renderWithVst(irPath, {}, kRate, 1024, input)), 0.0f);
}

TEST_F(Lv2RenderTest, InPlaceBuffersRenderAsSeparateOnes)
{
    const Stereo input = noise(kLatency + 8000, 3);
    Stereo outputs[2];
    for (int inPlace = 0; inPlace < 2; ++inPlace) {
        Lv2TestInstance instance(host, kRate, TestWorker::Mode::Synchronous);
        ASSERT_TRUE(instance.valid());
        instance.port("freewheel") = 1.0f;
        instance.port("st_inputs") = -0.4f; // crosses the channels
        instance.sendIRFile(irPath);
        outputs[inPlace] = render(instance, input, 700, inPlace == 1);
    }
    EXPECT_EQ(maxDifference(outputs[0], outputs[1]), 0.0f);
    EXPECT_GT(energy(outputs[0]), 0.0);
}

} // namespace

namespace {

// The Live edition, the bundle's second plug-in: no latency reported, the dry
// signal undelayed, and the sound of the Live VST 2.4 module.
TEST(Lv2LiveEdition, ReportsNoLatencyAndSoundsAsTheLiveVstModule)
{
    const testsupport::TempDir dir("lv2-live");
    const std::string irPath = dir.path() + "/hall.wav";
    writeNoiseIR(irPath, 24000, 44100);
    Lv2TestHost host(lv2plugin::kLivePluginUri);
    ASSERT_NE(host.plugin(), nullptr);

    Lv2TestInstance dry(host, kRate, TestWorker::Mode::Synchronous);
    ASSERT_TRUE(dry.valid());
    dry.port("wetlevel") = -30.0f;
    dry.port("drylevel") = 0.0f;
    Stereo out;
    const Stereo click = impulse(4000, 100);
    dry.render(click.left, click.right, out.left, out.right, 333);
    EXPECT_EQ(dry.port("latency"), 0.0f);
    EXPECT_EQ(maxDifference(out, click), 0.0f);

    Lv2TestInstance wet(host, kRate, TestWorker::Mode::Synchronous);
    wet.port("freewheel") = 1.0f;
    wet.sendIRFile(irPath);
    const Stereo input = noise(30000, 3);
    Stereo rendered;
    wet.render(input.left, input.right, rendered.left, rendered.right, 256);
    const Stereo reference = renderWithVst(irPath, {}, kRate, 256, input, {}, RVB_LIVE_PLUGIN_PATH);
    EXPECT_EQ(maxDifference(rendered, reference), 0.0f);
    EXPECT_GT(energy(rendered), 1e-3);
}

} // namespace
