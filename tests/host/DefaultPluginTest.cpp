// The plug-in the host loads when none is named: a build folder, the Windows
// zip's layout, and a Debian install, in that order of preference.
#include "host/DefaultPlugin.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

std::string chooseAmong(const std::string& hostFolder, const std::set<std::string>& files, char separator = '/')
{
    return choosePluginPath(hostFolder, "KestrelReverb.so", separator,
                            [&](const std::string& path) { return files.count(path) > 0; });
}

} // namespace

TEST(DefaultPluginTest, BesideTheHostInAFolderOfItsOwnOrWhereThePackageInstallsIt)
{
    const std::string built = "/src/build/release/KestrelReverb.so";
    const std::string installed = "/usr/lib/vst/KestrelReverb/KestrelReverb.so";
    EXPECT_EQ(chooseAmong("/src/build/release", {built}), built);
    EXPECT_EQ(chooseAmong("/usr/bin", {installed}), installed);
    EXPECT_EQ(chooseAmong("/opt/kr", {"/opt/kr/KestrelReverb/KestrelReverb.so"}),
              "/opt/kr/KestrelReverb/KestrelReverb.so");
    // Beside the host wins over an installed copy, so a build runs its own plug-in.
    EXPECT_EQ(chooseAmong("/usr/bin", {"/usr/bin/KestrelReverb.so", installed}), "/usr/bin/KestrelReverb.so");
    // None there: the name beside the host, for the message that it cannot be loaded.
    EXPECT_EQ(chooseAmong("/usr/local/bin", {installed}), "/usr/local/bin/KestrelReverb.so");
    // Windows paths, with the DLL's name.
    const std::string zip = "C:\\Tools\\KestrelReverb\\KestrelReverb.dll";
    EXPECT_EQ(choosePluginPath("C:\\Tools", "KestrelReverb.dll", '\\',
                               [&](const std::string& path) { return path == zip; }),
              zip);
}
