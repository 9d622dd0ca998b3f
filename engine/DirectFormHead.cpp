#include "engine/DirectFormHead.h"

#include "engine/FadeCurve.h"

#include <algorithm>

namespace engine {

namespace {

int powerOfTwoAtLeast(int n)
{
    int p = 1;
    while (p < n)
        p *= 2;
    return p;
}

} // namespace

DirectFormHead::DirectFormHead(ProcessEpoch& epoch, int taps, int maxBlockFrames, int log2FadeFrames,
                               const VectorKernels& kernels)
    : kernels_(kernels),
      taps_(taps),
      historyFrames_(powerOfTwoAtLeast(taps + maxBlockFrames)),
      fadeFrames_(1 << log2FadeFrames),
      fade_(FadeCurve::forLength(log2FadeFrames)),
      kernel_(epoch),
      history_(2 * 2 * static_cast<std::size_t>(historyFrames_)),
      scratch_(static_cast<std::size_t>(maxBlockFrames))
{
}

void DirectFormHead::begin()
{
    if (fading_ && fadePosition_ < fadeFrames_)
        return;
    fading_ = false;
    fadingFrom_ = nullptr;
    if (kernel_.get() != current_) {
        HeadKernel* taken = kernel_.hold();
        const bool sounded = current_ != nullptr && current_->sounding();
        if (!fresh_ && (sounded || (taken != nullptr && taken->sounding()))) {
            fading_ = true;
            fadingFrom_ = sounded ? current_ : nullptr;
            fadePosition_ = 0;
        }
        current_ = taken;
    }
    fresh_ = false;
}

void DirectFormHead::convolve(const HeadKernel* kernel, int channel, int frames, float* out) const
{
    // The window of output frame t is frames t - taps + 1 .. t.
    const int start = static_cast<int>((frame_ - taps_ + 1) & (historyFrames_ - 1));
    const float* history = history_.data() + channel * 2 * static_cast<std::size_t>(historyFrames_) + start;
    kernels_.directForm(history, kernel->reversed(channel), taps_, out, frames);
}

void DirectFormHead::run(const float* inL, const float* inR, float* outL, float* outR, int frames)
{
    const float* in[2] = {inL, inR};
    for (int c = 0; c < 2; ++c) {
        float* h = history_.data() + c * 2 * static_cast<std::size_t>(historyFrames_);
        for (int i = 0; i < frames; ++i) {
            const int at = static_cast<int>((frame_ + i) & (historyFrames_ - 1));
            h[at] = in[c][i];
            h[at + historyFrames_] = in[c][i];
        }
    }
    float* out[2] = {outL, outR};
    for (int done = 0; done < frames;) {
        // A fade ends within the block: the rest goes on with the new taps alone.
        const bool blend = fading_ && fadePosition_ < fadeFrames_;
        const int n = blend ? std::min(frames - done, fadeFrames_ - fadePosition_) : frames - done;
        const bool sounding = current_ != nullptr && current_->sounding();
        for (int c = 0; c < 2; ++c) {
            float* o = out[c] + done;
            if (sounding)
                convolve(current_, c, n, o);
            else
                std::fill(o, o + n, 0.0f);
            if (!blend)
                continue;
            const float* w = fade_ + fadePosition_;
            if (fadingFrom_ != nullptr) {
                float* old = scratch_.data();
                convolve(fadingFrom_, c, n, old);
                for (int i = 0; i < n; ++i)
                    o[i] = old[i] + w[i] * (o[i] - old[i]);
            } else {
                for (int i = 0; i < n; ++i)
                    o[i] = w[i] * o[i];
            }
        }
        if (blend)
            fadePosition_ += n;
        frame_ += n;
        done += n;
    }
}

void DirectFormHead::reset()
{
    history_.clear();
    frame_ = 0;
    fading_ = false;
    fadingFrom_ = nullptr;
    fadePosition_ = 0;
    fresh_ = true;
}

} // namespace engine
