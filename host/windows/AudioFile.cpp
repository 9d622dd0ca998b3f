#include "host/AudioFile.h"

#include "host/ReplacingFile.h"
#include "host/WavFile.h"
#include "host/windows/HostText.h"

#include <cstdio>

// Windows has no libsndfile here: WAV files through the host's own reader and writer.
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

struct AudioFileWriter::Impl {
    WavWriter wav;
};

AudioFileWriter::AudioFileWriter() : impl_(std::make_unique<Impl>()) {}

AudioFileWriter::~AudioFileWriter()
{
    close();
}

bool AudioFileWriter::open(ReplacingFile& file, int sampleRate, int channels, std::string& error)
{
    impl_ = std::make_unique<Impl>();
    std::FILE* stream = _fdopen(file.descriptor(), "wb");
    if (!stream) {
        error = "cannot open the file";
        return false;
    }
    file.descriptorClosed();  // the stream closes it
    if (!impl_->wav.open(stream, sampleRate, channels)) {
        error = "cannot write the header";
        return false;
    }
    return true;
}

bool AudioFileWriter::write(const float* interleaved, long long frames)
{
    return impl_->wav.write(interleaved, frames);
}

bool AudioFileWriter::close()
{
    return impl_->wav.close();
}
