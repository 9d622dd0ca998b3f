#include "IRFileBuilder.h"

#include "ir/IRFileReaders.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <type_traits>

namespace irtest {

std::string le16(std::uint32_t v)
{
    return {static_cast<char>(v & 0xff), static_cast<char>((v >> 8) & 0xff)};
}

std::string le32(std::uint32_t v)
{
    return le16(v & 0xffff) + le16(v >> 16);
}

std::string be16(std::uint32_t v)
{
    return {static_cast<char>((v >> 8) & 0xff), static_cast<char>(v & 0xff)};
}

std::string be32(std::uint32_t v)
{
    return be16(v >> 16) + be16(v & 0xffff);
}

std::string pcm(const std::vector<std::int64_t>& values, int bytes, bool bigEndian)
{
    std::string out;
    for (std::int64_t value : values) {
        const std::uint64_t bits = static_cast<std::uint64_t>(value);
        for (int i = 0; i < bytes; ++i) {
            const int shift = bigEndian ? 8 * (bytes - 1 - i) : 8 * i;
            out.push_back(static_cast<char>((bits >> shift) & 0xff));
        }
    }
    return out;
}

std::string pcmU8(const std::vector<int>& values)
{
    std::string out;
    for (int v : values)
        out.push_back(static_cast<char>(v + 128));
    return out;
}

namespace {

template <typename Float>
std::string floats(const std::vector<Float>& values, bool bigEndian)
{
    std::string out;
    for (Float v : values) {
        std::conditional_t<sizeof(Float) == 4, std::uint32_t, std::uint64_t> bits;
        std::memcpy(&bits, &v, sizeof bits);
        out += pcm({static_cast<std::int64_t>(bits)}, sizeof bits, bigEndian);
    }
    return out;
}

} // namespace

std::string floats32LE(const std::vector<float>& values) { return floats(values, false); }
std::string floats64LE(const std::vector<double>& values) { return floats(values, false); }
std::string floats32BE(const std::vector<float>& values) { return floats(values, true); }
std::string floats64BE(const std::vector<double>& values) { return floats(values, true); }

std::string riffChunk(const std::string& id, const std::string& body, bool pad)
{
    std::string out = id + le32(static_cast<std::uint32_t>(body.size())) + body;
    if (pad && body.size() % 2 == 1)
        out.push_back('\0');
    return out;
}

std::string riffChunkSized(const std::string& id, std::uint32_t size, const std::string& body)
{
    return id + le32(size) + body;
}

std::string iffChunk(const std::string& id, const std::string& body, bool pad)
{
    std::string out = id + be32(static_cast<std::uint32_t>(body.size())) + body;
    if (pad && body.size() % 2 == 1)
        out.push_back('\0');
    return out;
}

std::string riffWave(const std::string& chunks)
{
    return "RIFF" + le32(static_cast<std::uint32_t>(4 + chunks.size())) + "WAVE" + chunks;
}

std::string rifxWave(const std::string& chunks)
{
    return "RIFX" + be32(static_cast<std::uint32_t>(4 + chunks.size())) + "WAVE" + chunks;
}

std::string fmtBody(int tag, int channels, std::uint32_t rate, int declaredBits, int bytesPerSample, bool bigEndian)
{
    const auto n16 = bigEndian ? be16 : le16;
    const auto n32 = bigEndian ? be32 : le32;
    const std::uint32_t block = static_cast<std::uint32_t>(channels * bytesPerSample);
    return n16(static_cast<std::uint32_t>(tag)) + n16(static_cast<std::uint32_t>(channels)) + n32(rate) +
           n32(rate * block) + n16(block) + n16(static_cast<std::uint32_t>(declaredBits));
}

std::string wavFile(int tag, int channels, std::uint32_t rate, int declaredBits, int bytesPerSample,
                    const std::string& samples)
{
    return riffWave(riffChunk("fmt ", fmtBody(tag, channels, rate, declaredBits, bytesPerSample)) +
                    riffChunk("data", samples));
}

std::string tagGuid(int tag)
{
    return le16(static_cast<std::uint32_t>(tag)) + std::string("\x00\x00\x00\x00\x10\x00\x80\x00\x00\xaa\x00\x38\x9b\x71", 14);
}

std::string bFormatGuid(int tag)
{
    return le32(static_cast<std::uint32_t>(tag)) + std::string("\x21\x07\xd3\x11\x86\x44\xc8\xc1\xca\x00\x00\x00", 12);
}

std::string extensibleFmtBody(int channels, std::uint32_t rate, int containerBits, int validBits,
                              const std::string& guid, const std::string& extra, bool bigEndian)
{
    const auto n16 = bigEndian ? be16 : le16;
    const auto n32 = bigEndian ? be32 : le32;
    const std::uint32_t mask = channels == 1 ? 0x4 : 0x3;
    std::string storedGuid = guid;
    if (bigEndian && guid.size() == 16) {
        // Data1, Data2 and Data3 in the file's byte order; Data4 is a byte string.
        std::reverse(storedGuid.begin(), storedGuid.begin() + 4);
        std::swap(storedGuid[4], storedGuid[5]);
        std::swap(storedGuid[6], storedGuid[7]);
    }
    return fmtBody(0xFFFE, channels, rate, containerBits, containerBits / 8, bigEndian) +
           n16(static_cast<std::uint32_t>(22 + extra.size())) + n16(static_cast<std::uint32_t>(validBits)) +
           n32(mask) + storedGuid + extra;
}

std::string extensibleWav(int channels, std::uint32_t rate, int containerBits, int validBits, const std::string& guid,
                          const std::string& samples)
{
    return riffWave(riffChunk("fmt ", extensibleFmtBody(channels, rate, containerBits, validBits, guid)) +
                    riffChunk("fact", le32(0)) + riffChunk("data", samples));
}

std::string extended(long double value)
{
    std::string out(10, '\0');
    if (value == 0.0L)
        return out;
    unsigned sign = 0;
    if (value < 0) {
        sign = 0x8000;
        value = -value;
    }
    int exponent = 0;
    const long double fraction = std::frexp(value, &exponent); // value = fraction * 2^exponent, fraction in [0.5, 1)
    const std::uint64_t significand = static_cast<std::uint64_t>(std::ldexp(fraction, 64));
    const unsigned biased = sign | static_cast<unsigned>(exponent - 1 + 16383);
    out[0] = static_cast<char>(biased >> 8);
    out[1] = static_cast<char>(biased & 0xff);
    for (int i = 0; i < 8; ++i)
        out[2 + i] = static_cast<char>((significand >> (56 - 8 * i)) & 0xff);
    return out;
}

std::string commBody(int channels, std::uint32_t frames, int sampleSize, const std::string& rate80)
{
    return be16(static_cast<std::uint32_t>(channels)) + be32(frames) + be16(static_cast<std::uint32_t>(sampleSize)) +
           rate80;
}

std::string formAiff(const std::string& chunks, const char* formType)
{
    return "FORM" + be32(static_cast<std::uint32_t>(4 + chunks.size())) + formType + chunks;
}

std::string ssndChunk(const std::string& samples, std::uint32_t offset)
{
    return iffChunk("SSND", be32(offset) + be32(0) + std::string(offset, '\x55') + samples);
}

std::string aiffFile(int channels, int sampleSize, std::uint32_t rate, const std::string& samples)
{
    const std::size_t frameBytes = static_cast<std::size_t>((sampleSize + 7) / 8 * channels);
    const auto frames = static_cast<std::uint32_t>(samples.size() / frameBytes);
    return formAiff(iffChunk("COMM", commBody(channels, frames, sampleSize, extended(rate))) + ssndChunk(samples));
}

std::string aifcFile(int channels, int sampleSize, std::uint32_t rate, const char* compression,
                     const std::string& samples, int bytesPerSample)
{
    const auto frames = static_cast<std::uint32_t>(samples.size() / static_cast<std::size_t>(bytesPerSample * channels));
    // The compression name is a Pascal string padded to an even length.
    const std::string name = std::string("\x0anot so big") + '\0';
    return formAiff(iffChunk("FVER", be32(0xA2805140)) +
                        iffChunk("COMM", commBody(channels, frames, sampleSize, extended(rate)) + compression + name) +
                        ssndChunk(samples),
                    "AIFC");
}

Decoded decodeImage(const std::string& bytes, std::uint32_t byteOrder)
{
    Decoded d;
    d.left.assign(ir::kIRCapacityFrames, 7.0f);
    d.right.assign(ir::kIRCapacityFrames, 7.0f);
    ir::IRErrorText error;
    d.frames = ir::readIRImage(bytes.data(), bytes.size(), byteOrder, d.info, d.left.data(), d.right.data(), error);
    d.error = error;
    return d;
}

Decoded decodeFile(const std::string& path)
{
    Decoded d;
    d.left.assign(ir::kIRCapacityFrames, 0.0f);
    d.right.assign(ir::kIRCapacityFrames, 0.0f);
    ir::IRErrorText error;
    ir::FileByteSource file;
    d.frames = ir::openIRFile(path.c_str(), d.info, file, error);
    if (d.frames == 0)
        d.frames = ir::convertSamples(file, d.info, d.left.data(), d.right.data());
    d.error = error;
    return d;
}

float peakOf(const Decoded& d)
{
    float peak = 0.0f;
    for (std::size_t i = 0; i < d.left.size(); ++i)
        peak = std::fmax(peak, std::fmax(std::fabs(d.left[i]), std::fabs(d.right[i])));
    return peak;
}

} // namespace irtest
