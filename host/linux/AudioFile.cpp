#include "host/AudioFile.h"


#include <sndfile.h>

// libsndfile reads every format it knows.
struct AudioFileReader::Impl {
    SNDFILE* file = nullptr;
    SF_INFO info {};
    ~Impl()
    {
        if (file)
            sf_close(file);
    }
};

AudioFileReader::AudioFileReader() : impl_(std::make_unique<Impl>()) {}
AudioFileReader::~AudioFileReader() = default;

bool AudioFileReader::open(const std::string& path, std::string& error)
{
    impl_ = std::make_unique<Impl>();
    impl_->file = sf_open(path.c_str(), SFM_READ, &impl_->info);
    if (!impl_->file) {
        error = sf_strerror(nullptr);
        return false;
    }
    return true;
}

int AudioFileReader::channels() const
{
    return impl_->info.channels;
}

int AudioFileReader::sampleRate() const
{
    return impl_->info.samplerate;
}

long long AudioFileReader::frames() const
{
    return impl_->info.frames;
}

long long AudioFileReader::read(float* interleaved, long long frames)
{
    if (!impl_->file || frames <= 0)
        return 0;
    const sf_count_t got = sf_readf_float(impl_->file, interleaved, static_cast<sf_count_t>(frames));
    return got > 0 ? got : 0;
}
