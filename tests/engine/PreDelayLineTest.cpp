#include "engine/PreDelayLine.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

struct Line {
    engine::ProcessEpoch epoch;
    engine::PreDelayLine line{epoch};

    // Runs the line over both channels; the right channel carries the negated signal.
    std::vector<float> run(const std::vector<float>& input)
    {
        std::vector<float> left = input;
        std::vector<float> right(input.size());
        for (size_t i = 0; i < input.size(); ++i)
            right[i] = -input[i];
        engine::ProcessEpoch::Scope scope(epoch);
        line.process(left.data(), right.data(), static_cast<int>(input.size()));
        for (size_t i = 0; i < input.size(); ++i)
            EXPECT_EQ(right[i], -left[i]) << "channels out of step at " << i;
        return left;
    }
};

std::vector<float> impulse(int frames)
{
    std::vector<float> x(static_cast<size_t>(frames), 0.0f);
    x[0] = 1.0f;
    return x;
}

int firstNonZero(const std::vector<float>& x)
{
    for (size_t i = 0; i < x.size(); ++i)
        if (x[i] != 0.0f)
            return static_cast<int>(i);
    return -1;
}

std::vector<float> ramp(int from, int count)
{
    std::vector<float> x(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        x[static_cast<size_t>(i)] = static_cast<float>(from + i);
    return x;
}

TEST(PreDelayLine, FramesFollowTheRoundedMillisecondRule)
{
    using engine::PreDelayLine;
    EXPECT_EQ(PreDelayLine::framesFor(0.0f, 44100), 0);
    EXPECT_EQ(PreDelayLine::framesFor(1.0f, 44100), 44);
    EXPECT_EQ(PreDelayLine::framesFor(100.0f, 44100), 4410);
    EXPECT_EQ(PreDelayLine::framesFor(200.0f, 48000), 9600);
    EXPECT_EQ(PreDelayLine::framesFor(200.0f, 384000), 76800);
    EXPECT_EQ(PreDelayLine::framesFor(-5.0f, 44100), 0);
    EXPECT_EQ(PreDelayLine::framesFor(10.0f, 0), 0);
    EXPECT_EQ(PreDelayLine::framesFor(10.0f, -48000), 0);
    EXPECT_EQ(PreDelayLine::framesFor(std::numeric_limits<float>::quiet_NaN(), 44100), 0);
    EXPECT_EQ(PreDelayLine::framesFor(200.0f, 768000), PreDelayLine::kMaxDelayFrames);
    EXPECT_EQ(PreDelayLine::framesFor(200.0f, std::numeric_limits<int>::max()), PreDelayLine::kMaxDelayFrames);
    EXPECT_EQ(PreDelayLine::framesFor(std::numeric_limits<float>::infinity(), 44100), PreDelayLine::kMaxDelayFrames);
}

TEST(PreDelayLine, ZeroDelayStillDelaysOneFrame)
{
    Line l;
    EXPECT_EQ(l.line.delayFrames(), 0);
    EXPECT_EQ(firstNonZero(l.run(impulse(8))), 1);
}

TEST(PreDelayLine, DelaysByTheComputedFrames)
{
    Line l;
    ASSERT_TRUE(l.line.setDelay(1.0f));
    EXPECT_EQ(firstNonZero(l.run(impulse(100))), 44);

    Line m;
    ASSERT_TRUE(m.line.setSampleRate(48000));
    ASSERT_TRUE(m.line.setDelay(200.0f));
    EXPECT_EQ(m.line.delayFrames(), 9600);
    EXPECT_EQ(m.line.capacity(), 57600);
    const std::vector<float> out = m.run(impulse(10000));
    EXPECT_EQ(firstNonZero(out), 9600);
    EXPECT_EQ(out[9600], 1.0f);
}

TEST(PreDelayLine, HighRatesGrowTheStoreKeepingOldValuesAndPosition)
{
    Line l;
    ASSERT_TRUE(l.line.setSampleRate(288000));
    ASSERT_TRUE(l.line.setDelay(200.0f));
    ASSERT_EQ(l.line.delayFrames(), 57600);
    ASSERT_EQ(l.line.capacity(), 57600);

    // Fill the store and move 100 frames into the next lap.
    std::vector<float> out = l.run(ramp(1, 57700));
    EXPECT_EQ(out[57600], 1.0f);
    EXPECT_EQ(out[57699], 100.0f);

    ASSERT_TRUE(l.line.setSampleRate(384000));
    EXPECT_EQ(l.line.delayFrames(), 76800);
    EXPECT_EQ(l.line.capacity(), 76800);

    // The next frames continue from slot 100 with the values stored before the
    // growth, then run through the new, silent slots, then wrap.
    out = l.run(ramp(57701, 76800));
    for (int i = 0; i < 57500; ++i)
        ASSERT_EQ(out[static_cast<size_t>(i)], static_cast<float>(101 + i)) << i;
    for (int i = 57500; i < 76700; ++i)
        ASSERT_EQ(out[static_cast<size_t>(i)], 0.0f) << i;
    for (int i = 76700; i < 76800; ++i)
        ASSERT_EQ(out[static_cast<size_t>(i)], static_cast<float>(57601 + i - 76700)) << i;
}

TEST(PreDelayLine, LengthIsCappedForAbsurdRates)
{
    Line l;
    ASSERT_TRUE(l.line.setDelay(200.0f));
    ASSERT_TRUE(l.line.setSampleRate(std::numeric_limits<int>::max()));
    EXPECT_EQ(l.line.delayFrames(), engine::PreDelayLine::kMaxDelayFrames);
    EXPECT_EQ(l.line.capacity(), engine::PreDelayLine::kMaxDelayFrames);
    ASSERT_TRUE(l.line.setSampleRate(-1));
    EXPECT_EQ(l.line.delayFrames(), 0);
    EXPECT_EQ(l.line.capacity(), engine::PreDelayLine::kMaxDelayFrames);
}

TEST(PreDelayLine, ShorterDelayWrapsAtTheNextFrame)
{
    Line l;
    ASSERT_TRUE(l.line.setDelay(10.0f / 44.1f)); // 10 frames
    ASSERT_EQ(l.line.delayFrames(), 10);
    l.run(ramp(1, 5)); // slots 0..4 hold 1..5, position 5
    ASSERT_TRUE(l.line.setDelay(3.0f / 44.1f)); // 3 frames: position 5 wraps to 0
    ASSERT_EQ(l.line.delayFrames(), 3);
    const std::vector<float> out = l.run(ramp(6, 6));
    const std::vector<float> expected = {1, 2, 3, 6, 7, 8};
    EXPECT_EQ(out, expected);
}

TEST(PreDelayLine, ClearSilencesTheStoreAndRestartsAtSlotZero)
{
    Line l;
    ASSERT_TRUE(l.line.setDelay(4.0f / 44.1f));
    l.run(ramp(1, 6)); // position 2
    l.line.clear();
    const std::vector<float> out = l.run(ramp(100, 6));
    const std::vector<float> expected = {0, 0, 0, 0, 100, 101};
    EXPECT_EQ(out, expected);
}

TEST(PreDelayLine, ZeroFramesChangeNothing)
{
    Line l;
    ASSERT_TRUE(l.line.setDelay(2.0f / 44.1f));
    l.run(ramp(1, 1));
    l.run({});
    const std::vector<float> out = l.run(ramp(2, 3));
    const std::vector<float> expected = {0, 1, 2};
    EXPECT_EQ(out, expected);
}

} // namespace
