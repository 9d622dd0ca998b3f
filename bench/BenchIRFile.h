#pragma once
// A full-length stereo IR file for the benchmarks: 131072 frames of decaying
// noise at 44100 Hz, written as 32-bit float WAVE.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

namespace benchir {

inline void put(std::string& s, std::uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        s.push_back(static_cast<char>((v >> (8 * i)) & 0xff));
}

// Writes the file and returns its path; `state` picks the noise.
inline std::string writeIR(const std::string& path, unsigned state)
{
    constexpr int kFrames = 131072;
    constexpr int kRate = 44100;
    std::string data;
    data.reserve(kFrames * 8);
    for (int i = 0; i < kFrames; ++i) {
        for (int c = 0; c < 2; ++c) {
            state = state * 1664525u + 1013904223u;
            const float v = static_cast<float>((static_cast<double>(state >> 8) / 8388608.0 - 1.0) *
                                               std::exp(-i / 20000.0));
            std::uint32_t bits;
            std::memcpy(&bits, &v, sizeof bits);
            put(data, bits, 4);
        }
    }
    std::string wav = "RIFF";
    put(wav, static_cast<std::uint32_t>(36 + data.size()), 4);
    wav += "WAVEfmt ";
    put(wav, 16, 4);
    put(wav, 3, 2);
    put(wav, 2, 2);
    put(wav, kRate, 4);
    put(wav, kRate * 8, 4);
    put(wav, 8, 2);
    put(wav, 32, 2);
    wav += "data";
    put(wav, static_cast<std::uint32_t>(data.size()), 4);
    wav += data;
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(wav.data(), 1, wav.size(), f);
        std::fclose(f);
    }
    return path;
}

} // namespace benchir

namespace benchir {

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

} // namespace benchir
