// Our real-input transform against FFTW's single-precision r2c and c2r
// transforms of the same size, in one run: the engine's size (65536 samples)
// and the response analyser's (4096), on each instruction-set path, with the
// ratios. FFTW plans with FFTW_MEASURE (its best) and FFTW_ESTIMATE.
//
// Each figure is the fastest of several rounds of the median time per
// transform, so that other work on the machine counts as little as possible.
//
// Usage: bench_fft_vs_fftw [rounds, default 7]
#include "engine/AlignedFloats.h"
#include "engine/RealFft.h"

#include <fftw3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Microseconds per call of `work`: the fastest round's median. `setup` runs
// untimed before each call (it restores the input, so values stay bounded).
double timeUs(const std::function<void()>& setup, const std::function<void()>& work, int rounds, int size)
{
    const int perRound = std::max(8, (1 << 22) / size);
    double best = 1e30;
    for (int r = 0; r < rounds; ++r) {
        std::vector<double> us;
        for (int i = 0; i < perRound; ++i) {
            setup();
            const auto start = Clock::now();
            work();
            us.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
        }
        std::nth_element(us.begin(), us.begin() + us.size() / 2, us.end());
        best = std::min(best, us[us.size() / 2]);
    }
    return best;
}

struct Fftw {
    int n;
    float* real;
    fftwf_complex* spectrum;
    fftwf_plan forward, inverse;
    std::vector<float> source;
    std::vector<float> spectrumSource;

    Fftw(int size, unsigned flags)
        : n(size), real(fftwf_alloc_real(static_cast<size_t>(size))),
          spectrum(fftwf_alloc_complex(static_cast<size_t>(size / 2 + 1)))
    {
        forward = fftwf_plan_dft_r2c_1d(n, real, spectrum, flags);
        inverse = fftwf_plan_dft_c2r_1d(n, spectrum, real, flags);
        std::mt19937 rng(1);
        std::uniform_real_distribution<float> dist(-1.0f, 1.0f);
        source.resize(static_cast<size_t>(n));
        for (float& v : source)
            v = dist(rng);
        restore();
        fftwf_execute(forward);
        spectrumSource.assign(&spectrum[0][0], &spectrum[0][0] + 2 * (n / 2 + 1));
    }
    void restore() { std::copy(source.begin(), source.end(), real); }
    void restoreSpectrum() { std::copy(spectrumSource.begin(), spectrumSource.end(), &spectrum[0][0]); }
    ~Fftw()
    {
        fftwf_destroy_plan(forward);
        fftwf_destroy_plan(inverse);
        fftwf_free(real);
        fftwf_free(spectrum);
    }
};

void report(int size, int rounds)
{
    Fftw measured(size, FFTW_MEASURE);
    Fftw estimated(size, FFTW_ESTIMATE);
    const double fftwForward =
        timeUs([&] { measured.restore(); }, [&] { fftwf_execute(measured.forward); }, rounds, size);
    const double fftwInverse =
        timeUs([&] { measured.restoreSpectrum(); }, [&] { fftwf_execute(measured.inverse); }, rounds, size);
    const double estForward =
        timeUs([&] { estimated.restore(); }, [&] { fftwf_execute(estimated.forward); }, rounds, size);
    std::printf("N = %d\n", size);
    std::printf("  FFTW r2c %8.2f us   c2r %8.2f us   (FFTW_ESTIMATE r2c %8.2f us)\n", fftwForward, fftwInverse,
                estForward);
    for (const engine::VectorPath path : {engine::VectorPath::Sse2, engine::VectorPath::Avx2Fma}) {
        if (!engine::vectorPathAvailable(path))
            continue;
        const engine::RealFft fft(__builtin_ctz(static_cast<unsigned>(size)), path);
        const size_t m = static_cast<size_t>(fft.points());
        engine::AlignedFloats re(m), im(m), spectrumRe(m), spectrumIm(m);
        auto restore = [&] {
            for (size_t i = 0; i < m; ++i) {
                re[i] = measured.source[2 * i];
                im[i] = measured.source[2 * i + 1];
            }
        };
        restore();
        fft.forward(re.data(), im.data());
        std::copy(re.data(), re.data() + m, spectrumRe.data());
        std::copy(im.data(), im.data() + m, spectrumIm.data());
        const double forward = timeUs(restore, [&] { fft.forward(re.data(), im.data()); }, rounds, size);
        auto restoreSpectrum = [&] {
            std::copy(spectrumRe.data(), spectrumRe.data() + m, re.data());
            std::copy(spectrumIm.data(), spectrumIm.data() + m, im.data());
        };
        const double inverse = timeUs(restoreSpectrum, [&] { fft.inverse(re.data(), im.data()); }, rounds, size);
        std::printf("  ours %-8s %8.2f us       %8.2f us   ours / FFTW: forward %.2f, inverse %.2f\n",
                    engine::vectorPathName(path), forward, inverse, forward / fftwForward, inverse / fftwInverse);
    }
}

} // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    report(65536, rounds);
    report(4096, rounds);
    return 0;
}
