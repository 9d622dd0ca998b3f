#pragma once
// Full-length stereo IRs for the benchmarks: 131072 frames of decaying noise,
// and the 32-bit float WAVE files they are written as.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace benchir {

inline void put(std::string& s, std::uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        s.push_back(static_cast<char>((v >> (8 * i)) & 0xff));
}

// A stereo 32-bit float WAVE file of the given channels at `rate`; false if it
// could not be written.
inline bool writeStereoWav(const std::string& path, const float* left, const float* right, int frames, int rate)
{
    std::string data;
    data.reserve(static_cast<std::size_t>(frames) * 8);
    for (int i = 0; i < frames; ++i)
        for (const float v : {left[i], right[i]}) {
            std::uint32_t bits;
            std::memcpy(&bits, &v, sizeof bits);
            put(data, bits, 4);
        }
    std::string wav = "RIFF";
    put(wav, static_cast<std::uint32_t>(36 + data.size()), 4);
    wav += "WAVEfmt ";
    put(wav, 16, 4);
    put(wav, 3, 2);
    put(wav, 2, 2);
    put(wav, static_cast<std::uint32_t>(rate), 4);
    put(wav, static_cast<std::uint32_t>(rate) * 8, 4);
    put(wav, 8, 2);
    put(wav, 32, 2);
    wav += "data";
    put(wav, static_cast<std::uint32_t>(data.size()), 4);
    wav += data;
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr)
        return false;
    const bool written = std::fwrite(wav.data(), 1, wav.size(), f) == wav.size();
    return std::fclose(f) == 0 && written;
}

constexpr int kIRFrames = 131072;

// kIRFrames frames of decaying stereo noise; `state` picks the noise.
inline void decayingNoise(unsigned state, std::vector<float>& left, std::vector<float>& right)
{
    left.resize(kIRFrames);
    right.resize(kIRFrames);
    for (int i = 0; i < kIRFrames; ++i) {
        for (std::vector<float>* channel : {&left, &right}) {
            state = state * 1664525u + 1013904223u;
            (*channel)[static_cast<std::size_t>(i)] = static_cast<float>(
                (static_cast<double>(state >> 8) / 8388608.0 - 1.0) * std::exp(-i / 20000.0));
        }
    }
}

// Writes that noise at 44100 Hz and returns the file's path.
inline std::string writeIR(const std::string& path, unsigned state)
{
    std::vector<float> left, right;
    decayingNoise(state, left, right);
    writeStereoWav(path, left.data(), right.data(), kIRFrames, 44100);
    return path;
}

} // namespace benchir
