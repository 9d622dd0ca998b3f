// The reverb's VST 3 bundle loaded by rvbhost as a DAW loads it (factory,
// component, processing, states), held against its VST 2.4 module: the same
// reverb must sound the same through either format, bit for bit. The IR is
// loaded into the VST 3 instance as a user loads it: its IR_FileSelect
// pressed and the file dialog answered.
#include "Vst3HostKit.h"

#include "support/TestSupport.h"
#include "vst3/Unknown.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

using namespace vst3test;

namespace {

constexpr int kRate = 44100;
constexpr int kNoiseFrames = 20000;
constexpr int kLatency = 65536;
const char* const kStandard = "KS [TALU-01] Convolution Reverb";
const char* const kLive = "KS [TALU-01] Convolution Reverb Live";

// Where two renders first part, for a message; -1 when they agree.
long firstDifference(const std::vector<float>& a, const std::vector<float>& b)
{
    for (size_t i = 0; i < a.size() && i < b.size(); ++i)
        if (a[i] != b[i])
            return static_cast<long>(i);
    return a.size() == b.size() ? -1 : static_cast<long>(std::min(a.size(), b.size()));
}

std::vector<std::string> joined(std::vector<std::string> a, const std::vector<std::string>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class ReverbBundleTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        noise = stereoNoise(kNoiseFrames, 777u);
        writeWav(path("noise.wav"), noise, 2, kRate);
    }
    std::string path(const std::string& name) const { return testsupport::joinPath(dir.path(), name); }
    static std::string demo(const std::string& name)
    {
        return systemPath(std::string(RVB_SOURCE_DIR) + "/resources/demo/" + name);
    }

    // The options that load the demo IR into a VST 3 instance: IR_FileSelect
    // pressed, its dialog answered by a script of its own (a script is read
    // once per process and its line used up).
    std::vector<std::string> chooseDemoIR()
    {
        const std::string script = path("choose-ir-" + std::to_string(++scripts) + ".txt");
        testsupport::writeFile(script, "file " + demo("demo_ir.wav") + "\n");
        return {"--set", "IR_FileSelect=1", "--dialog-script", script};
    }

    std::vector<float> render(const std::string& plugin, const std::string& input, std::vector<std::string> options)
    {
        const std::string out = path("out.wav");
        std::remove(out.c_str());
        const HostRun run = runHostOn(plugin, joined({"render", input, out, "--quiet"}, options));
        EXPECT_EQ(run.status, 0) << run.err;
        return run.status == 0 ? readStereoWav(out) : std::vector<float>();
    }

    testsupport::TempDir dir{"reverbvst3"};
    std::vector<float> noise;
    int scripts = 0;
};

} // namespace

TEST_F(ReverbBundleTest, OffersBothEditionsAsReverbsWithTheirLatencies)
{
    const HostRun standard = runHostOn(reverbBundle(), {"info"});
    ASSERT_EQ(standard.status, 0) << standard.err;
    const std::string& out = standard.out;
    EXPECT_NE(out.find("[0] \"" + std::string(kStandard) + "\" Audio Module Class"), std::string::npos) << out;
    EXPECT_NE(out.find("[1] \"" + std::string(kLive) + "\" Audio Module Class"), std::string::npos) << out;
    // The class ids are fixed for good: projects name the classes by them.
    auto hex = [](const vst3::Uid& id) {
        std::string text;
        char byte[3];
        for (char c : id.bytes) {
            std::snprintf(byte, sizeof byte, "%02X", static_cast<unsigned char>(c));
            text += byte;
        }
        return text;
    };
    EXPECT_NE(out.find("Fx|Reverb      [Kestrel] Fenwood.T 0.0.1 (VST 3.7.0) " +
                       hex(vst3::makeUid(0xBD986142, 0xE9E04799, 0x89105241, 0xE82CD3FE))),
              std::string::npos) << out;
    EXPECT_NE(out.find("Fx|Reverb      [Kestrel] Fenwood.T 0.0.1 (VST 3.7.0) " +
                       hex(vst3::makeUid(0x32F6FF71, 0x0C1241DC, 0x8C32CEB2, 0x164500F6))),
              std::string::npos) << out;
    EXPECT_NE(out.find("controller in the component"), std::string::npos);
    EXPECT_NE(out.find("inputs \"Stereo In\" 2 ch; outputs \"Stereo Out\" 2 ch; latency 65536 frames"),
              std::string::npos) << out;
    // The four actions, the host's bypass, the settings and the program selector.
    EXPECT_NE(out.find("parameters (23):"), std::string::npos) << out;
    EXPECT_NE(out.find("      2  IR_FileSelect        0.000000  Off   steps 1, automatable\n"), std::string::npos);
    EXPECT_NE(out.find("      5  Bypass               0.000000  Off   steps 1, automatable, bypass\n"), std::string::npos);
    EXPECT_NE(out.find("      7  Decay                0.500000  0.0   steps 0, automatable\n"), std::string::npos);
    EXPECT_NE(out.find("     15  LPF                  1.000000  20.0kHz   steps 0, automatable\n"), std::string::npos);
    EXPECT_NE(out.find("   1000  Program              0.000000  Default   steps 7, automatable, program change\n"), std::string::npos);

    const HostRun live = runHostOn(reverbBundle(), {"info", "--class", kLive});
    ASSERT_EQ(live.status, 0) << live.err;
    EXPECT_NE(live.out.find("latency 0 frames"), std::string::npos) << live.out;
}

TEST_F(ReverbBundleTest, RendersTheDemoAsTheVst2ModuleDoesBitForBit)
{
    const std::vector<std::string> settings = {"--set", "WetLevel=0.75", "--set", "DryLevel=0.8333333",
                                               "--set", "St.Width=0.7",  "--set", "Decay=0.4"};
    const std::vector<float> vst2 =
        render(vst2Module(), demo("demo_input.wav"), joined(settings, {"--ir", demo("demo_ir.wav")}));
    const std::vector<float> vst3 = render(reverbBundle(), demo("demo_input.wav"), joined(settings, chooseDemoIR()));
    ASSERT_GT(vst2.size(), 2u * 264600);
    EXPECT_EQ(firstDifference(vst3, vst2), -1);
    // The IR was heard: without it only the dry signal comes through.
    EXPECT_NE(vst3, render(reverbBundle(), demo("demo_input.wav"), settings));

    // The Live class as the Live VST 2.4 module, with no latency to compensate.
    const std::vector<std::string> live = {"--class", kLive};
    const std::vector<float> liveVst2 = render(vst2LiveModule(), demo("demo_input.wav"),
                                               joined(settings, {"--ir", demo("demo_ir.wav")}));
    const std::vector<float> liveVst3 =
        render(reverbBundle(), demo("demo_input.wav"), joined(live, joined(settings, chooseDemoIR())));
    ASSERT_GT(liveVst2.size(), 2u * 264600);
    EXPECT_EQ(firstDifference(liveVst3, liveVst2), -1);
    EXPECT_NE(liveVst3, vst3);
}

TEST_F(ReverbBundleTest, AChangeAtFrame37OfA512FrameCallIsHeardFromThatFrame)
{
    // Frame 65573 is frame 37 of the 129th call, the first whose output is
    // not latency; a second change follows inside the same call. Compensated,
    // the output's frame 37 is that call's frame 37.
    const std::vector<std::string> calls = {"--block", "512", "--no-tail"};
    const std::vector<std::string> first = {"--at", std::to_string(kLatency + 37), "DryLevel=0.5"};
    const std::vector<std::string> second = {"--at", std::to_string(kLatency + 137), "DryLevel=0.7"};
    const std::vector<float> both = render(reverbBundle(), path("noise.wav"), joined(joined(calls, first), second));
    // The VST 2.4 host cuts its calls at each change and makes it in between.
    EXPECT_EQ(firstDifference(both, render(vst2Module(), path("noise.wav"), joined(joined(calls, first), second))), -1);

    const std::vector<float> none = render(reverbBundle(), path("noise.wav"), calls);
    const std::vector<float> firstOnly = render(reverbBundle(), path("noise.wav"), joined(calls, first));
    ASSERT_EQ(none.size(), noise.size());
    // Without an IR the dry signal at 0 dB is the input itself.
    EXPECT_EQ(none, noise);
    EXPECT_EQ(firstDifference(firstOnly, none), 2 * 37);
    EXPECT_EQ(firstDifference(both, firstOnly), 2 * 137);
}

TEST_F(ReverbBundleTest, AStateSavedRestoresInAFreshInstanceToTheSameRender)
{
    const std::vector<std::string> settings = {"--set", "Decay=0.3", "--set", "PreDelay=0.25", "--set",
                                               "WetLevel=0.9", "--set", "Enabled_LPF=1", "--set", "LPF=0.5"};
    for (const char* chosen : {kStandard, kLive}) {
        SCOPED_TRACE(chosen);
        const std::vector<std::string> edition = {"--class", chosen};
        const std::string state = path("state.vst3state");
        const HostRun saved = runHostOn(reverbBundle(), joined(joined({"state", "save", state}, edition),
                                                               joined(settings, chooseDemoIR())));
        ASSERT_EQ(saved.status, 0) << saved.err;

        // The controller shows the restored values.
        const HostRun loaded = runHostOn(reverbBundle(), joined({"state", "load", state}, edition));
        ASSERT_EQ(loaded.status, 0) << loaded.err;
        EXPECT_NE(loaded.out.find("      7  Decay                0.300000  -4.0 "), std::string::npos) << loaded.out;
        EXPECT_NE(loaded.out.find("     19  Enabled_LPF          1.000000  On "), std::string::npos) << loaded.out;

        const std::vector<float> restored = render(reverbBundle(), path("noise.wav"), joined(edition, {"--state", state}));
        const std::vector<float> direct =
            render(reverbBundle(), path("noise.wav"), joined(edition, joined(settings, chooseDemoIR())));
        ASSERT_GT(restored.size(), noise.size());
        EXPECT_EQ(firstDifference(restored, direct), -1);
        EXPECT_NE(restored, render(reverbBundle(), path("noise.wav"), edition));
        if (std::string(chosen) == kStandard) {
            // ...and as the VST 2.4 module renders the same settings.
            const std::vector<float> vst2 =
                render(vst2Module(), path("noise.wav"), joined(settings, {"--ir", demo("demo_ir.wav")}));
            EXPECT_EQ(firstDifference(restored, vst2), -1);
        }
    }
}

TEST_F(ReverbBundleTest, RefusesAStateThatIsNotItsOwn)
{
    const std::string state = path("good.vst3state");
    ASSERT_EQ(runHostOn(reverbBundle(), {"state", "save", state, "--set", "Decay=0.3"}).status, 0);
    const std::string good = testsupport::readFile(state);
    const std::size_t magic = good.find("KRV3");
    ASSERT_NE(magic, std::string::npos);

    // Another plug-in's block, and a later version's.
    std::string other = good;
    other[magic + 3] = '2';
    std::string later = good;
    later[magic + 4] = 2;
    for (const std::string& bytes : {other, later}) {
        testsupport::writeFile(path("bad.vst3state"), bytes);
        const HostRun run = runHostOn(reverbBundle(), {"state", "load", path("bad.vst3state")});
        EXPECT_NE(run.status, 0);
        EXPECT_NE(run.err.find("refused the component state"), std::string::npos) << run.err;
    }
}

TEST_F(ReverbBundleTest, TheHostsBypassLetsTheInputThroughUnchanged)
{
    // The reverb's own switch processes at 1; the host's bypass is its inverse.
    const std::vector<std::string> settings = {"--set", "WetLevel=1", "--set", "DryLevel=0.5", "--no-tail"};
    const std::vector<float> bypassed =
        render(reverbBundle(), path("noise.wav"), joined(joined(settings, {"--set", "Bypass=1"}), chooseDemoIR()));
    EXPECT_EQ(firstDifference(bypassed, noise), -1);
    const std::vector<float> processing =
        render(reverbBundle(), path("noise.wav"), joined(joined(settings, {"--set", "Bypass=0"}), chooseDemoIR()));
    ASSERT_EQ(processing.size(), noise.size());
    EXPECT_NE(processing, noise);
    // The VST 2.4 module's "Bypass (local)" at 0 is the same.
    EXPECT_EQ(firstDifference(bypassed, render(vst2Module(), path("noise.wav"),
                                               joined(settings, {"--set", "Bypass (local)=0", "--ir", demo("demo_ir.wav")}))),
              -1);
}
