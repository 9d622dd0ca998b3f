#pragma once
// Twiddle factors of one transform size, computed once per process in double
// precision and shared, read-only, by every RealFft of that size.
#include "engine/AlignedFloats.h"

#include <vector>

namespace engine {

struct FftTables {
    // Every table keeps the values of eight consecutive indices together: for
    // indices 8b .. 8b+7, first their eight real parts, then their eight
    // imaginary parts (for radix 4: then those of the second and the third
    // twiddle). A vector of twiddles is then one run of memory, and a pass
    // streams one table instead of six arrays a power of two apart (which
    // would all fall into the same cache set).

    // Radix-4 passes of the forward order: sub-transforms of 4q points, and
    // w1, w2, w3 = exp(-2 pi i j m / 4q) (m = 1, 2, 3) for j < q.
    struct Radix4 {
        int q;
        AlignedFloats w;
    };

    int log2Points = 0;        // M = 2^log2Points complex points
    AlignedFloats radix2;      // exp(-2 pi i j / M), j < M/2, when log2Points is odd
    std::vector<Radix4> radix4;
    // For pair index t < M/2: exp(-2 pi i k / 2M) with k the bin at the pair's
    // first position.
    AlignedFloats split;
    // For m < M/8: the block of eight positions (positions 8b .. 8b+7) that
    // holds bin m and the bins m + jM/8: b is m bit-reversed in log2(M/8) bits.
    // Bins m - 1 and m + 1 then sit in blocks blockOrder[m -/+ 1], lane for lane.
    std::vector<int> blockOrder;

    // The tables for M = 2^log2Points complex points (4 <= log2Points <= 24).
    // Built on first use; non-audio threads only.
    static const FftTables& forPoints(int log2Points);
};

// Where index j's value of run `part` sits in a table of `parts` runs.
inline std::size_t twiddleAt(int parts, int part, int j)
{
    return static_cast<std::size_t>(parts * 8 * (j / 8) + 8 * part + j % 8);
}

// Pair t >= 1 of the real split joins positions t + h and 5h - 1 - t, with h
// the largest power of two not above t: a position in the first half of a
// block [2h, 4h) of the bit-reversed order and its mirror in the second half.
inline int pairBlockHalf(int t)
{
    int h = 1;
    while (2 * h <= t)
        h *= 2;
    return h;
}

// Bit reversal of the `bits` lowest bits of `value`.
inline int bitReversed(int value, int bits)
{
    int r = 0;
    for (int b = 0; b < bits; ++b)
        r |= ((value >> b) & 1) << (bits - 1 - b);
    return r;
}

} // namespace engine
