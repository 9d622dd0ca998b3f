#include "platform/ModuleLocation.h"

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
    const int n = std::snprintf(loc.dataFolder, sizeof loc.dataFolder, "%s%cdata", loc.moduleFolder,
                                platform::kPathSeparator);
    if (n < 0 || n >= static_cast<int>(sizeof loc.dataFolder))
        loc.dataFolder[0] = '\0';
    return loc;
}

} // namespace platform
