#pragma once
// The command line of rvbhost, and what its settings do to the plug-in: the
// state file, the IR and the parameter values, brought in the order a project
// restore brings them.
#include "host/LoadedPlugin.h"
#include "host/PluginHost.h"

#include <string>
#include <utility>
#include <vector>

// A parameter change at an input frame of a render (--at FRAME NAME=VALUE).
struct TimedChange {
    long long frame = 0;
    std::string name;  // name or id
    float value = 0.0f;
};

struct HostSettings {
    std::string plugin;
    std::string pluginClass;  // VST 3: the class to make, by position among the effects or by name
    std::string irPath;
    std::string statePath;
    std::vector<std::pair<std::string, float>> sets;
    std::vector<TimedChange> changes;  // in command-line order
    float rate = 44100.0f;
    int block = 512;
    bool compensate = true;
    bool tail = true;
    bool quiet = false;
    bool allowTruncated = false;
    PluginHost::Options hostOptions;
    std::string dialogScript;  // answers for the plug-in's dialogs (RVB_DIALOG_SCRIPT)
    std::string screenshotPath;
    double seconds = 1.0;
    std::vector<std::string> positional;
};

bool parseHostSettings(const std::vector<std::string>& args, HostSettings& s, std::string& error);

// Id of a parameter given by name or number, or -1.
int parameterId(LoadedPlugin& plugin, const std::string& nameOrId);

// Reads the state file and tries the IR (the one given, else the one the state
// names) on a fresh instance, before anything is applied or written.
bool checkSettings(LoadedPlugin& plugin, const HostSettings& s, float sampleRate, std::string& error);

// State file, IR and --set options, in the order a project restore would bring them.
bool applySettings(LoadedPlugin& plugin, const HostSettings& s, std::string& error);
