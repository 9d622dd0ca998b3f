#include "platform/LocalLibrary.h"

#include "platform/FileOperations.h"
#include "platform/UserDataFolder.h"

namespace platform {

LibraryFolderFacts LibraryFolderFacts::ofThisSystem()
{
    LibraryFolderFacts facts;
    facts.isFolder = [](const std::string& path) { return platform::isFolder(path); };
    facts.canCreateFilesIn = [](const std::string& path) { return platform::canCreateFilesIn(path); };
    facts.perUserDataFolder = platform::perUserDataFolder();
    return facts;
}

std::string chooseLocalLibrary(const std::string& moduleFolder, const std::string& besideModule,
                               const LibraryFolderFacts& facts)
{
    if (besideModule.empty())
        return besideModule;
    // Where the data folder is missing, the module's folder decides: a user
    // who may write there may make it.
    const std::string& decides = facts.isFolder(besideModule) ? besideModule : moduleFolder;
    if (facts.canCreateFilesIn(decides) || facts.perUserDataFolder.empty())
        return besideModule;
    return facts.perUserDataFolder;
}

} // namespace platform
