// What the live edition's convolution costs against its peers, side by side
// in one run on the same stereo IR of 131072 frames and the same noise, at
// 48 kHz in calls of 64 frames:
//
// - ours, live (latency 0) and standard (latency 65536);
// - zita-convolver, low latency (partitions 64 .. 8192, the larger ones on
//   its own threads; latency 64) and with partitions of 8192 (latency 8192);
// - LSP Impulse Reverb Stereo (latency 0), loaded as a VST 2.4 host loads it;
// - the FFTW floors: for latency 65536, four partitions of 32768; for latency
//   0, our live partition plan with FFTW's transforms and each block's work
//   done at once.
//
// For each: processor time of the whole process (all threads) per second of
// audio, unpaced, the least of three rounds; per-call flatness, from the
// calling thread's processor time per call over many periods of 32768 frames
// (per position of the call in that period, the median over the periods, and
// the dearest position against the median one; also the 99.9th percentile of
// single calls against the median call); with --paced, calls in real time
// (every 1.33 ms), the 99.9th percentile of each call's thread processor time
// and of its wall time (which counts preemption by other programs) against
// that deadline; and memory, the growth of the resident set and of the heap
// for one more instance. Then the ratios that the live edition is held to:
// its CPU against the cheaper of zita's low-latency set-up and LSP (at most
// one half), its dearest call against its median (at most 3).
//
// Usage: bench_live_cost [seconds of audio per contender, default 20] [--paced [seconds, default 10]]
#include "BenchIRFile.h"
#include "ConvolutionContenders.h"
#include "FftwLiveFloor.h"
#include "LspImpulseReverb.h"
#include "engine/Edition.h"
#include "engine/Handover.h"
#include "engine/LiveConvolutionEngine.h"
#include "engine/LivePartitionPlan.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace benchcost;

class Ours : public Contender {
public:
    Ours(const Ir& ir, engine::Edition edition) : engine_(engine::makeConvolver(edition, epoch_))
    {
        engine_->prepareKernel(ir.left.data(), ir.right.data(), kIrFrames);
    }
    void process(const float* inL, const float* inR, float* outL, float* outR) override
    {
        engine::ProcessEpoch::Scope scope(epoch_);
        engine_->exchange(inL, inR, dryL_, dryR_, outL, outR, kCall);
    }

private:
    engine::ProcessEpoch epoch_;
    std::unique_ptr<engine::Convolver> engine_;
    float dryL_[kCall];
    float dryR_[kCall];
};

double threadCpuNs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1e9 + static_cast<double>(ts.tv_nsec);
}

double residentMiB()
{
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

double percentileOf(std::vector<double> v, double p)
{
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<size_t>(p * static_cast<double>(v.size())))];
}

struct Flatness {
    double medianUs = 0.0;
    double dearestPosition = 0.0;  // against the median position
    double p999 = 0.0;             // against the median call
};

// Thread processor time per call, unpaced, over `periods` periods of 32768 frames.
Flatness flatness(Contender& c, const Input& in, int periods)
{
    constexpr int kPositions = 32768 / kCall;
    float outL[kCall], outR[kCall];
    const long loop = static_cast<long>(in.left.size()) / kCall;
    std::vector<std::vector<double>> byPosition(kPositions);
    std::vector<double> all;
    for (long call = -kPositions; call < static_cast<long>(periods) * kPositions; ++call) {
        const size_t at = static_cast<size_t>((call + kPositions) % loop) * kCall;
        const double t0 = threadCpuNs();
        c.process(in.left.data() + at, in.right.data() + at, outL, outR);
        const double ns = threadCpuNs() - t0;
        if (call >= 0) {
            byPosition[static_cast<size_t>(call % kPositions)].push_back(ns);
            all.push_back(ns);
        }
    }
    std::vector<double> positions;
    for (const std::vector<double>& p : byPosition)
        positions.push_back(percentileOf(p, 0.5));
    Flatness f;
    const double medianPosition = percentileOf(positions, 0.5);
    f.medianUs = percentileOf(all, 0.5) / 1000.0;
    f.dearestPosition = *std::max_element(positions.begin(), positions.end()) / medianPosition;
    f.p999 = percentileOf(all, 0.999) / percentileOf(all, 0.5);
    return f;
}

struct Paced {
    double cpu = 0.0;   // the calling thread's processor time per call, 99.9th percentile against the deadline
    double wall = 0.0;  // wall time per call, the same (preemption by other programs included)
};

// Calls every 1.33 ms, as a host's audio thread makes them.
Paced paced(Contender& c, const Input& in, double seconds)
{
    float outL[kCall], outR[kCall];
    const long loop = static_cast<long>(in.left.size()) / kCall;
    const long calls = static_cast<long>(seconds * kRate / kCall);
    const long periodNs = 1000000000L * kCall / kRate;
    std::vector<double> wall, cpu;
    timespec next{};
    clock_gettime(CLOCK_MONOTONIC, &next);
    for (long call = 0; call < calls; ++call) {
        const size_t at = static_cast<size_t>(call % loop) * kCall;
        timespec t0{}, t1{};
        clock_gettime(CLOCK_MONOTONIC, &t0);
        const double c0 = threadCpuNs();
        c.process(in.left.data() + at, in.right.data() + at, outL, outR);
        cpu.push_back(threadCpuNs() - c0);
        clock_gettime(CLOCK_MONOTONIC, &t1);
        wall.push_back(static_cast<double>(t1.tv_sec - t0.tv_sec) * 1e9 + static_cast<double>(t1.tv_nsec - t0.tv_nsec));
        next.tv_nsec += periodNs;
        while (next.tv_nsec >= 1000000000L) {
            next.tv_nsec -= 1000000000L;
            ++next.tv_sec;
        }
        clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, nullptr);
    }
    return {percentileOf(cpu, 0.999) / static_cast<double>(periodNs), percentileOf(wall, 0.999) / static_cast<double>(periodNs)};
}

struct Row {
    Row(const char* n, int l, std::function<std::unique_ptr<Contender>(bool)> m) : name(n), latency(l), make(std::move(m))
    {
    }
    const char* name;
    int latency;
    std::function<std::unique_ptr<Contender>(bool paced)> make;
    bool available = true;
    double cpu = 0.0, residentMiB = 0.0, heapMiB = 0.0;
    Paced paced;
    Flatness flat;
};

} // namespace

int main(int argc, char** argv)
{
    double seconds = 20.0, pacedSeconds = 0.0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--paced") == 0)
            pacedSeconds = i + 1 < argc && std::atof(argv[i + 1]) > 0.0 ? std::atof(argv[++i]) : 10.0;
        else
            seconds = std::max(1.0, std::atof(argv[i]));
    }
    const Ir ir;
    const Input input;
    const std::string irFile = "/tmp/bench_live_cost_ir_" + std::to_string(getpid()) + ".wav";
    if (!benchir::writeStereoWav(irFile, ir.left.data(), ir.right.data(), kIrFrames, kRate))
        std::fprintf(stderr, "could not write %s\n", irFile.c_str());

    const engine::LivePartitionPlan& plan = engine::LivePartitionPlan::chosen();
    std::printf("stereo IR of %d frames, %d Hz, calls of %d frames, %.0f s of noise per contender\n", kIrFrames,
                kRate, kCall, seconds);
    std::printf("our inner loops: %s; live partition plan: head %d", engine::vectorPathName(engine::bestVectorPath()),
                plan.headFrames);
    for (int l = 0; l < plan.levelCount; ++l)
        std::printf(", %dx%d@%d", plan.levels[l].partitions, plan.levels[l].blockFrames, plan.levels[l].offsetFrames);
    std::printf("\ncost model's prediction for it: %.1f ns per frame, %.4f %% of real time\n\n",
                plan.cost(engine::LiveCostModel::measured()),
                plan.cost(engine::LiveCostModel::measured()) * kRate * 1e-7);

    auto lsp = [&](bool) -> std::unique_ptr<Contender> {
        auto c = std::make_unique<LspImpulseReverb>(irFile);
        if (!c->loaded() || !c->waitUntilReady(input, 20.0))
            return nullptr;
        return c;
    };
    std::vector<Row> rows = {
        {"ours, live", 0, [&](bool) { return std::make_unique<Ours>(ir, engine::Edition::Live); }},
        {"ours, standard", 65536, [&](bool) { return std::make_unique<Ours>(ir, engine::Edition::Standard); }},
        // Unpaced, zita's low-latency set-up waits for its threads at each
        // call (they would otherwise never be due); paced, it does not.
        {"zita low latency (64..8192)", 64, [&](bool paced) { return std::make_unique<Zita>(ir, 64, 64, !paced); }},
        {"zita partitions of 8192", 8192, [&](bool) { return std::make_unique<Zita>(ir, 8192, 8192, true); }},
        {"LSP Impulse Reverb", 0, lsp},
        {"FFTW floor, latency 0", 0, [&](bool) { return std::make_unique<FftwLiveFloor>(ir, plan); }},
        {"FFTW floor, latency 65536", 65536, [&](bool) { return std::make_unique<FftwFloor>(ir); }},
    };

    // Memory: one instance kept while a second is made and run for four
    // seconds, long enough for every partition's buffers to have been written
    // (the first instance builds what all instances share).
    for (Row& r : rows) {
        std::unique_ptr<Contender> first = r.make(false);
        if (!first) {
            r.available = false;
            std::printf("%s: not available\n", r.name);
            continue;
        }
        const double resident = residentMiB();
        const std::size_t heap = heapBytes();
        std::unique_ptr<Contender> second = r.make(false);
        float outL[kCall], outR[kCall];
        const int loop = static_cast<int>(input.left.size()) / kCall;
        for (int i = 0; i < 4 * kRate / kCall; ++i)
            second->process(input.left.data() + (i % loop) * kCall, input.right.data() + (i % loop) * kCall, outL,
                            outR);
        r.residentMiB = residentMiB() - resident;
        r.heapMiB = static_cast<double>(heapBytes() - heap) / (1024.0 * 1024.0);
    }

    // Processor time in three rounds over all contenders, the least of each:
    // other programs on the machine only ever add to it.
    for (int round = 0; round < 3; ++round)
        for (Row& r : rows) {
            if (!r.available)
                continue;
            std::unique_ptr<Contender> c = r.make(false);
            const double cpu = cpuPercent(*c, input, seconds / 3.0, false);
            r.cpu = round == 0 ? cpu : std::min(r.cpu, cpu);
        }
    for (Row& r : rows) {
        if (!r.available)
            continue;
        std::unique_ptr<Contender> c = r.make(false);
        r.flat = flatness(*c, input, std::max(8, static_cast<int>(seconds * kRate / 32768)));
        if (pacedSeconds > 0.0) {
            c = r.make(true);
            r.paced = paced(*c, input, pacedSeconds);
        }
        std::printf("%s done\n", r.name);
        std::fflush(stdout);
    }

    std::printf("\n%-28s %7s %8s %8s %7s %8s %8s %9s %9s %8s %8s\n", "engine", "latency", "CPU %", "live/it",
                "call us", "dearest", "p99.9", "paced cpu", "paced wall", "RSS MiB", "heap MiB");
    std::printf("%-28s %7s %8s %8s %7s %8s %8s %9s %9s %8s %8s\n", "", "frames", "of real", "", "median",
                "pos/med", "/median", "p99.9/ddl", "p99.9/ddl", "+1 inst", "+1 inst");
    for (const Row& r : rows) {
        if (!r.available)
            continue;
        char cpu[16] = "-", wall[16] = "-";
        if (pacedSeconds > 0.0) {
            std::snprintf(cpu, sizeof cpu, "%.4f", r.paced.cpu);
            std::snprintf(wall, sizeof wall, "%.4f", r.paced.wall);
        }
        std::printf("%-28s %7d %8.4f %8.2f %7.2f %8.2f %8.2f %9s %9s %8.2f %8.2f\n", r.name, r.latency, r.cpu,
                    rows[0].cpu / r.cpu, r.flat.medianUs, r.flat.dearestPosition, r.flat.p999, cpu, wall,
                    r.residentMiB, r.heapMiB);
    }
    const Row& zita = rows[2];
    const Row& lspRow = rows[4];
    const double cheaper = lspRow.available ? std::min(zita.cpu, lspRow.cpu) : zita.cpu;
    std::printf("\nlive against the cheaper of zita low latency and LSP: %.2f (target at most 0.5)\n",
                rows[0].cpu / cheaper);
    std::printf("live dearest call position against the median: %.2f (target at most 3)\n", rows[0].flat.dearestPosition);
    std::printf("live against its FFTW floor: %.2f; RSS of one more live instance against zita low latency: %.2f\n",
                rows[0].cpu / rows[5].cpu, rows[0].residentMiB / zita.residentMiB);
    std::remove(irFile.c_str());
    return 0;
}
