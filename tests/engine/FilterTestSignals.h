#pragma once
// Signals and measurements shared by the tone-filter tests.
#include <cmath>
#include <complex>
#include <cstdint>
#include <vector>

#include "engine/CIIR.h"

namespace filtertest {

constexpr double kPi = 3.14159265358979323846;

// |H(e^jw)| of a normalised biquad at angular frequency w (radians per sample).
inline double magnitudeAtOmega(const engine::CIIR::Coefficients& c, double w)
{
    const std::complex<double> z1 = std::polar(1.0, -w);
    const std::complex<double> z2 = z1 * z1;
    return std::abs((c.b0 + c.b1 * z1 + c.b2 * z2) / (1.0 + c.a1 * z1 + c.a2 * z2));
}

inline double magnitudeAt(const engine::CIIR::Coefficients& c, double hz, double sampleRate)
{
    return magnitudeAtOmega(c, 2.0 * kPi * hz / sampleRate);
}

inline double decibels(double gain) { return 20.0 * std::log10(gain); }

// Both poles strictly inside the unit circle (the stability triangle).
inline bool isStable(const engine::CIIR::Coefficients& c)
{
    return std::fabs(c.a2) < 1.0 && std::fabs(c.a1) < 1.0 + c.a2;
}

inline std::vector<float> sine(double hz, double sampleRate, int frames, double amplitude = 0.5)
{
    std::vector<float> s(static_cast<size_t>(frames));
    for (int i = 0; i < frames; ++i)
        s[static_cast<size_t>(i)] = static_cast<float>(amplitude * std::sin(2.0 * kPi * hz * i / sampleRate));
    return s;
}

// Deterministic white noise in -0.5 .. 0.5.
inline std::vector<float> noise(int frames, std::uint32_t state = 12345u)
{
    std::vector<float> s(static_cast<size_t>(frames));
    for (auto& v : s) {
        state = state * 1664525u + 1013904223u;
        v = static_cast<float>(state >> 8) / 16777216.0f - 0.5f;
    }
    return s;
}

// Amplitude of a (settled) sinusoid: RMS of the values from `from` on, times sqrt 2.
inline double sineAmplitude(const std::vector<float>& s, size_t from)
{
    double sum = 0.0;
    for (size_t i = from; i < s.size(); ++i)
        sum += static_cast<double>(s[i]) * s[i];
    return std::sqrt(2.0 * sum / static_cast<double>(s.size() - from));
}

} // namespace filtertest
