#pragma once
// What the processing path needs of a stereo convolution, whichever edition
// of the effect runs it: frames exchanged one call at a time, the dry signal
// delayed exactly as much as the wet one (latencyFrames(), fixed for the
// engine's life), and the kernel, routing and reset controls.
//
// Threads, for every implementation: exchange() on the audio thread inside a
// ProcessEpoch::Scope; prepareKernel() on any other thread at any time;
// setInputRouting() anywhere; reset() while processing is stopped;
// releaseUnused() on a non-audio thread from time to time. The audio thread
// never allocates, locks or waits in exchange().
namespace engine {

class Convolver {
public:
    virtual ~Convolver() = default;

    // Audio thread. For each of `frames` frames in order: takes the input
    // frame and writes the dry frame (the input latencyFrames() earlier,
    // unrouted, bit for bit) and the wet frame (the routed input convolved with
    // the normalised IR, latencyFrames() late). Inputs and outputs may be the
    // same arrays.
    virtual void exchange(const float* inL, const float* inR, float* dryL, float* dryR, float* wetL, float* wetR,
                          int frames) = 0;

    // r = 1 keeps the channels, -1 swaps them, 0 feeds the mono sum to both;
    // values between cross-feed.
    virtual void setInputRouting(double r) = 0;

    // `left` and `right` each hold the `frames` samples of one channel of the
    // shaped IR; they are only read. Both channels are scaled together
    // (KernelNormalisation). Returns false, leaving the kernel in force, when
    // the new kernel's memory cannot be had.
    virtual bool prepareKernel(const float* left, const float* right, int frames) = 0;

    // Drops all stored input, the work in progress and all tails; the kernel stays.
    virtual void reset() = 0;

    // Frees replaced kernels that nothing uses any more.
    virtual void releaseUnused() = 0;

    // How late both the wet and the dry signal come out, in frames.
    virtual int latencyFrames() const = 0;
};

} // namespace engine
