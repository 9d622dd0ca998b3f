#pragma once
// Signals, IR files and the VST 2.4 plug-in as the reference the LV2 shell is
// held against: the same core behind two shells must sound the same.
#include <string>
#include <vector>

namespace lv2test {

struct Stereo {
    std::vector<float> left;
    std::vector<float> right;
};

// A decaying noise IR of `frames` stereo frames (fixed random state), written
// as a 24-bit WAV file.
void writeNoiseIR(const std::string& path, int frames, int rate, unsigned stream = 1);
// 24-bit, or 32-bit float samples when asked.
void writeStereoWav(const std::string& path, const Stereo& audio, int rate, bool floatSamples = false);
// Both channels of a stereo file; empty when it cannot be read as one.
Stereo readStereoWav(const std::string& path);

// An impulse of 0.5 at frame `at`, then silence, on both channels.
Stereo impulse(int frames, int at = 0);
// Deterministic noise on both channels (different per channel).
Stereo noise(int frames, unsigned stream = 7);

// A parameter by id as the VST host sets it, normalised.
struct Setting {
    int id;
    float normalised;
};

// A parameter set by the VST host during a render, right before the frame.
struct TimedSetting {
    long frame;
    int id;
    float normalised;
};

// What a VST host sends to choose an IR: the path values, then the commit.
std::vector<Setting> irFileSettings(const std::string& irPath);

// Renders through the built VST 2.4 plug-in, told that it renders offline,
// with the IR loaded as a project restore does (path parameters, then the
// commit), after the settings. Process calls end at the frames of `changes`.
// `plugin` is the module's path, the standard edition's when null.
Stereo renderWithVst(const std::string& irPath, const std::vector<Setting>& settings, int rate, int block,
                     const Stereo& input, const std::vector<TimedSetting>& changes = {},
                     const char* plugin = nullptr);

// Largest absolute difference of two signals of the same length (infinity otherwise).
float maxDifference(const Stereo& a, const Stereo& b);
double energy(const Stereo& audio);

} // namespace lv2test
