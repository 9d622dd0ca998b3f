#pragma once
// Small WAV and AIFF images built byte by byte, so tests control every header
// field, chunk order and size, including wrong ones.
#include "ir/IRFileInfo.h"

#include <cstdint>
#include <string>
#include <vector>

namespace irtest {

std::string le16(std::uint32_t v);
std::string le32(std::uint32_t v);
std::string be16(std::uint32_t v);
std::string be32(std::uint32_t v);

// Integer samples in two's complement, `bytes` wide (1 to 4).
std::string pcm(const std::vector<std::int64_t>& values, int bytes, bool bigEndian);
// Unsigned 8-bit WAV samples: the value plus 128.
std::string pcmU8(const std::vector<int>& values);
std::string floats32LE(const std::vector<float>& values);
std::string floats64LE(const std::vector<double>& values);
std::string floats32BE(const std::vector<float>& values);
std::string floats64BE(const std::vector<double>& values);

// A chunk with a little-endian (RIFF) or big-endian (IFF) size, padded to an
// even length when pad is set. sizeOverride replaces the size field.
std::string riffChunk(const std::string& id, const std::string& body, bool pad = true);
std::string riffChunkSized(const std::string& id, std::uint32_t size, const std::string& body);
std::string iffChunk(const std::string& id, const std::string& body, bool pad = true);

std::string riffWave(const std::string& chunks);
// Big-endian RIFX: its chunks are iffChunk()s, its numbers big-endian.
std::string rifxWave(const std::string& chunks);
// The 16-byte format body; nAvgBytesPerSec = rate * channels * bytesPerSample.
std::string fmtBody(int tag, int channels, std::uint32_t rate, int declaredBits, int bytesPerSample,
                    bool bigEndian = false);
std::string wavFile(int tag, int channels, std::uint32_t rate, int declaredBits, int bytesPerSample,
                    const std::string& samples);

// WAVE_FORMAT_EXTENSIBLE: the GUID that wraps a format tag (1 PCM, 3 float),
// the ambisonic B-format GUID of a tag, both as a little-endian file stores
// them, and the 40-byte format body (plus `extra` bytes, counted in cbSize).
// A big-endian body stores the GUID's first three fields big-endian.
std::string tagGuid(int tag);
std::string bFormatGuid(int tag);
std::string extensibleFmtBody(int channels, std::uint32_t rate, int containerBits, int validBits,
                              const std::string& guid, const std::string& extra = "", bool bigEndian = false);
std::string extensibleWav(int channels, std::uint32_t rate, int containerBits, int validBits, const std::string& guid,
                          const std::string& samples);

// The 80-bit extended encoding of any double (for odd rates and bad values).
std::string extended(long double value);
std::string commBody(int channels, std::uint32_t frames, int sampleSize, const std::string& rate80);
std::string formAiff(const std::string& chunks, const char* formType = "AIFF");
std::string ssndChunk(const std::string& samples, std::uint32_t offset = 0);
// Plain AIFF: FORM, COMM, SSND; frames follow from the sample bytes.
std::string aiffFile(int channels, int sampleSize, std::uint32_t rate, const std::string& samples);
// AIFF-C: FORM/AIFC, FVER, COMM with the compression type, SSND.
std::string aifcFile(int channels, int sampleSize, std::uint32_t rate, const char* compression,
                     const std::string& samples, int bytesPerSample);

struct Decoded {
    int frames = -1; // or the failure: -1, or ir::kIRRefused
    ir::IRFileInfo info;
    std::vector<float> left;
    std::vector<float> right;
    std::string error;
};

// Header and samples of an image in memory.
Decoded decodeImage(const std::string& bytes, std::uint32_t byteOrder);
// The same through the file path, as a load does it.
Decoded decodeFile(const std::string& path);

float peakOf(const Decoded& d);

} // namespace irtest
