#pragma once
// Whether the plug-in really loads an IR file. VST 2.4 gives a plug-in no way
// to tell its host that a file did not load (ours shows a message and keeps the
// IR it had), so the host tries the file on a fresh instance of its own first:
// an instance that never had an IR answers an impulse with silence unless the
// file loaded.
#include <string>

class PluginHost;

// What a host restoring a project does: the path parameters, then the commit.
// False when the path is too long for the path parameters.
bool commitIRPath(PluginHost& host, const std::string& path, std::string& error);

// The file exists as a file (both halves of a name.L / name.R pair) and a fresh
// instance of the plug-in at `plugin` loads it at `sampleRate`.
bool checkIRLoads(const std::string& plugin, const std::string& path, float sampleRate, std::string& error);
