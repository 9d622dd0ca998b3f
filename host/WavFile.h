#pragma once
// The host's own WAV reading (for systems without libsndfile) and writing.
// Reads PCM (8, 16, 24 and 32 bits) and IEEE float (32 and 64 bits) WAVE files,
// plain or extensible, into floats scaled as libsndfile scales them (integers
// divided by 2^(bits-1), 8-bit data centred on 128). Writes 32-bit float WAVE,
// on every system.
#include "host/OutputFile.h"

#include <cstdint>
#include <cstdio>
#include <string>

class WavReader {
public:
    WavReader() = default;
    ~WavReader();
    WavReader(const WavReader&) = delete;
    WavReader& operator=(const WavReader&) = delete;

    // Takes the file (closing it when done) and reads its header; false with the reason in error.
    bool open(std::FILE* file, std::string& error);
    int channels() const { return channels_; }
    int sampleRate() const { return sampleRate_; }
    long long frames() const { return frames_; }
    long long read(float* interleaved, long long frames);

private:
    std::FILE* file_ = nullptr;
    int channels_ = 0;
    int sampleRate_ = 0;
    long long frames_ = 0;
    long long position_ = 0;
    int bytesPerSample_ = 0;
    bool isFloat_ = false;
};

// A complete 32-bit float WAVE file of `frames` interleaved frames, written
// front to back: the header first, with the sizes it will hold, so that no
// part is written twice and a device or pipe takes the file as a disk does.
// False with the reason when a write fails or the file would be too large
// for RIFF's 32-bit sizes (then before anything is written).
bool writeFloatWav(OutputFile& out, int sampleRate, int channels, const float* interleaved, long long frames,
                   std::string& error);
