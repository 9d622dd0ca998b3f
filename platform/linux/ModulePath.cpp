#include "platform/ModulePath.h"

#include "platform/FileOperations.h"

#include <climits>
#include <dlfcn.h>
#include <unistd.h>

namespace platform {

namespace {

// Any address inside this module will do; this function's own is the simplest.
void moduleAnchor() {}

std::string currentFolder()
{
    char buffer[PATH_MAX];
    return getcwd(buffer, sizeof buffer) ? std::string(buffer) : std::string();
}

std::string executablePath()
{
    char buffer[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string();
}

} // namespace

std::string modulePath()
{
    Dl_info info {};
    if (dladdr(reinterpret_cast<void*>(&moduleAnchor), &info) == 0 || !info.dli_fname || !*info.dli_fname)
        return executablePath();
    std::string name = info.dli_fname;
    if (name.find(kPathSeparator) == std::string::npos)
        return executablePath(); // the main program reports its bare invocation name
    if (name[0] != kPathSeparator) {
        // Hosts may load us by a relative name; the data folder must not move with the working folder.
        const std::string cwd = currentFolder();
        if (!cwd.empty())
            name = cwd + kPathSeparator + name;
    }
    return name;
}

bool keepModuleLoaded()
{
    Dl_info info {};
    if (dladdr(reinterpret_cast<void*>(&moduleAnchor), &info) == 0 || !info.dli_fname || !*info.dli_fname)
        return false;
    // Marks the module, already loaded under this name, as never to be
    // unloaded. The handle is kept for good on purpose.
    return dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE) != nullptr;
}

} // namespace platform
