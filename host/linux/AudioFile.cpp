#include "host/AudioFile.h"

#include "host/ReplacingFile.h"

#include <sndfile.h>

// libsndfile reads every format it knows; the host writes float WAV.
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

struct AudioFileWriter::Impl {
    SNDFILE* file = nullptr;
};

AudioFileWriter::AudioFileWriter() : impl_(std::make_unique<Impl>()) {}

AudioFileWriter::~AudioFileWriter()
{
    close();
}

bool AudioFileWriter::open(ReplacingFile& file, int sampleRate, int channels, std::string& error)
{
    close();
    SF_INFO info {};
    info.samplerate = sampleRate;
    info.channels = channels;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    impl_->file = sf_open_fd(file.descriptor(), SFM_WRITE, &info, SF_TRUE);
    file.descriptorClosed();  // from here on the library closes it
    if (!impl_->file) {
        error = sf_strerror(nullptr);
        return false;
    }
    return true;
}

bool AudioFileWriter::write(const float* interleaved, long long frames)
{
    return impl_->file && sf_writef_float(impl_->file, interleaved, static_cast<sf_count_t>(frames))
                              == static_cast<sf_count_t>(frames);
}

bool AudioFileWriter::close()
{
    if (!impl_->file)
        return true;
    const bool closed = sf_close(impl_->file) == 0;
    impl_->file = nullptr;
    return closed;
}
