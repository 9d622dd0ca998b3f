// An automating host, replayed: each of ids 6..22 ("Strech" to "DryLevel")
// swept from 0 to 1 with one setParameter before every 64-frame call, for a
// few seconds of audio each, at 48 kHz with a full-length stereo IR (131072
// frames) loaded; calls paced in real time as an audio device paces them.
//
// Prints per parameter and overall the 99.9th percentile and the slowest
// single setParameter and the median, 99.9th percentile and largest cycle
// (setParameter + processReplacing), with the number of cycles in which the
// thread waited (a voluntary switch) or was only preempted; then, for changes
// that need the effect's worker, the time from setParameter returning to the
// worker having published the result; last, setParameter alone, back to back
// (a call every 64 changes keeps the effect's audio thread known), to tell
// its own cost from what the machine adds. Wall-clock figures include
// whatever else the machine runs.
//
// The host's thread asks for real-time scheduling (SCHED_FIFO), as a DAW's
// audio thread has it, and says whether it got it; the effect's worker keeps
// normal priority.
//
// Usage: bench_automation [seconds per parameter, default 2]
#include "bench/BenchIRFile.h"
#include "params/ParameterTable.h"
#include "params/PathParams.h"
#include "shell/DOvu.h"

#include <algorithm>
#include <pthread.h>
#include <sched.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr float kRate = 48000.0f;
constexpr int kCallFrames = 64;
const Clock::duration kPeriod = std::chrono::duration_cast<Clock::duration>(
    std::chrono::duration<double>(kCallFrames / static_cast<double>(kRate)));

vst::IntPtr realtimeHost(vst::AEffect*, vst::Int32 opcode, vst::Int32, vst::IntPtr, void*, float)
{
    if (opcode == vst::audioMasterGetCurrentProcessLevel)
        return vst::kVstProcessLevelRealtime;
    return opcode == vst::audioMasterVersion ? 2400 : 0;
}

double microseconds(Clock::duration d) { return std::chrono::duration<double, std::micro>(d).count(); }

long voluntarySwitches(long* involuntary)
{
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    *involuntary = usage.ru_nivcsw;
    return usage.ru_nvcsw;
}

double percentile(std::vector<double> v, double p)
{
    if (v.empty())
        return 0.0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<size_t>(p * v.size()))];
}

struct Lane {
    std::vector<double> cycleUs;
    std::vector<double> setUs;
    double worstSetUs = 0.0;
    long waited = 0;
    long preempted = 0;
};

// The host's side: paced calls of 64 frames, each after an optional change.
class PacedHost {
public:
    explicit PacedHost(DOvu& effect)
        : effect_(effect), record_(effect.getAeffect()), in_(2 * kCallFrames, 0.0f), out_(2 * kCallFrames)
    {
        for (size_t i = 0; i < in_.size(); ++i)
            in_[i] = static_cast<float>((i * 7919u) % 1000u) / 2000.0f - 0.25f;
        next_ = Clock::now();
    }

    // One cycle; `id` < 0 changes nothing. Waits for the cycle's start first.
    void cycle(int id, float value, Lane* lane)
    {
        waitForNextStart();
        long involuntaryBefore = 0;
        const long voluntaryBefore = voluntarySwitches(&involuntaryBefore);
        float* inputs[2] = {in_.data(), in_.data() + kCallFrames};
        float* outputs[2] = {out_.data(), out_.data() + kCallFrames};
        const Clock::time_point start = Clock::now();
        if (id >= 0)
            record_->setParameter(record_, id, value);
        const Clock::time_point set = Clock::now();
        record_->processReplacing(record_, inputs, outputs, kCallFrames);
        const Clock::time_point end = Clock::now();
        long involuntaryAfter = 0;
        const long voluntaryAfter = voluntarySwitches(&involuntaryAfter);
        if (id >= 0)
            lastSetReturned_ = set;
        if (lane) {
            lane->cycleUs.push_back(microseconds(end - start));
            lane->setUs.push_back(microseconds(set - start));
            lane->worstSetUs = std::max(lane->worstSetUs, microseconds(set - start));
            if (voluntaryAfter != voluntaryBefore)
                ++lane->waited;
            else if (involuntaryAfter != involuntaryBefore)
                ++lane->preempted;
        }
    }

    // After a change: cycles go on until the worker is done with it; the time
    // from setParameter returning to then, looked at every 50 us between calls.
    double cyclesUntilPublished()
    {
        for (;;) {
            const Clock::time_point start = next_;
            while (Clock::now() < start) {
                if (!effect_.workPending())
                    return microseconds(Clock::now() - lastSetReturned_);
                std::this_thread::sleep_for(std::chrono::microseconds(50));
            }
            cycle(-1, 0.0f, nullptr);
            if (!effect_.workPending())
                return microseconds(Clock::now() - lastSetReturned_);
        }
    }

private:
    void waitForNextStart()
    {
        std::this_thread::sleep_until(next_);
        next_ += kPeriod;
        // A host that fell behind does not try to catch up with a burst.
        if (Clock::now() > next_ + 4 * kPeriod)
            next_ = Clock::now();
    }

    DOvu& effect_;
    vst::AEffect* record_;
    std::vector<float> in_, out_;
    Clock::time_point next_;
    Clock::time_point lastSetReturned_;
};

void printLane(const char* name, const Lane& lane)
{
    std::printf("%-16s %6zu %9.2f %9.2f %10.2f %10.2f %10.2f %7ld %9ld\n", name, lane.cycleUs.size(),
                percentile(lane.setUs, 0.999), lane.worstSetUs, percentile(lane.cycleUs, 0.5), percentile(lane.cycleUs, 0.999),
                lane.cycleUs.empty() ? 0.0 : *std::max_element(lane.cycleUs.begin(), lane.cycleUs.end()),
                lane.waited, lane.preempted);
}

bool loadIR(DOvu& effect, const std::string& path)
{
    vst::AEffect* record = effect.getAeffect();
    float values[param::kPathCount] = {};
    if (!param::encodePathToParams(path.c_str(), values))
        return false;
    for (int k = 0; k < param::kPathCount; ++k)
        record->setParameter(record, param::kPathFirst + k, values[k]);
    record->setParameter(record, param::kPathCommit, 1.0f);
    effect.finishPendingWork();
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    const double seconds = argc > 1 ? std::atof(argv[1]) : 2.0;
    const long callsPerLane = static_cast<long>(seconds * kRate / kCallFrames);

    char folder[] = "/tmp/rvb-bench-automation-XXXXXX";
    if (mkdtemp(folder) == nullptr)
        return 1;
    const std::string irPath = benchir::writeIR(std::string(folder) + "/hall.wav", 1);

    DOvu* effect = new DOvu(&realtimeHost);
    vst::AEffect* record = effect->getAeffect();
    record->dispatcher(record, vst::effSetSampleRate, 0, 0, nullptr, kRate);
    record->dispatcher(record, vst::effSetBlockSize, 0, kCallFrames, nullptr, 0.0f);
    record->dispatcher(record, vst::effMainsChanged, 0, 1, nullptr, 0.0f);
    if (!loadIR(*effect, irPath)) {
        std::fprintf(stderr, "could not load %s\n", irPath.c_str());
        return 1;
    }
    // The gate fully open, so that every rebuild shapes all 131072 frames.
    record->setParameter(record, param::kGate, 1.0f);
    effect->finishPendingWork();

    sched_param priority{};
    priority.sched_priority = 70;
    const bool realtime = pthread_setschedparam(pthread_self(), SCHED_FIFO, &priority) == 0;
    std::printf("host thread: %s\n", realtime ? "SCHED_FIFO 70" : "normal priority (SCHED_FIFO not permitted)");

    PacedHost host(*effect);
    // One latency's worth of audio first, so that the convolution is in full swing.
    for (long k = 0; k < 2 * effect::kLatencyFrames / kCallFrames; ++k)
        host.cycle(-1, 0.0f, nullptr);

    std::printf("sweep: one setParameter per %d-frame call at %.0f Hz (deadline %.1f us), %ld calls per parameter\n",
                kCallFrames, kRate, microseconds(kPeriod), callsPerLane);
    std::printf("%-16s %6s %9s %9s %10s %10s %10s %7s %9s\n", "parameter", "calls", "set p99.9", "set max",
                "cycle p50", "p99.9", "max", "waited", "preempted");
    Lane all;
    for (int id = param::kStrech; id <= param::kDryLevel; ++id) {
        Lane lane;
        for (long k = 0; k < callsPerLane; ++k)
            host.cycle(id, static_cast<float>(k) / static_cast<float>(callsPerLane - 1), &lane);
        printLane(param::findControl(id).name, lane);
        all.cycleUs.insert(all.cycleUs.end(), lane.cycleUs.begin(), lane.cycleUs.end());
        all.setUs.insert(all.setUs.end(), lane.setUs.begin(), lane.setUs.end());
        all.worstSetUs = std::max(all.worstSetUs, lane.worstSetUs);
        all.waited += lane.waited;
        all.preempted += lane.preempted;
    }
    printLane("all", all);
    std::printf("targets: p99.9 cycle < 67 us (5%% of the deadline), every setParameter < 20 us\n\n");

    std::printf("from setParameter returning to the worker having published (20 changes each, us)\n");
    std::printf("%-16s %10s %10s\n", "parameter", "median", "max");
    for (int id : {param::kDecay, param::kStrech, param::kHPF, param::kPreDelay}) {
        std::vector<double> latencies;
        for (int k = 0; k < 20; ++k) {
            host.cycle(id, k % 2 ? 0.3f : 0.6f, nullptr);
            latencies.push_back(host.cyclesUntilPublished());
            for (int idle = 0; idle < 40; ++idle)
                host.cycle(-1, 0.0f, nullptr);
        }
        std::printf("%-16s %10.0f %10.0f\n", param::findControl(id).name, percentile(latencies, 0.5),
                    *std::max_element(latencies.begin(), latencies.end()));
    }
    std::printf("target: every change published within 20000 us\n\n");

    std::printf("setParameter alone, 20000 per parameter (us)\n");
    std::printf("%-16s %8s %8s %8s %8s %10s\n", "parameter", "median", "p99", "p99.9", "max", "over 20 us");
    std::vector<float> silence(2 * kCallFrames, 0.0f);
    float* io[2] = {silence.data(), silence.data() + kCallFrames};
    for (int id = param::kBypassLocal; id <= param::kDryLevel; ++id) {
        std::vector<double> times;
        times.reserve(20000);
        for (int k = 0; k < 20000; ++k) {
            if (k % 64 == 0)
                record->processReplacing(record, io, io, kCallFrames);
            const float value = id == param::kBypassLocal ? 1.0f : static_cast<float>(k % 1000) / 999.0f;
            const Clock::time_point start = Clock::now();
            record->setParameter(record, id, value);
            times.push_back(microseconds(Clock::now() - start));
        }
        const long over = std::count_if(times.begin(), times.end(), [](double t) { return t > 20.0; });
        std::printf("%-16s %8.2f %8.2f %8.2f %8.2f %10ld\n", param::findControl(id).name, percentile(times, 0.5),
                    percentile(times, 0.99), percentile(times, 0.999), *std::max_element(times.begin(), times.end()),
                    over);
    }

    record->dispatcher(record, vst::effClose, 0, 0, nullptr, 0.0f);
    std::remove(irPath.c_str());
    rmdir(folder);
    return 0;
}
