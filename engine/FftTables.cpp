#include "engine/FftTables.h"

#include <cmath>
#include <memory>
#include <mutex>

namespace engine {

namespace {

constexpr double kTwoPi = 6.283185307179586476925286766559;
constexpr int kLargest = 24;

// exp(-2 pi i k / n) as index j of twiddle `which` (0 for the first) in a
// table of `parts` runs.
void setTwiddle(float* table, int parts, int which, int j, long long k, long long n)
{
    // Reducing first keeps the angle exact for large n.
    const double angle = kTwoPi * static_cast<double>(k % n) / static_cast<double>(n);
    table[twiddleAt(parts, 2 * which, j)] = static_cast<float>(std::cos(angle));
    table[twiddleAt(parts, 2 * which + 1, j)] = static_cast<float>(-std::sin(angle));
}

std::unique_ptr<FftTables> build(int log2Points)
{
    auto t = std::make_unique<FftTables>();
    t->log2Points = log2Points;
    const int m = 1 << log2Points;
    int sub = m;
    if (log2Points % 2 == 1) {
        t->radix2 = AlignedFloats(static_cast<std::size_t>(m));
        for (int j = 0; j < m / 2; ++j)
            setTwiddle(t->radix2.data(), 2, 0, j, j, m);
        sub = m / 2;
    }
    // The last two radix-4 passes (16 and 4 points) use fixed constants.
    for (; sub >= 64; sub /= 4) {
        const int q = sub / 4;
        FftTables::Radix4 pass{q, AlignedFloats(6 * static_cast<std::size_t>(q))};
        for (int j = 0; j < q; ++j)
            for (int power = 1; power <= 3; ++power)
                setTwiddle(pass.w.data(), 6, power - 1, j, static_cast<long long>(power) * j, sub);
        t->radix4.push_back(std::move(pass));
    }
    const int half = m / 2;
    t->split = AlignedFloats(static_cast<std::size_t>(m));
    for (int pair = 1; pair < half; ++pair) {
        const int position = pair + pairBlockHalf(pair);
        setTwiddle(t->split.data(), 2, 0, pair, bitReversed(position, log2Points), 2LL * m);
    }
    const int blockBits = log2Points - 3;
    t->blockOrder.resize(static_cast<std::size_t>(m / 8));
    for (int b = 0; b < m / 8; ++b)
        t->blockOrder[static_cast<std::size_t>(b)] = bitReversed(b, blockBits);
    return t;
}

} // namespace

const FftTables& FftTables::forPoints(int log2Points)
{
    static std::once_flag once[kLargest + 1];
    static std::unique_ptr<FftTables> tables[kLargest + 1];
    std::call_once(once[log2Points], [log2Points] { tables[log2Points] = build(log2Points); });
    return *tables[log2Points];
}

} // namespace engine
