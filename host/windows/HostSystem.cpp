#include "host/HostSystem.h"

#include "host/DefaultPlugin.h"
#include "host/windows/HostText.h"

#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <io.h>

std::vector<std::string> commandLineArguments(int argc, char** argv)
{
    // The narrow arguments are in the ANSI code page; the wide ones are exact.
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wide)
        return std::vector<std::string>(argv + 1, argv + argc);
    std::vector<std::string> args;
    for (int i = 1; i < count; ++i)
        args.push_back(toUtf8(wide[i]));
    LocalFree(wide);
    return args;
}

std::string defaultPluginPath()
{
    wchar_t self[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self, n);
    const std::size_t cut = path.find_last_of(L"\\/");
    path = cut == std::wstring::npos ? std::wstring(L".") : path.substr(0, cut);
    return choosePluginPath(toUtf8(path), "KestrelReverb.dll", '\\', [](const std::string& file) {
        return GetFileAttributesW(toWide(file).c_str()) != INVALID_FILE_ATTRIBUTES;
    });
}

void setEnvironmentVariable(const std::string& name, const std::string& value)
{
    // The C library keeps its own copy, which the plug-in's getenv reads.
    _wputenv_s(toWide(name).c_str(), toWide(value).c_str());
    SetEnvironmentVariableW(toWide(name).c_str(), toWide(value).c_str());
}

bool stderrIsTerminal()
{
    return _isatty(_fileno(stderr)) != 0;
}

std::FILE* openFile(const std::string& path, const char* mode)
{
    return _wfopen(toWide(path).c_str(), toWide(mode).c_str());
}
