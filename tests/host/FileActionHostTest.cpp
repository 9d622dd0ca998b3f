// The file actions through the built plug-in and the command-line host, with
// the plug-in's dialogs answered from a script: the plug-in is installed into
// a folder of its own with its data folder beside it, as a user would have it.
#include "host/StateFile.h"
#include "params/PathParams.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int kPathFirst = 23;

class FileActionHostTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = testsupport::makeTempDir("hostactions");
        plugin = dir + "/vst/KestrelReverb.so";
        data = dir + "/vst/data";
        fs::create_directories(data);
        fs::copy_file(RVB_PLUGIN_PATH, plugin);
        fs::create_directories(dir + "/IRs");
        ir = dir + "/IRs/Big Hall.wav";
        fs::copy_file(std::string(RVB_SOURCE_DIR) + "/resources/demo/demo_ir.wav", ir);
    }
    void TearDown() override { fs::remove_all(dir); }

    // Runs the host; its standard error goes to `log`.
    int runHost(const std::string& args)
    {
        const std::string command = std::string(RVB_HOST_PATH) + " " + args + " --plugin '" + plugin + "' --quiet > '"
                                    + dir + "/out.txt' 2> '" + dir + "/log.txt'";
        const int status = std::system(command.c_str());
        log = testsupport::readFile(dir + "/log.txt");
        return status;
    }
    std::string script(const std::string& lines)
    {
        const std::string path = dir + "/script.txt";
        testsupport::writeFile(path, lines);
        return path;
    }
    std::string savedPath(const std::string& stateFile)
    {
        std::vector<float> values;
        std::string error;
        EXPECT_TRUE(statefile::load(stateFile, values, error)) << error;
        if (values.size() < static_cast<std::size_t>(kPathFirst + param::kPathParamValues))
            return "<no state>";
        char path[param::kPathTextCapacity];
        param::decodePathFromParams(values.data() + kPathFirst, path);
        return path;
    }

    std::string dir, plugin, data, ir, log;
};

} // namespace

TEST(BuiltPluginTest, DataFolderWithTheDemoIRLiesBesideThePlugin)
{
    const fs::path folder = fs::path(RVB_PLUGIN_PATH).parent_path() / "data";
    EXPECT_TRUE(fs::is_regular_file(folder / "demo_ir.wav")) << folder;
}

TEST_F(FileActionHostTest, SelectCopyToLocalAndWebSearchFromTheHost)
{
    const std::string state = dir + "/project.txt";
    ASSERT_EQ(runHost("state save '" + state + "' --dialog-script '" + script("file " + ir + "\nyes\n")
                      + "' --set IR_FileSelect=1 --set 1=1 --set WebSearch=1"),
              0)
        << log;
    // With no IR loaded yet the dialog opens in the data folder.
    EXPECT_NE(log.find("file dialog \"IR File Select\" in \"" + data + "\""), std::string::npos) << log;
    EXPECT_NE(log.find("-> " + ir), std::string::npos) << log;
    EXPECT_NE(log.find("question \"Copy to Local\": Do you want to copy?\\n  " + ir + "\\nto local folder\\n  "
                       + data + "/\\n -> yes"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("open url https://"), std::string::npos) << log;
    EXPECT_EQ(testsupport::readFile(data + "/Big Hall.wav"), testsupport::readFile(ir));
    // The project remembers the chosen file, not the copy.
    EXPECT_EQ(savedPath(state), ir);

    // Restoring the project loads it without complaint.
    ASSERT_EQ(runHost("state load '" + state + "' --dialog-script '" + script("") + "'"), 0) << log;
    EXPECT_EQ(log.find("message"), std::string::npos) << log;
}
