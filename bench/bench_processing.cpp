// Cost of the per-call processing path with every stage busy: all three filter
// pairs, pre-delay, pseudo-stereo width, boost and balance, and the
// convolution's even share of work per frame.
#include "engine/Handover.h"
#include "engine/ProcessingPath.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <vector>

namespace {

std::unique_ptr<engine::ProcessingPath> makeBusyPath(engine::ProcessEpoch& epoch)
{
    auto path = std::make_unique<engine::ProcessingPath>(epoch);
    const float unit = 1.0f;
    path->convolution().prepareKernel(&unit, &unit, 1);
    path->setSampleRate(48000);
    path->setActive(1.0f);
    path->setWetLevel(-6.0f);
    path->setDryLevel(-3.0f);
    path->setWetBoost(1.0f);
    path->setBalance(0.2);
    path->setPreDelay(50.0f);
    path->setWidth(1.3f);
    path->setPseudoStereo(1);
    path->setHighPassFrequency(80.0f);
    path->setLowPassFrequency(9000.0f);
    path->setBalanceTilt(3.0f);
    path->setHighPassEnabled(1.0f);
    path->setLowPassEnabled(1.0f);
    path->setBalanceEnabled(1.0f);
    path->reset();
    return path;
}

std::vector<float> noise(int frames, unsigned stream)
{
    std::mt19937 rng(stream);
    std::uniform_real_distribution<float> dist(-1.0f, 1.0f);
    std::vector<float> v(static_cast<size_t>(frames));
    for (float& x : v)
        x = dist(rng);
    return v;
}

void BM_ProcessCall(benchmark::State& state)
{
    const int frames = static_cast<int>(state.range(0));
    engine::ProcessEpoch epoch;
    auto path = makeBusyPath(epoch);
    const std::vector<float> inL = noise(frames, 1), inR = noise(frames, 2);
    std::vector<float> outL(static_cast<size_t>(frames)), outR(static_cast<size_t>(frames));
    for (auto _ : state) {
        path->process(inL.data(), inR.data(), outL.data(), outR.data(), frames);
        benchmark::DoNotOptimize(outL.data());
        benchmark::ClobberMemory();
    }
    state.counters["frames/s"] =
        benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["s/frame"] = benchmark::Counter(
        static_cast<double>(frames), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ProcessCall)->Arg(64)->Arg(512)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
