#pragma once
// What the host needs of the operating system outside the plug-in and the
// editor window: its arguments, its environment, its terminal.
#include <cstdio>
#include <string>
#include <vector>

// The command line's arguments after the program name, as UTF-8.
std::vector<std::string> commandLineArguments(int argc, char** argv);
// The plug-in loaded when none is named: built or installed with this host
// (host/DefaultPlugin.h).
std::string defaultPluginPath();
// Sets a variable of this process's environment, which the plug-in reads too.
void setEnvironmentVariable(const std::string& name, const std::string& value);
// True when standard error is a terminal (a progress bar makes sense there).
bool stderrIsTerminal();
// Opens a file named by a UTF-8 path, as std::fopen does.
std::FILE* openFile(const std::string& path, const char* mode);
