#pragma once
// One second-order IIR section with the eight classic biquad designs.
//
// Coefficients and histories are doubles; the block form stores its outputs as
// floats and keeps them as its history, the per-frame form stays in double.
// A CIIR is a plain value: copying one copies its settings and its history.
//
// Designs are held inside a stable range: the frequency is taken as at least a
// hair above 0 Hz and below half the sample rate, a non-positive Q or shelf
// slope is replaced by a small positive one, and a design that still comes out
// non-finite falls back to a pass-through. Sample rates of 0 or below are refused.
#include "params/EffectConstants.h"

namespace engine {

class CIIR {
public:
    enum Type {
        kLowPass = 0,
        kHighPass = 1,
        kBandPass = 2,       // 0 dB peak
        kBandPassPeakQ = 3,  // peak gain Q
        kPeaking = 4,
        kNotch = 5,
        kLowShelf = 6,
        kHighShelf = 7,
    };

    // The normalised coefficients the processing reads (a0 divided out).
    struct Coefficients {
        double b0, b1, b2, a1, a2;
    };

    // The default rate, enabled, a 0 dB peaking design at 1000 Hz with Q 3, silent history.
    CIIR();
    virtual ~CIIR() = default;
    CIIR(const CIIR&) = default;
    CIIR& operator=(const CIIR&) = default;

    // Redesigns the current type, frequency, Q and gain at the new rate and
    // clears all history. Returns false, changing nothing, for a rate of 0 or less.
    bool setSampleRate(int sampleRate);

    // Any of the eight designs; clears the block history. An unknown type is
    // taken as peaking.
    void design(int type, float frequency, float q, float gain);

    // Redesigns that keep all history, so that a setting change does not click.
    void designLowPass(float frequency, float q);
    void designHighPass(float frequency, float q);
    void designHighShelf(float frequency, float gain, float slope);

    // Cheap retune of the last low-pass or high-pass design to a new frequency
    // with its Q; the frequency field and all history are kept.
    void fastRetuneLowPass(double frequency);
    void fastRetuneHighPass(double frequency);

    // Off passes the input through untouched. A change clears all history.
    void setEnabled(bool on);

    // Clears both histories and the ring index.
    void reset();

    // Block form over n values; `in` and `out` must not overlap. n <= 0 does nothing.
    void processBlock(const float* in, float* out, int n);
    // Per-frame form.
    double processFrame(double x);

    // Takes the normalised coefficients and the enabled flag of `other`,
    // keeping this filter's own history.
    void takeCoefficientsFrom(const CIIR& other);

    float sampleRate() const { return sampleRate_; }
    bool enabled() const { return enabled_ != 0; }
    int type() const { return type_; }
    float frequency() const { return frequency_; }
    float gain() const { return gain_; }
    float q() const { return q_; }
    Coefficients coefficients() const { return {b0n_, b1n_, b2n_, a1n_, a2n_}; }

private:
    void compute(int type, float frequency, float q, float gain);
    void computeLowPass(double w0, double halfInvQ);
    void computeHighPass(double w0, double halfInvQ);
    void normalise();
    double omega(double frequency) const;
    void clearBlockHistory();
    void clearFrameHistory();

    float sampleRate_ = static_cast<float>(effect::kDefaultSampleRate);
    int enabled_ = 1;
    int type_ = kPeaking;
    float frequency_ = 1000.0f;
    float gain_ = 0.0f;
    float q_ = 3.0f;

    double a0_ = 1.0, a1_ = 0.0, a2_ = 0.0;
    double b0_ = 1.0, b1_ = 0.0, b2_ = 0.0;

    // Each value is stored twice (at i and i + 3) so the two previous values
    // are always at index + 2 and index + 1 without wrapping.
    double inRing_[6] = {};
    double outRing_[6] = {};
    int ringIndex_ = 0;

    double b0n_ = 1.0, b1n_ = 0.0, b2n_ = 0.0, a1n_ = 0.0, a2n_ = 0.0;

    double x1_ = 0.0, x2_ = 0.0, y1_ = 0.0, y2_ = 0.0;

    double omegaScale_ = 0.0;
    double halfInvQ_ = 0.0;
};

} // namespace engine
