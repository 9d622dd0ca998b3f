// The built plug-in installed system-wide, as the Debian package lays it out
// (/usr/lib/vst/KestrelReverb/ with its data folder), in a folder this user
// cannot write: a read-only bind mount in a mount namespace of the host's own,
// which stops root as it stops anyone. The file dialog and "Copy to Local"
// turn to the user's own library ($XDG_DATA_HOME/KestrelReverb/data), made by
// the first copy; the IRs installed beside the module stay readable.
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/wait.h>

namespace {

namespace fs = std::filesystem;

class SystemInstallTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (std::system("unshare --mount true > /dev/null 2>&1") != 0)
            GTEST_SKIP() << "no mount namespace for this user";
        installed = dir.path() + "/usr/lib/vst";
        data = installed + "/KestrelReverb/data";
        share = dir.path() + "/home/share";
        fs::create_directories(data);
        fs::copy_file(RVB_PLUGIN_PATH, installed + "/KestrelReverb/KestrelReverb.so");
        demo = data + "/demo_ir.wav";
        fs::copy_file(std::string(RVB_SOURCE_DIR) + "/resources/demo/demo_ir.wav", demo);
    }

    // Runs the host on the installed plug-in with the install read-only.
    int runHost(const std::string& args, const std::string& script)
    {
        testsupport::writeFile(dir.path() + "/script.txt", script);
        const std::string host = "XDG_DATA_HOME='" + share + "' '" + RVB_HOST_PATH + "' " + args + " --plugin '"
                                 + installed + "/KestrelReverb/KestrelReverb.so' --dialog-script '" + dir.path()
                                 + "/script.txt' --quiet > /dev/null 2> '" + dir.path() + "/log.txt'";
        const std::string command = "unshare --mount sh -c \"mount --bind '" + installed + "' '" + installed
                                    + "' && mount -o remount,bind,ro '" + installed + "' && " + host + "\"";
        const int status = std::system(command.c_str());
        log = testsupport::readFile(dir.path() + "/log.txt");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    testsupport::TempDir dir{"sysinstall"};
    std::string installed, data, share, demo, log;
};

} // namespace

TEST_F(SystemInstallTest, CopyToLocalGoesToTheUsersOwnLibraryAndTheDialogFollows)
{
    const std::string own = share + "/KestrelReverb/data";
    // Nothing copied yet: the dialog shows the installed IRs, the question names the user's library
    // (parameter 1, which has no name, is the CopyToLocal button).
    ASSERT_EQ(runHost("state save '" + dir.path() + "/first.txt' --set IR_FileSelect=1 --set 1=1",
                      "file " + demo + "\nyes\n"),
              0)
        << log;
    EXPECT_NE(log.find("file dialog \"IR File Select\" in \"" + data + "\""), std::string::npos) << log;
    EXPECT_NE(log.find("to local folder\\n  " + own + "/\\n -> yes"), std::string::npos) << log;
    EXPECT_EQ(testsupport::readFile(own + "/demo_ir.wav"), testsupport::readFile(demo));
    // The installed folder is as it was.
    std::size_t files = 0;
    for (const auto& entry : fs::directory_iterator(data))
        files += entry.is_regular_file() ? 1 : 0;
    EXPECT_EQ(files, 1u);

    // The library exists now: the dialog starts there.
    ASSERT_EQ(runHost("state save '" + dir.path() + "/second.txt' --set IR_FileSelect=1", "cancel\n"), 0) << log;
    EXPECT_NE(log.find("file dialog \"IR File Select\" in \"" + own + "\""), std::string::npos) << log;
}
