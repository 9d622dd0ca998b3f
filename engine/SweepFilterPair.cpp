#include "engine/SweepFilterPair.h"

#include <cmath>
#include <initializer_list>

namespace engine {
namespace {

constexpr double kIntervalsPerFrame = 0.00390625;  // 1 / 256
constexpr double kMinAmount = 0.01;
constexpr double kStopBelowHz = 1.0;

} // namespace

SweepFilterPair::SweepFilterPair() = default;

void SweepFilterPair::setUp(int sampleRate, double startHz, double targetHz, double durationMs,
                            double q, double amount)
{
    target_ = targetHz;
    frameCounter_ = 0;
    interval_ = kUpdateInterval;
    current_ = startHz;
    stepFactor_ = 1.0;
    effectiveDurationMs_ = 0.0;

    active_ = sampleRate > 0 && startHz > 0.0 && targetHz > 0.0;
    if (!active_)
        return;
    sampleRate_ = sampleRate;

    // An amount of exactly 1 is the knob's "off" end: the sweep is stretched so
    // far that it hardly moves within the impulse response.
    double m = amount;
    if (!(m > kMinAmount))
        m = kMinAmount;
    const double duration = durationMs >= 0.0 ? durationMs : 0.0;
    effectiveDurationMs_ = m == 1.0 ? duration * 1000.0 : duration * m;

    // A duration far below one update interval (or 0) gives a factor of 0 or
    // infinity: the first retune then leaves the frequency out of range and the
    // filters hold their start tuning, with no NaN on the way.
    const double intervals = effectiveDurationMs_ * 0.001 * sampleRate * kIntervalsPerFrame;
    stepFactor_ = std::pow(targetHz / startHz, 1.0 / intervals);

    for (CIIR* f : {&left_, &right_}) {
        f->setSampleRate(sampleRate);
        if (stepFactor_ < 1.0)
            f->designLowPass(static_cast<float>(startHz), static_cast<float>(q));
        else
            f->designHighPass(static_cast<float>(startHz), static_cast<float>(q));
        f->setEnabled(true);
        f->reset();
    }
}

void SweepFilterPair::step(double& left, double& right)
{
    if (!active_)
        return;
    left = left_.processFrame(left);
    right = right_.processFrame(right);
    if (++frameCounter_ < interval_)
        return;
    frameCounter_ = 0;
    retune();
}

void SweepFilterPair::retune()
{
    if (stepFactor_ < 1.0) {
        if (current_ < kStopBelowHz)
            return;
        if (target_ > current_) {
            stepFactor_ = std::sqrt(stepFactor_);
            target_ = 0.0;
        }
        left_.fastRetuneLowPass(current_);
    } else {
        if (current_ >= sampleRate_ * 0.5)
            return;
        if (target_ < current_) {
            stepFactor_ = std::sqrt(stepFactor_);
            target_ = sampleRate_;
        }
        left_.fastRetuneHighPass(current_);
    }
    right_.takeCoefficientsFrom(left_);
    current_ *= stepFactor_;
}

} // namespace engine
