// rvbhost's VST 3 path against the test module: a gain of 2 x its normalised
// parameter, 7 frames late, in two classes (one its own controller, one with
// a controller of its own class that the host must connect). The expected
// output is computed here from the input, in the module's own arithmetic.
#include "Vst3HostKit.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

using namespace vst3test;

namespace {

constexpr int kRate = 48000;
constexpr int kLatency = 7;
const char* const kClasses[] = {"0", "Fixture Gain Split"};

class Vst3HostTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        input = stereoNoise(kFrames);
        writeWav(path("in.wav"), input, 2, kRate);
    }
    std::string path(const std::string& name) const { return testsupport::joinPath(dir.path(), name); }

    // The module's output for a gain parameter of `normalised`: the float the
    // host passes, widened, doubled, times the input.
    static float expected(float in, float normalised) { return static_cast<float>(2.0 * normalised * in); }

    std::vector<float> render(const std::string& chosenClass, std::vector<std::string> options)
    {
        const std::string out = path("out.wav");
        std::remove(out.c_str());
        std::vector<std::string> args {"render", path("in.wav"), out, "--class", chosenClass, "--no-tail", "--quiet"};
        args.insert(args.end(), options.begin(), options.end());
        const HostRun run = runHost(args);
        EXPECT_EQ(run.status, 0) << run.err;
        return run.status == 0 ? readStereoWav(out) : std::vector<float>();
    }

    static constexpr int kFrames = 3000;
    testsupport::TempDir dir {"vst3host"};
    std::vector<float> input;
};

} // namespace

TEST_F(Vst3HostTest, InfoFindsBothEffectsAndConnectsTheSplitController)
{
    const HostRun single = runHost({"info"});
    ASSERT_EQ(single.status, 0) << single.err;
    EXPECT_NE(single.out.find("[0] \"Fixture Gain\""), std::string::npos) << single.out;
    EXPECT_NE(single.out.find("[1] \"Fixture Gain Split\""), std::string::npos) << single.out;
    EXPECT_NE(single.out.find("\"Fixture Gain Split Controller\" Component Controller Class"), std::string::npos);
    EXPECT_NE(single.out.find("controller in the component"), std::string::npos);
    EXPECT_NE(single.out.find("latency 7 frames"), std::string::npos);
    // The parameter is known by its id (7), not its position.
    EXPECT_NE(single.out.find("      7  Gain "), std::string::npos) << single.out;

    // The split controller names its parameter only once the processor's
    // greeting, a message the host made, came through the host's connection.
    const HostRun split = runHost({"info", "--class", "Fixture Gain Split"});
    ASSERT_EQ(split.status, 0) << split.err;
    EXPECT_NE(split.out.find("controller separate, connected"), std::string::npos) << split.out;
    EXPECT_NE(split.out.find("  Gain "), std::string::npos) << split.out;
    EXPECT_EQ(split.out.find("not connected"), std::string::npos) << split.out;

    const HostRun missing = runHost({"info", "--class", "2"});
    EXPECT_NE(missing.status, 0);
    EXPECT_NE(missing.err.find("0 \"Fixture Gain\", 1 \"Fixture Gain Split\""), std::string::npos) << missing.err;
}

TEST_F(Vst3HostTest, RenderIsTheGainTimesTheInputWithTheLatencyCompensated)
{
    for (const char* chosen : kClasses) {
        SCOPED_TRACE(chosen);
        const std::vector<float> out = render(chosen, {"--set", "Gain=0.3"});
        ASSERT_EQ(out.size(), input.size());
        for (size_t i = 0; i < out.size(); ++i)
            ASSERT_EQ(out[i], expected(input[i], 0.3f)) << "sample " << i;

        // Uncompensated, the same arrives kLatency frames late, after silence;
        // the parameter named by its id works as its name does.
        const std::vector<float> late = render(chosen, {"--set", "7=0.3", "--no-compensation"});
        ASSERT_EQ(late.size(), input.size());
        for (size_t i = 0; i < 2 * kLatency; ++i)
            ASSERT_EQ(late[i], 0.0f);
        for (size_t i = 2 * kLatency; i < late.size(); ++i)
            ASSERT_EQ(late[i], out[i - 2 * kLatency]) << "sample " << i;

        // Neither the host's block size nor the split into calls changes a sample.
        for (const char* block : {"1", "64", "1000", "5000"})
            EXPECT_EQ(render(chosen, {"--set", "Gain=0.3", "--block", block}), out) << "block " << block;
    }
}

TEST_F(Vst3HostTest, AChangeWithinACallIsHeardFromItsFrame)
{
    // Changes at frame 37 of the first 512-frame call and at frame 549, inside the second.
    for (const char* chosen : kClasses) {
        SCOPED_TRACE(chosen);
        const std::vector<float> out =
            render(chosen, {"--block", "512", "--at", "37", "Gain=1", "--at", "549", "Gain=0.125"});
        ASSERT_EQ(out.size(), input.size());
        for (size_t frame = 0; frame < static_cast<size_t>(kFrames); ++frame) {
            const float gain = frame < 37 ? 0.5f : frame < 549 ? 1.0f : 0.125f;
            for (size_t c = 0; c < 2; ++c)
                ASSERT_EQ(out[2 * frame + c], expected(input[2 * frame + c], gain)) << "frame " << frame;
        }
    }
}

TEST_F(Vst3HostTest, AStateSavedRestoresInAFreshInstanceToTheSameRender)
{
    for (const char* chosen : kClasses) {
        SCOPED_TRACE(chosen);
        const std::string state = path("state.vst3state");
        const HostRun saved = runHost({"state", "save", state, "--class", chosen, "--set", "Gain=0.8"});
        ASSERT_EQ(saved.status, 0) << saved.err;

        // The controller follows the restored component (setComponentState).
        const HostRun loaded = runHost({"state", "load", state, "--class", chosen});
        ASSERT_EQ(loaded.status, 0) << loaded.err;
        EXPECT_NE(loaded.out.find("Gain                 0.800000  4.08 dB"), std::string::npos) << loaded.out;

        const std::vector<float> restored = render(chosen, {"--state", state});
        EXPECT_EQ(restored, render(chosen, {"--set", "Gain=0.8"}));
        EXPECT_NE(restored, render(chosen, {}));
    }
}

TEST_F(Vst3HostTest, RefusesWhatItCannotDo)
{
    // A VST 2.4 state, a state cut short, an IR by path, a bundle without its binary.
    testsupport::writeFile(path("vst2.txt"), "# rvbhost parameter state v1\n0 0.5\n");
    HostRun run = runHost({"info", "--state", path("vst2.txt")});
    EXPECT_EQ(run.status, 0);  // info does not read the state
    run = runHost({"state", "load", path("vst2.txt")});
    EXPECT_NE(run.status, 0);
    EXPECT_NE(run.err.find("not a VST 3 state"), std::string::npos) << run.err;

    ASSERT_EQ(runHost({"state", "save", path("whole"), "--set", "Gain=0.8"}).status, 0);
    const std::string whole = testsupport::readFile(path("whole"));
    testsupport::writeFile(path("cut"), whole.substr(0, whole.size() - 3));
    run = runHost({"state", "load", path("cut")});
    EXPECT_NE(run.status, 0);
    EXPECT_NE(run.err.find("cut short"), std::string::npos) << run.err;

    run = runHost({"render", path("in.wav"), path("out.wav"), "--ir", path("in.wav")});
    EXPECT_NE(run.status, 0);
    EXPECT_NE(run.err.find("--ir is for VST 2.4"), std::string::npos) << run.err;

    const std::string empty = path("Empty.vst3");
    ASSERT_TRUE(std::filesystem::create_directory(std::filesystem::u8path(empty)));
    testing::internal::CaptureStderr();
    const int status = runHostCommand({"info", "--plugin", empty});
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(status, 0);
    EXPECT_NE(err.find("cannot load"), std::string::npos) << err;
}
