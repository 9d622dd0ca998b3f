#pragma once
// Reading impulse responses from WAV (also WAVE_FORMAT_EXTENSIBLE, with the
// usual and the ambisonic B-format sub-formats, big-endian RIFX and
// RF64/BW64), AIFF, AIFF-C and split name.L / name.R files into two float
// arrays whose largest magnitude is 1.0.
//
// Typical use (what loading an IR does):
//     ir::IRFileInfo info;
//     ir::FileByteSource file;
//     if (ir::openIRFile(path, info, file, errorText) != 0) -> failed or refused, reason in errorText
//     zero left/right (kIRCapacityFrames each), then
//     frames = convertSamples(file, info, left, right);
//     file.close();
//
// Every function works on the arguments it is given only: no global state, no
// exceptions, and no allocation sized by a value read from a file.
#include "ir/ByteSink.h"
#include "ir/ByteSource.h"
#include "ir/FileByteSource.h"
#include "ir/IRFileInfo.h"
#include "params/EffectConstants.h"

#include <cstddef>
#include <cstdint>

namespace ir {

// Frames per channel the sample arrays hold; longer sample data is cut here.
using effect::kIRCapacityFrames;
// Size of the caller's error-text buffer.
constexpr std::size_t kIRErrorTextSize = 256;
// Size of path buffers: at most kIRPathSize - 1 bytes of UTF-8 and a terminator.
constexpr std::size_t kIRPathSize = 260;

using IRErrorText = char[kIRErrorTextSize];
using IRPathText = char[kIRPathSize];

// What a reader returns for a sound file it understands but cannot use: a
// sample format it does not decode (mu-law, A-law, ADPCM, compressed AIFF-C,
// other tags and sub-formats, unusual widths) or more than two channels. The
// error text then says why, in words meant for the user. Other failures
// (damaged or foreign files, files that cannot be opened) return -1.
constexpr int kIRRefused = -2;

// Chooses the reader by the ending of path (".wav", ".aif", ".aiff" in any
// case; ".L" / ".R" exactly, which first merges the pair into name.aif) and
// reads the header. Returns 0 with `file` open at the first sample byte, or -1
// or kIRRefused with `file` closed and errorText holding the reason (empty when
// a split pair could not be merged). errorText is emptied and info cleared on
// entry.
int openIRFile(const char* path, IRFileInfo& info, FileByteSource& file, IRErrorText& errorText);

// Header readers on an already open source positioned at the start of the file.
// Return 0 with the source at the first sample byte, or -1 or kIRRefused with
// errorText set. A successful read always names a sample encoding and one or
// two channels.
int readWaveHeader(ByteSource& source, IRFileInfo& info, IRErrorText& errorText);
int readAiffHeader(ByteSource& source, IRFileInfo& info, IRErrorText& errorText);

// The converter: reads the sample data from the current position of source (at
// most info.dataSize bytes and at most kIRCapacityFrames frames) as
// info.encoding says, writes frames 0..n-1 of left and right (each at least
// kIRCapacityFrames long, zeroed by the caller; mono goes to both), normalises
// the peak and returns n. A record no header reader would produce (no
// encoding, a container that does not match it, other than 1 or 2 channels)
// converts nothing and returns 0.
int convertSamples(ByteSource& source, const IRFileInfo& info, float* left, float* right);

// Scales frames 0..frames-1 of both arrays by one common factor so that the
// largest magnitude becomes exactly 1.0; an all-zero IR is left as it is.
void normalizePeak(int frames, float* left, float* right);

// Builds name.aif beside name.L and name.R (path may name either) and writes
// its path to mergedPath. Returns 0, or -1 when neither half can be opened, the
// merged path would not fit, or the output cannot be written.
int mergeSplitPair(const char* path, IRPathText& mergedPath);

// The merge itself: an AIFF image (stereo, 24-bit, 44100 Hz) of the two raw
// big-endian 24-bit channels, either of which may be null (missing). The
// longer half decides the length; the shorter is padded with silence.
bool writeSplitPairAiff(ByteSource* left, ByteSource* right, ByteSink& out);

// A whole file image in memory: header (byteOrder says WAV or AIFF) and
// samples, with the arrays zeroed first. Returns the frame count, -1 or
// kIRRefused.
// The entry point for fuzzing and for tests that need no file.
int readIRImage(const void* data, std::size_t size, std::uint32_t byteOrder, IRFileInfo& info, float* left,
                float* right, IRErrorText& errorText);

} // namespace ir
