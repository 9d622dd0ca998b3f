// Cost of the tone filters. The figure that matters for the audio thread is the
// six-filter chain (high-pass, low-pass and balance pairs on both channels, in
// the processing path's order), reported as time per stereo frame ("per_frame").
// The single section, the IR shaping's sweep step and the response analysis run
// on other threads and are listed for scale.
#include "engine/CIIR.h"
#include "engine/FilterPair.h"
#include "engine/Handover.h"
#include "engine/ResponseAnalyser.h"
#include "engine/SweepFilterPair.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

namespace {

using engine::FilterPair;

std::vector<float> noise(int frames, std::uint32_t state)
{
    std::vector<float> s(static_cast<size_t>(frames));
    for (auto& v : s) {
        state = state * 1664525u + 1013904223u;
        v = static_cast<float>(state >> 8) / 16777216.0f - 0.5f;
    }
    return s;
}

void perFrame(benchmark::State& state, int framesPerIteration)
{
    state.counters["per_frame"] = benchmark::Counter(static_cast<double>(framesPerIteration),
                                                     benchmark::Counter::kIsIterationInvariantRate |
                                                         benchmark::Counter::kInvert);
}

void BM_SixFilterChain(benchmark::State& state)
{
    const int frames = static_cast<int>(state.range(0));
    engine::ProcessEpoch epoch;
    FilterPair highPass(epoch, FilterPair::Kind::HighPass);
    FilterPair lowPass(epoch, FilterPair::Kind::LowPass);
    FilterPair balance(epoch, FilterPair::Kind::Balance);
    highPass.setFrequency(20.0f);
    lowPass.setFrequency(16000.0f);
    balance.setBalance(3.0f);
    std::vector<float> wetL = noise(frames, 1), wetR = noise(frames, 2);
    std::vector<float> scratchL(static_cast<size_t>(frames)), scratchR(static_cast<size_t>(frames));
    const std::vector<float> sourceL = wetL, sourceR = wetR;

    for (auto _ : state) {
        engine::ProcessEpoch::Scope scope(epoch);
        highPass.process(FilterPair::Channel::Left, sourceL.data(), scratchL.data(), frames);
        highPass.process(FilterPair::Channel::Right, sourceR.data(), scratchR.data(), frames);
        lowPass.process(FilterPair::Channel::Left, scratchL.data(), wetL.data(), frames);
        lowPass.process(FilterPair::Channel::Right, scratchR.data(), wetR.data(), frames);
        balance.process(FilterPair::Channel::Left, wetL.data(), scratchL.data(), frames);
        balance.process(FilterPair::Channel::Right, wetR.data(), scratchR.data(), frames);
        benchmark::DoNotOptimize(scratchL.data());
        benchmark::DoNotOptimize(scratchR.data());
        benchmark::ClobberMemory();
    }
    perFrame(state, frames);
}
BENCHMARK(BM_SixFilterChain)->Arg(32)->Arg(256)->Arg(1024)->Arg(4096);

void BM_SixFilterChainDisabled(benchmark::State& state)
{
    const int frames = static_cast<int>(state.range(0));
    engine::ProcessEpoch epoch;
    FilterPair highPass(epoch, FilterPair::Kind::HighPass);
    FilterPair lowPass(epoch, FilterPair::Kind::LowPass);
    FilterPair balance(epoch, FilterPair::Kind::Balance);
    for (FilterPair* p : {&highPass, &lowPass, &balance})
        p->setEnabled(false);
    std::vector<float> wetL = noise(frames, 1), wetR = noise(frames, 2);
    std::vector<float> scratchL(static_cast<size_t>(frames)), scratchR(static_cast<size_t>(frames));

    for (auto _ : state) {
        engine::ProcessEpoch::Scope scope(epoch);
        highPass.processStereo(wetL.data(), wetR.data(), scratchL.data(), scratchR.data(), frames);
        lowPass.processStereo(scratchL.data(), scratchR.data(), wetL.data(), wetR.data(), frames);
        balance.processStereo(wetL.data(), wetR.data(), scratchL.data(), scratchR.data(), frames);
        benchmark::DoNotOptimize(scratchL.data());
        benchmark::ClobberMemory();
    }
    perFrame(state, frames);
}
BENCHMARK(BM_SixFilterChainDisabled)->Arg(1024);

void BM_OneSectionBlock(benchmark::State& state)
{
    const int frames = static_cast<int>(state.range(0));
    engine::CIIR filter;
    filter.design(engine::CIIR::kLowPass, 5000.0f, 0.6f, 0.0f);
    const std::vector<float> in = noise(frames, 3);
    std::vector<float> out(static_cast<size_t>(frames));
    for (auto _ : state) {
        filter.processBlock(in.data(), out.data(), frames);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    perFrame(state, frames);
}
BENCHMARK(BM_OneSectionBlock)->Arg(1024);

void BM_SweepStep(benchmark::State& state)
{
    constexpr int kFrames = 4096;
    engine::SweepFilterPair falling, rising;
    falling.setUp(44100, 22050.0, 1000.0, 2000.0, 0.5, 0.5);
    rising.setUp(44100, 20.0, 250.0, 2000.0, 0.3, 0.5);
    const std::vector<float> in = noise(kFrames, 4);
    for (auto _ : state) {
        double sum = 0.0;
        for (float x : in) {
            double l = x, r = -x;
            falling.step(l, r);
            rising.step(l, r);
            sum += l + r;
        }
        benchmark::DoNotOptimize(sum);
    }
    perFrame(state, kFrames);
}
BENCHMARK(BM_SweepStep);

void BM_ResponseAnalysis(benchmark::State& state)
{
    engine::ProcessEpoch epoch;
    FilterPair highPass(epoch, FilterPair::Kind::HighPass);
    FilterPair lowPass(epoch, FilterPair::Kind::LowPass);
    FilterPair balance(epoch, FilterPair::Kind::Balance);
    balance.setBalance(6.0f);
    engine::ResponseAnalyser analyser;
    for (auto _ : state)
        analyser.analyse(highPass, lowPass, balance);
}
BENCHMARK(BM_ResponseAnalysis)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
