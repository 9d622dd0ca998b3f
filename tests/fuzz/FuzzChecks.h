#pragma once
// Invariants every reader run must keep, checked after each fuzz input. A
// violation prints what broke and traps, which libFuzzer records as a crash
// together with the input that caused it.
#include "ir/IRFileInfo.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace fuzz {

[[noreturn]] void fail(const char* what);

inline void require(bool ok, const char* what)
{
    if (!ok)
        fail(what);
}

// A zero terminator inside the buffer.
void checkErrorText(const char* text, std::size_t capacity);

// How the sample bytes of a file are laid out, as far as the converter goes.
struct SampleLayout {
    int usedBits = 0;  // the container: bytes per sample times 8
    int validBits = 0; // bits from the top that carry the signal (integers)
    int channels = 0;
    bool bigEndian = false;
    bool unsignedBytes = false; // offset binary: 128 is silence
    bool ieeeFloat = false;     // 32 or 64-bit float
};

// The layout a successful header read promises for its encoding.
SampleLayout layoutOf(const ir::IRFileInfo& info);

// The file image with everything from `start` on repeated until the image
// holds at least `minimumTail` bytes after `start`; the size fields are the
// caller's to patch. Lets a small input reach the capacity cut.
std::vector<unsigned char> stretched(const unsigned char* data, std::size_t size, std::size_t start,
                                     std::size_t minimumTail);

// Frames the converters must report for `available` sample bytes and a
// declared data size: whole frames up to the capacity.
int expectedFrames(const SampleLayout& layout, std::uint64_t available, std::uint32_t dataSize);

// The arrays after a successful conversion of `frames` frames from `samples`:
// finite, zero past the frames, mono copied to both sides, and equal to an
// independent decode of the bytes scaled by one common factor that brings the
// peak to exactly 1 (or all zero for an all-zero IR).
void checkConverted(const SampleLayout& layout, const unsigned char* samples, int frames, const float* left,
                    const float* right);

// What a successful header read promises about the record.
void checkInfo(const ir::IRFileInfo& info);

// One file image through the reader for `byteOrder`, into arrays kept for the
// process. Checks the error text, and that a failure is -1 or a refusal with a
// message and a success a sound record. Returns the frame count or the failure.
struct ImageRead {
    int frames = -1;
    const float* left = nullptr;
    const float* right = nullptr;
};
ImageRead readImage(const std::uint8_t* data, std::size_t size, std::uint32_t byteOrder, ir::IRFileInfo& info);

// The frames and samples of a successful read match the bytes behind the
// record's data position.
void checkSamples(const SampleLayout& layout, const std::uint8_t* data, std::size_t size,
                  const ir::IRFileInfo& info, const ImageRead& read);

// For some inputs (chosen by length, so that a reproducer behaves alike): the
// image with its sample data repeated past the capacity, for the caller to
// mark as long and read again. Empty when this input is not one of them.
std::vector<unsigned char> capacityProbe(const std::uint8_t* data, std::size_t size, const ir::IRFileInfo& info,
                                         const SampleLayout& layout, int frames);

} // namespace fuzz
