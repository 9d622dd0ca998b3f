#pragma once
// Two real signals through one complex transform: z = left + i * right.
//
// The spectrum of a real signal is conjugate-symmetric, X[M - k] = conj X[k],
// so half of it (bins 0 .. M/2) says everything, and the spectra of the two
// signals can be told apart from Z = FFT(z):
//     L[k] = (Z[k] + conj Z[M - k]) / 2,   R[k] = (Z[k] - conj Z[M - k]) / 2i.
// Going back, Y = Yl + i * Yr (each rebuilt from its half spectrum) transforms
// into yl + i * yr, the two real results side by side.
#include "engine/SteppedFft.h"

namespace engine {

// Bin k (0 .. M/2) of both signals, from the full spectrum z of M points.
inline void splitRealPair(const ComplexValue* z, int points, int k, ComplexValue& left, ComplexValue& right)
{
    const ComplexValue a = z[k];
    const ComplexValue b = z[(points - k) & (points - 1)];
    left = {0.5 * (a.re + b.re), 0.5 * (a.im - b.im)};
    right = {0.5 * (a.im + b.im), 0.5 * (b.re - a.re)};
}

// Point i (0 .. M-1) of Yl + i * Yr, from the half spectra of both signals.
inline ComplexValue joinRealPair(const ComplexValue* left, const ComplexValue* right, int points, int i)
{
    if (i <= points / 2) {
        const ComplexValue l = left[i];
        const ComplexValue r = right[i];
        return {l.re - r.im, l.im + r.re};
    }
    const ComplexValue l = left[points - i];
    const ComplexValue r = right[points - i];
    return {l.re + r.im, r.re - l.im};
}

} // namespace engine
