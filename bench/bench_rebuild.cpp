// Cost of loading a full-length stereo IR (131072 frames) and building its
// kernel: reading, lead trimming, decay measurement, shaping and the kernel's
// transforms. Two files alternate so that every load builds a new kernel.
#include "engine/ConvolutionEngine.h"
#include "engine/Handover.h"
#include "ir/IRData.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

void put(std::string& s, std::uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        s.push_back(static_cast<char>((v >> (8 * i)) & 0xff));
}

// A decaying noise IR, stereo, 32-bit float.
std::string writeIR(const std::string& path, unsigned state)
{
    constexpr int kFrames = 131072;
    constexpr int kRate = 44100;
    std::string data;
    data.reserve(kFrames * 8);
    for (int i = 0; i < kFrames; ++i) {
        for (int c = 0; c < 2; ++c) {
            state = state * 1664525u + 1013904223u;
            const float v = static_cast<float>((static_cast<double>(state >> 8) / 8388608.0 - 1.0) *
                                               std::exp(-i / 20000.0));
            std::uint32_t bits;
            std::memcpy(&bits, &v, sizeof bits);
            put(data, bits, 4);
        }
    }
    std::string wav = "RIFF";
    put(wav, static_cast<std::uint32_t>(36 + data.size()), 4);
    wav += "WAVEfmt ";
    put(wav, 16, 4);
    put(wav, 3, 2);
    put(wav, 2, 2);
    put(wav, kRate, 4);
    put(wav, kRate * 8, 4);
    put(wav, 8, 2);
    put(wav, 32, 2);
    wav += "data";
    put(wav, static_cast<std::uint32_t>(data.size()), 4);
    wav += data;
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(wav.data(), 1, wav.size(), f);
        std::fclose(f);
    }
    return path;
}

void BM_LoadAndRebuild(benchmark::State& state)
{
    char folder[] = "/tmp/rvb-bench-rebuild-XXXXXX";
    if (mkdtemp(folder) == nullptr) {
        state.SkipWithError("no temporary folder");
        return;
    }
    const std::string paths[2] = {writeIR(std::string(folder) + "/a.wav", 1),
                                  writeIR(std::string(folder) + "/b.wav", 2)};

    engine::ProcessEpoch epoch;
    engine::ConvolutionEngine engine(epoch);
    ir::IRData ir(nullptr, engine);
    ir.setDump(0.5f);
    ir.setGate(2972.154296875f);
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

} // namespace

BENCHMARK_MAIN();
