#include "engine/Fft.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <random>
#include <vector>

namespace {

using engine::fftBackward;
using engine::fftForward;
using engine::fftTransform;
using engine::FftThreading;

constexpr double kTwoPi = 6.283185307179586476925286766559;

std::vector<float> randomComplex(int n, unsigned stream)
{
    std::mt19937 rng(stream);
    std::uniform_real_distribution<float> dist(-1.0f, 1.0f);
    std::vector<float> v(static_cast<size_t>(n));
    for (float& x : v)
        x = dist(rng);
    return v;
}

// Direct evaluation of one output point in double precision.
std::complex<double> directBin(const std::vector<float>& x, int k, int sign)
{
    const int m = static_cast<int>(x.size() / 2);
    std::complex<double> sum = 0.0;
    for (int j = 0; j < m; ++j) {
        // reduce j*k modulo m first so the angle stays exact for large m
        const long long phase = static_cast<long long>(j) * k % m;
        const double angle = sign * kTwoPi * static_cast<double>(phase) / m;
        sum += std::complex<double>(x[2 * j], x[2 * j + 1]) * std::polar(1.0, angle);
    }
    return sum;
}

double maxAbsDiff(const std::vector<float>& a, const std::vector<float>& b)
{
    double worst = 0.0;
    for (size_t i = 0; i < a.size(); ++i)
        worst = std::max(worst, std::fabs(static_cast<double>(a[i]) - b[i]));
    return worst;
}

TEST(Fft, SinglePointIsLeftUnchanged)
{
    float data[2] = {0.25f, -3.0f};
    fftForward(data, 2);
    EXPECT_EQ(data[0], 0.25f);
    EXPECT_EQ(data[1], -3.0f);
    fftBackward(data, 2);
    EXPECT_EQ(data[0], 0.25f);
    EXPECT_EQ(data[1], -3.0f);
}

// Every small size against the defining sum, in both directions: catches wrong
// signs, twiddles and output order in the fixed kernels and the leaf stages.
TEST(Fft, SmallSizesMatchTheDefiningSum)
{
    for (int n = 4; n <= 2048; n *= 2) {
        const int m = n / 2;
        for (int sign : {+1, -1}) {
            const std::vector<float> x = randomComplex(n, static_cast<unsigned>(n + sign));
            std::vector<float> y = x;
            if (sign > 0)
                fftForward(y.data(), n);
            else
                fftBackward(y.data(), n);
            double worst = 0.0;
            for (int k = 0; k < m; ++k) {
                const std::complex<double> expect = directBin(x, k, sign);
                worst = std::max(worst, std::abs(expect - std::complex<double>(y[2 * k], y[2 * k + 1])));
            }
            EXPECT_LT(worst, 2e-7 * std::sqrt(static_cast<double>(m)) * std::log2(2.0 * m))
                << "n=" << n << " sign=" << sign;
        }
    }
}

TEST(Fft, ImpulseAndSingleTones)
{
    for (int n : {4, 8, 16, 32, 64, 128, 256, 1024, 8192, 65536, 524288}) {
        const int m = n / 2;
        const double tol = 1e-6 * m;

        std::vector<float> impulse(static_cast<size_t>(n), 0.0f);
        impulse[0] = 1.0f;
        std::vector<float> flat = impulse;
        fftForward(flat.data(), n);
        for (int k = 0; k < m; ++k) {
            ASSERT_NEAR(flat[2 * k], 1.0, 1e-6) << "n=" << n << " k=" << k;
            ASSERT_NEAR(flat[2 * k + 1], 0.0, 1e-6) << "n=" << n << " k=" << k;
        }
        std::vector<float> back = flat;
        fftBackward(back.data(), n);
        for (int k = 0; k < m; ++k) {
            ASSERT_NEAR(back[2 * k], k == 0 ? m : 0.0, tol) << "n=" << n << " k=" << k;
            ASSERT_NEAR(back[2 * k + 1], 0.0, tol) << "n=" << n << " k=" << k;
        }

        // exp(-2 pi i j/m) lands on point 1 and exp(+2 pi i j/m) on point m-1
        for (int toneSign : {-1, +1}) {
            std::vector<float> tone(static_cast<size_t>(n));
            for (int j = 0; j < m; ++j) {
                const double angle = toneSign * kTwoPi * j / m;
                tone[2 * j] = static_cast<float>(std::cos(angle));
                tone[2 * j + 1] = static_cast<float>(std::sin(angle));
            }
            fftForward(tone.data(), n);
            const int peak = toneSign < 0 ? 1 : m - 1;
            for (int k = 0; k < m; ++k) {
                ASSERT_NEAR(tone[2 * k], k == peak ? m : 0.0, tol) << "n=" << n << " k=" << k;
                ASSERT_NEAR(tone[2 * k + 1], 0.0, tol) << "n=" << n << " k=" << k;
            }
        }
    }
}

TEST(Fft, RoundTripReturnsInputTimesPointCount)
{
    for (int n = 4; n <= 524288; n *= 2) {
        const std::vector<float> x = randomComplex(n, static_cast<unsigned>(n));
        std::vector<float> y = x;
        fftForward(y.data(), n);
        fftBackward(y.data(), n);
        const float scale = 2.0f / static_cast<float>(n);
        for (float& v : y)
            v *= scale;
        EXPECT_LT(maxAbsDiff(x, y), 3e-7 * std::log2(static_cast<double>(n))) << "n=" << n;
    }
}

// The threaded path at the block size: sampled outputs against the defining sum
// in both directions, so a worker that skipped or mis-ordered its part shows.
TEST(Fft, ThreadedSizeMatchesTheDefiningSumAtSampledPoints)
{
    const int n = 524288;
    const int m = n / 2;
    const std::vector<float> x = randomComplex(n, 7u);
    for (int sign : {+1, -1}) {
        std::vector<float> y = x;
        fftTransform(y.data(), n, sign, FftThreading::Workers);
        for (int k : {0, 1, 3, m / 4 - 1, m / 4 + 5, m / 2, m / 2 + 1, 3 * m / 4 + 77, m - 1}) {
            const std::complex<double> expect = directBin(x, k, sign);
            EXPECT_NEAR(y[2 * k], expect.real(), 1e-3) << "k=" << k << " sign=" << sign;
            EXPECT_NEAR(y[2 * k + 1], expect.imag(), 1e-3) << "k=" << k << " sign=" << sign;
        }
    }
}

// Two workers at 524288 floats, four at 1048576: the split must not change
// a single bit, since each point sees the same arithmetic either way.
TEST(Fft, ThreadedAndSingleThreadedResultsAreIdentical)
{
    for (int n : {524288, 1048576}) {
        const std::vector<float> x = randomComplex(n, 11u);
        for (int sign : {+1, -1}) {
            std::vector<float> threaded = x;
            std::vector<float> single = x;
            fftTransform(threaded.data(), n, sign, FftThreading::Workers);
            fftTransform(single.data(), n, sign, FftThreading::CallerOnly);
            EXPECT_TRUE(threaded == single) << "n=" << n << " sign=" << sign;
        }
    }
}

} // namespace
