// What a second of audio costs our convolution engine, against zita-convolver
// in two set-ups and against the floor that FFTW sets for 65536 frames of
// latency, all on the same stereo IR of 131072 frames and the same noise, in
// one run, at 48 kHz in calls of 64 frames as a host makes them:
//
// - ours: the effect's ConvolutionEngine (latency 65536, work spread evenly
//   over the calls on the calling thread), on the fastest inner loops this
//   machine runs and on the SSE2 ones every x86-64 machine has;
// - zita-convolver, low latency: partitions of 64 up to 8192 frames, the larger
//   ones on its own threads (latency 64);
// - zita-convolver, latency-tolerant: one size of partition, 8192 frames, all
//   in the call that completes one (latency 8192);
// - the floor: FFTW's real transforms (FFTW_MEASURE) on four partitions of
//   32768 frames, uniformly partitioned overlap-save, each partition's work
//   done at once: what 65536 frames of latency cost at the least.
//
// Processor time is that of the whole process (all threads) while the
// contender runs. By default the calls follow each other as fast as they go
// (zita's low-latency set-up then waits for its threads at each call); with
// --paced they come in real time as a host's audio thread makes them, and the
// cost of the pacing itself (a call that does nothing, measured the same way)
// is taken off. Also printed: heap memory per instance with the IR loaded (an
// extra instance of ours, and the first, which also builds the transform
// tables all instances share).
//
// Usage: bench_convolution_cost [seconds of audio per contender, default 30] [--paced]
#include "ConvolutionContenders.h"
#include "engine/ConvolutionEngine.h"
#include "engine/Handover.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>

namespace {

using namespace benchcost;

class Ours : public Contender {
public:
    explicit Ours(const Ir& ir, engine::VectorPath path = engine::bestVectorPath()) : engine_(epoch_, path)
    {
        engine_.prepareKernel(ir.left.data(), ir.right.data(), kIrFrames);
    }
    void process(const float* inL, const float* inR, float* outL, float* outR) override
    {
        engine::ProcessEpoch::Scope scope(epoch_);
        engine_.exchange(inL, inR, dryL_, dryR_, outL, outR, kCall);
    }

private:
    engine::ProcessEpoch epoch_;
    engine::ConvolutionEngine engine_;
    float dryL_[kCall];
    float dryR_[kCall];
};

} // namespace

int main(int argc, char** argv)
{
    double seconds = 30.0;
    bool paced = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--paced") == 0)
            paced = true;
        else
            seconds = std::max(1.0, std::atof(argv[i]));
    }
    const Ir ir;
    const Input input;
    std::printf("stereo IR of %d frames, %d Hz, calls of %d frames, %.0f s of noise per contender, %s\n",
                kIrFrames, kRate, kCall, seconds, paced ? "paced in real time" : "unpaced");
    std::printf("our inner loops: %s\n\n", engine::vectorPathName(engine::bestVectorPath()));

    struct Row {
        const char* name;
        std::function<std::unique_ptr<Contender>()> make;
        double cpu = 0.0;
    };
    Row rows[] = {
        {"ours (latency 65536)", [&] { return std::make_unique<Ours>(ir); }},
        {"ours on SSE2 loops", [&] { return std::make_unique<Ours>(ir, engine::VectorPath::Sse2); }},
        {"zita low latency (64..8192)", [&] { return std::make_unique<Zita>(ir, 64, 64, !paced); }},
        {"zita partitions of 8192", [&] { return std::make_unique<Zita>(ir, 8192, 8192, true); }},
        {"FFTW floor (4 x 32768)", [&] { return std::make_unique<FftwFloor>(ir); }},
    };
    // Memory first: our first instance builds the transform tables that all
    // instances share.
    std::printf("heap per instance with the IR loaded, MiB\n");
    std::unique_ptr<Contender> first;
    const double firstOurs = heapMiB(rows[0].make, input, &first);
    std::printf("%-30s %8.2f\n", "ours, each further instance", heapMiB(rows[0].make, input));
    std::printf("%-30s %8.2f\n", "ours, first instance", firstOurs);
    std::printf("%-30s %8.2f\n", rows[2].name, heapMiB(rows[2].make, input));
    std::printf("%-30s %8.2f\n", rows[3].name, heapMiB(rows[3].make, input));
    first.reset();
    std::fflush(stdout);

    double pacing = 0.0;
    if (paced) {
        Nothing nothing;
        pacing = cpuPercent(nothing, input, seconds, true);
        std::printf("\npacing alone: %.4f %% of real time, taken off below\n", pacing);
    }
    for (Row& r : rows) {
        std::unique_ptr<Contender> c = r.make();
        r.cpu = cpuPercent(*c, input, seconds, paced) - pacing;
    }
    std::printf("\n%-30s %14s %12s\n", "engine", "CPU % of real", "ours / it");
    for (const Row& r : rows)
        std::printf("%-30s %14.4f %12.2f\n", r.name, r.cpu, rows[0].cpu / r.cpu);
    std::printf("\nours against the floor: %.2f; against zita-convolver with partitions of 8192: %.2f\n",
                rows[0].cpu / rows[4].cpu, rows[0].cpu / rows[3].cpu);
    return 0;
}
