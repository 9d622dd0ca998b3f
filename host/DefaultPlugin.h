#pragma once
// The plug-in the host loads when no --plugin names one.
#include <functional>
#include <string>

// The first of these that `exists`, else the first: `file` beside the host
// (a build folder), in a folder of its own beside it (the Windows zip), or
// where the Debian package puts it for a host in <prefix>/bin
// (<prefix>/lib/vst/<name>/<file>, <name> being `file` without its ending).
// `hostFolder` has no trailing separator.
std::string choosePluginPath(const std::string& hostFolder, const std::string& file, char separator,
                             const std::function<bool(const std::string&)>& exists);
