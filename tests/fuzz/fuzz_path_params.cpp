// The IR path carried in the 80 path parameters. The input is used twice:
// its first 320 bytes as the 80 float values a host may send (any bits,
// including NaN and infinities), and all of it as a path to encode and decode.
#include "FuzzChecks.h"

#include "params/PathParams.h"

#include <cmath>
#include <cstring>
#include <vector>

namespace {

void checkDecodedPath(const char* path)
{
    fuzz::require(std::memchr(path, 0, param::kPathTextCapacity) != nullptr, "decoded path not terminated");
    for (int i = param::kPathParamBytes; i < param::kPathTextCapacity; ++i)
        fuzz::require(path[i] == 0, "decoded path buffer not zeroed past the stored bytes");
}

void checkValues(const float* values)
{
    for (int k = 0; k < param::kPathParamValues; ++k)
        fuzz::require(values[k] >= 0.0f && values[k] < 1.0f, "encoded value outside 0 <= v < 1");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Whatever the host sends decodes to some terminated path; that path, once
    // encoded, must come back unchanged.
    float hostValues[param::kPathParamValues] = {};
    std::memcpy(hostValues, data, size < sizeof hostValues ? size : sizeof hostValues);
    char decoded[param::kPathTextCapacity];
    std::memset(decoded, 'x', sizeof decoded);
    param::decodePathFromParams(hostValues, decoded);
    checkDecodedPath(decoded);
    // All 240 stored bytes may be non-zero: such a path is readable but too long to store again.
    const std::size_t decodedLength = std::strlen(decoded);
    float values[param::kPathParamValues];
    const bool stored = param::encodePathToParams(decoded, values);
    fuzz::require(stored == (decodedLength < static_cast<std::size_t>(param::kPathParamBytes)),
                  "a decoded path was accepted or refused against its length");
    if (stored) {
        checkValues(values);
        char again[param::kPathTextCapacity];
        param::decodePathFromParams(values, again);
        fuzz::require(std::strcmp(decoded, again) == 0, "decoded path changed on a second round trip");
    }

    // The whole input as a path: accepted exactly when it fits, and then exact.
    std::vector<char> path(data, data + size);
    path.push_back('\0');
    const std::size_t length = std::strlen(path.data());
    float encoded[param::kPathParamValues];
    for (float& v : encoded)
        v = -1.0f; // shows whether a refusal touched the values
    const bool accepted = param::encodePathToParams(path.data(), encoded);
    fuzz::require(accepted == (length < static_cast<std::size_t>(param::kPathParamBytes)),
                  "path accepted or refused against its length");
    if (!accepted) {
        for (float v : encoded)
            fuzz::require(v == -1.0f, "a refused path changed the values");
        return 0;
    }
    checkValues(encoded);
    char roundTrip[param::kPathTextCapacity];
    std::memset(roundTrip, 'x', sizeof roundTrip);
    param::decodePathFromParams(encoded, roundTrip);
    checkDecodedPath(roundTrip);
    if (std::strcmp(roundTrip, path.data()) != 0)
        __builtin_trap(); // the round trip must hold for every accepted path
    return 0;
}
