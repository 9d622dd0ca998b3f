#include "platform/linux/ChildProcess.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace platform;

namespace {

bool waitForFile(const std::string& path)
{
    for (int i = 0; i < 500; ++i) {
        struct stat st {};
        if (stat(path.c_str(), &st) == 0 && st.st_size > 0)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

} // namespace

TEST(ChildProcess, CapturesOutputWithArgumentsPassedVerbatim)
{
    // Nothing here may be expanded: no shell sits between us and the program.
    const ChildResult r = runChild({"/bin/echo", "hello  world", "$(id)", "'quoted'", "*", "a;b"}, true);
    EXPECT_TRUE(r.started);
    EXPECT_TRUE(r.exited);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.output, "hello  world $(id) 'quoted' * a;b\n");
}

TEST(ChildProcess, LargeOutputIsReadCompletely)
{
    // More than a pipe holds, so the child blocks unless we read while it runs.
    const ChildResult r = runChild({"/usr/bin/head", "-c", "300000", "/dev/zero"}, true);
    ASSERT_TRUE(r.exited);
    EXPECT_EQ(r.output.size(), 300000u);
}

TEST(ChildProcess, ReportsExitCodesAndMissingPrograms)
{
    const ChildResult failing = runChild({"/bin/sh", "-c", "exit 7"}, false);
    EXPECT_TRUE(failing.started);
    EXPECT_TRUE(failing.exited);
    EXPECT_EQ(failing.exitCode, 7);
    EXPECT_TRUE(failing.output.empty());

    const ChildResult missing = runChild({"/no/such/program"}, true);
    EXPECT_FALSE(missing.started);
    EXPECT_FALSE(runChild({}, true).started);
}

TEST(ChildProcess, StandardInputIsEmpty)
{
    const ChildResult r = runChild({"/bin/cat"}, true);
    EXPECT_TRUE(r.exited);
    EXPECT_EQ(r.output, "");
}

TEST(ChildProcess, FindsProgramsAlongPath)
{
    const char* saved = std::getenv("PATH");
    const std::string savedPath = saved ? saved : "";
    const std::string dir = testsupport::makeTempDir("path");
    testsupport::writeFile(dir + "/tool", "#!/bin/sh\n");
    testsupport::writeFile(dir + "/plain", "not executable");
    chmod((dir + "/tool").c_str(), 0755);
    chmod((dir + "/plain").c_str(), 0644);

    setenv("PATH", ("/nonexistent:" + dir + ":/bin").c_str(), 1);
    EXPECT_EQ(findExecutable("tool"), dir + "/tool");
    EXPECT_EQ(findExecutable("no-such-tool-here"), "");
    EXPECT_EQ(findExecutable("/bin/sh"), "/bin/sh");
    EXPECT_EQ(findExecutable(dir), ""); // a folder is not a program
    setenv("PATH", savedPath.c_str(), 1);
    std::filesystem::remove_all(dir);
}

TEST(ChildProcess, DetachedProgramRunsAndLeavesNoChildBehind)
{
    const std::string dir = testsupport::makeTempDir("detached");
    ASSERT_TRUE(startDetached({"/bin/sh", "-c", "echo started > \"$0\"", dir + "/marker"}));
    // The intermediate process has been reaped and the program belongs to init.
    int status = 0;
    EXPECT_EQ(waitpid(-1, &status, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
    EXPECT_TRUE(waitForFile(dir + "/marker"));
    EXPECT_EQ(testsupport::readFile(dir + "/marker"), "started\n");
    EXPECT_FALSE(startDetached({"/no/such/program"}));
    std::filesystem::remove_all(dir);
}
