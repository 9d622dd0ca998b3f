#pragma once
// Twiddle factors of one transform size, computed once per process in double
// precision and shared, read-only, by every RealFft of that size.
#include "engine/AlignedFloats.h"

#include <vector>

namespace engine {

struct FftTables {
    // Radix-4 passes of the forward order: sub-transforms of 4q points, and
    // w1, w2, w3 = exp(-2 pi i j m / 4q) (m = 1, 2, 3) for j < q, each as q
    // real parts then q imaginary parts.
    struct Radix4 {
        int q;
        AlignedFloats w;
    };

    int log2Points = 0;        // M = 2^log2Points complex points
    AlignedFloats radix2;      // exp(-2 pi i j / M), j < M/2, when log2Points is odd
    std::vector<Radix4> radix4;
    // For pair index t < M/2: exp(-2 pi i k / 2M) with k the bin at the pair's
    // first position; M/2 real parts then M/2 imaginary parts.
    AlignedFloats split;

    // The tables for M = 2^log2Points complex points (4 <= log2Points <= 24).
    // Built on first use; non-audio threads only.
    static const FftTables& forPoints(int log2Points);
};

// Bit reversal of the `bits` lowest bits of `value`.
inline int bitReversed(int value, int bits)
{
    int r = 0;
    for (int b = 0; b < bits; ++b)
        r |= ((value >> b) & 1) << (bits - 1 - b);
    return r;
}

} // namespace engine
