// The command-line host never reports a failure as success: whatever it cannot
// do as asked ends in a message and a non-zero exit, the input stays as it was
// and no output (finished, half-written or temporary) is left behind.
#include "support/ReliabilityKit.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int kRate = 44100;
constexpr int kInputFrames = 2000;

class HostRefusalTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = testsupport::makeTempDir("refusal");
        reliability::Noise noise(3u);
        std::vector<float> input(2 * kInputFrames);
        noise.fill(input.data(), static_cast<int>(input.size()), 0.1f);
        ASSERT_TRUE(reliability::writeWav(dir + "/in.wav", input, 2, kRate));
        ASSERT_TRUE(reliability::writeWav(dir + "/unit.wav", {1.0f, 1.0f}, 2, kRate));
        inputBytes = testsupport::readFile(dir + "/in.wav");
        before = entries();
    }
    void TearDown() override { fs::remove_all(dir); }

    // Runs the host in the test folder; returns its exit status, keeps its messages.
    int run(const std::string& args)
    {
        // No message box may wait for a person.
        const std::string command = "cd '" + dir + "' && RVB_DIALOG_SCRIPT=/dev/null '" + RVB_HOST_PATH + "' " +
                                    args + " --plugin '" + RVB_PLUGIN_PATH + "' --quiet > /dev/null 2> '" + dir +
                                    "/../" + logName() + "'";
        const int status = std::system(command.c_str());
        log = testsupport::readFile(dir + "/../" + logName());
        fs::remove(dir + "/../" + logName());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string logName() const { return fs::path(dir).filename().string() + ".log"; }

    std::vector<std::string> entries() const
    {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    // Refused with a message naming `expected`; the input and the folder as before.
    void expectRefused(const std::string& args, const std::string& expected)
    {
        SCOPED_TRACE(args);
        EXPECT_EQ(run(args), 1);
        EXPECT_NE(log.find(expected), std::string::npos) << log;
        EXPECT_EQ(testsupport::readFile(dir + "/in.wav"), inputBytes);
        EXPECT_EQ(entries(), before);
    }

    std::string dir, inputBytes, log;
    std::vector<std::string> before;
};

TEST_F(HostRefusalTest, AnOutputThatIsTheInputUnderAnyName)
{
    expectRefused("render in.wav in.wav", "is the same file as in.wav");
    expectRefused("render in.wav ./in.wav", "is the same file as in.wav");
    fs::create_symlink("in.wav", dir + "/symbolic.wav");
    fs::create_hard_link(dir + "/in.wav", dir + "/hard.wav");
    before = entries();
    expectRefused("render in.wav symbolic.wav", "is the same file");
    expectRefused("render in.wav hard.wav", "is the same file");
    // Nor the IR or the state the render reads.
    expectRefused("render in.wav unit.wav --ir unit.wav", "is the same file as unit.wav");
}

TEST_F(HostRefusalTest, AnIRThatDoesNotLoad)
{
    fs::create_directory(dir + "/folder.wav");
    testsupport::writeFile(dir + "/garbage.wav", std::string(3000, '\x5a'));
    testsupport::writeFile(dir + "/half.L", std::string(300, '\0'));  // its .R is missing
    // A render that fails keeps an earlier output as it was.
    testsupport::writeFile(dir + "/out.wav", "an earlier render");
    before = entries();
    expectRefused("render in.wav out.wav --ir missing.wav", "cannot read IR missing.wav");
    expectRefused("render in.wav out.wav --ir folder.wav", "IR folder.wav is a folder");
    expectRefused("render in.wav out.wav --ir garbage.wav", "could not load the IR garbage.wav");
    expectRefused("render in.wav out.wav --ir half.L", "cannot read IR half.R");
    EXPECT_EQ(testsupport::readFile(dir + "/out.wav"), "an earlier render");
    // The same for the other commands that take an IR.
    expectRefused("state save state.txt --ir garbage.wav", "could not load the IR garbage.wav");
}

TEST_F(HostRefusalTest, AStateThatCannotBeReadAsAState)
{
    fs::create_directory(dir + "/folder.txt");
    testsupport::writeFile(dir + "/garbage.txt", std::string("\x7f" "ELF\x02\x01\x01", 7) + std::string(500, '\x01'));
    testsupport::writeFile(dir + "/empty.txt", "");
    testsupport::writeFile(dir + "/trailing.txt", "# rvbhost parameter state v1\n5 1\n6 0.5 and more\n");
    before = entries();
    expectRefused("render in.wav out.wav --state folder.txt", "state folder.txt is a folder");
    expectRefused("render in.wav out.wav --state garbage.txt", "garbage.txt is not a parameter state");
    expectRefused("render in.wav out.wav --state empty.txt", "empty.txt is empty");
    expectRefused("render in.wav out.wav --state trailing.txt", "trailing.txt:3: expected '<id> <value>'");
    expectRefused("render in.wav out.wav --state missing.txt", "cannot read state missing.txt");
    expectRefused("state load garbage.txt", "garbage.txt is not a parameter state");
}

TEST_F(HostRefusalTest, ATruncatedInputIsReportedAndRenderedOnlyWhenAllowed)
{
    // The header declares an hour; the file holds kInputFrames.
    std::string bytes = inputBytes;
    const size_t data = bytes.find("data");
    ASSERT_NE(data, std::string::npos);
    const unsigned declared = kRate * 3600u;
    const unsigned size = declared * 2u * 4u;  // stereo 32-bit float
    for (int i = 0; i < 4; ++i)
        bytes[data + 4 + static_cast<size_t>(i)] = static_cast<char>((size >> (8 * i)) & 0xff);
    testsupport::writeFile(dir + "/cut.wav", bytes);
    before = entries();
    const std::string says = "cut.wav is truncated: its header declares " + std::to_string(declared) +
                             " frames, the file holds " + std::to_string(kInputFrames);
    expectRefused("render cut.wav out.wav", says);

    EXPECT_EQ(run("render cut.wav out.wav --allow-truncated --no-tail"), 0);
    EXPECT_NE(log.find("warning: " + says), std::string::npos) << log;
    SF_INFO info{};
    SNDFILE* out = sf_open((dir + "/out.wav").c_str(), SFM_READ, &info);
    ASSERT_NE(out, nullptr);
    sf_close(out);
    EXPECT_EQ(info.frames, kInputFrames);
}

TEST_F(HostRefusalTest, AutomationThatCannotHappen)
{
    expectRefused("render in.wav out.wav --no-compensation --no-tail --at 2000 WetLevel=0.5",
                  "--at 2000 lies past the end of the render (2000 frames)");
    expectRefused("render in.wav out.wav --at 10 Loudness=0.5", "no parameter named Loudness");
    EXPECT_EQ(run("info --at 10 WetLevel=0.5"), 2);
    EXPECT_NE(log.find("--at changes parameters during a render only"), std::string::npos) << log;
}

TEST_F(HostRefusalTest, ASuccessfulRenderLeavesItsOutputAndNothingElse)
{
    testsupport::writeFile(dir + "/out.wav", "an earlier render");
    before = entries();
    EXPECT_EQ(run("render in.wav out.wav --ir unit.wav --no-tail"), 0) << log;
    EXPECT_EQ(entries(), before);
    EXPECT_NE(testsupport::readFile(dir + "/out.wav"), "an earlier render");
    EXPECT_EQ(run("state save state.txt --ir unit.wav"), 0) << log;
    std::vector<std::string> withState = before;
    withState.push_back("state.txt");
    std::sort(withState.begin(), withState.end());
    EXPECT_EQ(entries(), withState);
}

} // namespace
