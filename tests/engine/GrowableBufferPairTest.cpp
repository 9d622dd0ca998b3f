#include "engine/GrowableBufferPair.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

bool allZero(const float* values, int count)
{
    for (int i = 0; i < count; ++i)
        if (values[i] != 0.0f)
            return false;
    return true;
}

TEST(GrowableBufferPair, StartsZeroedAtInitialCapacity)
{
    engine::GrowableBufferPair pair;
    ASSERT_EQ(pair.capacity(), 57600);
    EXPECT_TRUE(allZero(pair.left(), pair.capacity()));
    EXPECT_TRUE(allZero(pair.right(), pair.capacity()));
}

TEST(GrowableBufferPair, NeverShrinksAndKeepsArraysWhenBigEnough)
{
    engine::GrowableBufferPair pair(100);
    float* left = pair.left();
    EXPECT_TRUE(pair.ensureCapacity(100));
    EXPECT_TRUE(pair.ensureCapacity(-5));
    EXPECT_EQ(pair.capacity(), 100);
    EXPECT_EQ(pair.left(), left);
}

TEST(GrowableBufferPair, GrowthKeepsOldValuesAndZeroesTheRest)
{
    engine::GrowableBufferPair pair(4);
    for (int i = 0; i < 4; ++i) {
        pair.left()[i] = static_cast<float>(i + 1);
        pair.right()[i] = static_cast<float>(-i - 1);
    }
    ASSERT_TRUE(pair.ensureCapacity(10));
    ASSERT_EQ(pair.capacity(), 10);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(pair.left()[i], static_cast<float>(i + 1));
        EXPECT_EQ(pair.right()[i], static_cast<float>(-i - 1));
    }
    EXPECT_TRUE(allZero(pair.left() + 4, 6));
    EXPECT_TRUE(allZero(pair.right() + 4, 6));
}

TEST(GrowableBufferPair, ClearZeroesWholeCapacity)
{
    engine::GrowableBufferPair pair(8);
    ASSERT_TRUE(pair.ensureCapacity(16));
    for (int i = 0; i < 16; ++i)
        pair.left()[i] = pair.right()[i] = 1.0f;
    pair.clear();
    EXPECT_TRUE(allZero(pair.left(), 16));
    EXPECT_TRUE(allZero(pair.right(), 16));
}

TEST(GrowableBufferPair, ConcurrentGrowthsEndAtTheLargest)
{
    engine::GrowableBufferPair pair(1);
    pair.left()[0] = 7.0f;
    std::thread a([&] {
        for (int n = 2; n < 400; n += 2)
            pair.ensureCapacity(n);
    });
    std::thread b([&] {
        for (int n = 3; n < 401; n += 2)
            pair.ensureCapacity(n);
    });
    a.join();
    b.join();
    EXPECT_EQ(pair.capacity(), 399);
    EXPECT_EQ(pair.left()[0], 7.0f);
    EXPECT_TRUE(allZero(pair.left() + 1, 398));
}

} // namespace
