#include "engine/CrossfadingFilter.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

namespace engine {
namespace {

// ln(10^-4): the settling run lasts until the slower pole has decayed by 80 dB.
constexpr double kLogSettled = -9.210340371976184;
// Two frames fill the input side of a section's history.
constexpr int kMinSettlingFrames = 2;
constexpr int kMaxFadeFrames = 1 << 16;

// Magnitude of the larger root of z^2 + a1 z + a2.
double largerPoleRadius(double a1, double a2)
{
    const double discriminant = a1 * a1 - 4.0 * a2;
    if (discriminant < 0.0)
        return std::sqrt(a2);
    const double root = std::sqrt(discriminant);
    return std::max(std::fabs(-a1 + root), std::fabs(-a1 - root)) * 0.5;
}

bool sameCoefficients(const CIIR::Coefficients& a, const CIIR::Coefficients& b)
{
    return a.b0 == b.b0 && a.b1 == b.b1 && a.b2 == b.b2 && a.a1 == b.a1 && a.a2 == b.a2;
}

void applyGain(float* out, int frames, float gain)
{
    if (gain == 1.0f)
        return;
    for (int i = 0; i < frames; ++i)
        out[i] *= gain;
}

} // namespace

CrossfadingFilter::CrossfadingFilter(History history)
{
    if (history == History::AtConstruction && !prepareHistory())
        throw std::bad_alloc();
}

bool CrossfadingFilter::prepareHistory()
{
    if (historyStore_)
        return true;
    historyStore_.reset(new (std::nothrow) float[kHistoryFrames]());
    if (!historyStore_)
        return false;
    history_.store(historyStore_.get(), std::memory_order_release);
    return true;
}

int CrossfadingFilter::fadeFrames(float sampleRate)
{
    const double frames = static_cast<double>(sampleRate) * kFadeSeconds;
    if (!(frames >= 1.0))
        return 1;
    return frames >= kMaxFadeFrames ? kMaxFadeFrames : static_cast<int>(frames);
}

int CrossfadingFilter::settlingFrames(const CIIR::Coefficients& c)
{
    const double radius = largerPoleRadius(c.a1, c.a2);
    if (!(radius < 1.0))
        return kHistoryFrames;
    if (radius <= 0.0)
        return kMinSettlingFrames;
    const double frames = std::ceil(kLogSettled / std::log(radius)) + kMinSettlingFrames;
    return frames >= kHistoryFrames ? kHistoryFrames : std::max(kMinSettlingFrames, static_cast<int>(frames));
}

void CrossfadingFilter::process(const Target& target, const float* in, float* out, int frames)
{
    if (frames <= 0)
        return;
    // Null until made; a history made late starts empty, at its start.
    float* history = history_.load(std::memory_order_acquire);
    takeUp(target, history);
    int done = fade(in, out, frames);
    if (done < frames) {
        current_.processBlock(in + done, out + done, frames - done);
        applyGain(out + done, frames - done, currentGain_);
    }
    if (history != nullptr)
        remember(history, in, frames);
    silentSinceClear_ = false;
}

void CrossfadingFilter::takeUp(const Target& target, float* history)
{
    if (target.clearCount != clearsSeen_) {
        restart(target, history);
        return;
    }
    if (fadeLeft_ > 0)
        return;
    const bool switched = target.switchCount != switchesSeen_;
    if (!switched && soundsLike(target))
        return;
    switchesSeen_ = target.switchCount;
    const CIIR& design = *target.filter;

    // Nothing has been heard yet, or the switch went off and on again between two
    // calls: the filter starts from silence with the new design.
    if (silentSinceClear_ || (switched && design.enabled() == current_.enabled())) {
        current_.takeCoefficientsFrom(design);
        current_.reset();
        currentGain_ = target.gain;
        return;
    }

    incoming_.takeCoefficientsFrom(design);
    incoming_.reset();
    incomingGain_ = target.gain;
    if (!switched && incoming_.enabled() && history != nullptr)
        settle(incoming_, history);
    fadeLength_ = fadeFrames(design.sampleRate());
    fadeLeft_ = fadeLength_;
}

void CrossfadingFilter::restart(const Target& target, float* history)
{
    current_.takeCoefficientsFrom(*target.filter);
    current_.reset();
    currentGain_ = target.gain;
    fadeLeft_ = 0;
    clearsSeen_ = target.clearCount;
    switchesSeen_ = target.switchCount;
    silentSinceClear_ = true;
    if (history != nullptr)
        std::fill(history, history + kHistoryFrames, 0.0f);
    historyNext_ = 0;
}

bool CrossfadingFilter::soundsLike(const Target& target) const
{
    const CIIR& design = *target.filter;
    if (design.enabled() != current_.enabled())
        return false;
    if (!design.enabled())
        return true;  // both copy their input
    return target.gain == currentGain_ && sameCoefficients(design.coefficients(), current_.coefficients());
}

void CrossfadingFilter::settle(CIIR& section, const float* history)
{
    // The last `frames` inputs in the order they came, in steps through the scratch space.
    const int frames = settlingFrames(section.coefficients());
    int at = (historyNext_ - frames + kHistoryFrames) % kHistoryFrames;
    for (int left = frames; left > 0;) {
        const int step = std::min({left, kStepFrames, kHistoryFrames - at});
        section.processBlock(history + at, scratch_, step);
        at = (at + step) % kHistoryFrames;
        left -= step;
    }
}

void CrossfadingFilter::remember(float* history, const float* in, int frames)
{
    if (frames > kHistoryFrames) {
        in += frames - kHistoryFrames;
        frames = kHistoryFrames;
    }
    while (frames > 0) {
        const int step = std::min(frames, kHistoryFrames - historyNext_);
        std::memcpy(history + historyNext_, in, static_cast<std::size_t>(step) * sizeof(float));
        historyNext_ = (historyNext_ + step) % kHistoryFrames;
        in += step;
        frames -= step;
    }
}

int CrossfadingFilter::fade(const float* in, float* out, int frames)
{
    int done = 0;
    while (fadeLeft_ > 0 && done < frames) {
        const int step = std::min({frames - done, fadeLeft_, kStepFrames});
        float* next = scratch_;
        current_.processBlock(in + done, out + done, step);
        incoming_.processBlock(in + done, next, step);
        const double oldGain = currentGain_;
        const double newGain = incomingGain_;
        const double length = fadeLength_;
        const int position = fadeLength_ - fadeLeft_;
        for (int i = 0; i < step; ++i) {
            // Reaches 1 on the fade's last frame: from then on only the new section sounds.
            const double w = static_cast<double>(position + i + 1) / length;
            out[done + i] = static_cast<float>((1.0 - w) * oldGain * out[done + i] + w * newGain * next[i]);
        }
        fadeLeft_ -= step;
        done += step;
        if (fadeLeft_ == 0) {
            current_ = incoming_;
            currentGain_ = incomingGain_;
        }
    }
    return done;
}

} // namespace engine
