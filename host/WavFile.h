#pragma once
// The host's own WAV reading and writing, for systems without libsndfile.
// Reads PCM (8, 16, 24 and 32 bits) and IEEE float (32 and 64 bits) WAVE files,
// plain or extensible, into floats scaled as libsndfile scales them (integers
// divided by 2^(bits-1), 8-bit data centred on 128). Writes 32-bit float WAVE.
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

class WavWriter {
public:
    WavWriter() = default;
    ~WavWriter();
    WavWriter(const WavWriter&) = delete;
    WavWriter& operator=(const WavWriter&) = delete;

    // Takes the file and writes a header that close() completes.
    bool open(std::FILE* file, int sampleRate, int channels);
    bool write(const float* interleaved, long long frames);
    bool close();

private:
    std::FILE* file_ = nullptr;
    int channels_ = 0;
    std::uint64_t dataBytes_ = 0;
    bool failed_ = false;
};
