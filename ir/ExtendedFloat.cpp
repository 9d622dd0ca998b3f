#include "ir/ExtendedFloat.h"

#include <cstring>

namespace ir {

namespace {

constexpr int kExponentBias = 16383;
constexpr int kSignificandBits = 63; // below the explicit integer bit
constexpr std::uint64_t kLargestRate = 0x7fffffffu;

} // namespace

bool decodeExtendedRate(const unsigned char* bytes10, std::int32_t& rate)
{
    rate = 0;
    const bool negative = (bytes10[0] & 0x80) != 0;
    const int exponent = ((bytes10[0] & 0x7f) << 8) | bytes10[1];
    std::uint64_t significand = 0;
    for (int i = 2; i < 10; ++i)
        significand = (significand << 8) | bytes10[i];
    if (exponent == 0x7fff)
        return false; // infinity or NaN
    if (significand == 0)
        return true; // zero of either sign
    if (negative)
        return false;
    // value = significand * 2^shift, done in integers so nothing can overflow
    // into undefined behaviour and the truncation is exact.
    const int shift = exponent - kExponentBias - kSignificandBits;
    std::uint64_t value = 0;
    if (shift >= 0) {
        if (shift >= 31 || significand > (kLargestRate >> shift))
            return false;
        value = significand << shift;
    } else {
        value = -shift >= 64 ? 0 : significand >> -shift;
        if (value > kLargestRate)
            return false;
    }
    rate = static_cast<std::int32_t>(value);
    return true;
}

void encodeExtendedInteger(std::uint32_t value, unsigned char* bytes10)
{
    std::memset(bytes10, 0, 10);
    if (value == 0)
        return;
    int top = 31;
    while ((value >> top) == 0)
        --top;
    const int exponent = kExponentBias + top;
    const std::uint64_t significand = static_cast<std::uint64_t>(value) << (63 - top);
    bytes10[0] = static_cast<unsigned char>(exponent >> 8);
    bytes10[1] = static_cast<unsigned char>(exponent);
    for (int i = 0; i < 8; ++i)
        bytes10[2 + i] = static_cast<unsigned char>(significand >> (56 - 8 * i));
}

} // namespace ir
