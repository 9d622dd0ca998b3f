// The engine's real-input transform against the defining sums, evaluated
// directly in double precision, on both instruction-set paths.
#include "engine/RealFft.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <random>
#include <string>
#include <vector>

namespace {

using engine::AlignedFloats;
using engine::RealFft;
using engine::VectorPath;

constexpr double kTwoPi = 6.283185307179586476925286766559;

std::vector<VectorPath> availablePaths()
{
    std::vector<VectorPath> paths{VectorPath::Sse2};
    if (engine::vectorPathAvailable(VectorPath::Avx2Fma))
        paths.push_back(VectorPath::Avx2Fma);
    return paths;
}

std::vector<double> randomSamples(int n, unsigned stream)
{
    std::mt19937 rng(stream);
    std::uniform_real_distribution<double> dist(-1.0, 1.0);
    std::vector<double> v(static_cast<size_t>(n));
    for (double& x : v)
        x = static_cast<float>(dist(rng));  // exactly representable as floats
    return v;
}

// A signal in the transform's layout: sample 2i in re[i], 2i+1 in im[i].
struct Split {
    AlignedFloats re, im;
    explicit Split(int points) : re(static_cast<size_t>(points)), im(static_cast<size_t>(points)) {}
};

Split toSplit(const std::vector<double>& x)
{
    Split s(static_cast<int>(x.size() / 2));
    for (size_t i = 0; i < x.size() / 2; ++i) {
        s.re[i] = static_cast<float>(x[2 * i]);
        s.im[i] = static_cast<float>(x[2 * i + 1]);
    }
    return s;
}

// X[k] = sum over t of x[t] exp(-2 pi i k t / N), in double.
std::complex<double> directBin(const std::vector<double>& x, int k)
{
    const long long n = static_cast<long long>(x.size());
    std::complex<double> sum = 0.0;
    for (long long t = 0; t < n; ++t) {
        const double angle = -kTwoPi * static_cast<double>(t * k % n) / static_cast<double>(n);
        sum += x[static_cast<size_t>(t)] * std::polar(1.0, angle);
    }
    return sum;
}

std::complex<double> binOf(const RealFft& fft, const Split& s, int k)
{
    const int m = fft.points();
    if (k == 0)
        return s.re[0];
    if (k == m)
        return s.im[0];
    if (k < m) {
        const size_t p = static_cast<size_t>(fft.position(k));
        return {s.re[p], s.im[p]};
    }
    return std::conj(binOf(fft, s, fft.size() - k));
}

// Bins worth checking: the edges, the middle, and a spread.
std::vector<int> someBins(int n, unsigned stream)
{
    std::vector<int> bins{0, 1, 2, 3, n / 4, n / 2 - 1, n / 2, n / 2 + 1, n - 1};
    std::mt19937 rng(stream);
    std::uniform_int_distribution<int> any(0, n - 1);
    for (int i = 0; i < 48; ++i)
        bins.push_back(any(rng));
    return bins;
}

double rms(const std::vector<double>& x)
{
    double sum = 0.0;
    for (double v : x)
        sum += v * v;
    return std::sqrt(sum / x.size());
}

// Single-precision rounding over log2 N passes, relative to the size of a bin
// of noise (rms * sqrt N); a wrong twiddle or order is off by the bin itself.
double binTolerance(const std::vector<double>& x) { return 3e-6 * rms(x) * std::sqrt(static_cast<double>(x.size())); }

TEST(RealFft, ForwardMatchesTheDefiningSum)
{
    for (const VectorPath path : availablePaths()) {
        for (const int log2n : {6, 7, 8, 9, 10, 12, 13, 16}) {
            const RealFft fft(log2n, path);
            const int n = fft.size();
            ASSERT_EQ(n, 1 << log2n);
            const std::vector<double> x = randomSamples(n, 7u + log2n);
            Split s = toSplit(x);
            fft.forward(s.re.data(), s.im.data());
            const double tolerance = binTolerance(x);
            for (const int k : someBins(n, 11u)) {
                const std::complex<double> want = directBin(x, k);
                EXPECT_LE(std::abs(binOf(fft, s, k) - want), tolerance)
                    << engine::vectorPathName(path) << " N=" << n << " bin " << k;
            }
        }
    }
}

// The inverse of a spectrum given by its bins, against the defining sum
// x[t] = sum over k < N of X[k] exp(+2 pi i k t / N).
TEST(RealFft, InverseMatchesTheDefiningSum)
{
    for (const VectorPath path : availablePaths()) {
        for (const int log2n : {6, 7, 9, 11, 14}) {
            const RealFft fft(log2n, path);
            const int n = fft.size();
            const int m = fft.points();
            const std::vector<double> parts = randomSamples(n + 2, 20u + log2n);
            std::vector<std::complex<double>> bins(static_cast<size_t>(m + 1));
            for (int k = 0; k <= m; ++k)
                bins[k] = {parts[2 * k], (k == 0 || k == m) ? 0.0 : parts[2 * k + 1]};
            Split s(m);
            s.re[0] = static_cast<float>(bins[0].real());
            s.im[0] = static_cast<float>(bins[m].real());
            for (int k = 1; k < m; ++k) {
                s.re[static_cast<size_t>(fft.position(k))] = static_cast<float>(bins[k].real());
                s.im[static_cast<size_t>(fft.position(k))] = static_cast<float>(bins[k].imag());
            }
            fft.inverse(s.re.data(), s.im.data());

            std::mt19937 rng(3u);
            std::uniform_int_distribution<int> any(0, n - 1);
            for (int i = 0; i < 40; ++i) {
                const int t = i < 4 ? i : any(rng);
                double sum = 0.0;
                for (int k = 0; k < n; ++k) {
                    const std::complex<double> b = k <= m ? bins[k] : std::conj(bins[n - k]);
                    const double angle = kTwoPi * static_cast<double>(static_cast<long long>(k) * t % n) / n;
                    sum += (b * std::polar(1.0, angle)).real();
                }
                const float got = t % 2 == 0 ? s.re[t / 2] : s.im[t / 2];
                EXPECT_NEAR(got, sum, 5e-6 * std::sqrt(static_cast<double>(n)))
                    << engine::vectorPathName(path) << " N=" << n << " sample " << t;
            }
        }
    }
}

TEST(RealFft, RoundTripReturnsTheInputTimesTheSize)
{
    for (const VectorPath path : availablePaths()) {
        for (const int log2n : {6, 8, 9, 12, 17}) {
            const RealFft fft(log2n, path);
            const int n = fft.size();
            const std::vector<double> x = randomSamples(n, 30u + log2n);
            Split s = toSplit(x);
            fft.forward(s.re.data(), s.im.data());
            fft.inverse(s.re.data(), s.im.data());
            double worst = 0.0;
            for (int t = 0; t < n; ++t) {
                const double got = (t % 2 == 0 ? s.re[t / 2] : s.im[t / 2]) / static_cast<double>(n);
                worst = std::max(worst, std::fabs(got - x[t]));
            }
            EXPECT_LE(worst, 2e-6) << engine::vectorPathName(path) << " N=" << n;
        }
    }
}

// Spread over calls, any cut between units gives the whole transform's result
// bit for bit.
TEST(RealFft, StepsRunInAnyUnitsGiveTheWholeTransform)
{
    for (const VectorPath path : availablePaths()) {
        const RealFft fft(14, path);
        const std::vector<double> x = randomSamples(fft.size(), 40u);
        Split whole = toSplit(x);
        fft.forward(whole.re.data(), whole.im.data());
        Split cut = toSplit(x);
        std::mt19937 rng(5u);
        std::uniform_int_distribution<int> chunk(1, 5);
        for (int step = 0; step < static_cast<int>(fft.steps().size()); ++step)
            for (int u = 0; u < fft.steps()[step].units;) {
                const int to = std::min(fft.steps()[step].units, u + chunk(rng));
                fft.runForward(step, cut.re.data(), cut.im.data(), u, to);
                u = to;
            }
        EXPECT_TRUE(std::equal(whole.re.data(), whole.re.data() + fft.points(), cut.re.data()));
        EXPECT_TRUE(std::equal(whole.im.data(), whole.im.data() + fft.points(), cut.im.data()));

        fft.inverse(whole.re.data(), whole.im.data());
        const int steps = static_cast<int>(fft.steps().size());
        for (int step = 0; step < steps; ++step)
            for (int u = 0; u < fft.steps()[steps - 1 - step].units; u += 3)
                fft.runInverse(step, cut.re.data(), cut.im.data(), u,
                               std::min(u + 3, fft.steps()[steps - 1 - step].units));
        EXPECT_TRUE(std::equal(whole.re.data(), whole.re.data() + fft.points(), cut.re.data()));
        EXPECT_TRUE(std::equal(whole.im.data(), whole.im.data() + fft.points(), cut.im.data()));
    }
}

// The product of two spectra is the spectrum of the circular convolution of
// their signals, including the real bins at position 0.
TEST(RealFft, SpectrumProductIsCircularConvolution)
{
    for (const VectorPath path : availablePaths()) {
        const RealFft fft(10, path);
        const int n = fft.size();
        const std::vector<double> a = randomSamples(n, 50u), b = randomSamples(n, 51u);
        Split sa = toSplit(a), sb = toSplit(b), sum(fft.points());
        fft.forward(sa.re.data(), sa.im.data());
        fft.forward(sb.re.data(), sb.im.data());
        // Two sums sharing their spectra, each into one of its own inputs:
        // a*b + b*a into a, and a*a into b.
        const float* xr[] = {sa.re.data(), sb.re.data()};
        const float* xi[] = {sa.im.data(), sb.im.data()};
        engine::ProductSum sums[2] = {{sa.re.data(), sa.im.data(), {sb.re.data(), sa.re.data()},
                                       {sb.im.data(), sa.im.data()}, 2},
                                      {sb.re.data(), sb.im.data(), {sa.re.data()}, {sa.im.data()}, 1}};
        fft.multiplySums(xr, xi, sums, 2, 0, fft.points());
        fft.inverse(sa.re.data(), sa.im.data());
        fft.inverse(sb.re.data(), sb.im.data());
        for (int t : {0, 1, 2, n / 2, n - 1}) {
            double wantA = 0.0, wantB = 0.0;
            for (int j = 0; j < n; ++j) {
                wantA += 2.0 * a[j] * b[(t - j + n) % n];
                wantB += a[j] * a[(t - j + n) % n];
            }
            const double gotA = (t % 2 == 0 ? sa.re[t / 2] : sa.im[t / 2]) / static_cast<double>(n);
            const double gotB = (t % 2 == 0 ? sb.re[t / 2] : sb.im[t / 2]) / static_cast<double>(n);
            EXPECT_NEAR(gotA, wantA, 1e-4) << engine::vectorPathName(path) << " sample " << t;
            EXPECT_NEAR(gotB, wantB, 1e-4) << engine::vectorPathName(path) << " sample " << t;
        }
    }
}

// Blending two signals' spectra gives the spectrum of their raised-cosine
// crossfade a + w (b - a), w(t) = (1 + cos(2 pi t / N)) / 2, at every sample,
// whichever units the blend is run in.
TEST(RealFft, BlendedSpectraAreTheRaisedCosineCrossfade)
{
    for (const VectorPath path : availablePaths()) {
        for (const int log2Size : {9, 12, 16}) {
            const RealFft fft(log2Size, path);
            const int n = fft.size();
            const std::vector<double> a = randomSamples(n, 60u), b = randomSamples(n, 61u);
            std::vector<double> difference(static_cast<size_t>(n));
            for (int t = 0; t < n; ++t)
                difference[t] = b[t] - a[t];
            Split s = toSplit(b), d = toSplit(difference);
            fft.forward(s.re.data(), s.im.data());
            fft.forward(d.re.data(), d.im.data());
            for (int u = 0; u < fft.blendUnits();) {
                const int next = std::min(fft.blendUnits(), u + 1 + u % 3);
                fft.blendSpectra(s.re.data(), s.im.data(), d.re.data(), d.im.data(), u, next);
                u = next;
            }
            fft.inverse(s.re.data(), s.im.data());
            double worst = 0.0;
            for (int t = 0; t < n; ++t) {
                const double w = 0.5 * (1.0 + std::cos(kTwoPi * t / n));
                const double want = a[t] + w * (b[t] - a[t]);
                const double got = (t % 2 == 0 ? s.re[t / 2] : s.im[t / 2]) / static_cast<double>(n);
                worst = std::max(worst, std::fabs(got - want));
            }
            EXPECT_LT(worst, 2e-5) << engine::vectorPathName(path) << ", " << n << " samples";
        }
    }
}

} // namespace
