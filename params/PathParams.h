#pragma once
// The IR file path carried inside the 80 path parameters, so that a host that
// saves parameter values also saves the file choice. Three bytes per value:
// n = b0 + 256 * b1 + 65536 * b2, value = n / 2^24 (exact in a float).
namespace param {

constexpr int kPathParamValues = 80;
constexpr int kPathParamBytes = 3 * kPathParamValues;
// The stored bytes include the terminator, so the longest storable path is one byte shorter.
constexpr int kMaxStoredPathLength = kPathParamBytes - 1;
// Size of the path buffers the decoder fills.
constexpr int kPathTextCapacity = 260;

// Packs the path (bytes after its terminator counting as 0) into values80.
// A null path or one of kPathParamBytes bytes or more is refused: false, and
// values80 is left untouched, so a truncated path is never remembered.
bool encodePathToParams(const char* path, float* values80);

// Unpacks values80 into path260, which always ends up zero-terminated. Values
// outside 0 <= v < 1, infinities and NaN are clamped, so any float a host sends
// yields some byte string rather than undefined behaviour.
void decodePathFromParams(const float* values80, char* path260);

} // namespace param
