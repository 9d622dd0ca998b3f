#pragma once
// Offline rendering of an audio file through the plug-in, as a DAW's bounce does.
#include <string>

class PluginHost;

struct RenderOptions {
    std::string inputPath;
    std::string outputPath;
    int blockSize = 512;
    bool compensateLatency = true; // drop the reported latency from the start, as a DAW does
    bool renderTail = true;        // keep processing silence until the reverb has died away
    bool showProgress = false;     // a progress bar on the terminal
};

struct RenderResult {
    long long inputFrames = 0;
    long long outputFrames = 0;
    double seconds = 0.0;    // wall-clock time of the processing
    float peak = 0.0f;       // largest absolute output sample
    double rms = 0.0;        // root mean square over both channels
    bool finite = true;      // no NaN or infinity in the output
};

// The plug-in must already run at the input's sample rate (PluginHost::start).
bool renderFile(PluginHost& host, const RenderOptions& options, RenderResult& result, std::string& error);

// Sample rate and frame count of an audio file, for starting the plug-in before rendering.
bool probeAudioFile(const std::string& path, int& sampleRate, long long& frames, std::string& error);
