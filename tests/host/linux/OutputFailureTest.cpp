// rvbhost against outputs that fail: a device that is always full, a small
// file system filled up. Each output (render, state, picture) ends in a
// message naming the file and the system's reason and exit status 1; no
// temporary file is left and the target is as it was.
#include "support/ReliabilityKit.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int kRate = 44100;

class OutputFailureTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = testsupport::makeTempDir("outfail");
        reliability::Noise noise(5u);
        // Rendered through a one-sample IR: a file of 160 kB.
        std::vector<float> input(2 * 20000);
        noise.fill(input.data(), static_cast<int>(input.size()), 0.1f);
        ASSERT_TRUE(reliability::writeWav(dir + "/in.wav", input, 2, kRate));
        ASSERT_TRUE(reliability::writeWav(dir + "/unit.wav", {1.0f, 1.0f}, 2, kRate));
    }
    void TearDown() override
    {
        if (mounted)
            umount2(small.c_str(), MNT_DETACH);
        fs::remove_all(dir);
    }

    // Runs the host in the test folder, behind `prefix` (a command that
    // runs it under limits); returns its exit status, keeps its messages.
    int run(const std::string& args, const std::string& prefix = "")
    {
        const std::string logPath = dir + "/host.log";
        const std::string command = "cd '" + dir + "' && RVB_DIALOG_SCRIPT=/dev/null " + prefix + " '" +
                                    RVB_HOST_PATH + "' " + args + " --plugin '" + RVB_PLUGIN_PATH +
                                    "' --quiet > /dev/null 2> '" + logPath + "'";
        const int status = std::system(command.c_str());
        log = testsupport::readFile(logPath);
        fs::remove(logPath);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    void expectFailed(const std::string& args, const std::string& message, const std::string& prefix = "")
    {
        SCOPED_TRACE(args);
        EXPECT_EQ(run(args, prefix), 1);
        EXPECT_NE(log.find("rvbhost: " + message), std::string::npos) << log;
    }

    // A 64 KiB tmpfs of our own where the system lets us mount one (root);
    // false otherwise.
    bool mountSmallFileSystem()
    {
        small = dir + "/small";
        fs::create_directory(small);
        mounted = mount("tmpfs", small.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, "size=64k") == 0;
        return mounted;
    }

    static std::vector<std::string> entries(const std::string& folder)
    {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(folder))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    static bool isCharacterDevice(const char* path)
    {
        struct stat st {};
        return stat(path, &st) == 0 && S_ISCHR(st.st_mode);
    }

    std::string dir, small, log;
    bool mounted = false;
};

TEST_F(OutputFailureTest, AnAlwaysFullDeviceFailsRendersAndStatesAndStaysADevice)
{
    ASSERT_TRUE(isCharacterDevice("/dev/full"));
    const std::vector<std::string> devBefore = entries("/dev");
    expectFailed("render in.wav /dev/full --ir unit.wav", "cannot write /dev/full: No space left on device");
    expectFailed("state save /dev/full", "cannot write /dev/full: No space left on device");
    EXPECT_TRUE(isCharacterDevice("/dev/full"));
    EXPECT_EQ(entries("/dev"), devBefore) << "a temporary file was left beside the device";
    EXPECT_EQ(entries(dir), (std::vector<std::string> {"in.wav", "unit.wav"}));

    // A device that takes everything is written in place, not replaced.
    EXPECT_EQ(run("render in.wav /dev/null --ir unit.wav --no-tail"), 0) << log;
    EXPECT_TRUE(isCharacterDevice("/dev/null"));
    EXPECT_EQ(entries("/dev"), devBefore);
}

TEST_F(OutputFailureTest, AnEditorPictureOnAnAlwaysFullDeviceFails)
{
    if (std::getenv("DISPLAY") == nullptr)
        GTEST_SKIP() << "no X display";
    const std::vector<std::string> devBefore = entries("/dev");
    expectFailed("editor --screenshot /dev/full --seconds 0.2", "cannot write /dev/full: No space left on device");
    EXPECT_TRUE(isCharacterDevice("/dev/full"));
    EXPECT_EQ(entries("/dev"), devBefore);
}

TEST_F(OutputFailureTest, AFullFileSystemFailsTheWriteAndKeepsTheEarlierFiles)
{
    // Where no file system can be mounted, a file-size limit makes the same
    // write fail, with the system's "File too large".
    std::string folder, prefix, reason;
    if (mountSmallFileSystem()) {
        std::printf("[          ] on a 64 KiB tmpfs\n");
        folder = small;
        reason = "No space left on device";
    } else {
        std::printf("[          ] no tmpfs (%s): under a 64 KiB file-size limit instead\n", std::strerror(errno));
        folder = dir + "/limited";
        fs::create_directory(folder);
        prefix = "prlimit --fsize=65536 --";
        reason = "File too large";
    }
    testsupport::writeFile(folder + "/out.wav", "an earlier render");
    testsupport::writeFile(folder + "/state.txt", "an earlier state");

    expectFailed("render in.wav '" + folder + "/out.wav' --ir unit.wav", "cannot write " + folder + "/out.wav: " + reason,
                 prefix);
    EXPECT_TRUE(testsupport::readFile(folder + "/out.wav") == "an earlier render");
    EXPECT_EQ(entries(folder), (std::vector<std::string> {"out.wav", "state.txt"}));

    // A state of a few kilobytes on a file system already full.
    if (mounted) {
        std::FILE* filler = std::fopen((folder + "/filler").c_str(), "wb");
        ASSERT_NE(filler, nullptr);
        const std::string block(4096, 'f');
        while (std::fwrite(block.data(), 1, block.size(), filler) == block.size()) {
        }
        std::fclose(filler);
    } else {
        prefix = "prlimit --fsize=100 --";
    }
    const std::vector<std::string> before = entries(folder);
    expectFailed("state save '" + folder + "/state.txt'", "cannot write " + folder + "/state.txt: " + reason, prefix);
    EXPECT_TRUE(testsupport::readFile(folder + "/state.txt") == "an earlier state");
    EXPECT_EQ(entries(folder), before);
}

} // namespace
