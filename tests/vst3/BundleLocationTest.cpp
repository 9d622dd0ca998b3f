// Where the VST 3 module looks for its IR library: the bundle's shared
// Contents/Resources/data, or beside a module that is not in a bundle.
#include "vst3plugin/BundleLocation.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const char kSep = platform::kPathSeparator;

std::string native(std::string path)
{
    for (char& c : path)
        if (c == '/')
            c = kSep;
    return path;
}

} // namespace

TEST(BundleLocation, InsideABundleTheLibraryIsTheBundlesResources)
{
    const platform::ModuleLocation linux =
        vst3plugin::bundleLocation(native("/opt/vst3/KestrelReverb.vst3/Contents/x86_64-linux/KestrelReverb.so").c_str());
    EXPECT_EQ(std::string(linux.dataFolder), native("/opt/vst3/KestrelReverb.vst3/Contents/Resources/data"));
    EXPECT_EQ(std::string(linux.moduleFolder), native("/opt/vst3/KestrelReverb.vst3/Contents/x86_64-linux"));

#if defined(_WIN32)
    const platform::ModuleLocation windows =
        vst3plugin::bundleLocation("C:\\VST3\\KestrelReverb.vst3\\Contents\\x86_64-win\\KestrelReverb.vst3");
    EXPECT_STREQ(windows.dataFolder, "C:\\VST3\\KestrelReverb.vst3\\Contents\\Resources\\data");
#endif
}

TEST(BundleLocation, AModuleOutsideABundleKeepsItsOwnDataFolder)
{
    for (const char* module : {"/opt/vst3/KestrelReverb.so", "/opt/Contentsless/x86_64-linux/KestrelReverb.so",
                               "/KestrelReverb.so", "KestrelReverb.so"}) {
        const std::string path = native(module);
        const platform::ModuleLocation expected = platform::ModuleLocation::fromModulePath(path.c_str());
        EXPECT_EQ(std::string(vst3plugin::bundleLocation(path.c_str()).dataFolder), expected.dataFolder) << module;
    }
}
