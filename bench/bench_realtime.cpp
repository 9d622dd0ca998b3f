// What one host call costs the convolution engine's audio thread, call by
// call, at 48 kHz with a full-length stereo IR:
//
// 1. Paced: calls of 64 frames every 1.33 ms, as a host's audio thread makes
//    them; wall and thread processor time per call (mean, 99th and 99.9th
//    percentiles, largest) and their share of the call's deadline, with the
//    number of calls in which the thread waited (a voluntary switch) or was
//    preempted. The audio thread runs on core 0, new kernels are made on core 1.
// 2. Flatness: the engine's work is cut into units of unequal cost, weighted
//    so that every call pays the same. Unpaced calls over many periods; each
//    call's thread processor time, taken per position of the call in its
//    period as the median over the periods (so that interrupts and other load
//    drop out); the dearest position against the median one.
// 3. Kernel changes: the same while kernels change. A change runs term by
//    term over four periods, each crossfading one partition's product: once
//    with a new kernel every fifth period (one change at a time; the four
//    periods of each change are measured), once with a new kernel at every
//    period (four changes at once, as while a knob turns): the dearest
//    position against the median position of the plain run.
//
// Usage: bench_realtime [seconds of paced audio, default 20] [periods for 2 and 3, default 40] [sse2]
#include "engine/ConvolutionEngine.h"
#include "engine/Handover.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <mutex>
#include <pthread.h>
#include <random>
#include <string>
#include <sys/resource.h>
#include <thread>
#include <vector>

namespace {

engine::VectorPath gPath = engine::bestVectorPath();
constexpr double kSampleRate = 48000.0;
constexpr int kPart = engine::ConvolutionEngine::kPartitionFrames;

std::vector<float> noise(size_t count, unsigned stream, float amplitude)
{
    std::mt19937 rng(stream);
    std::uniform_real_distribution<float> dist(-amplitude, amplitude);
    std::vector<float> v(count);
    for (float& x : v)
        x = dist(rng);
    return v;
}

double threadCpuUs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1e6 + ts.tv_nsec * 1e-3;
}

double percentile(std::vector<double> v, double p)
{
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<size_t>(p * static_cast<double>(v.size())))];
}

double median(std::vector<double> v)
{
    std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
    return v[v.size() / 2];
}

double mean(const std::vector<double>& v)
{
    double s = 0.0;
    for (double x : v)
        s += x;
    return s / static_cast<double>(v.size());
}

// The calling thread on one core, so that the audio thread's caches stay its own.
void pinTo(int core)
{
    cpu_set_t set;
    CPU_ZERO(&set);
    CPU_SET(core % std::max(1, static_cast<int>(std::thread::hardware_concurrency())), &set);
    pthread_setaffinity_np(pthread_self(), sizeof set, &set);
}

// An engine with a full-length kernel, fed from a loop of noise. New kernels
// come from a worker thread on another core, as the effect's worker makes them.
class Rig {
public:
    explicit Rig(int callFrames)
        : engine_(epoch_, gPath), irA_(noise(engine::ConvolutionEngine::kCapacityFrames, 1u, 0.01f)),
          irB_(noise(engine::ConvolutionEngine::kCapacityFrames, 2u, 0.01f)), in_(noise(2 * 65536, 3u, 0.5f)),
          out_(4 * static_cast<size_t>(callFrames)), callFrames_(callFrames), worker_([this] { work(); })
    {
        engine_.prepareKernel(irA_.data(), irA_.data(), static_cast<int>(irA_.size()));
    }
    ~Rig()
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stop_ = true;
        }
        wake_.notify_one();
        worker_.join();
    }

    // Asks for the next kernel (the two IRs in turn); waitForKernel() waits
    // until it is published.
    void requestKernel()
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            ++requested_;
        }
        wake_.notify_one();
    }
    // Spins rather than sleeps, so that no other program takes this core
    // (and its caches) meanwhile.
    void waitForKernel()
    {
        while (made_.load() != requested_)
            __builtin_ia32_pause();
    }

    void call()
    {
        const size_t at = static_cast<size_t>(frame_ % (65536 - callFrames_));
        float* o = out_.data();
        engine::ProcessEpoch::Scope scope(epoch_);
        engine_.exchange(in_.data() + at, in_.data() + 65536 + at, o, o + callFrames_, o + 2 * callFrames_,
                         o + 3 * callFrames_, callFrames_);
        frame_ += callFrames_;
    }

private:
    void work()
    {
        pinTo(1);
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            wake_.wait(lock, [this] { return stop_ || published_ < requested_; });
            if (stop_)
                return;
            const std::vector<float>& ir = published_ % 2 == 0 ? irB_ : irA_;
            lock.unlock();
            engine_.prepareKernel(ir.data(), ir.data(), static_cast<int>(ir.size()));
            lock.lock();
            ++published_;
            made_.store(published_);
        }
    }

    engine::ProcessEpoch epoch_;
    engine::ConvolutionEngine engine_;
    std::vector<float> irA_, irB_, in_, out_;
    int callFrames_;
    long long frame_ = 0;
    std::mutex mutex_;
    std::condition_variable wake_;
    long requested_ = 0, published_ = 0;
    std::atomic<long> made_{0};
    bool stop_ = false;
    std::thread worker_;
};

void paced(int callFrames, double seconds)
{
    pinTo(0);
    Rig rig(callFrames);
    for (int i = 0; i < 2 * kPart / callFrames; ++i)
        rig.call();
    const long calls = static_cast<long>(seconds * kSampleRate / callFrames);
    const long periodNs = static_cast<long>(1e9 * callFrames / kSampleRate);
    std::vector<double> wall, cpu;
    wall.reserve(static_cast<size_t>(calls));
    cpu.reserve(static_cast<size_t>(calls));
    long waited = 0, preempted = 0;
    timespec next{};
    clock_gettime(CLOCK_MONOTONIC, &next);
    for (long i = 0; i < calls; ++i) {
        next.tv_nsec += periodNs;
        while (next.tv_nsec >= 1000000000L) {
            next.tv_nsec -= 1000000000L;
            ++next.tv_sec;
        }
        clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, nullptr);
        rusage before{}, after{};
        getrusage(RUSAGE_THREAD, &before);
        const double cpuStart = threadCpuUs();
        const auto start = std::chrono::steady_clock::now();
        rig.call();
        const auto end = std::chrono::steady_clock::now();
        cpu.push_back(threadCpuUs() - cpuStart);
        wall.push_back(std::chrono::duration<double, std::micro>(end - start).count());
        getrusage(RUSAGE_THREAD, &after);
        if (after.ru_nvcsw != before.ru_nvcsw)
            ++waited;
        else if (after.ru_nivcsw != before.ru_nivcsw)
            ++preempted;
    }
    const double deadline = 1e6 * callFrames / kSampleRate;
    std::printf("%5d %7ld | %7.2f %7.2f %8.2f %8.2f %6.2f%% %6.2f%% | %7.2f %8.2f %8.2f %6.2f%% | %6ld %9ld\n",
                callFrames, calls, mean(wall), percentile(wall, 0.99), percentile(wall, 0.999),
                *std::max_element(wall.begin(), wall.end()), 100.0 * percentile(wall, 0.999) / deadline,
                100.0 * *std::max_element(wall.begin(), wall.end()) / deadline, mean(cpu), percentile(cpu, 0.999),
                *std::max_element(cpu.begin(), cpu.end()), 100.0 * percentile(cpu, 0.999) / deadline, waited,
                preempted);
}

enum class Changes { None, OneAtATime, EveryPeriod };

// Per position of a call in its period, the median over `periods` measured
// periods of its thread processor time, less the cost of reading the clock.
std::vector<double> costByPosition(int callFrames, int periods, Changes changes)
{
    pinTo(0);
    Rig rig(callFrames);
    const int perPeriod = kPart / callFrames;
    for (int i = 0; i < 2 * perPeriod; ++i)
        rig.call();
    std::vector<double> clockCost;
    for (int i = 0; i < 1001; ++i) {
        const double a = threadCpuUs();
        clockCost.push_back(threadCpuUs() - a);
    }
    const double overhead = median(clockCost);

    // One change at a time: a kernel after every fifth period, whose change
    // runs in the four periods after it.
    const int interval = changes == Changes::OneAtATime ? engine::ConvolutionEngine::kMaxPartitions + 1 : 1;
    std::vector<std::vector<double>> byPosition(static_cast<size_t>(perPeriod));
    for (int p = 0, measured = 0; measured < periods; ++p) {
        const bool measure = changes != Changes::OneAtATime || (p >= interval && p % interval != interval - 1);
        for (int i = 0; i < perPeriod; ++i) {
            const double start = threadCpuUs();
            rig.call();
            if (measure)
                byPosition[static_cast<size_t>(i)].push_back(threadCpuUs() - start - overhead);
        }
        measured += measure ? 1 : 0;
        // Unpaced, a period passes faster than a kernel is made: the next one
        // is made between periods, on the other core, while this thread spins
        // (so that the making does not load the memory while calls are
        // measured, and no other program takes this core), and published
        // before the next period begins, which takes it up.
        if (changes != Changes::None && p % interval == interval - 1) {
            rig.requestKernel();
            rig.waitForKernel();
        }
    }
    std::vector<double> medians;
    for (const std::vector<double>& v : byPosition)
        medians.push_back(median(v));
    return medians;
}

void flatness(int callFrames, int periods)
{
    const std::vector<double> plain = costByPosition(callFrames, periods, Changes::None);
    const double plainMedian = median(plain);
    const double plainMax = *std::max_element(plain.begin(), plain.end());
    std::printf("%5d %6d | %9.3f %9.3f %9.3f %6.2f", callFrames, periods, plainMedian,
                *std::min_element(plain.begin(), plain.end()), plainMax, plainMax / plainMedian);
    for (const Changes c : {Changes::OneAtATime, Changes::EveryPeriod}) {
        const std::vector<double> changing = costByPosition(callFrames, periods, c);
        const double dearest = *std::max_element(changing.begin(), changing.end());
        std::printf(" | %9.3f %9.3f %6.2f", median(changing), dearest, dearest / plainMedian);
    }
    std::printf("\n");
}

} // namespace

int main(int argc, char** argv)
{
    const double seconds = argc > 1 ? std::atof(argv[1]) : 20.0;
    const int periods = argc > 2 ? std::max(3, std::atoi(argv[2])) : 40;
    if (argc > 3 && std::string(argv[3]) == "sse2")
        gPath = engine::VectorPath::Sse2;
    std::printf("convolution engine on %s, stereo IR of %d frames, 48 kHz\n\n", engine::vectorPathName(gPath),
                engine::ConvolutionEngine::kCapacityFrames);

    std::printf("1. paced calls, %.0f s of audio\n", seconds);
    std::printf("%5s %7s | %-47s | %-33s | calls that\n", "", "", "wall time per call, us", "thread processor time, us");
    std::printf("%5s %7s | %7s %7s %8s %8s %7s %7s | %7s %8s %8s %7s | %6s %9s\n", "call", "calls", "mean", "p99",
                "p99.9", "max", "p99.9", "max", "mean", "p99.9", "max", "p99.9", "waited", "preempted");
    std::printf("%5s %7s | %7s %7s %8s %8s %7s %7s | %7s %8s %8s %7s |\n", "", "", "", "", "", "", "of dl", "of dl",
                "", "", "", "of dl");
    for (const int callFrames : {64, 512})
        paced(callFrames, seconds);

    std::printf("\n2./3. thread processor time per call position (median over periods), us\n");
    std::printf("%5s %6s | %-36s | %-26s | %-26s\n", "", "", "no change", "one change at a time",
                "a new kernel every period");
    std::printf("%5s %6s | %9s %9s %9s %6s | %9s %9s %6s | %9s %9s %6s\n", "call", "periods", "median", "least",
                "dearest", "ratio", "median", "dearest", "ratio", "median", "dearest", "ratio");
    for (const int callFrames : {64, 512})
        flatness(callFrames, periods);
    return 0;
}
