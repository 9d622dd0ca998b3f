#pragma once
// The module (DLL or program) that holds the plug-in's code.
#include <windows.h>

namespace platform {

// Found from an address inside it, so it needs no DllMain.
HMODULE thisModule();

} // namespace platform
