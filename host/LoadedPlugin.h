#pragma once
// A plug-in loaded into the host, whatever its format (VST 2.4 or VST 3): what
// the render, the settings and the state need of it. Parameters are known by
// their position in the plug-in's list and take normalised values.
#include <memory>
#include <string>

class PluginEditor;

// A parameter change at a frame of one process call.
struct CallChange {
    int offset = 0;
    int index = 0;
    float value = 0.0f;
};

class LoadedPlugin {
public:
    virtual ~LoadedPlugin() = default;

    virtual int parameterCount() = 0;
    virtual std::string parameterName(int index) = 0;
    virtual float getParameter(int index) = 0;
    // Outside the process call, as a host's own controls and project restore do.
    virtual void setParameter(int index, float value) = 0;
    // The parameter a number on the command line names (VST 2.4: its index;
    // VST 3: its id), or -1.
    virtual int parameterOfNumber(long number) = 0;
    // The first parameter with this name (case-sensitive), or -1.
    int findParameter(const std::string& name);

    // Frames the output lags the input.
    virtual int latency() = 0;
    // Offline renders let the plug-in finish pending work inside a process call.
    virtual void setOffline(bool offline) = 0;
    // Prepares for processing at this rate and largest call.
    virtual void start(float sampleRate, int blockSize) = 0;
    // True when changes reach the plug-in inside a call at their frames; false
    // when the host must cut its calls at changes and make them in between.
    virtual bool takesChangesWithinCalls() const = 0;
    // One process call of stereo audio; the changes are in frame order (all at
    // frame 0 unless takesChangesWithinCalls()).
    virtual void process(float** in, float** out, int frames, const CallChange* changes, int changeCount) = 0;

    // The state as a project keeps it, in a file of the format's kind.
    virtual bool saveState(const std::string& path, std::string& error) = 0;
    // Reads the file without applying it: whether it is a state at all, and the
    // IR file it names (left as it was when it names none).
    virtual bool checkStateFile(const std::string& path, std::string& irPath, std::string& error) = 0;
    virtual bool restoreState(const std::string& path, std::string& error) = 0;
    // An IR as a project restore brings it, and whether a fresh instance loads it.
    virtual bool commitIR(const std::string& path, std::string& error) = 0;
    virtual bool checkIR(const std::string& path, float sampleRate, std::string& error) = 0;

    // Identity, buses, programs and parameters on standard output.
    virtual void printInfo() = 0;
    // The plug-in's editor, or null with a message when it has none.
    virtual std::unique_ptr<PluginEditor> makeEditor(std::string& error) = 0;
};
