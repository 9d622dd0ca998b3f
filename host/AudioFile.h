#pragma once
// The host's input audio files, read as 32-bit float frames (the host writes
// its own WAV files: host/WavFile.h).
#include <memory>
#include <string>

class AudioFileReader {
public:
    AudioFileReader();
    ~AudioFileReader();
    AudioFileReader(const AudioFileReader&) = delete;
    AudioFileReader& operator=(const AudioFileReader&) = delete;

    // False with the reason in error when the file cannot be read.
    bool open(const std::string& path, std::string& error);
    int channels() const;
    int sampleRate() const;
    long long frames() const;
    // Up to `frames` interleaved frames; the count read (0 at the end or on failure).
    long long read(float* interleaved, long long frames);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};
