// What one host call costs the audio thread, call by call, in the convolution
// engine (its work spread evenly over the frames), for calls of 64 and 512
// frames at 48 kHz. Prints the mean, the
// 99th and 99.9th percentiles and the largest call, and the largest call's
// share of the call's deadline (the time the frames last at 48 kHz).
// Wall-clock figures include whatever else the machine runs; the thread's own
// processor time per call is printed beside them, with the number of calls
// in which the thread waited (a voluntary switch: joining a thread, a lock) and
// the number of those in which it was only preempted by other work.
//
// Usage: bench_realtime [seconds of audio per run, default 8.2]
#include "engine/ConvolutionEngine.h"
#include "engine/Handover.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <sys/resource.h>
#include <memory>
#include <random>
#include <vector>

namespace {

constexpr double kSampleRate = 48000.0;
constexpr int kBlock = engine::ConvolutionEngine::kLatencyFrames;

std::vector<float> noise(size_t count, unsigned stream, float amplitude)
{
    std::mt19937 rng(stream);
    std::uniform_real_distribution<float> dist(-amplitude, amplitude);
    std::vector<float> v(count);
    for (float& x : v)
        x = dist(rng);
    return v;
}

// A full-length IR, as the IR pipeline hands it over.
std::vector<float> fullLengthIr(unsigned stream)
{
    return noise(engine::ConvolutionEngine::kCapacityFrames, stream, 0.01f);
}

struct Figures {
    double meanUs, p99Us, p999Us, maxUs;
    double cpuMeanUs, cpuP999Us, cpuMaxUs;
    long calls, waitingCalls, preemptedCalls;
};

struct Switches {
    long voluntary, involuntary;
};

Switches threadSwitches()
{
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return {usage.ru_nvcsw, usage.ru_nivcsw};
}

double threadCpuUs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e6 + ts.tv_nsec * 1e-3;
}

struct Distribution {
    double mean, p99, p999, max;
};

Distribution distribution(std::vector<double> us)
{
    double sum = 0.0;
    for (double v : us)
        sum += v;
    std::sort(us.begin(), us.end());
    auto percentile = [&](double p) { return us[std::min(us.size() - 1, static_cast<size_t>(p * us.size()))]; };
    return {sum / us.size(), percentile(0.99), percentile(0.999), us.back()};
}

// Calls of `callFrames` over `frames` frames after one untimed block.
template <class Engine>
Figures measure(int callFrames, int frames)
{
    engine::ProcessEpoch epoch;
    auto conv = std::make_unique<Engine>(epoch);
    const std::vector<float> irL = fullLengthIr(1u), irR = fullLengthIr(2u);
    conv->prepareKernel(irL.data(), irR.data(), static_cast<int>(irL.size()));

    const std::vector<float> in = noise(2 * static_cast<size_t>(kBlock), 3u, 0.5f);
    std::vector<float> out(4 * static_cast<size_t>(callFrames));
    long long frame = 0;
    auto call = [&] {
        const size_t at = static_cast<size_t>(frame % (kBlock - callFrames));
        float* o = out.data();
        engine::ProcessEpoch::Scope scope(epoch);
        conv->exchange(in.data() + at, in.data() + kBlock + at, o, o + callFrames, o + 2 * callFrames,
                       o + 3 * callFrames, callFrames);
        frame += callFrames;
    };
    for (int warm = 0; warm < kBlock; warm += callFrames)
        call();

    std::vector<double> wall, cpu;
    wall.reserve(static_cast<size_t>(frames / callFrames + 1));
    cpu.reserve(wall.capacity());
    long waiting = 0;
    long preempted = 0;
    for (int done = 0; done < frames; done += callFrames) {
        const Switches before = threadSwitches();
        const double cpuStart = threadCpuUs();
        const auto start = std::chrono::steady_clock::now();
        call();
        const auto end = std::chrono::steady_clock::now();
        cpu.push_back(threadCpuUs() - cpuStart);
        wall.push_back(std::chrono::duration<double, std::micro>(end - start).count());
        const Switches after = threadSwitches();
        if (after.voluntary != before.voluntary)
            ++waiting;
        else if (after.involuntary != before.involuntary)
            ++preempted;
    }

    const Distribution w = distribution(wall);
    const Distribution c = distribution(cpu);
    Figures f{};
    f.calls = static_cast<long>(wall.size());
    f.meanUs = w.mean;
    f.p99Us = w.p99;
    f.p999Us = w.p999;
    f.maxUs = w.max;
    f.cpuMeanUs = c.mean;
    f.cpuP999Us = c.p999;
    f.cpuMaxUs = c.max;
    f.waitingCalls = waiting;
    f.preemptedCalls = preempted;
    return f;
}

void report(const char* name, int callFrames, const Figures& f)
{
    const double deadlineUs = callFrames / kSampleRate * 1e6;
    std::printf("%-16s %4d %5ld | %7.2f %7.2f %9.2f %9.2f %7.1f%% | %7.2f %8.2f %8.2f %6.1f%% | %6ld %9ld\n", name,
                callFrames, f.calls, f.meanUs, f.p99Us, f.p999Us, f.maxUs, 100.0 * f.maxUs / deadlineUs, f.cpuMeanUs,
                f.cpuP999Us, f.cpuMaxUs, 100.0 * f.cpuMaxUs / deadlineUs, f.waitingCalls, f.preemptedCalls);
}

} // namespace

int main(int argc, char** argv)
{
    const double seconds = argc > 1 ? std::atof(argv[1]) : 8.2;
    const int frames = static_cast<int>(seconds * kSampleRate);
    std::printf("%d frames (%.1f s at 48 kHz) per run, full-length stereo kernel\n", frames, frames / kSampleRate);
    std::printf("%-16s %4s %5s | %-43s | %-33s | calls that\n", "", "", "", "wall time per call", "thread processor time");
    std::printf("%-16s %4s %5s | %7s %7s %9s %9s %8s | %7s %8s %8s %7s | %6s %9s\n", "engine", "call", "calls",
                "mean us", "p99 us", "p99.9 us", "max us", "max/dl", "mean us", "p99.9 us", "max us", "max/dl",
                "waited", "preempted");
    for (const int callFrames : {64, 512}) {
        report("real-time engine", callFrames, measure<engine::ConvolutionEngine>(callFrames, frames));
    }
    return 0;
}
