// Automation in an offline render (--at FRAME NAME=VALUE): the render is the
// same every time and for every host block size, and a change is heard from a
// frame that its own frame alone decides.
#include "support/ReliabilityKit.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 44100;
constexpr int kLatency = 65536;
// The wet signal is there from the latency on; the changes come after it.
constexpr int kInputFrames = kLatency + 30000;
constexpr long kChange = kLatency + 10000;

class RenderAutomationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = testsupport::makeTempDir("automation");
        reliability::Noise noise(11u);
        std::vector<float> input(2 * static_cast<size_t>(kInputFrames));
        noise.fill(input.data(), static_cast<int>(input.size()), 0.25f);
        ASSERT_TRUE(reliability::writeWav(dir + "/in.wav", input, 2, kRate));
        ASSERT_TRUE(reliability::writeWav(dir + "/room.wav", reliability::decayingNoiseIR(8000, 2, kRate), 2, kRate));
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    // Output frames line up with input frames (no latency dropped, no tail), so
    // that a change at input frame F can be looked for at output frame F.
    std::vector<float> render(const std::string& automation, int block = 512)
    {
        const std::string out = dir + "/out.wav";
        const std::string command = "RVB_DIALOG_SCRIPT=/dev/null '" + std::string(RVB_HOST_PATH) + "' render '" + dir +
                                    "/in.wav' '" + out + "' --ir '" + dir + "/room.wav' --no-compensation --no-tail" +
                                    " --block " + std::to_string(block) + " " + automation + " --plugin '" +
                                    RVB_PLUGIN_PATH + "' --quiet > /dev/null 2>&1";
        EXPECT_EQ(std::system(command.c_str()), 0) << automation;
        SF_INFO info{};
        SNDFILE* file = sf_open(out.c_str(), SFM_READ, &info);
        if (!file)
            return {};
        std::vector<float> frames(static_cast<size_t>(info.frames) * 2);
        sf_readf_float(file, frames.data(), info.frames);
        sf_close(file);
        return frames;
    }

    static std::string at(long frame, const std::string& assignment)
    {
        return "--at " + std::to_string(frame) + " " + assignment;
    }

    // First frame from which the two renders differ, or -1.
    static long firstDifference(const std::vector<float>& a, const std::vector<float>& b)
    {
        for (size_t i = 0; i < std::min(a.size(), b.size()); ++i)
            if (a[i] != b[i])
                return static_cast<long>(i / 2);
        return a.size() == b.size() ? -1 : static_cast<long>(std::min(a.size(), b.size()) / 2);
    }

    std::string dir;
};

TEST_F(RenderAutomationTest, TheSameAutomationRendersBitIdenticallyAtAnyBlockSize)
{
    const std::string automation = at(kChange, "WetLevel=0.3") + " " + at(kChange, "Enabled_HPF=1") + " " +
                                   at(kChange + 5000, "HPF=0.8") + " " + at(kChange + 7000, "Decay=0.3");
    const std::vector<float> first = render(automation);
    ASSERT_EQ(first.size(), 2u * kInputFrames);
    EXPECT_EQ(firstDifference(render(automation), first), -1);
    for (int block : {64, 4096, 100000}) {
        SCOPED_TRACE(block);
        EXPECT_EQ(firstDifference(render(automation, block), first), -1);
    }
    // And it is automation: without it the render differs, from the first change on.
    EXPECT_EQ(firstDifference(render(""), first), kChange);
}

TEST_F(RenderAutomationTest, AChangeIsHeardFromTheFrameItIsMadeAt)
{
    struct Case {
        std::string settings, change;
    };
    // A level is heard at once; a filter fades in from the frame it changes at.
    for (const Case& c : {Case{"", "WetLevel=0.3"}, Case{"--set Enabled_HPF=1", "HPF=0.8"}}) {
        SCOPED_TRACE(c.change);
        const std::vector<float> none = render(c.settings);
        const std::vector<float> early = render(c.settings + " " + at(kChange, c.change));
        const std::vector<float> late = render(c.settings + " " + at(kChange + 64, c.change));
        EXPECT_EQ(firstDifference(early, late), kChange);
        EXPECT_EQ(firstDifference(none, late), kChange + 64);
    }
}

} // namespace
