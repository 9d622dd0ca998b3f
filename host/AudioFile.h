#pragma once
// The host's audio files: read as 32-bit float frames, written as 32-bit float WAV.
#include <memory>
#include <string>

class ReplacingFile;

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

class AudioFileWriter {
public:
    AudioFileWriter();
    ~AudioFileWriter();
    AudioFileWriter(const AudioFileWriter&) = delete;
    AudioFileWriter& operator=(const AudioFileWriter&) = delete;

    // Writes a 32-bit float WAV file into the file being replaced, taking over
    // its descriptor; false with the reason in error.
    bool open(ReplacingFile& file, int sampleRate, int channels, std::string& error);
    // Appends interleaved frames; false when not all of them could be written.
    bool write(const float* interleaved, long long frames);
    // Completes the file; false when it could not be finished.
    bool close();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};
