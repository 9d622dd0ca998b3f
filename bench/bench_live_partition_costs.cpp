// Measures the live convolution's cost model (engine/LiveCostModel) on this
// machine, in place: every part is timed in calls of 64 frames while a whole
// live engine with a full-length IR runs beside it in the same calls, so that
// what the other levels push out of the caches between two of its calls
// counts as it does in the plug-in.
//
// 1. The direct-form head at several lengths: ns per tap and frame.
// 2. A level of each block size with 1, 2, 4, 6 and 8 partitions: its cost
//    per frame, fitted to level + k * partition by least squares.
// 3. The model as LiveCostModel.cpp spells it, the plan it chooses for the
//    full IR capacity and that plan's predicted cost, and the whole engine's
//    thread processor time per frame for that plan and for two classic
//    ones (Gardner's doubling, and quadrupling), each beside its prediction.
//
// Times are read from the processor's time-stamp counter (calibrated against
// the monotonic clock), the least of three runs, per frame of one channel.
//
// Usage: bench_live_partition_costs [sse2]
#include "engine/DirectFormHead.h"
#include "engine/Handover.h"
#include "engine/KernelNormalisation.h"
#include "engine/LiveConvolutionEngine.h"
#include "engine/LiveCostModel.h"
#include "engine/LivePartitionPlan.h"
#include "engine/PartitionLevel.h"
#include "params/EffectConstants.h"

#include <x86intrin.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <random>
#include <vector>

namespace {

using engine::LiveCostModel;
using engine::LivePartitionPlan;

constexpr int kCall = 64;
constexpr int kCapacity = effect::kIRCapacityFrames;
engine::VectorPath gPath = engine::bestVectorPath();

std::vector<float> noise(std::size_t count, unsigned stream, double endLevel = 1.0)
{
    std::mt19937 rng(stream);
    std::uniform_real_distribution<float> dist(-0.5f, 0.5f);
    std::vector<float> v(count);
    for (std::size_t i = 0; i < count; ++i)
        v[i] = static_cast<float>(dist(rng) * std::pow(endLevel, static_cast<double>(i) / count));
    return v;
}

double nsPerTick()
{
    const auto t0 = std::chrono::steady_clock::now();
    const unsigned long long c0 = __rdtsc();
    while (std::chrono::steady_clock::now() - t0 < std::chrono::milliseconds(200)) {
    }
    const unsigned long long c1 = __rdtsc();
    const double ns = std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - t0).count();
    return ns / static_cast<double>(c1 - c0);
}

struct Signals {
    std::vector<float> irL = noise(kCapacity, 1u, 0.01), irR = noise(kCapacity, 2u, 0.01);
    std::vector<float> inL = noise(1 << 17, 3u), inR = noise(1 << 17, 4u);
};

// A whole live engine as the background, and the input ring a part under test reads.
class Bench {
public:
    explicit Bench(const Signals& s) : s_(s), background_(epoch_, gPath), ring_(2 * kRingStride)
    {
        background_.prepareKernel(s.irL.data(), s.irR.data(), kCapacity);
    }

    engine::ProcessEpoch& epoch() { return epoch_; }
    const float* ring() const { return ring_.data(); }
    static constexpr int kRingFrames = 1 << 17;
    static constexpr std::size_t kRingStride = kRingFrames + 16;

    // `calls` calls; `part(frame)` runs the part under test for one call at
    // `frame` and is timed. Returns ns per frame of one channel.
    template <class Part>
    double time(long calls, Part&& part)
    {
        float dry[2][kCall], wet[2][kCall];
        std::vector<unsigned long long> ticks(static_cast<std::size_t>(calls));
        for (long i = 0; i < calls; ++i) {
            const std::int64_t frame = i * kCall;
            const std::size_t at = static_cast<std::size_t>(frame) & (kRingFrames - 1);
            const float* inL = s_.inL.data() + at;
            const float* inR = s_.inR.data() + at;
            engine::ProcessEpoch::Scope scope(epoch_);
            background_.exchange(inL, inR, dry[0], dry[1], wet[0], wet[1], kCall);
            std::memcpy(ring_.data() + at, inL, sizeof(float) * kCall);
            std::memcpy(ring_.data() + kRingStride + at, inR, sizeof(float) * kCall);
            const unsigned long long t0 = __rdtsc();
            part(frame);
            ticks[static_cast<std::size_t>(i)] = __rdtsc() - t0;
        }
        // Calls the system interrupted for long (far above the median) are
        // left out, and the rest stand for all.
        std::vector<unsigned long long> sorted(ticks);
        std::nth_element(sorted.begin(), sorted.begin() + calls / 2, sorted.end());
        const unsigned long long limit = 20 * std::max(sorted[static_cast<std::size_t>(calls / 2)], 1ULL);
        double kept = 0.0, sum = 0.0;
        for (unsigned long long t : ticks)
            if (t <= limit) {
                sum += static_cast<double>(t);
                kept += 1.0;
            }
        return sum * tick_ / (2.0 * kept * kCall);
    }

private:
    const Signals& s_;
    engine::ProcessEpoch epoch_;
    engine::LiveConvolutionEngine background_;
    engine::AlignedFloats ring_;
    const double tick_ = nsPerTick();
};

template <class F>
double leastOfThree(F&& f)
{
    double best = 1e300;
    for (int i = 0; i < 3; ++i)
        best = std::min(best, f());
    return best;
}

constexpr int kFade = engine::LiveConvolutionEngine::kLog2FadeFrames;

double headCost(Bench& bench, const Signals& s, int taps)
{
    const engine::NormalisedExtent extent = engine::KernelNormalisation::of(s.irL.data(), s.irR.data(), kCapacity);
    return leastOfThree([&] {
        engine::DirectFormHead head(bench.epoch(), taps, kCall, kFade, engine::vectorKernels(gPath));
        head.publish(head.prepare(s.irL.data(), s.irR.data(), extent));
        float out[2][kCall];
        return bench.time(20000, [&](std::int64_t frame) {
            const std::size_t at = static_cast<std::size_t>(frame) & (Bench::kRingFrames - 1);
            head.begin();
            head.run(bench.ring() + at, bench.ring() + Bench::kRingStride + at, out[0], out[1], kCall);
        });
    });
}

// A level of `partitions` partitions of `block` frames, driven as the engine
// drives it, its output summed as the engine sums it.
double levelCost(Bench& bench, const Signals& s, int block, int partitions)
{
    const engine::LiveLevel level{block, 2 * block, partitions};
    const engine::NormalisedExtent extent =
        engine::KernelNormalisation::of(s.irL.data(), s.irR.data(), std::min(kCapacity, (2 + partitions) * block));
    const long calls = std::max(8L * block, 96000L) / kCall;
    return leastOfThree([&] {
        engine::PartitionLevel part(bench.epoch(), level, gPath, LiveCostModel::measured(), kFade, bench.ring(),
                                    Bench::kRingStride, Bench::kRingFrames);
        part.publish(part.prepare(s.irL.data(), s.irR.data(), extent));
        float out[2][kCall] = {};
        return bench.time(calls, [&](std::int64_t frame) {
            for (int done = 0; done < kCall;) {
                const std::int64_t f = frame + done;
                const int n = std::min(kCall - done, block - static_cast<int>(f % block));
                if (f % block == 0)
                    part.beginPeriod(f / block);
                part.advance(static_cast<int>(f % block) + n);
                for (int c = 0; c < 2; ++c)
                    if (const float* o = part.output(c, f))
                        for (int i = 0; i < n; ++i)
                            out[c][done + i] += o[i];
                done += n;
                if ((f + n) % block == 0)
                    part.endPeriod();
            }
        });
    });
}

// Thread processor time of a whole engine running `plan`, ns per frame (both channels).
double engineCost(const Signals& s, const LivePartitionPlan& plan)
{
    return leastOfThree([&] {
        engine::ProcessEpoch epoch;
        engine::LiveConvolutionEngine live(epoch, gPath, plan);
        live.prepareKernel(s.irL.data(), s.irR.data(), kCapacity);
        float dry[2][kCall], wet[2][kCall];
        const long calls = 8L * 48000 / kCall;
        timespec t0{}, t1{};
        for (long i = -48000 / kCall; i < calls; ++i) {
            if (i == 0)
                clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t0);
            const std::size_t at = static_cast<std::size_t>(i * kCall) & (Bench::kRingFrames - 1);
            engine::ProcessEpoch::Scope scope(epoch);
            live.exchange(s.inL.data() + at, s.inR.data() + at, dry[0], dry[1], wet[0], wet[1], kCall);
        }
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t1);
        const double ns = (t1.tv_sec - t0.tv_sec) * 1e9 + static_cast<double>(t1.tv_nsec - t0.tv_nsec);
        return ns / (static_cast<double>(calls) * kCall);
    });
}

// Levels of blocks growing by `ratio` from `first`, each starting at twice
// its block, the last one reaching the capacity.
LivePartitionPlan geometric(int first, int ratio)
{
    LivePartitionPlan plan;
    plan.headFrames = 2 * first;
    for (int b = first, d = 2 * first; d < kCapacity; b *= ratio) {
        const bool last = b * ratio > (1 << LiveCostModel::kMaxLog2Block) || 2 * b * ratio > kCapacity;
        const int k = last ? (kCapacity - d + b - 1) / b : 2 * (ratio - 1);
        plan.levels[plan.levelCount++] = engine::LiveLevel{b, d, std::min(k, LivePartitionPlan::kMaxPartitions)};
        d += plan.levels[plan.levelCount - 1].partitions * b;
        if (plan.levelCount == LivePartitionPlan::kMaxLevels)
            break;
    }
    return plan;
}

void printPlan(const char* name, const LivePartitionPlan& plan, const LiveCostModel& model, const Signals& s)
{
    std::printf("%s: head %d", name, plan.headFrames);
    for (int l = 0; l < plan.levelCount; ++l)
        std::printf(", %dx%d@%d", plan.levels[l].partitions, plan.levels[l].blockFrames, plan.levels[l].offsetFrames);
    if (!plan.valid(kCapacity)) {
        std::printf(" (not a valid plan)\n");
        return;
    }
    std::printf("\n    predicted %.1f ns per frame, measured %.1f\n", plan.cost(model), engineCost(s, plan));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "sse2") == 0)
        gPath = engine::VectorPath::Sse2;
    const Signals s;
    Bench bench(s);
    std::printf("live convolution cost model, inner loops %s, ns per frame of one channel\n\n",
                engine::vectorPathName(gPath));

    LiveCostModel model = LiveCostModel::measured();
    std::vector<double> taps, head;
    for (int h : {64, 128, 256, 512}) {
        taps.push_back(h);
        head.push_back(headCost(bench, s, h));
        std::printf("head of %4d taps: %7.3f\n", h, head.back());
    }
    // The slope through the origin: the head's own bookkeeping is part of the per-call overhead.
    double xy = 0.0, xx = 0.0;
    for (std::size_t i = 0; i < taps.size(); ++i) {
        xy += taps[i] * head[i];
        xx += taps[i] * taps[i];
    }
    model.headPerTap = xy / xx;
    std::printf("headPerTap %.4f\n\n%8s", model.headPerTap, "block");
    const int ks[] = {1, 2, 3, 4, 6, 8};
    for (int k : ks)
        std::printf("   k=%d", k);
    std::printf("   level  partition\n");
    for (int b = LiveCostModel::kMinLog2Block; b <= LiveCostModel::kMaxLog2Block; ++b) {
        std::printf("%8d", 1 << b);
        double sk = 0, sc = 0, skk = 0, skc = 0;
        int count = 0;
        for (int k : ks) {
            // Only as many partitions as fit between 2B and the capacity.
            if ((2 + k) << b > kCapacity) {
                std::printf(" %6s", "-");
                continue;
            }
            const double c = levelCost(bench, s, 1 << b, k);
            std::printf(" %6.2f", c);
            ++count;
            sk += k;
            sc += c;
            skk += k * k;
            skc += k * c;
            std::fflush(stdout);
        }
        const double n = count;
        model.partition[b] = (n * skc - sk * sc) / (n * skk - sk * sk);
        model.level[b] = (sc - model.partition[b] * sk) / n;
        std::printf("  %6.3f %6.3f\n", model.level[b], model.partition[b]);
    }

    std::printf("\nas LiveCostModel.cpp spells it:\n    %.4f,\n    {", model.headPerTap);
    for (int b = 0; b <= LiveCostModel::kMaxLog2Block; ++b)
        std::printf("%s%.3f", b ? ", " : "", b < LiveCostModel::kMinLog2Block ? 0.0 : model.level[b]);
    std::printf("},\n    {");
    for (int b = 0; b <= LiveCostModel::kMaxLog2Block; ++b)
        std::printf("%s%.3f", b ? ", " : "", b < LiveCostModel::kMinLog2Block ? 0.0 : model.partition[b]);
    std::printf("},\n\nwhole engine, ns per frame of both channels (thread processor time):\n");

    printPlan("cheapest under this model", LivePartitionPlan::cheapest(model, kCapacity), model, s);
    printPlan("the engine's plan", LivePartitionPlan::chosen(), model, s);
    printPlan("doubling from 64", geometric(64, 2), model, s);
    printPlan("quadrupling from 64", geometric(64, 4), model, s);
    printPlan("quadrupling from 128", geometric(128, 4), model, s);
    return 0;
}
