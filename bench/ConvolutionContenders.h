#pragma once
// What the cost benchmarks share: the IR and input every contender gets (a
// stereo IR of 131072 frames of decaying noise, noise input at 48 kHz), one
// host call of 64 frames as the unit of work, the contenders that are not
// ours (zita-convolver in two set-ups, FFTW's floor for 65536 frames of
// latency), and how processor time and heap are taken.
#include <fftw3.h>
#include <malloc.h>
#include <sched.h>
#include <zita-convolver.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace benchcost {

constexpr int kRate = 48000;
constexpr int kCall = 64;
constexpr int kIrFrames = 131072;

inline std::vector<float> noise(size_t count, unsigned stream, float amplitude, double endLevel = 1.0)
{
    std::mt19937 rng(stream);
    std::uniform_real_distribution<float> dist(-amplitude, amplitude);
    std::vector<float> v(count);
    for (size_t i = 0; i < count; ++i)
        v[i] = static_cast<float>(dist(rng) * std::pow(endLevel, static_cast<double>(i) / count));
    return v;
}

struct Ir {
    std::vector<float> left = noise(kIrFrames, 1u, 0.5f, 0.01);
    std::vector<float> right = noise(kIrFrames, 2u, 0.5f, 0.01);
};

class Contender {
public:
    virtual ~Contender() = default;
    // One host call of kCall frames.
    virtual void process(const float* inL, const float* inR, float* outL, float* outR) = 0;
};

// A call that only passes silence on: what pacing costs by itself.
class Nothing : public Contender {
public:
    void process(const float*, const float*, float* outL, float* outR) override
    {
        std::memset(outL, 0, sizeof(float) * kCall);
        std::memset(outR, 0, sizeof(float) * kCall);
    }
};

// zita-convolver with partitions from minPart to 8192 frames and process()
// every `quantum` frames; host calls of kCall frames are gathered into it.
class Zita : public Contender {
public:
    Zita(const Ir& ir, int quantum, int minPart, bool wait) : quantum_(quantum), wait_(wait)
    {
        conv_.configure(2, 2, kIrFrames, static_cast<unsigned>(quantum), static_cast<unsigned>(minPart),
                        Convproc::MAXPART, 0.0f);
        conv_.impdata_create(0, 0, 1, const_cast<float*>(ir.left.data()), 0, kIrFrames);
        conv_.impdata_create(1, 1, 1, const_cast<float*>(ir.right.data()), 0, kIrFrames);
        conv_.start_process(0, SCHED_OTHER);
    }
    ~Zita() override
    {
        conv_.stop_process();
        // The threads end once the next cycles see the request. Should they
        // not (cleanup would then wait for ever), the instance is left to the
        // end of the program.
        for (int i = 0; i < 20000 && conv_.state() != Convproc::ST_STOP; ++i)
            conv_.process(true);
        if (conv_.state() == Convproc::ST_STOP) {
            conv_.cleanup();
            delete &conv_;
        } else {
            std::fprintf(stderr, "(a zita-convolver instance did not stop; left running)\n");
        }
    }
    void process(const float* inL, const float* inR, float* outL, float* outR) override
    {
        std::memcpy(conv_.inpdata(0) + fill_, inL, sizeof(float) * kCall);
        std::memcpy(conv_.inpdata(1) + fill_, inR, sizeof(float) * kCall);
        std::memcpy(outL, conv_.outdata(0) + fill_, sizeof(float) * kCall);
        std::memcpy(outR, conv_.outdata(1) + fill_, sizeof(float) * kCall);
        fill_ += kCall;
        if (fill_ == quantum_) {
            conv_.process(wait_);
            fill_ = 0;
        }
    }

private:
    Convproc& conv_ = *new Convproc;  // deleted once stopped
    int quantum_;
    bool wait_;
    int fill_ = 0;
};

// Four partitions of 32768 frames through FFTW, each partition's work at once
// when its input is complete.
class FftwFloor : public Contender {
public:
    static constexpr int kPart = 32768;
    static constexpr int kN = 2 * kPart;
    static constexpr int kBins = kPart + 1;
    static constexpr int kParts = kIrFrames / kPart;

    explicit FftwFloor(const Ir& ir)
        : time_(fftwf_alloc_real(kN)), spectrum_(fftwf_alloc_complex(kBins)), sum_(fftwf_alloc_complex(kBins))
    {
        forward_ = fftwf_plan_dft_r2c_1d(kN, time_, spectrum_, FFTW_MEASURE);
        inverse_ = fftwf_plan_dft_c2r_1d(kN, sum_, time_, FFTW_MEASURE);
        const std::vector<float>* channels[2] = {&ir.left, &ir.right};
        for (int c = 0; c < 2; ++c) {
            window_[c].assign(kN, 0.0f);
            output_[c].assign(kPart, 0.0f);
            history_[c].assign(static_cast<size_t>(kParts) * kBins * 2, 0.0f);
            kernel_[c].assign(static_cast<size_t>(kParts) * kBins * 2, 0.0f);
            for (int j = 0; j < kParts; ++j) {
                std::fill(time_, time_ + kN, 0.0f);
                for (int i = 0; i < kPart; ++i)
                    time_[i] = (*channels[c])[static_cast<size_t>(j * kPart + i)] / kN;
                fftwf_execute(forward_);
                std::memcpy(&kernel_[c][static_cast<size_t>(j) * kBins * 2], spectrum_, sizeof(fftwf_complex) * kBins);
            }
        }
    }
    ~FftwFloor() override
    {
        fftwf_destroy_plan(forward_);
        fftwf_destroy_plan(inverse_);
        fftwf_free(time_);
        fftwf_free(spectrum_);
        fftwf_free(sum_);
    }
    void process(const float* inL, const float* inR, float* outL, float* outR) override
    {
        const float* in[2] = {inL, inR};
        float* out[2] = {outL, outR};
        for (int c = 0; c < 2; ++c) {
            std::memcpy(&window_[c][static_cast<size_t>(kPart + fill_)], in[c], sizeof(float) * kCall);
            std::memcpy(out[c], &output_[c][static_cast<size_t>(fill_)], sizeof(float) * kCall);
        }
        fill_ += kCall;
        if (fill_ == kPart) {
            for (int c = 0; c < 2; ++c)
                convolve(c);
            fill_ = 0;
            newest_ = (newest_ + 1) % kParts;
        }
    }

private:
    void convolve(int c)
    {
        std::memcpy(time_, window_[c].data(), sizeof(float) * kN);
        fftwf_execute(forward_);
        float* slot = &history_[c][static_cast<size_t>((newest_ + 1) % kParts) * kBins * 2];
        std::memcpy(slot, spectrum_, sizeof(fftwf_complex) * kBins);
        std::memset(sum_, 0, sizeof(fftwf_complex) * kBins);
        float* acc = &sum_[0][0];
        for (int j = 0; j < kParts; ++j) {
            const float* x = &history_[c][static_cast<size_t>((newest_ + 1 + kParts - j) % kParts) * kBins * 2];
            const float* h = &kernel_[c][static_cast<size_t>(j) * kBins * 2];
            for (int k = 0; k < 2 * kBins; k += 2) {
                acc[k] += x[k] * h[k] - x[k + 1] * h[k + 1];
                acc[k + 1] += x[k] * h[k + 1] + x[k + 1] * h[k];
            }
        }
        fftwf_execute(inverse_);
        std::memcpy(output_[c].data(), time_ + kPart, sizeof(float) * kPart);
        std::memmove(window_[c].data(), window_[c].data() + kPart, sizeof(float) * kPart);
    }

    float* time_;
    fftwf_complex* spectrum_;
    fftwf_complex* sum_;
    fftwf_plan forward_, inverse_;
    std::vector<float> window_[2], output_[2], history_[2], kernel_[2];
    int fill_ = 0;
    int newest_ = 0;
};

inline double processCpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + ts.tv_nsec * 1e-9;
}

inline std::size_t heapBytes()
{
    const struct mallinfo2 m = mallinfo2();
    return m.uordblks + m.hblkhd;
}

struct Input {
    std::vector<float> left = noise(2 * kRate, 10u, 0.5f);
    std::vector<float> right = noise(2 * kRate, 11u, 0.5f);
};

// Processor time per second of audio over `seconds` of calls, after a second
// of warm-up; paced calls wait for their deadline like a host's audio thread.
inline double cpuPercent(Contender& c, const Input& in, double seconds, bool paced)
{
    float outL[kCall], outR[kCall];
    const int loop = static_cast<int>(in.left.size()) / kCall;
    long call = 0;
    auto one = [&] {
        const size_t at = static_cast<size_t>(call++ % loop) * kCall;
        c.process(in.left.data() + at, in.right.data() + at, outL, outR);
    };
    for (int i = 0; i < kRate / kCall; ++i)
        one();
    const long calls = static_cast<long>(seconds * kRate / kCall);
    timespec next{};
    clock_gettime(CLOCK_MONOTONIC, &next);
    const long periodNs = 1000000000L * kCall / kRate;
    const double start = processCpuSeconds();
    for (long i = 0; i < calls; ++i) {
        one();
        if (paced) {
            next.tv_nsec += periodNs;
            while (next.tv_nsec >= 1000000000L) {
                next.tv_nsec -= 1000000000L;
                ++next.tv_sec;
            }
            clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, nullptr);
        }
    }
    const double audio = static_cast<double>(calls) * kCall / kRate;
    return 100.0 * (processCpuSeconds() - start) / audio;
}

// Heap taken by one instance with the IR loaded, after a second of calls (zita
// also stops cleanly only once its threads have run).
inline double heapMiB(const std::function<std::unique_ptr<Contender>()>& make, const Input& in,
               std::unique_ptr<Contender>* keep = nullptr)
{
    const std::size_t before = heapBytes();
    std::unique_ptr<Contender> c = make();
    float outL[kCall], outR[kCall];
    for (int i = 0; i < kRate / kCall; ++i)
        c->process(in.left.data() + i * kCall, in.right.data() + i * kCall, outL, outR);
    const double mib = static_cast<double>(heapBytes() - before) / (1024.0 * 1024.0);
    if (keep != nullptr)
        *keep = std::move(c);
    return mib;
}

} // namespace benchcost
