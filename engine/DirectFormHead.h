#pragma once
// The live convolution's head: the first taps of the IR convolved in direct
// form, one dot product per output frame over the newest input frames, so
// that an output frame needs no input after its own.
//
// A new kernel is taken at the start of a block (begin()), at most one
// crossfade at a time: from the frame it is taken on, the output blends
// from the old taps' to the new taps' over fadeFrames with the raised-cosine
// FadeCurve, both dot products running meanwhile. A kernel published during
// a fade is taken when the fade ends. The first kernel after construction or
// reset, taken before any input, needs no fade.
//
// Threads as for the engine: prepare()/publish()/collect() on non-audio
// threads, the rest on the audio thread (reset() while stopped).
#include "engine/AlignedFloats.h"
#include "engine/Handover.h"
#include "engine/HeadKernel.h"
#include "engine/VectorKernels.h"

#include <cstdint>
#include <memory>

namespace engine {

class DirectFormHead {
public:
    // `taps` a multiple of 32; no block (the frames between two begin()s)
    // longer than `maxBlockFrames`; `log2FadeFrames` within FadeCurve's range.
    DirectFormHead(ProcessEpoch& epoch, int taps, int maxBlockFrames, int log2FadeFrames,
                   const VectorKernels& kernels);

    int taps() const { return taps_; }
    int fadeFrames() const { return fadeFrames_; }

    std::unique_ptr<HeadKernel> prepare(const float* left, const float* right, const NormalisedExtent& extent) const
    {
        return HeadKernel::prepare(left, right, extent, taps_);
    }
    void publish(std::unique_ptr<HeadKernel> kernel) { kernel_.publish(std::move(kernel)); }
    void collect() { kernel_.collect(); }

    // Audio thread, at the start of a block: takes the newest kernel unless a fade runs.
    void begin();
    // Audio thread: the next `frames` routed input frames of each channel, then
    // their head output into outL and outR (which may not be the inputs).
    void run(const float* inL, const float* inR, float* outL, float* outR, int frames);

    void reset();

private:
    void convolve(const HeadKernel* kernel, int channel, int frames, float* out) const;

    const VectorKernels& kernels_;
    int taps_;
    int historyFrames_;  // a power of two, at least taps + the longest block
    int fadeFrames_;
    const float* fade_;

    Handover<HeadKernel, 2> kernel_;
    HeadKernel* current_ = nullptr;
    HeadKernel* fadingFrom_ = nullptr;
    bool fading_ = false;
    bool fresh_ = true;  // no input since construction or reset
    int fadePosition_ = 0;

    // Each channel's history twice over (frame t at t mod N and N + t mod N),
    // so that every window of the newest frames is one run of memory.
    AlignedFloats history_;
    std::int64_t frame_ = 0;
    AlignedFloats scratch_;  // the old taps' output while fading
};

} // namespace engine
