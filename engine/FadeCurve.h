#pragma once
// The raised-cosine crossfade of the live convolution, w(g) = sin^2(pi g / 2F)
// for frame g of a fade of F frames: it rises from 0 with no corner, and the
// fading-out part's weight 1 - w is its mirror, so two similar signals keep
// their level through the fade. One table per length, computed once per
// process in double precision and shared by every instance.
namespace engine {

class FadeCurve {
public:
    static constexpr int kMinLog2Frames = 5;
    static constexpr int kMaxLog2Frames = 16;

    // The F = 2^log2Frames weights w(0) .. w(F - 1), 64-byte aligned. Built on
    // first use: non-audio threads only (the engines ask at construction).
    static const float* forLength(int log2Frames);
};

} // namespace engine
