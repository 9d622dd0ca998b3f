// The Windows host's outputs on devices: a device is written in place, never
// replaced, and a device that fails (a full one) ends in a message naming it
// and the system's reason, exit status 1, nothing left beside it.
#include "WindowsHostKit.h"

#include "host/HostCommands.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>

using namespace wintest;

namespace {

class WindowsOutputFailure : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = makeZFolder("outfail");
        writeWav(dir + "\\in.wav", std::vector<float>(2 * 20000, 0.25f), 2, 44100);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::string dir;
};

} // namespace

TEST_F(WindowsOutputFailure, TheNullDeviceIsWrittenInPlace)
{
    std::string log;
    EXPECT_EQ(runHostCapturing({"render", dir + "\\in.wav", "NUL"}, log), 0) << log;
    EXPECT_EQ(runHostCapturing({"state", "save", "NUL"}, log), 0) << log;
    // Nothing was made beside it, wherever a relative NUL would have gone.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator()), 1);
}

TEST_F(WindowsOutputFailure, AFullDeviceFailsWithTheSystemsReason)
{
    // Wine shows the Linux root as Z:, and with it the device that is always full.
    const std::string full = "Z:\\dev\\full";
    HANDLE device = CreateFileW(L"Z:\\dev\\full", 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (device == INVALID_HANDLE_VALUE)
        GTEST_SKIP() << "no always-full device here";
    CloseHandle(device);
    std::string log;
    for (const std::vector<std::string>& args :
         {std::vector<std::string> {"render", dir + "\\in.wav", full}, std::vector<std::string> {"state", "save", full}}) {
        SCOPED_TRACE(args[0]);
        EXPECT_EQ(runHostCapturing(args, log), 1);
        const std::string expected = "rvbhost: cannot write " + full + ": ";
        ASSERT_NE(log.find(expected), std::string::npos) << log;
        EXPECT_GT(log.size(), log.find(expected) + expected.size() + 1) << "no reason given: " << log;
    }
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(L"Z:\\dev\\full.rvbhost-*", &found);
    EXPECT_EQ(search, INVALID_HANDLE_VALUE) << "a temporary file was left beside the device";
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
}
