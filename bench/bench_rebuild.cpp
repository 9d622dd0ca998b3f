// Cost of loading a full-length stereo IR (131072 frames) and building its
// kernel: reading, lead trimming, decay measurement, shaping and the kernel's
// transforms. Two files alternate so that every load builds a new kernel.
// And the rebuild alone, as a change of a shaping knob costs the effect's
// worker: two Decay values alternate at 48 kHz.
#include "params/ParameterRanges.h"
#include "bench/BenchIRFile.h"
#include "engine/ConvolutionEngine.h"
#include "engine/Handover.h"
#include "ir/IRData.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

void BM_LoadAndRebuild(benchmark::State& state)
{
    char folder[] = "/tmp/rvb-bench-rebuild-XXXXXX";
    if (mkdtemp(folder) == nullptr) {
        state.SkipWithError("no temporary folder");
        return;
    }
    const std::string paths[2] = {benchir::writeIR(std::string(folder) + "/a.wav", 1),
                                  benchir::writeIR(std::string(folder) + "/b.wav", 2)};

    engine::ProcessEpoch epoch;
    engine::ConvolutionEngine engine(epoch);
    ir::IRData ir(nullptr, engine);
    ir.setDump(0.5f);
    ir.setGate(static_cast<float>(param::kGateMaximumMs));
    int which = 0;
    for (auto _ : state) {
        if (ir.loadIR(paths[which].c_str()) != 0) {
            state.SkipWithError(ir.errorText());
            break;
        }
        which ^= 1;
    }
    for (const auto& p : paths)
        std::remove(p.c_str());
    rmdir(folder);
}
BENCHMARK(BM_LoadAndRebuild)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Rebuild(benchmark::State& state)
{
    char folder[] = "/tmp/rvb-bench-rebuild-XXXXXX";
    if (mkdtemp(folder) == nullptr) {
        state.SkipWithError("no temporary folder");
        return;
    }
    const std::string path = benchir::writeIR(std::string(folder) + "/a.wav", 1);
    engine::ProcessEpoch epoch;
    engine::ConvolutionEngine engine(epoch);
    ir::IRData ir(nullptr, engine, 48000.0f);
    ir.setDump(0.5f);
    ir.setGate(static_cast<float>(param::kGateMaximumMs));
    if (ir.loadIR(path.c_str()) != 0)
        state.SkipWithError(ir.errorText());
    bool which = false;
    for (auto _ : state) {
        ir.setDecay(which ? 0.5 : 0.6);
        which = !which;
    }
    std::remove(path.c_str());
    rmdir(folder);
}
BENCHMARK(BM_Rebuild)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
