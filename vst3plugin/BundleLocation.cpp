#include "vst3plugin/BundleLocation.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace vst3plugin {

platform::ModuleLocation bundleLocation(const char* modulePath)
{
    platform::ModuleLocation location = platform::ModuleLocation::fromModulePath(modulePath);
    if (location.moduleFolder[0] == '\0')
        return location;
    // moduleFolder is ".../Contents/<architecture>": its parent must be
    // "Contents". Both separators count (Windows takes either).
    const std::string folder = location.moduleFolder;
    const std::size_t architecture = folder.find_last_of("/\\");
    if (architecture == std::string::npos || architecture == 0)
        return location;
    const std::string contents = folder.substr(0, architecture);
    const std::size_t name = contents.find_last_of("/\\");
    const std::string last = name == std::string::npos ? contents : contents.substr(name + 1);
    if (last != "Contents")
        return location;
    char data[sizeof location.dataFolder];
    const int n = std::snprintf(data, sizeof data, "%s%cResources%cdata", contents.c_str(), platform::kPathSeparator,
                                platform::kPathSeparator);
    if (n < 0 || n >= static_cast<int>(sizeof data))
        location.dataFolder[0] = '\0';  // too long to use, as fromModulePath leaves it
    else
        std::memcpy(location.dataFolder, data, static_cast<std::size_t>(n) + 1);
    return location;
}

} // namespace vst3plugin
