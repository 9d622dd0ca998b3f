#pragma once
// The engine's inner loops, built once per instruction set (VectorPath) from
// the same source, VectorKernels.inc. Every array is split-complex (real parts
// and imaginary parts in separate float arrays), 64-byte aligned, and every
// range given here starts and ends on a multiple of 8 elements.
//
// The transform loops are the passes of RealFft (see there for what they
// compute); the product loop is the convolution's multiply-add.
#include "engine/VectorPath.h"

namespace engine {

struct VectorKernels {
    // Radix-2 decimation-in-frequency butterflies j in [from, to): points j and
    // j + half; `w` holds half real parts, then half imaginary parts.
    void (*radix2Forward)(float* re, float* im, int half, const float* w, int from, int to);
    // Its inverse (conjugate twiddles, decimation in time), unscaled.
    void (*radix2Inverse)(float* re, float* im, int half, const float* w, int from, int to);

    // Radix-4 butterflies u in [from, to) of the pass over sub-transforms of
    // 4q points (q >= 8): butterfly u works on points j, j+q, j+2q, j+3q of
    // sub-transform u / q, j = u % q. `w` holds w1, w2, w3 for j < q, each as
    // q real parts then q imaginary parts.
    void (*radix4Forward)(float* re, float* im, int q, const float* w, int from, int to);
    void (*radix4Inverse)(float* re, float* im, int q, const float* w, int from, int to);

    // The last two radix-4 passes (sub-transforms of 16 and of 4 points) on
    // the 16-point blocks 2*from .. 2*to-1, and their inverse.
    void (*leaf16Forward)(float* re, float* im, int from, int to);
    void (*leaf16Inverse)(float* re, float* im, int from, int to);

    // The real-input split after the forward transform and the join before the
    // inverse one, for pair indices t in [from, to), t >= 8 (see RealFft).
    void (*realSplit)(float* re, float* im, const float* w, int half, int from, int to);
    void (*realJoin)(float* re, float* im, const float* w, int half, int from, int to);

    // out[k] = sum over j < terms of x_j[k] * h_j[k] (complex), k in [from, to).
    // `out` may be one of the x_j or h_j: each k is read before it is written.
    void (*multiplySum)(float* outRe, float* outIm, const float* const* xRe, const float* const* xIm,
                        const float* const* hRe, const float* const* hIm, int terms, int from, int to);

    // out[k] = from[k] + weight[k] * (out[k] - from[k]), k in [0, count).
    void (*crossfade)(float* out, const float* from, const float* weight, int count);
};

// The loops built for `path`, which must be available on this machine.
const VectorKernels& vectorKernels(VectorPath path);

} // namespace engine
