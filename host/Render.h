#pragma once
// Offline rendering of an audio file through the plug-in, as a DAW's bounce does.
#include <string>
#include <vector>

class LoadedPlugin;

// A parameter set to a normalised value just before an input frame is processed.
struct ParameterChange {
    long long frame = 0;
    int id = 0;
    float value = 0.0f;
};

struct RenderOptions {
    std::string inputPath;
    std::string outputPath;
    int blockSize = 512;
    bool compensateLatency = true; // drop the reported latency from the start, as a DAW does
    bool renderTail = true;        // keep processing silence until the reverb has died away
    bool showProgress = false;     // a progress bar on the terminal
    long long inputFrames = 0;     // frames to take from the input (all it holds)
    // In the order they are made: within a process call at their frames when the
    // plug-in takes them so (VST 3), else the calls split at their frames (VST 2.4).
    std::vector<ParameterChange> changes;
};

struct RenderResult {
    long long inputFrames = 0;
    long long outputFrames = 0;
    double seconds = 0.0;    // wall-clock time of the processing
    float peak = 0.0f;       // largest absolute output sample
    double rms = 0.0;        // root mean square over both channels
    bool finite = true;      // no NaN or infinity in the output
};

// Frames a render of this many input frames processes (latency and tail included).
long long renderedFrames(LoadedPlugin& plugin, const RenderOptions& options, int sampleRate);

// The plug-in must already run at the input's sample rate (LoadedPlugin::start).
// The output file appears only when it is complete; on failure nothing is left.
bool renderFile(LoadedPlugin& plugin, const RenderOptions& options, RenderResult& result, std::string& error);
