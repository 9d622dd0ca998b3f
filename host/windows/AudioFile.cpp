#include "host/AudioFile.h"

#include "host/WavFile.h"
#include "host/windows/HostText.h"

#include <cstdio>

// Windows has no libsndfile here: WAV files through the host's own reader.
struct AudioFileReader::Impl {
    WavReader wav;
};

AudioFileReader::AudioFileReader() : impl_(std::make_unique<Impl>()) {}
AudioFileReader::~AudioFileReader() = default;

bool AudioFileReader::open(const std::string& path, std::string& error)
{
    impl_ = std::make_unique<Impl>();
    std::FILE* file = _wfopen(toWide(path).c_str(), L"rb");
    if (!file) {
        error = "cannot open the file";
        return false;
    }
    return impl_->wav.open(file, error);
}

int AudioFileReader::channels() const
{
    return impl_->wav.channels();
}

int AudioFileReader::sampleRate() const
{
    return impl_->wav.sampleRate();
}

long long AudioFileReader::frames() const
{
    return impl_->wav.frames();
}

long long AudioFileReader::read(float* interleaved, long long frames)
{
    return impl_->wav.read(interleaved, frames);
}
