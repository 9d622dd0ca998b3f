#include "host/HostSystem.h"

#include "host/DefaultPlugin.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

std::vector<std::string> commandLineArguments(int argc, char** argv)
{
    return std::vector<std::string>(argv + 1, argv + argc);
}

std::string defaultPluginPath()
{
    char self[PATH_MAX] = {};
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    std::string folder = n > 0 ? std::string(self, static_cast<std::size_t>(n)) : std::string(".");
    folder = folder.substr(0, folder.rfind('/'));
    return choosePluginPath(folder, "KestrelReverb.so", '/',
                            [](const std::string& path) { return access(path.c_str(), F_OK) == 0; });
}

void setEnvironmentVariable(const std::string& name, const std::string& value)
{
    setenv(name.c_str(), value.c_str(), 1);
}

bool stderrIsTerminal()
{
    return isatty(STDERR_FILENO) != 0;
}

std::FILE* openFile(const std::string& path, const char* mode)
{
    return std::fopen(path.c_str(), mode);
}
