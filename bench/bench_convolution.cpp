// Cost of the block convolution, the model that the real-time engine
// reproduces: one 262144-point transform, the kernel preparation, and the
// block convolver's share of a 512-frame process call with and without a
// completed block.
#include "engine/BlockConvolver.h"
#include "engine/Fft.h"
#include "engine/Handover.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

namespace {

using engine::BlockConvolver;
using engine::ProcessEpoch;

constexpr int kCallFrames = 512;
constexpr int kSpectrumFloats = 2 * BlockConvolver::kFftPoints;

std::vector<float> noise(size_t count, unsigned stream)
{
    std::mt19937 rng(stream);
    std::uniform_real_distribution<float> dist(-1.0f, 1.0f);
    std::vector<float> v(count);
    for (float& x : v)
        x = dist(rng);
    return v;
}

// A full-length IR in the slot layout, as the IR pipeline hands it over.
std::vector<float> slotLayoutIr(unsigned stream)
{
    const std::vector<float> frames = noise(BlockConvolver::kKernelCapacity, stream);
    std::vector<float> a(kSpectrumFloats, 0.0f);
    for (size_t i = 0; i < frames.size(); ++i)
        a[4 * i] = frames[i] * 0.01f;
    return a;
}

void transform(benchmark::State& state, engine::FftThreading threading)
{
    const std::vector<float> source = noise(kSpectrumFloats, 1u);
    std::vector<float> data = source;
    for (auto _ : state) {
        engine::fftTransform(data.data(), kSpectrumFloats, +1, threading);
        benchmark::DoNotOptimize(data.data());
        // Unscaled transforms grow the values; start every run from the same data.
        state.PauseTiming();
        data = source;
        state.ResumeTiming();
    }
}

void BM_Fft262144Threaded(benchmark::State& state) { transform(state, engine::FftThreading::Workers); }
BENCHMARK(BM_Fft262144Threaded)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Fft262144CallerOnly(benchmark::State& state) { transform(state, engine::FftThreading::CallerOnly); }
BENCHMARK(BM_Fft262144CallerOnly)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PrepareKernel(benchmark::State& state)
{
    ProcessEpoch epoch;
    BlockConvolver conv(epoch);
    const std::vector<float> left = slotLayoutIr(2u);
    const std::vector<float> right = slotLayoutIr(3u);
    for (auto _ : state)
        benchmark::DoNotOptimize(conv.prepareKernel(left.data(), right.data()));
}
BENCHMARK(BM_PrepareKernel)->Unit(benchmark::kMillisecond)->UseRealTime();

// Feeds 512-frame calls and times only those that do (or do not) complete a
// block, as the audio thread's process call would see them.
class CallBench {
public:
    CallBench() : conv_(epoch_), in_(noise(2 * BlockConvolver::kBlockFrames, 4u)), out_(4 * kCallFrames)
    {
        const std::vector<float> left = slotLayoutIr(5u);
        const std::vector<float> right = slotLayoutIr(6u);
        conv_.prepareKernel(left.data(), right.data());
    }

    bool nextCompletesBlock() const { return (frame_ + kCallFrames) % BlockConvolver::kBlockFrames == 0; }

    void call()
    {
        const size_t at = static_cast<size_t>(frame_ % BlockConvolver::kBlockFrames);
        ProcessEpoch::Scope scope(epoch_);
        float* o = out_.data();
        conv_.exchange(in_.data() + at, in_.data() + BlockConvolver::kBlockFrames + at, o, o + kCallFrames,
                       o + 2 * kCallFrames, o + 3 * kCallFrames, kCallFrames);
        frame_ += kCallFrames;
    }

    const float* output() const { return out_.data(); }

private:
    ProcessEpoch epoch_;
    BlockConvolver conv_;
    std::vector<float> in_;
    std::vector<float> out_;
    long long frame_ = 0;
};

void BM_ProcessCallCompletingBlock(benchmark::State& state)
{
    CallBench bench;
    for (auto _ : state) {
        state.PauseTiming();
        while (!bench.nextCompletesBlock())
            bench.call();
        state.ResumeTiming();
        bench.call();
        benchmark::DoNotOptimize(bench.output());
    }
}
BENCHMARK(BM_ProcessCallCompletingBlock)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ProcessCallWithinBlock(benchmark::State& state)
{
    CallBench bench;
    for (auto _ : state) {
        if (bench.nextCompletesBlock()) {
            state.PauseTiming();
            bench.call();
            state.ResumeTiming();
        }
        bench.call();
        benchmark::DoNotOptimize(bench.output());
    }
}
BENCHMARK(BM_ProcessCallWithinBlock)->Unit(benchmark::kMicrosecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
