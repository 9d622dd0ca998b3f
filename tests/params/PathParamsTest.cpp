#include "params/PathParams.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

using namespace param;

namespace {

struct Values {
    float v[kPathParamValues];
};

Values filled(float value)
{
    Values values;
    for (float& v : values.v)
        v = value;
    return values;
}

std::string decode(const Values& values)
{
    char path[kPathTextCapacity];
    std::memset(path, 'Q', sizeof path);
    decodePathFromParams(values.v, path);
    EXPECT_EQ(path[kPathTextCapacity - 1], '\0');
    return std::string(path, sizeof path);
}

} // namespace

TEST(PathParams, LongestStorablePathSurvivesWithItsTerminator)
{
    std::string path = "/home/user/";
    for (int i = 0; path.size() < static_cast<std::size_t>(kMaxStoredPathLength); ++i)
        path += static_cast<char>('a' + i % 26);
    path.replace(path.size() - 4, 4, ".wav");
    ASSERT_EQ(path.size(), 239u);

    Values values = filled(0.75f);
    ASSERT_TRUE(encodePathToParams(path.c_str(), values.v));
    const std::string decoded = decode(values);
    EXPECT_EQ(decoded.substr(0, 239), path);
    EXPECT_EQ(decoded[239], '\0');
    EXPECT_EQ(decoded.find_first_not_of('\0', 239), std::string::npos);
    for (float v : values.v) {
        EXPECT_GE(v, 0.0f);
        EXPECT_LT(v, 1.0f);
    }
}

TEST(PathParams, EveryByteValueSurvivesInEveryPosition)
{
    for (int position = 0; position < 3; ++position) {
        for (int byte = 1; byte < 256; ++byte) {
            // Surround the byte with 0xFF neighbours so that all three lanes of a value are busy.
            char path[8] = {};
            std::memset(path, 0xFF, 6);
            path[3 + position] = static_cast<char>(byte);
            Values values = filled(0.0f);
            ASSERT_TRUE(encodePathToParams(path, values.v));
            const std::string decoded = decode(values);
            ASSERT_EQ(std::memcmp(decoded.data(), path, 7), 0) << "byte " << byte << " at " << position;
        }
    }
    // A zero byte ends the path, so the lanes after it decode as zero too.
    Values values = filled(0.0f);
    ASSERT_TRUE(encodePathToParams("\xff\xff\xff\xff", values.v));
    EXPECT_EQ(values.v[0], static_cast<float>(16777215.0 / 16777216.0));
    EXPECT_EQ(values.v[1], static_cast<float>(255.0 / 16777216.0));
    EXPECT_EQ(values.v[2], 0.0f);
}

TEST(PathParams, PackingOrderIsLowByteFirst)
{
    Values values = filled(0.0f);
    ASSERT_TRUE(encodePathToParams("abcd", values.v));
    EXPECT_EQ(values.v[0], static_cast<float>(('a' + 256 * 'b' + 65536 * 'c') / 16777216.0));
    EXPECT_EQ(values.v[1], static_cast<float>('d' / 16777216.0));
}

TEST(PathParams, ShorterPathClearsEverythingAfterIt)
{
    Values values = filled(0.0f);
    ASSERT_TRUE(encodePathToParams(std::string(200, 'x').c_str(), values.v));
    ASSERT_TRUE(encodePathToParams("/a.wav", values.v));
    const std::string decoded = decode(values);
    EXPECT_STREQ(decoded.c_str(), "/a.wav");
    EXPECT_EQ(decoded.find_first_not_of('\0', 6), std::string::npos);

    ASSERT_TRUE(encodePathToParams("", values.v));
    for (float v : values.v)
        EXPECT_EQ(v, 0.0f);
}

TEST(PathParams, TooLongPathsAreRefusedAndLeaveTheValuesAlone)
{
    for (std::size_t length : {240u, 241u, 259u, 4096u}) {
        const std::string path(length, 'p');
        Values values = filled(0.25f);
        EXPECT_FALSE(encodePathToParams(path.c_str(), values.v)) << length;
        for (float v : values.v)
            ASSERT_EQ(v, 0.25f) << length;
    }
    Values values = filled(0.25f);
    EXPECT_FALSE(encodePathToParams(nullptr, values.v));
    EXPECT_EQ(values.v[0], 0.25f);
}

TEST(PathParams, UnpaddedUtf8PathRoundTrips)
{
    const std::string path = "/home/\xe3\x83\xa6\xe3\x83\xbc\xe3\x82\xb6/IR/\xc3\xa9glise.wav";
    Values values = filled(0.0f);
    ASSERT_TRUE(encodePathToParams(path.c_str(), values.v));
    EXPECT_STREQ(decode(values).c_str(), path.c_str());
}

TEST(PathParams, HostileValuesDecodeSafely)
{
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();

    EXPECT_EQ(decode(filled(nan)), std::string(kPathTextCapacity, '\0'));
    EXPECT_EQ(decode(filled(-inf)), std::string(kPathTextCapacity, '\0'));
    EXPECT_EQ(decode(filled(-0.0f)), std::string(kPathTextCapacity, '\0'));
    EXPECT_EQ(decode(filled(-1.0f)), std::string(kPathTextCapacity, '\0'));

    // Values at or above 1 saturate to the largest packed value: every byte 0xFF.
    for (float big : {1.0f, 2.0f, 1e30f, inf}) {
        const std::string decoded = decode(filled(big));
        EXPECT_EQ(decoded.substr(0, kPathParamBytes), std::string(kPathParamBytes, '\xff')) << big;
        EXPECT_EQ(decoded.find_first_not_of('\0', kPathParamBytes), std::string::npos) << big;
    }

    // Values between the grid points round to the nearest one.
    Values values = filled(0.0f);
    values.v[0] = static_cast<float>(65.4 / 16777216.0);
    values.v[1] = static_cast<float>(65.6 / 16777216.0);
    const std::string decoded = decode(values);
    EXPECT_EQ(decoded[0], 'A');
    EXPECT_EQ(decoded[3], 'B');
}
