#pragma once
// The user's own IR library, for a plug-in installed where the user cannot
// write (a system-wide install): every user copies IRs into a folder of their own.
#include <string>

namespace platform {

// Linux: $XDG_DATA_HOME/KestrelReverb/data, or ~/.local/share/KestrelReverb/data
// when XDG_DATA_HOME is unset or not absolute. Windows:
// %APPDATA%\KestrelReverb\data. "" when the system names no such place.
// The folder may not exist yet.
std::string perUserDataFolder();

} // namespace platform
