#pragma once
// The floor for zero latency: the live engine's own partition plan (a
// direct-form head, then levels of partitions growing towards the tail), with
// FFTW's real transforms (FFTW_MEASURE) and each block's work done at once in
// the call that completes the block, nothing spread. Less bookkeeping than
// ours, and a call that completes a long block carries all its transforms.
#include "ConvolutionContenders.h"
#include "engine/LivePartitionPlan.h"
#include "engine/VectorKernels.h"
#include "engine/VectorPath.h"

#include <fftw3.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace benchcost {

class FftwLiveFloor : public Contender {
public:
    explicit FftwLiveFloor(const Ir& ir, const engine::LivePartitionPlan& plan)
        : plan_(plan), kernels_(engine::vectorKernels(engine::bestVectorPath()))
    {
        const std::vector<float>* channels[2] = {&ir.left, &ir.right};
        const int head = plan_.headFrames;
        for (int c = 0; c < 2; ++c) {
            reversedHead_[c].assign(static_cast<size_t>(head), 0.0f);
            for (int i = 0; i < head; ++i)
                reversedHead_[c][static_cast<size_t>(head - 1 - i)] = (*channels[c])[static_cast<size_t>(i)];
            history_[c].assign(2 * kHistory, 0.0f);
        }
        for (int l = 0; l < plan_.levelCount; ++l)
            levels_.push_back(std::make_unique<Level>(plan_.levels[l], channels));
    }

    void process(const float* inL, const float* inR, float* outL, float* outR) override
    {
        const float* in[2] = {inL, inR};
        float* out[2] = {outL, outR};
        for (int c = 0; c < 2; ++c) {
            for (int i = 0; i < kCall; ++i) {
                const int at = static_cast<int>((frame_ + i) % kHistory);
                history_[c][static_cast<size_t>(at)] = in[c][i];
                history_[c][static_cast<size_t>(at + kHistory)] = in[c][i];
            }
            const int start = static_cast<int>((frame_ - plan_.headFrames + 1 + kHistory) % kHistory);
            kernels_.directForm(history_[c].data() + start, reversedHead_[c].data(), plan_.headFrames, out[c], kCall);
        }
        for (auto& level : levels_)
            level->process(in, out, frame_);
        frame_ += kCall;
    }

private:
    static constexpr int kHistory = 4096;

    class Level {
    public:
        Level(const engine::LiveLevel& level, const std::vector<float>* const* ir) : b_(level.blockFrames),
              k_(level.partitions), slots_(level.offsetFrames / level.blockFrames)
        {
            const int n = 2 * b_;
            const int bins = b_ + 1;
            time_ = fftwf_alloc_real(static_cast<size_t>(n));
            spectrum_ = fftwf_alloc_complex(static_cast<size_t>(bins));
            forward_ = fftwf_plan_dft_r2c_1d(n, time_, spectrum_, FFTW_MEASURE);
            inverse_ = fftwf_plan_dft_c2r_1d(n, spectrum_, time_, FFTW_MEASURE);
            for (int c = 0; c < 2; ++c) {
                window_[c].assign(static_cast<size_t>(n), 0.0f);
                fdl_[c].assign(static_cast<size_t>(k_) * bins * 2, 0.0f);
                kernel_[c].assign(static_cast<size_t>(k_) * bins * 2, 0.0f);
                out_[c].assign(static_cast<size_t>(slots_) * b_, 0.0f);
                for (int j = 0; j < k_; ++j) {
                    for (int i = 0; i < n; ++i) {
                        const size_t at = static_cast<size_t>(level.offsetFrames + j * b_ + i);
                        time_[i] = i < b_ && at < ir[c]->size() ? (*ir[c])[at] / n : 0.0f;
                    }
                    fftwf_execute(forward_);
                    std::memcpy(&kernel_[c][static_cast<size_t>(j) * bins * 2], spectrum_, sizeof(fftwf_complex) * bins);
                }
            }
        }
        ~Level()
        {
            fftwf_destroy_plan(forward_);
            fftwf_destroy_plan(inverse_);
            fftwf_free(time_);
            fftwf_free(spectrum_);
        }

        // One call of kCall frames from `frame`: the output of each frame, then
        // the block's whole work when one completes.
        void process(const float* const* in, float* const* out, std::int64_t frame)
        {
            for (int done = 0; done < kCall;) {
                const std::int64_t f = frame + done;
                const int phase = static_cast<int>(f % b_);
                const int n = std::min(kCall - done, b_ - phase);
                const int slot = static_cast<int>((f / b_) % slots_);
                for (int c = 0; c < 2; ++c) {
                    const float* o = &out_[c][static_cast<size_t>(slot) * b_ + phase];
                    float* w = &window_[c][static_cast<size_t>(b_ + phase)];
                    for (int i = 0; i < n; ++i) {
                        out[c][done + i] += o[i];
                        w[i] = in[c][done + i];
                    }
                }
                done += n;
                if (phase + n == b_)
                    convolve((f + n) / b_);
            }
        }

    private:
        // Block p - 1 has just completed at the start of period p: its
        // output plays from period p + d/B - 1.
        void convolve(std::int64_t period)
        {
            const int bins = b_ + 1;
            newest_ = (newest_ + 1) % k_;
            const int slot = static_cast<int>((period + slots_ - 1) % slots_);
            for (int c = 0; c < 2; ++c) {
                std::memcpy(time_, window_[c].data(), sizeof(float) * 2 * b_);
                fftwf_execute(forward_);
                std::memcpy(&fdl_[c][static_cast<size_t>(newest_) * bins * 2], spectrum_, sizeof(fftwf_complex) * bins);
                float* acc = &spectrum_[0][0];
                std::memset(acc, 0, sizeof(fftwf_complex) * bins);
                for (int j = 0; j < k_; ++j) {
                    const float* x = &fdl_[c][static_cast<size_t>((newest_ - j + k_) % k_) * bins * 2];
                    const float* h = &kernel_[c][static_cast<size_t>(j) * bins * 2];
                    for (int i = 0; i < 2 * bins; i += 2) {
                        acc[i] += x[i] * h[i] - x[i + 1] * h[i + 1];
                        acc[i + 1] += x[i] * h[i + 1] + x[i + 1] * h[i];
                    }
                }
                fftwf_execute(inverse_);
                std::memcpy(&out_[c][static_cast<size_t>(slot) * b_], time_ + b_, sizeof(float) * b_);
                std::memmove(window_[c].data(), window_[c].data() + b_, sizeof(float) * b_);
            }
        }

        const int b_, k_, slots_;
        int newest_ = 0;
        float* time_;
        fftwf_complex* spectrum_;
        fftwf_plan forward_, inverse_;
        std::vector<float> window_[2], fdl_[2], kernel_[2], out_[2];
    };

    engine::LivePartitionPlan plan_;
    const engine::VectorKernels& kernels_;
    std::vector<float> reversedHead_[2], history_[2];
    std::vector<std::unique_ptr<Level>> levels_;
    std::int64_t frame_ = 0;
};

} // namespace benchcost
