#include "host/HostSystem.h"

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

std::vector<std::string> commandLineArguments(int argc, char** argv)
{
    return std::vector<std::string>(argv + 1, argv + argc);
}

std::string defaultPluginPath()
{
    return RVB_DEFAULT_PLUGIN;
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
