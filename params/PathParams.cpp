#include "params/PathParams.h"

#include <cstdint>
#include <cstring>

namespace param {

namespace {

constexpr double kValueScale = 16777216.0; // 2^24
constexpr std::uint32_t kLargestPacked = (1u << 24) - 1;

std::uint32_t unpack(float value)
{
    const double scaled = static_cast<double>(value) * kValueScale + 0.5;
    if (!(scaled >= 1.0)) // below one step, negative or NaN
        return 0;
    if (scaled >= static_cast<double>(kLargestPacked))
        return kLargestPacked;
    return static_cast<std::uint32_t>(scaled);
}

} // namespace

bool encodePathToParams(const char* path, float* values80)
{
    if (path == nullptr)
        return false;
    const std::size_t length = strnlen(path, kPathParamBytes);
    if (length >= static_cast<std::size_t>(kPathParamBytes))
        return false;

    unsigned char bytes[kPathParamBytes] = {};
    std::memcpy(bytes, path, length);
    for (int k = 0; k < kPathParamValues; ++k) {
        const std::uint32_t packed = bytes[3 * k] | (bytes[3 * k + 1] << 8) | (bytes[3 * k + 2] << 16);
        values80[k] = static_cast<float>(packed / kValueScale);
    }
    return true;
}

void decodePathFromParams(const float* values80, char* path260)
{
    for (int k = 0; k < kPathParamValues; ++k) {
        const std::uint32_t packed = unpack(values80[k]);
        path260[3 * k] = static_cast<char>(packed & 255u);
        path260[3 * k + 1] = static_cast<char>((packed >> 8) & 255u);
        path260[3 * k + 2] = static_cast<char>((packed >> 16) & 255u);
    }
    std::memset(path260 + kPathParamBytes, 0, kPathTextCapacity - kPathParamBytes);
}

} // namespace param
