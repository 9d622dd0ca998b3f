#pragma once
// A stereo low-pass or high-pass whose frequency glides geometrically from a
// start to a target, retuned every 256 frames. Used frame by frame while an
// impulse response is shaped, so it needs no hand-over: one thread owns it.
//
// A falling sweep (target below start) is a low-pass, a rising one a high-pass.
// Once past its target a sweep goes on at half the rate (in octaves per second)
// until it passes below 1 Hz or reaches half the sample rate, then holds.
#include "engine/CIIR.h"
#include "params/EffectConstants.h"

namespace engine {

class SweepFilterPair {
public:
    static constexpr int kUpdateInterval = 256;

    // An unset pair passes frames through.
    SweepFilterPair();

    // `durationMs` is stretched by `amount` (an amount of exactly 1 means a
    // thousand times the duration, amounts at or below 0.01 count as 0.01).
    // A rate of 0 or less, or a start or target frequency that is not above 0,
    // leaves the pair passing frames through unchanged.
    void setUp(int sampleRate, double startHz, double targetHz, double durationMs, double q,
               double amount);

    // One frame through both filters, in place.
    void step(double& left, double& right);

    double currentFrequency() const { return current_; }
    double stepFactor() const { return stepFactor_; }
    double targetFrequency() const { return target_; }
    double effectiveDurationMs() const { return effectiveDurationMs_; }
    const CIIR& left() const { return left_; }
    const CIIR& right() const { return right_; }

private:
    void retune();

    CIIR left_;
    CIIR right_;
    bool active_ = false;
    int interval_ = kUpdateInterval;
    int frameCounter_ = 0;
    int sampleRate_ = effect::kDefaultSampleRate;
    double target_ = 0.0;
    double effectiveDurationMs_ = 0.0;
    double stepFactor_ = 1.0;
    double current_ = 0.0;
};

} // namespace engine
