#pragma once
// The 80-bit IEEE 754 extended value (big-endian) that AIFF uses for its sample rate.
#include <cstdint>

namespace ir {

// The value truncated toward zero. False for a negative value, infinity, NaN,
// or a value of 2^31 or more, none of which is a usable rate.
bool decodeExtendedRate(const unsigned char* bytes10, std::int32_t& rate);

// Exact encoding of a whole number (the rates written by the split-pair merge).
void encodeExtendedInteger(std::uint32_t value, unsigned char* bytes10);

} // namespace ir
