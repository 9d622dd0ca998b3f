// Cost of the tone filters. The figure that matters for the audio thread is the
// six-filter chain (high-pass, low-pass and balance pairs on both channels, in
// the processing path's order), reported as time per stereo frame ("per_frame").
// The single section, the IR shaping's sweep step and the response analysis run
// on other threads and are listed for scale.
#include "engine/CIIR.h"
#include "engine/CrossfadingFilter.h"
#include "engine/FilterPair.h"
#include "engine/Handover.h"
#include "engine/ResponseAnalyser.h"
#include "engine/SweepFilterPair.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <vector>

namespace {

using engine::CrossfadingFilter;
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

// One pair (both channels) at 48 kHz in calls of 64 frames, as an automating
// host drives it: a steady call, the call that takes up a new high-pass design
// (its sections are first settled on the recent input; the argument is the new
// corner in Hz, 20 settling on the whole history), and a call while the fade
// to it runs.
class PairCalls {
public:
    static constexpr int kCall = 64;

    PairCalls() : pair_(epoch_, FilterPair::Kind::HighPass, 48000), in_(noise(4096, 5)), out_(4096)
    {
        pair_.setFrequency(8000.0f);
        run(4096);  // a full input history
    }
    void run(int frames)
    {
        engine::ProcessEpoch::Scope scope(epoch_);
        for (int done = 0; done < frames; done += kCall)
            pair_.processStereo(in_.data(), in_.data() + 2048, out_.data(), out_.data() + 2048, kCall);
        benchmark::DoNotOptimize(out_.data());
        benchmark::ClobberMemory();
    }
    // Ends any fade in progress, then publishes the next of two nearby corners.
    void nextDesign(float corner)
    {
        run(CrossfadingFilter::fadeFrames(48000.0f) + kCall);
        pair_.setFrequency(toggle_ ? corner : corner * 1.25f);
        toggle_ = !toggle_;
    }

private:
    engine::ProcessEpoch epoch_;
    FilterPair pair_;
    std::vector<float> in_, out_;
    bool toggle_ = false;
};

// Wall time of the one call that matters in each iteration, the rest unmeasured.
template <class Prepare>
void timeCalls(benchmark::State& state, PairCalls& calls, Prepare prepare)
{
    for (auto _ : state) {
        prepare();
        const auto start = std::chrono::steady_clock::now();
        calls.run(PairCalls::kCall);
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
}

void BM_PairCallSteady(benchmark::State& state)
{
    PairCalls calls;
    timeCalls(state, calls, [] {});
}
BENCHMARK(BM_PairCallSteady)->UseManualTime()->Unit(benchmark::kMicrosecond);

void BM_PairCallTakingUpADesign(benchmark::State& state)
{
    PairCalls calls;
    timeCalls(state, calls, [&] { calls.nextDesign(static_cast<float>(state.range(0))); });
}
BENCHMARK(BM_PairCallTakingUpADesign)->Arg(20)->Arg(200)->Arg(2000)->UseManualTime()->Unit(benchmark::kMicrosecond);

void BM_PairCallDuringAFade(benchmark::State& state)
{
    PairCalls calls;
    timeCalls(state, calls, [&] {
        calls.nextDesign(200.0f);
        calls.run(PairCalls::kCall);
    });
}
BENCHMARK(BM_PairCallDuringAFade)->UseManualTime()->Unit(benchmark::kMicrosecond);

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
