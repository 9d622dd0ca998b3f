#include "platform/ModuleLocation.h"

#include "platform/LocalLibrary.h"

#include <cstdio>
#include <cstring>

namespace platform {

ModuleLocation ModuleLocation::fromModulePath(const char* path)
{
    ModuleLocation loc;
    if (!path || std::strlen(path) >= sizeof loc.modulePath)
        return loc; // refused: a longer name would not fit any of the path buffers
    std::strcpy(loc.modulePath, path);
    std::strcpy(loc.moduleFolder, path);
    if (char* cut = std::strrchr(loc.moduleFolder, platform::kPathSeparator))
        *cut = '\0';
    const int n = std::snprintf(loc.bundledDataFolder, sizeof loc.bundledDataFolder, "%s%cdata", loc.moduleFolder,
                                platform::kPathSeparator);
    if (n < 0 || n >= static_cast<int>(sizeof loc.bundledDataFolder))
        loc.bundledDataFolder[0] = '\0';
    std::strcpy(loc.dataFolder, loc.bundledDataFolder);
    return loc;
}

ModuleLocation ModuleLocation::fromModulePath(const char* path, const LibraryFolderFacts& facts)
{
    ModuleLocation loc = fromModulePath(path);
    const std::string library = chooseLocalLibrary(loc.moduleFolder, loc.bundledDataFolder, facts);
    // A per-user folder too long for the buffers is no library: the one beside stays.
    if (library.size() < sizeof loc.dataFolder)
        std::strcpy(loc.dataFolder, library.c_str());
    return loc;
}

ModuleLocation ModuleLocation::ofLoadedModule(const char* path)
{
    return fromModulePath(path, LibraryFolderFacts::ofThisSystem());
}

bool ModuleLocation::libraryIsPerUser() const
{
    return std::strcmp(dataFolder, bundledDataFolder) != 0;
}

} // namespace platform
