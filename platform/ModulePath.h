#pragma once
// Where the plug-in's own file is: its data folder sits beside it.
#include <string>

namespace platform {

// Full file name of the module (plug-in or program) that holds this code.
std::string modulePath();
// Keeps this module, and the libraries it brought in, loaded until the process
// ends, whatever the host's unload calls. Libraries such as fontconfig and
// cairo keep process-wide caches that they never free; unloaded and loaded
// again with the plug-in they would leave a copy behind on every load. False
// when the module could not be marked (as in a program linked statically).
bool keepModuleLoaded();

} // namespace platform
