#pragma once
// For the Windows host tests under Wine: the build's files by their Windows
// names (Z: is the Linux root there), and small WAV files.
#include "host/HostCommands.h"
#include "host/WavFile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace wintest {

// "/work/x/y" as Windows sees it under Wine: "Z:\work\x\y".
inline std::string zPath(const std::string& unixPath)
{
    std::string path = "Z:" + unixPath;
    for (char& c : path)
        c = c == '/' ? '\\' : c;
    return path;
}

// A fresh folder under /tmp, by its Z: name.
inline std::string makeZFolder(const std::string& tag)
{
    for (int i = 0;; ++i) {
        const std::string path = zPath("/tmp/rvb-" + tag + "-" + std::to_string(std::rand()) + std::to_string(i));
        if (std::filesystem::create_directory(path))
            return path;
    }
}

inline void writeWav(const std::string& path, const std::vector<float>& interleaved, int channels, int rate)
{
    OutputFile out;
    std::string error;
    ASSERT_TRUE(out.open(path, error)) << error;
    ASSERT_TRUE(writeFloatWav(out, rate, channels, interleaved.data(),
                              static_cast<long long>(interleaved.size()) / channels, error))
        << error;
    ASSERT_TRUE(out.commit(error)) << error;
}

inline std::vector<float> readWav(const std::string& path, int& channels)
{
    WavReader reader;
    std::string error;
    if (!reader.open(std::fopen(path.c_str(), "rb"), error)) {
        ADD_FAILURE() << path << ": " << error;
        return {};
    }
    channels = reader.channels();
    std::vector<float> samples(static_cast<std::size_t>(reader.frames()) * channels);
    samples.resize(static_cast<std::size_t>(reader.read(samples.data(), reader.frames())) * channels);
    return samples;
}

// A command line of the host against the plug-in under test, quiet and with
// no tail; what it wrote to stderr goes to `log`.
inline int runHostCapturing(std::vector<std::string> args, std::string& log)
{
    args.insert(args.end(), {"--plugin", zPath(RVB_PLUGIN_PATH), "--quiet", "--no-tail"});
    testing::internal::CaptureStderr();
    const int status = runHostCommand(args);
    log = testing::internal::GetCapturedStderr();
    return status;
}

} // namespace wintest
