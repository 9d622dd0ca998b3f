// What the Windows build ships: a DLL that exports the two VST entry points
// and nothing else, a VST 3 bundle whose module exports the factory and the
// module calls, and that with the host need only DLLs every Windows has
// (the C and C++ runtimes are linked in).
#include "CrossBuildKit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

using namespace crossbuild;

namespace {

std::string lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

// The "DLL Name:" lines of the import tables objdump prints.
std::set<std::string> importedDlls(const std::string& file)
{
    std::string out;
    EXPECT_EQ(run("x86_64-w64-mingw32-objdump -p '" + file + "'", out), 0) << out;
    std::set<std::string> dlls;
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) {
        const std::size_t at = line.find("DLL Name: ");
        if (at != std::string::npos)
            dlls.insert(lower(line.substr(at + 10)));
    }
    return dlls;
}

// The names in the export table's name pointer table.
std::set<std::string> exportedNames(const std::string& file)
{
    std::string out;
    EXPECT_EQ(run("x86_64-w64-mingw32-objdump -p '" + file + "'", out), 0) << out;
    std::set<std::string> names;
    std::istringstream lines(out);
    bool inTable = false;
    for (std::string line; std::getline(lines, line);) {
        if (line.find("[Ordinal/Name Pointer] Table") != std::string::npos) {
            inTable = true;
            continue;
        }
        if (inTable) {
            const std::size_t close = line.find(']');
            if (line.empty() || close == std::string::npos)
                break;
            std::string name = line.substr(close + 1);
            name.erase(0, name.find_first_not_of(' '));
            names.insert(name);
        }
    }
    return names;
}

// System DLLs present on every Windows since 7.
const std::set<std::string> kSystemDlls = {"kernel32.dll", "user32.dll",   "gdi32.dll",    "gdiplus.dll",
                                           "ole32.dll",    "oleaut32.dll", "shell32.dll",  "shlwapi.dll",
                                           "comdlg32.dll", "msvcrt.dll",   "advapi32.dll", "ntdll.dll"};

} // namespace

TEST(WindowsArtefacts, DllExportsTheEntryPointsAndNeedsOnlySystemDlls)
{
    const std::string dll = windowsBuildFile("KestrelReverb.dll");
    EXPECT_EQ(exportedNames(dll), (std::set<std::string> {"VSTPluginMain", "main"}));
    const std::set<std::string> imports = importedDlls(dll);
    ASSERT_FALSE(imports.empty());
    for (const std::string& name : imports)
        EXPECT_TRUE(kSystemDlls.count(name)) << dll << " needs " << name;
    for (const char* runtime : {"libstdc++-6.dll", "libgcc_s_seh-1.dll", "libwinpthread-1.dll"})
        EXPECT_FALSE(imports.count(runtime)) << runtime;
}

TEST(WindowsArtefacts, Vst3BundleExportsTheModuleCallsAndHoldsItsIRLibrary)
{
    const std::string module = windowsBuildFile("KestrelReverb.vst3/Contents/x86_64-win/KestrelReverb.vst3");
    EXPECT_EQ(exportedNames(module), (std::set<std::string> {"GetPluginFactory", "InitDll", "ExitDll"}));
    const std::set<std::string> imports = importedDlls(module);
    ASSERT_FALSE(imports.empty());
    for (const std::string& name : imports)
        EXPECT_TRUE(kSystemDlls.count(name)) << module << " needs " << name;
    // The IR library every binary of the bundle shares.
    EXPECT_TRUE(std::ifstream(windowsBuildFile("KestrelReverb.vst3/Contents/Resources/data/demo_ir.wav")).good());
}

TEST(WindowsArtefacts, HostNeedsOnlySystemDlls)
{
    const std::string host = windowsBuildFile("rvbhost.exe");
    const std::set<std::string> imports = importedDlls(host);
    ASSERT_FALSE(imports.empty());
    for (const std::string& name : imports)
        EXPECT_TRUE(kSystemDlls.count(name)) << host << " needs " << name;
    // The IR library beside the DLL, as it is installed.
    EXPECT_TRUE(std::ifstream(windowsBuildFile("data/demo_ir.wav")).good());
}
