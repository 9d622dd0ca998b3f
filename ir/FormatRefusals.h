#pragma once
// The readers' refusals of sound files they understand but cannot use. Each
// sets the error text to a reason the user can act on and returns kIRRefused.
#include "ir/IRFileReaders.h"

#include <cstdint>

namespace ir {

// More than two channels (true-stereo and ambisonic IRs): taking two of them
// as a stereo IR would sound wrong without a word.
int refuseChannels(IRErrorText& errorText, int channels);

// A WAV format tag other than PCM and IEEE float, named where it is a common one.
int refuseWaveFormat(IRErrorText& errorText, std::uint16_t formatTag);
// A WAVE_FORMAT_EXTENSIBLE sub-format that is not a wrapped format tag.
int refuseWaveSubFormat(IRErrorText& errorText, const unsigned char* guid16);
// An AIFF-C compression type other than the uncompressed and float ones.
int refuseAiffCompression(IRErrorText& errorText, const unsigned char* type4);

// Integer or float samples of a width the converter does not decode.
int refuseWidth(IRErrorText& errorText, int bits, bool floatSamples);

} // namespace ir
