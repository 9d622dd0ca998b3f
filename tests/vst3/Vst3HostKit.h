#pragma once
// For the tests of rvbhost's VST 3 path and of the plug-in's VST 3 bundle:
// the test module's bundle and the reverb's, rvbhost's commands run in this
// process (as its main runs them), and small WAV files.
#include "host/HostCommands.h"
#include "host/OutputFile.h"
#include "host/WavFile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdint>
#include <string>
#include <vector>
#include <utility>

namespace vst3test {

// A path of the build as this system's programs name it (Z: is the Linux root under Wine).
inline std::string systemPath(const std::string& unixPath)
{
#if defined(_WIN32)
    std::string path = "Z:" + unixPath;
    for (char& c : path)
        c = c == '/' ? '\\' : c;
    return path;
#else
    return unixPath;
#endif
}

inline std::string fixtureBundle()
{
    return systemPath(RVB_VST3_FIXTURE_BUNDLE);
}

// The reverb's VST 3 bundle, and its VST 2.4 module as the reference.
inline std::string reverbBundle()
{
    return systemPath(RVB_VST3_BUNDLE);
}

inline std::string vst2Module()
{
    return systemPath(RVB_PLUGIN_PATH);
}

inline std::string vst2LiveModule()
{
    return systemPath(RVB_LIVE_PLUGIN_PATH);
}

struct HostRun {
    int status = -1;
    std::string out;
    std::string err;
};

// rvbhost with these arguments and this plug-in.
inline HostRun runHostOn(const std::string& plugin, std::vector<std::string> args)
{
    args.insert(args.end(), {"--plugin", plugin});
    HostRun run;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    run.status = runHostCommand(args);
    run.out = testing::internal::GetCapturedStdout();
    run.err = testing::internal::GetCapturedStderr();
    return run;
}

// rvbhost with these arguments and the test module as its plug-in.
inline HostRun runHost(std::vector<std::string> args)
{
    return runHostOn(fixtureBundle(), std::move(args));
}

inline void writeWav(const std::string& path, const std::vector<float>& interleaved, int channels, int rate)
{
    OutputFile file;
    std::string error;
    ASSERT_TRUE(file.open(path, error)) << error;
    ASSERT_TRUE(writeFloatWav(file, rate, channels, interleaved.data(),
                              static_cast<long long>(interleaved.size()) / channels, error))
        << error;
    ASSERT_TRUE(file.commit(error)) << error;
}

// Interleaved stereo frames, empty when the file cannot be read.
inline std::vector<float> readStereoWav(const std::string& path)
{
    WavReader reader;
    std::string error;
    if (!reader.open(std::fopen(path.c_str(), "rb"), error) || reader.channels() != 2) {
        ADD_FAILURE() << path << ": " << error;
        return {};
    }
    std::vector<float> samples(static_cast<size_t>(reader.frames()) * 2);
    samples.resize(static_cast<size_t>(reader.read(samples.data(), reader.frames())) * 2);
    return samples;
}

// Stereo noise with different channels, from a fixed starting value.
inline std::vector<float> stereoNoise(int frames, std::uint32_t state = 12345u)
{
    std::vector<float> samples(2 * static_cast<size_t>(frames));
    for (float& s : samples) {
        state = state * 1664525u + 1013904223u;
        s = static_cast<float>(static_cast<int>(state >> 8) - (1 << 23)) / static_cast<float>(1 << 24);
    }
    return samples;
}

} // namespace vst3test
