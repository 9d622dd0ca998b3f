#pragma once
// For tests that hold the Windows build (build/windows, made by
// `./build.sh windows`) against this one: running its programs under Wine,
// naming files the way Windows sees them there, reading audio and pictures.
#include <cstdint>
#include <string>
#include <vector>

namespace crossbuild {

// The Windows build's file, failing the test with a hint when it was not built.
std::string windowsBuildFile(const std::string& name);
// "/a/b" as Wine's Windows programs see it: "Z:\a\b".
std::string zPath(const std::string& unixPath);
// Runs a command line through the shell; its exit status, its output in `output`.
int run(const std::string& command, std::string& output);
// Runs a Windows program of the build under Wine (tools/wine-run.sh).
int runUnderWine(const std::string& program, const std::string& arguments, std::string& output);

// Interleaved float samples of an audio file (libsndfile), empty when unreadable.
std::vector<float> readAudio(const std::string& path, int& channels);

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> rgb;  // 0xRRGGBB, row after row
    std::uint32_t at(int x, int y) const { return rgb[static_cast<std::size_t>(y) * width + x]; }
};
// A PNG file's pixels; width 0 when it does not load.
Picture readPng(const std::string& path);

} // namespace crossbuild
