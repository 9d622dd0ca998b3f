#include "host/DeclaredFrames.h"

#include "host/FileOffset.h"
#include "host/HostSystem.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

constexpr int kMaxChunks = 256;

std::uint32_t littleEndian32(const unsigned char* p)
{
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

std::uint32_t bigEndian32(const unsigned char* p)
{
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | std::uint32_t(p[3]);
}

class File {
public:
    explicit File(const std::string& path) : f_(openFile(path, "rb")) {}
    ~File()
    {
        if (f_)
            std::fclose(f_);
    }
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    bool read(void* into, size_t n) { return f_ && std::fread(into, 1, n, f_) == n; }
    bool skip(long long n) { return f_ && host::fileSeek(f_, n, SEEK_CUR); }

private:
    std::FILE* f_;
};

// Chunks start on even offsets: a chunk of odd size is followed by a pad byte.
long long paddedSize(std::uint32_t size) { return static_cast<long long>(size) + (size & 1u); }

long long waveFrames(File& file)
{
    int blockAlign = 0;
    unsigned char header[8];
    for (int i = 0; i < kMaxChunks && file.read(header, 8); ++i) {
        const std::uint32_t size = littleEndian32(header + 4);
        if (std::memcmp(header, "fmt ", 4) == 0 && size >= 16) {
            unsigned char format[16];
            if (!file.read(format, 16))
                return -1;
            blockAlign = format[12] | format[13] << 8;
            if (!file.skip(paddedSize(size) - 16))
                return -1;
        } else if (std::memcmp(header, "data", 4) == 0) {
            if (blockAlign <= 0 || size == 0 || size == 0xFFFFFFFFu)
                return -1;
            return static_cast<long long>(size) / blockAlign;
        } else if (!file.skip(paddedSize(size))) {
            return -1;
        }
    }
    return -1;
}

long long aiffFrames(File& file)
{
    unsigned char header[8];
    for (int i = 0; i < kMaxChunks && file.read(header, 8); ++i) {
        const std::uint32_t size = bigEndian32(header + 4);
        if (std::memcmp(header, "COMM", 4) == 0 && size >= 6) {
            unsigned char comm[6];
            if (!file.read(comm, 6))
                return -1;
            return bigEndian32(comm + 2);
        }
        if (!file.skip(paddedSize(size)))
            return -1;
    }
    return -1;
}

} // namespace

long long declaredFrames(const std::string& path)
{
    File file(path);
    unsigned char riff[12];
    if (!file.read(riff, sizeof riff))
        return -1;
    if (std::memcmp(riff, "RIFF", 4) == 0 && std::memcmp(riff + 8, "WAVE", 4) == 0)
        return waveFrames(file);
    if (std::memcmp(riff, "FORM", 4) == 0 && (std::memcmp(riff + 8, "AIFF", 4) == 0 || std::memcmp(riff + 8, "AIFC", 4) == 0))
        return aiffFrames(file);
    return -1;
}
