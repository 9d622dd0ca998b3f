// Our complex transform of 262144 points (the block convolution's size) against
// FFTW's single-precision transform of the same size, in one run, with the ratio.
#include "engine/Fft.h"

#include <benchmark/benchmark.h>
#include <fftw3.h>

#include <cstdio>
#include <random>
#include <vector>

namespace {

constexpr int kPoints = 262144;

std::vector<float> noise()
{
    std::vector<float> data(2 * kPoints);
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> dist(-1.0f, 1.0f);
    for (float& v : data)
        v = dist(rng);
    return data;
}

void ourTransform(benchmark::State& state)
{
    const auto threading = state.range(0) ? engine::FftThreading::Workers : engine::FftThreading::CallerOnly;
    std::vector<float> data = noise();
    for (auto _ : state) {
        engine::fftTransform(data.data(), 2 * kPoints, +1, threading);
        benchmark::DoNotOptimize(data.data());
    }
}

void fftwTransform(benchmark::State& state)
{
    fftwf_complex* data = fftwf_alloc_complex(kPoints);
    fftwf_plan plan = fftwf_plan_dft_1d(kPoints, data, data, FFTW_BACKWARD, FFTW_ESTIMATE);
    std::vector<float> source = noise();
    for (int i = 0; i < kPoints; ++i) {
        data[i][0] = source[2 * i];
        data[i][1] = source[2 * i + 1];
    }
    for (auto _ : state) {
        fftwf_execute(plan);
        benchmark::DoNotOptimize(data);
    }
    fftwf_destroy_plan(plan);
    fftwf_free(data);
}

} // namespace

BENCHMARK(ourTransform)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(fftwTransform)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    // Collect the results to print the ratio after the table.
    class Ratio : public benchmark::ConsoleReporter {
    public:
        void ReportRuns(const std::vector<Run>& runs) override
        {
            ConsoleReporter::ReportRuns(runs);
            for (const Run& run : runs) {
                const double ms = run.GetAdjustedRealTime();
                if (run.benchmark_name().find("fftwTransform") != std::string::npos)
                    fftw = ms;
                else if (run.benchmark_name().find("ourTransform/1") != std::string::npos)
                    threaded = ms;
                else if (run.benchmark_name().find("ourTransform/0") != std::string::npos)
                    single = ms;
            }
        }
        double fftw = 0, threaded = 0, single = 0;
    } reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    if (reporter.fftw > 0)
        std::printf("ours / FFTW (262144 points): %.2f with two workers, %.2f on one thread\n",
                    reporter.threaded / reporter.fftw, reporter.single / reporter.fftw);
    return 0;
}
