// Which folder is the local IR library: the choice with the folders' answers
// given (a read-only install, a writable one, a missing data folder), and the
// same choice against this system's real folders.
#include "platform/FileOperations.h"
#include "platform/LocalLibrary.h"
#include "platform/ModuleLocation.h"
#include "platform/UserDataFolder.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

using testsupport::nativePath;

// Folders that exist and folders this user may write into, as sets of paths.
struct FolderWorld {
    std::set<std::string> folders;
    std::set<std::string> writable;
    std::string perUser = nativePath("/home/ann/.local/share/KestrelReverb/data");

    platform::LibraryFolderFacts facts() const
    {
        platform::LibraryFolderFacts f;
        f.isFolder = [this](const std::string& path) { return folders.count(path) > 0; };
        f.canCreateFilesIn = [this](const std::string& path) { return writable.count(path) > 0; };
        f.perUserDataFolder = perUser;
        return f;
    }
};

const std::string kModule = nativePath("/usr/lib/vst/KestrelReverb/KestrelReverb.so");
const std::string kFolder = nativePath("/usr/lib/vst/KestrelReverb");
const std::string kBeside = nativePath("/usr/lib/vst/KestrelReverb/data");

} // namespace

TEST(LocalLibraryTest, TheDataFolderBesideAWritableModuleStaysTheLibrary)
{
    FolderWorld world;
    world.folders = {kFolder, kBeside};
    world.writable = {kFolder, kBeside};
    EXPECT_EQ(platform::chooseLocalLibrary(kFolder, kBeside, world.facts()), kBeside);

    // A missing data folder beside a writable module: the copy goes there as it always did.
    world.folders = {kFolder};
    world.writable = {kFolder};
    EXPECT_EQ(platform::chooseLocalLibrary(kFolder, kBeside, world.facts()), kBeside);

    // Only the data folder itself counts when it exists: the module's folder may be closed.
    world.folders = {kFolder, kBeside};
    world.writable = {kBeside};
    EXPECT_EQ(platform::chooseLocalLibrary(kFolder, kBeside, world.facts()), kBeside);
}

TEST(LocalLibraryTest, AReadOnlyInstallUsesTheUsersOwnFolder)
{
    FolderWorld world;
    world.folders = {kFolder, kBeside};
    world.writable = {kFolder}; // a writable folder does not make its read-only data folder writable
    EXPECT_EQ(platform::chooseLocalLibrary(kFolder, kBeside, world.facts()), world.perUser);

    world.folders = {kFolder}; // no data folder, and none may be made
    world.writable = {};
    EXPECT_EQ(platform::chooseLocalLibrary(kFolder, kBeside, world.facts()), world.perUser);

    // Without a per-user folder (no home at all) the one beside stays: a copy fails there as before.
    world.perUser.clear();
    EXPECT_EQ(platform::chooseLocalLibrary(kFolder, kBeside, world.facts()), kBeside);
    // A module path too long for the buffers has no data folder, and gets none.
    world.perUser = "/home/ann/data";
    EXPECT_EQ(platform::chooseLocalLibrary("", "", world.facts()), "");
}

TEST(LocalLibraryTest, ModuleLocationKeepsTheInstalledFolderBesideThePerUserLibrary)
{
    FolderWorld world;
    world.folders = {kFolder, kBeside};
    platform::ModuleLocation loc = platform::ModuleLocation::fromModulePath(kModule.c_str(), world.facts());
    EXPECT_EQ(std::string(loc.dataFolder), world.perUser);
    EXPECT_EQ(std::string(loc.bundledDataFolder), kBeside);
    EXPECT_EQ(std::string(loc.moduleFolder), kFolder);
    EXPECT_TRUE(loc.libraryIsPerUser());

    world.writable = {kBeside};
    loc = platform::ModuleLocation::fromModulePath(kModule.c_str(), world.facts());
    EXPECT_EQ(std::string(loc.dataFolder), kBeside);
    EXPECT_FALSE(loc.libraryIsPerUser());

    // A per-user folder that does not fit the path buffers is no library.
    world.writable.clear();
    world.perUser = nativePath("/home/") + std::string(300, 'u');
    loc = platform::ModuleLocation::fromModulePath(kModule.c_str(), world.facts());
    EXPECT_EQ(std::string(loc.dataFolder), kBeside);
    EXPECT_FALSE(loc.libraryIsPerUser());

    // The plain split knows nothing of the system: beside, even for a folder that does not exist.
    loc = platform::ModuleLocation::fromModulePath(kModule.c_str());
    EXPECT_EQ(std::string(loc.dataFolder), kBeside);
    EXPECT_EQ(std::string(loc.bundledDataFolder), kBeside);
}

TEST(LocalLibraryTest, ThisSystemsFoldersAnswerTheChoice)
{
    testsupport::TempDir dir("library");
    const std::string module = testsupport::joinPath(dir.path(), "KestrelReverb.so");
    const std::string data = testsupport::joinPath(dir.path(), "data");
    ASSERT_TRUE(platform::makeFolders(data));
    EXPECT_TRUE(platform::isFolder(data));
    EXPECT_TRUE(platform::canCreateFilesIn(data));
    EXPECT_FALSE(platform::canCreateFilesIn(testsupport::joinPath(dir.path(), "missing")));
    EXPECT_FALSE(platform::isFolder(testsupport::joinPath(dir.path(), "missing")));

    // A module installed where this user writes: nothing changes.
    const platform::ModuleLocation loc = platform::ModuleLocation::ofLoadedModule(module.c_str());
    EXPECT_EQ(std::string(loc.dataFolder), data);
    EXPECT_FALSE(loc.libraryIsPerUser());

    // The per-user folder is absolute and ends in the product's own folder.
    const std::string perUser = platform::perUserDataFolder();
    const std::string ending = nativePath("/KestrelReverb/data");
    ASSERT_GT(perUser.size(), ending.size());
    EXPECT_EQ(perUser.substr(perUser.size() - ending.size()), ending);

    // Folders are made down from the first that is missing, and a file is no folder.
    const std::string deep = testsupport::joinPath(dir.path(), nativePath("a/b/c"));
    EXPECT_TRUE(platform::makeFolders(deep));
    EXPECT_TRUE(platform::isFolder(deep));
    EXPECT_TRUE(platform::makeFolders(deep)); // already there
    const std::string file = testsupport::joinPath(dir.path(), "file");
    testsupport::writeFile(file, "x");
    EXPECT_FALSE(platform::isFolder(file));
    EXPECT_FALSE(platform::canCreateFilesIn(file));
    EXPECT_FALSE(platform::makeFolders(testsupport::joinPath(file, "below")));
}
