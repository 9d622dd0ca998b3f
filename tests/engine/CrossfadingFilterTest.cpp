// One channel of a tone-filter pair taking up new designs while it filters,
// against plain sections that ran with one design from the start.
#include "engine/CrossfadingFilter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "FilterTestSignals.h"

namespace {

using engine::CIIR;
using engine::CrossfadingFilter;

constexpr int kRate = 48000;
constexpr int kBlock = 64;

CIIR designed(int type, float hz, float q, float gain = 0.0f)
{
    CIIR f;
    f.setSampleRate(kRate);
    f.design(type, hz, q, gain);
    return f;
}

CIIR switchedOff()
{
    CIIR f;
    f.setEnabled(false);
    return f;
}

// Runs `in` through a plain copy of the section from silence, from frame `from` on.
std::vector<float> steady(CIIR section, const std::vector<float>& in, size_t from = 0)
{
    std::vector<float> out(in.size(), 0.0f);
    section.processBlock(in.data() + from, out.data() + from, static_cast<int>(in.size() - from));
    return out;
}

std::vector<float> withGain(std::vector<float> v, float gain)
{
    for (float& x : v)
        x *= gain;
    return v;
}

struct Change {
    size_t at;  // a multiple of kBlock
    const CIIR* filter;
    float gain;
    std::uint64_t switches;
};

// The channel fed in calls of kBlock frames, its target changing as listed.
std::vector<float> runChannel(const std::vector<float>& in, const std::vector<Change>& changes)
{
    CrossfadingFilter channel;
    std::vector<float> out(in.size());
    size_t next = 0;
    CrossfadingFilter::Target target{changes[0].filter, changes[0].gain, 0, changes[0].switches};
    for (size_t at = 0; at < in.size(); at += kBlock) {
        while (next < changes.size() && changes[next].at == at) {
            target = {changes[next].filter, changes[next].gain, 0, changes[next].switches};
            ++next;
        }
        channel.process(target, in.data() + at, out.data() + at, kBlock);
    }
    return out;
}

double peak(const std::vector<float>& v)
{
    double p = 0.0;
    for (float x : v)
        p = std::max(p, static_cast<double>(std::fabs(x)));
    return p;
}

// Samples outside [min(a, b), max(a, b)] by more than `slack`, from `from` to `to`.
int outsideBoth(const std::vector<float>& out, const std::vector<float>& a, const std::vector<float>& b,
                size_t from, size_t to, double slack)
{
    int count = 0;
    for (size_t i = from; i < to; ++i) {
        const double low = std::min(a[i], b[i]) - slack;
        const double high = std::max(a[i], b[i]) + slack;
        if (out[i] < low || out[i] > high)
            ++count;
    }
    return count;
}

double largestDifference(const std::vector<float>& a, const std::vector<float>& b, size_t from, size_t to)
{
    double d = 0.0;
    for (size_t i = from; i < to; ++i)
        d = std::max(d, static_cast<double>(std::fabs(a[i] - b[i])));
    return d;
}

// A new design, however far from the old one: the old section until the
// change, in between never beyond what either design gives in steady state,
// then the new design's steady state.
TEST(CrossfadingFilter, DesignStepsFadeBetweenTwoSteadyStates)
{
    struct Step {
        const char* what;
        CIIR from, to;
        float fromGain, toGain;
    };
    const float plus12 = 0.25118864f, minus12 = 3.9810717f;  // make-up gains of a +-12 dB tilt
    const Step steps[] = {
        {"high-pass 8 kHz to 20 Hz", designed(CIIR::kHighPass, 8000, 0.6f), designed(CIIR::kHighPass, 20, 0.6f), 1, 1},
        {"low-pass 200 Hz to 20 kHz", designed(CIIR::kLowPass, 200, 0.6f), designed(CIIR::kLowPass, 20000, 0.6f), 1, 1},
        {"tilt +12 to -12 dB", designed(CIIR::kHighShelf, 1000, 0.3f, 24), designed(CIIR::kHighShelf, 1000, 0.3f, -24),
         plus12, minus12},
    };
    const std::vector<float> in = filtertest::noise(400 * kBlock, 77);
    const size_t change = 200 * kBlock;
    const size_t fade = static_cast<size_t>(CrossfadingFilter::fadeFrames(kRate));
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        const std::vector<float> before = withGain(steady(s.from, in), s.fromGain);
        const std::vector<float> after = withGain(steady(s.to, in), s.toGain);
        const std::vector<float> out = runChannel(in, {{0, &s.from, s.fromGain, 0}, {change, &s.to, s.toGain, 0}});
        const double slack = 1e-4 * peak(after);

        EXPECT_EQ(largestDifference(out, before, 0, change), 0.0);
        EXPECT_EQ(outsideBoth(out, before, after, change, change + fade, slack), 0);
        EXPECT_LE(largestDifference(out, after, change + fade, in.size()), slack);
    }
}

// Switching on fades from the input to the filter started from silence at the
// switch; switching off fades back to the untouched input.
TEST(CrossfadingFilter, SwitchesFadeAndStartTheFilterFromSilence)
{
    const CIIR off = switchedOff();
    const CIIR lowPass = designed(CIIR::kLowPass, 300, 0.6f);
    const std::vector<float> in = filtertest::noise(200 * kBlock, 5);
    const size_t on = 40 * kBlock, backOff = 120 * kBlock;
    const size_t fade = static_cast<size_t>(CrossfadingFilter::fadeFrames(kRate));
    const std::vector<float> out = runChannel(in, {{0, &off, 1, 0}, {on, &lowPass, 1, 1}, {backOff, &off, 1, 2}});
    const std::vector<float> fromSilence = steady(lowPass, in, on);

    EXPECT_EQ(largestDifference(out, in, 0, on), 0.0);
    EXPECT_EQ(outsideBoth(out, in, fromSilence, on, on + fade, 0.0), 0);
    EXPECT_EQ(largestDifference(out, fromSilence, on + fade, backOff), 0.0);
    EXPECT_EQ(outsideBoth(out, fromSilence, in, backOff, backOff + fade, 0.0), 0);
    EXPECT_EQ(largestDifference(out, in, backOff + fade, in.size()), 0.0);
}

// Designs that arrive while a fade runs wait for it; only the newest counts.
TEST(CrossfadingFilter, DesignsDuringAFadeWaitForItsEnd)
{
    const CIIR a = designed(CIIR::kLowPass, 500, 0.6f);
    const CIIR b = designed(CIIR::kLowPass, 5000, 0.6f);
    const CIIR c = designed(CIIR::kLowPass, 1500, 0.6f);
    const std::vector<float> in = filtertest::noise(200 * kBlock, 6);
    const size_t first = 40 * kBlock;
    const size_t fade = static_cast<size_t>(CrossfadingFilter::fadeFrames(kRate));
    // b is replaced by c one call into the fade towards b.
    const std::vector<float> out = runChannel(in, {{0, &a, 1, 0}, {first, &b, 1, 0}, {first + kBlock, &c, 1, 0}});
    const std::vector<float> ra = steady(a, in), rb = steady(b, in), rc = steady(c, in);
    const size_t second = first + (fade + kBlock - 1) / kBlock * kBlock;  // the call after the first fade
    const double slack = 1e-4 * peak(rb);

    EXPECT_EQ(outsideBoth(out, ra, rb, first, first + fade, slack), 0);
    EXPECT_LE(largestDifference(out, rb, first + fade, second), slack);
    EXPECT_EQ(outsideBoth(out, rb, rc, second, second + fade, slack), 0);
    EXPECT_LE(largestDifference(out, rc, second + fade, in.size()), slack);
}

TEST(CrossfadingFilter, FadeLastsFiveMillisecondsAndSettlingFollowsThePoles)
{
    EXPECT_EQ(CrossfadingFilter::fadeFrames(48000.0f), 240);
    EXPECT_EQ(CrossfadingFilter::fadeFrames(192000.0f), 960);
    EXPECT_EQ(CrossfadingFilter::fadeFrames(0.0f), 1);
    // A low corner rings longer than a high one; nothing beyond the history.
    const int low = CrossfadingFilter::settlingFrames(designed(CIIR::kHighPass, 100, 0.6f).coefficients());
    const int high = CrossfadingFilter::settlingFrames(designed(CIIR::kHighPass, 8000, 0.6f).coefficients());
    EXPECT_GT(low, 5 * high);
    EXPECT_EQ(CrossfadingFilter::settlingFrames(designed(CIIR::kHighPass, 20, 0.6f).coefficients()),
              CrossfadingFilter::kHistoryFrames);
}

} // namespace
