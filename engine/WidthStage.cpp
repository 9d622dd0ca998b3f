#include "engine/WidthStage.h"

#include <algorithm>
#include <cmath>

namespace engine {

namespace {
constexpr double kDecibelBase = 1.1220184564590454; // 10^(1/20) as a float
constexpr std::memory_order kRelaxed = std::memory_order_relaxed;
} // namespace

WidthStage::WidthStage()
{
    setWidth(0.0f);
    setSampleRate(effect::kDefaultSampleRate);
}

float WidthStage::makeUpGainFor(float width)
{
    const double x = width;
    const double p = 11.404 * std::pow(x, 5.0) - 1.8255 * std::pow(x, 6.0) - 26.08 * std::pow(x, 4.0)
        + 24.954 * std::pow(x, 3.0) - 6.2934 * std::pow(x, 2.0) - 0.2406 * x - 1.9185;
    return static_cast<float>(std::pow(kDecibelBase, -p));
}

int WidthStage::ringLengthFor(int sampleRate)
{
    const double frames = static_cast<double>(kDelayMs) * sampleRate * 0.001 + 0.5;
    if (!(frames >= 1.0))
        return 0;
    if (frames >= kMaxRingLength)
        return kMaxRingLength;
    return static_cast<int>(frames);
}

void WidthStage::setWidth(float width)
{
    const float clamped = width >= 0.0f ? std::min(width, 2.0f) : 0.0f;
    width_.store(clamped, kRelaxed);
    sideGain_.store(clamped * 0.5f, kRelaxed);
    makeUpGain_.store(makeUpGainFor(clamped), kRelaxed);
}

void WidthStage::setPseudoStereo(int flag)
{
    pseudoStereo_.store(flag, kRelaxed);
    requestClear();
}

void WidthStage::setSampleRate(int sampleRate)
{
    sampleRate_.store(sampleRate, kRelaxed);
    ringLength_.store(ringLengthFor(sampleRate), kRelaxed);
    requestClear();
}

void WidthStage::reset()
{
    requestClear();
}

void WidthStage::process(float* left, float* right, int frames)
{
    const unsigned clears = clearRequests_.load(std::memory_order_acquire);
    if (clears != clearsSeen_) {
        clearsSeen_ = clears;
        position_ = 0;
        std::fill(ring_, ring_ + kRingSize, 0.0f);
    }
    const float side = sideGain_.load(kRelaxed);
    const float makeUp = makeUpGain_.load(kRelaxed);
    const bool pseudo = pseudoStereo_.load(kRelaxed) != 0 && side != 0.0f;
    const int length = ringLength_.load(kRelaxed);
    int position = position_;
    for (int i = 0; i < frames; ++i) {
        float l = left[i];
        float r = right[i];
        if (pseudo) {
            if (++position > length)
                position = 0;
            const float delayed = ring_[position];
            ring_[position] = (l + r) * 0.5f;
            l += delayed;
            r -= delayed;
        }
        const float mid = (l + r) * 0.5f;
        const float s = (r - l) * side;
        left[i] = (mid - s) * makeUp;
        right[i] = (mid + s) * makeUp;
    }
    position_ = position;
}

} // namespace engine
