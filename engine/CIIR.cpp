#include "engine/CIIR.h"

#include <cmath>
#include <cstring>

namespace engine {
namespace {

// 2 pi as a 32-bit float: the designs take their angular frequency from it.
constexpr float kTwoPi = 6.2831855f;
constexpr float kGainScale = 0.025f;  // dB to the exponent of 10 for sqrt(linear gain)
constexpr double kPi = 3.14159265358979323846;

// At omega 0 or pi the poles sit on the unit circle, beyond pi the sine turns
// negative and the section blows up. Keeping omega strictly inside changes
// nothing audible (the top limit is within 0.01 % of Nyquist).
constexpr double kMinOmega = 1e-6;
constexpr double kMaxOmega = kPi * 0.9999;

constexpr float kMinQ = 0.00001f;
constexpr float kMinNotchQ = 0.0001f;
constexpr double kMinShelfH = 0.00001;

// The smallest normal float; a block's last outputs at or below it end the tail.
constexpr double kSmallestNormal = 1.1754944e-38;

double clampOmega(double w)
{
    if (!(w >= kMinOmega))  // also catches NaN
        return kMinOmega;
    return w > kMaxOmega ? kMaxOmega : w;
}

double settledHistory(double v)
{
    if (!std::isfinite(v) || std::fabs(v) <= kSmallestNormal)
        return 0.0;
    return v;
}

} // namespace

CIIR::CIIR()
{
    compute(kPeaking, 1000.0f, 3.0f, 0.0f);
}

double CIIR::omega(double frequency) const
{
    return clampOmega(frequency / static_cast<double>(sampleRate_) * static_cast<double>(kTwoPi));
}

bool CIIR::setSampleRate(int sampleRate)
{
    if (sampleRate <= 0)
        return false;
    sampleRate_ = static_cast<float>(sampleRate);
    compute(type_, frequency_, q_, gain_);
    reset();
    return true;
}

void CIIR::design(int type, float frequency, float q, float gain)
{
    compute(type, frequency, q, gain);
    clearBlockHistory();
}

void CIIR::designLowPass(float frequency, float q)
{
    compute(kLowPass, frequency, q, gain_);
}

void CIIR::designHighPass(float frequency, float q)
{
    compute(kHighPass, frequency, q, gain_);
}

void CIIR::designHighShelf(float frequency, float gain, float slope)
{
    compute(kHighShelf, frequency, slope, gain);
}

void CIIR::fastRetuneLowPass(double frequency)
{
    computeLowPass(clampOmega(frequency * omegaScale_), halfInvQ_);
}

void CIIR::fastRetuneHighPass(double frequency)
{
    computeHighPass(clampOmega(frequency * omegaScale_), halfInvQ_);
}

void CIIR::compute(int type, float frequency, float q, float gain)
{
    if (type < kLowPass || type > kHighShelf)
        type = kPeaking;
    if (!std::isfinite(gain))
        gain = 0.0f;
    if (type <= kNotch && !(q > 0.0f))
        q = type == kNotch ? kMinNotchQ : kMinQ;

    type_ = type;
    frequency_ = frequency;
    q_ = q;
    if (type == kPeaking || type == kLowShelf || type == kHighShelf)
        gain_ = gain;

    const double w0 = omega(frequency);
    const double cs = std::cos(w0);
    const double sn = std::sin(w0);
    const double qd = static_cast<double>(q);
    const double alpha = sn / (2.0 * qd);
    const double A = std::pow(10.0, static_cast<double>(gain) * static_cast<double>(kGainScale));

    switch (type) {
    case kLowPass:
        omegaScale_ = static_cast<double>(kTwoPi) / static_cast<double>(sampleRate_);
        halfInvQ_ = 1.0 / (2.0 * qd);
        computeLowPass(w0, halfInvQ_);
        return;
    case kHighPass:
        omegaScale_ = static_cast<double>(kTwoPi) / static_cast<double>(sampleRate_);
        halfInvQ_ = 1.0 / (2.0 * qd);
        computeHighPass(w0, halfInvQ_);
        return;
    case kBandPass:
        b0_ = alpha;
        b1_ = 0.0;
        b2_ = -alpha;
        a0_ = 1.0 + alpha;
        a1_ = -2.0 * cs;
        a2_ = 1.0 - alpha;
        break;
    case kBandPassPeakQ:
        b0_ = qd * alpha;
        b1_ = 0.0;
        b2_ = -qd * alpha;
        a0_ = 1.0 + alpha;
        a1_ = -2.0 * cs;
        a2_ = 1.0 - alpha;
        break;
    case kPeaking:
        b0_ = 1.0 + alpha * A;
        b1_ = -2.0 * cs;
        b2_ = 1.0 - alpha * A;
        a0_ = 1.0 + alpha / A;
        a1_ = -2.0 * cs;
        a2_ = 1.0 - alpha / A;
        break;
    case kNotch:
        b0_ = 1.0;
        b1_ = -2.0 * cs;
        b2_ = 1.0;
        a0_ = 1.0 + alpha;
        a1_ = -2.0 * cs;
        a2_ = 1.0 - alpha;
        break;
    case kLowShelf:
    case kHighShelf: {
        // q holds the shelf slope S here.
        double h = qd > 0.0 ? (A * A + 1.0) / qd - (A - 1.0) * (A - 1.0) : 0.0;
        if (!(h > 0.0))
            h = kMinShelfH;
        const double k = std::sqrt(h) * sn;
        if (type == kLowShelf) {
            b0_ = A * ((A + 1.0) - (A - 1.0) * cs + k);
            b1_ = 2.0 * A * ((A - 1.0) - (A + 1.0) * cs);
            b2_ = A * ((A + 1.0) - (A - 1.0) * cs - k);
            a0_ = (A + 1.0) + (A - 1.0) * cs + k;
            a1_ = -2.0 * ((A - 1.0) + (A + 1.0) * cs);
            a2_ = (A + 1.0) + (A - 1.0) * cs - k;
        } else {
            b0_ = A * ((A + 1.0) + (A - 1.0) * cs + k);
            b1_ = -2.0 * A * ((A - 1.0) + (A + 1.0) * cs);
            b2_ = A * ((A + 1.0) + (A - 1.0) * cs - k);
            a0_ = (A + 1.0) - (A - 1.0) * cs + k;
            a1_ = 2.0 * ((A - 1.0) - (A + 1.0) * cs);
            a2_ = (A + 1.0) - (A - 1.0) * cs - k;
        }
        break;
    }
    }
    normalise();
}

void CIIR::computeLowPass(double w0, double halfInvQ)
{
    const double cs = std::cos(w0);
    const double alpha = std::sin(w0) * halfInvQ;
    b0_ = (1.0 - cs) * 0.5;
    b1_ = 1.0 - cs;
    b2_ = (1.0 - cs) * 0.5;
    a0_ = 1.0 + alpha;
    a1_ = -2.0 * cs;
    a2_ = 1.0 - alpha;
    normalise();
}

void CIIR::computeHighPass(double w0, double halfInvQ)
{
    const double cs = std::cos(w0);
    const double alpha = std::sin(w0) * halfInvQ;
    b0_ = (1.0 + cs) * 0.5;
    b1_ = -(1.0 + cs);
    b2_ = (1.0 + cs) * 0.5;
    a0_ = 1.0 + alpha;
    a1_ = -2.0 * cs;
    a2_ = 1.0 - alpha;
    normalise();
}

void CIIR::normalise()
{
    b0n_ = b0_ / a0_;
    b1n_ = b1_ / a0_;
    b2n_ = b2_ / a0_;
    a1n_ = a1_ / a0_;
    a2n_ = a2_ / a0_;
    const bool finite = std::isfinite(b0n_) && std::isfinite(b1n_) && std::isfinite(b2n_) &&
                        std::isfinite(a1n_) && std::isfinite(a2n_);
    if (!finite) {
        b0n_ = 1.0;
        b1n_ = b2n_ = a1n_ = a2n_ = 0.0;
    }
}

void CIIR::setEnabled(bool on)
{
    const int flag = on ? 1 : 0;
    if (enabled_ == flag)
        return;
    enabled_ = flag;
    reset();
}

void CIIR::reset()
{
    clearBlockHistory();
    clearFrameHistory();
}

void CIIR::clearBlockHistory()
{
    x1_ = x2_ = y1_ = y2_ = 0.0;
}

void CIIR::clearFrameHistory()
{
    for (int i = 0; i < 6; ++i)
        inRing_[i] = outRing_[i] = 0.0;
    ringIndex_ = 0;
}

void CIIR::takeCoefficientsFrom(const CIIR& other)
{
    enabled_ = other.enabled_;
    b0n_ = other.b0n_;
    b1n_ = other.b1n_;
    b2n_ = other.b2n_;
    a1n_ = other.a1n_;
    a2n_ = other.a2n_;
}

void CIIR::processBlock(const float* in, float* out, int n)
{
    if (n <= 0)
        return;
    if (!enabled_) {
        std::memcpy(out, in, static_cast<std::size_t>(n) * sizeof(float));
        return;
    }
    const double b0 = b0n_, b1 = b1n_, b2 = b2n_, a1 = a1n_, a2 = a2n_;
    double x1 = x1_, x2 = x2_, y1 = y1_, y2 = y2_;
    for (int i = 0; i < n; ++i) {
        const double x = in[i];
        const float y = static_cast<float>(b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2);
        out[i] = y;
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
    }
    // A decayed tail ends in silence instead of crawling through denormals, and a
    // non-finite input does not poison every later block.
    x1_ = std::isfinite(x1) ? x1 : 0.0;
    x2_ = std::isfinite(x2) ? x2 : 0.0;
    y1_ = settledHistory(y1);
    y2_ = settledHistory(y2);
}

double CIIR::processFrame(double x)
{
    if (!enabled_)
        return x;
    ringIndex_ = (ringIndex_ + 1) % 3;
    const int i = ringIndex_;
    inRing_[i] = inRing_[i + 3] = x;
    const double y = b0n_ * x + b1n_ * inRing_[i + 2] + b2n_ * inRing_[i + 1] -
                     a1n_ * outRing_[i + 2] - a2n_ * outRing_[i + 1];
    outRing_[i] = outRing_[i + 3] = y;
    return y;
}

} // namespace engine
