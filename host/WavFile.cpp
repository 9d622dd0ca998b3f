#include "host/WavFile.h"

#include "host/FileOffset.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr std::uint16_t kFormatPcm = 1;
constexpr std::uint16_t kFormatFloat = 3;
constexpr std::uint16_t kFormatExtensible = 0xFFFE;
constexpr long kFmtChunkBytes = 18;   // with an empty extension size, as float WAVE wants
constexpr long kHeaderBytes = 12 + 8 + kFmtChunkBytes + 12 + 8;  // RIFF, fmt, fact, data headers

std::uint32_t le32(const unsigned char* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8)
           | (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

std::uint16_t le16(const unsigned char* p)
{
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

void put32(unsigned char* p, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<unsigned char>(v >> (8 * i));
}

void put16(unsigned char* p, std::uint16_t v)
{
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
}

bool readExactly(std::FILE* file, void* to, std::size_t n)
{
    return std::fread(to, 1, n, file) == n;
}

bool skip(std::FILE* file, std::uint64_t n)
{
    return host::fileSeek(file, static_cast<long long>(n), SEEK_CUR);
}

float sampleAt(const unsigned char* p, int bytes, bool isFloat)
{
    if (isFloat) {
        if (bytes == 4) {
            float f;
            const std::uint32_t bits = le32(p);
            std::memcpy(&f, &bits, 4);
            return f;
        }
        const std::uint64_t bits = le32(p) | (static_cast<std::uint64_t>(le32(p + 4)) << 32);
        double d;
        std::memcpy(&d, &bits, 8);
        return static_cast<float>(d);
    }
    switch (bytes) {
    case 1: return static_cast<float>(static_cast<int>(p[0]) - 128) * (1.0f / 128.0f);
    case 2: return static_cast<float>(static_cast<std::int16_t>(le16(p))) * (1.0f / 32768.0f);
    case 3: {
        const std::int32_t v = static_cast<std::int32_t>((static_cast<std::uint32_t>(p[0]) << 8)
                                                         | (static_cast<std::uint32_t>(p[1]) << 16)
                                                         | (static_cast<std::uint32_t>(p[2]) << 24));
        return static_cast<float>(v) * (1.0f / 2147483648.0f);
    }
    default: return static_cast<float>(static_cast<std::int32_t>(le32(p))) * (1.0f / 2147483648.0f);
    }
}

} // namespace

WavReader::~WavReader()
{
    if (file_)
        std::fclose(file_);
}

bool WavReader::open(std::FILE* file, std::string& error)
{
    file_ = file;
    unsigned char riff[12];
    if (!file_ || !readExactly(file_, riff, 12) || std::memcmp(riff, "RIFF", 4) != 0
        || std::memcmp(riff + 8, "WAVE", 4) != 0) {
        error = "not a RIFF WAVE file";
        return false;
    }
    bool haveFormat = false;
    for (;;) {
        unsigned char header[8];
        if (!readExactly(file_, header, 8)) {
            error = "no data chunk";
            return false;
        }
        const std::uint32_t size = le32(header + 4);
        if (std::memcmp(header, "fmt ", 4) == 0) {
            if (size < 16 || size > 1024) {
                error = "malformed fmt chunk";
                return false;
            }
            std::vector<unsigned char> fmt(size + (size & 1u));
            if (!readExactly(file_, fmt.data(), fmt.size())) {
                error = "truncated fmt chunk";
                return false;
            }
            std::uint16_t format = le16(&fmt[0]);
            if (format == kFormatExtensible && size >= 26)
                format = le16(&fmt[24]);  // the sub-format GUID starts with the format code
            channels_ = le16(&fmt[2]);
            sampleRate_ = static_cast<int>(le32(&fmt[4]));
            const int bits = le16(&fmt[14]);
            bytesPerSample_ = (bits + 7) / 8;
            isFloat_ = format == kFormatFloat;
            const bool supported = (format == kFormatPcm && bytesPerSample_ >= 1 && bytesPerSample_ <= 4)
                                   || (isFloat_ && (bits == 32 || bits == 64));
            if (!supported || channels_ < 1 || sampleRate_ < 1) {
                error = "unsupported sample format";
                return false;
            }
            haveFormat = true;
        } else if (std::memcmp(header, "data", 4) == 0) {
            if (!haveFormat) {
                error = "data before the fmt chunk";
                return false;
            }
            const long long frameBytes = static_cast<long long>(bytesPerSample_) * channels_;
            frames_ = static_cast<long long>(size) / frameBytes;
            // A truncated file holds fewer frames than its header declares: those are its frames.
            const long long start = host::fileTell(file_);
            if (start >= 0 && host::fileSeek(file_, 0, SEEK_END)) {
                const long long end = host::fileTell(file_);
                if (end >= start)
                    frames_ = std::min(frames_, (end - start) / frameBytes);
                if (!host::fileSeek(file_, start, SEEK_SET)) {
                    error = "cannot seek in the file";
                    return false;
                }
            }
            position_ = 0;
            return true;
        } else if (!skip(file_, size + (size & 1u))) {
            error = "truncated chunk";
            return false;
        }
    }
}

long long WavReader::read(float* interleaved, long long frames)
{
    if (!file_ || frames <= 0)
        return 0;
    if (frames > frames_ - position_)
        frames = frames_ - position_;
    const std::size_t frameBytes = static_cast<std::size_t>(bytesPerSample_) * channels_;
    std::vector<unsigned char> raw(static_cast<std::size_t>(frames) * frameBytes);
    const std::size_t got = std::fread(raw.data(), 1, raw.size(), file_) / frameBytes;
    for (std::size_t i = 0; i < got * channels_; ++i)
        interleaved[i] = sampleAt(&raw[i * bytesPerSample_], bytesPerSample_, isFloat_);
    position_ += static_cast<long long>(got);
    return static_cast<long long>(got);
}

bool writeFloatWav(OutputFile& out, int sampleRate, int channels, const float* interleaved, long long frames,
                   std::string& error)
{
    if (channels < 1 || sampleRate < 1 || frames < 0) {
        error = "cannot write " + out.target() + ": no WAV file has " + std::to_string(channels) + " channels at " +
                std::to_string(sampleRate) + " Hz";
        return false;
    }
    const std::uint64_t frameBytes = 4u * static_cast<std::uint64_t>(channels);
    const std::uint64_t dataBytes = static_cast<std::uint64_t>(frames) * frameBytes;
    if (dataBytes > 0xFFFFFFFFu - kHeaderBytes) {
        error = "cannot write " + out.target() + ": a WAV file holds at most " + std::to_string((0xFFFFFFFFu - kHeaderBytes) / frameBytes) +
                " frames of " + std::to_string(channels) + " channels, not " + std::to_string(frames);
        return false;
    }
    unsigned char header[kHeaderBytes] = {};
    std::memcpy(header, "RIFF", 4);
    put32(header + 4, static_cast<std::uint32_t>(dataBytes + kHeaderBytes - 8));
    std::memcpy(header + 8, "WAVEfmt ", 8);
    put32(header + 16, kFmtChunkBytes);
    put16(header + 20, kFormatFloat);
    put16(header + 22, static_cast<std::uint16_t>(channels));
    put32(header + 24, static_cast<std::uint32_t>(sampleRate));
    put32(header + 28, static_cast<std::uint32_t>(sampleRate) * static_cast<std::uint32_t>(frameBytes));
    put16(header + 32, static_cast<std::uint16_t>(frameBytes));
    put16(header + 34, 32);
    // header + 36: the empty extension size
    std::memcpy(header + 38, "fact", 4);
    put32(header + 42, 4);
    put32(header + 46, static_cast<std::uint32_t>(frames));
    std::memcpy(header + 50, "data", 4);
    put32(header + 54, static_cast<std::uint32_t>(dataBytes));
    if (!out.write(header, sizeof header, error))
        return false;

    // The samples little-endian, a piece at a time.
    const std::size_t total = static_cast<std::size_t>(frames) * static_cast<std::size_t>(channels);
    constexpr std::size_t kPiece = 1 << 16;
    std::vector<unsigned char> bytes(4 * std::min(total, kPiece));
    for (std::size_t start = 0; start < total; start += kPiece) {
        const std::size_t count = std::min(kPiece, total - start);
        for (std::size_t i = 0; i < count; ++i) {
            std::uint32_t bits;
            std::memcpy(&bits, &interleaved[start + i], 4);
            put32(&bytes[i * 4], bits);
        }
        if (!out.write(bytes.data(), count * 4, error))
            return false;
    }
    return true;
}
