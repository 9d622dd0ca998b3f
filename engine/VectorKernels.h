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

// One sum of spectrum products, out = sum over j < terms of x_j * h_j (complex),
// of several that share the spectra x_j. A term whose h is a null pointer is
// left out.
struct ProductSum {
    static constexpr int kMaxTerms = 8;
    float* outRe;
    float* outIm;
    const float* hRe[kMaxTerms];
    const float* hIm[kMaxTerms];
    int terms;
};

// What changing some terms' kernels changes: d = the sum over the changes of
// x_term * (hNew - hOld), a missing h counting as zero. d may be stored over
// one of the hOld.
struct TermChanges {
    static constexpr int kMax = ProductSum::kMaxTerms;
    int count = 0;
    int term[kMax];
    const float* newRe[kMax];
    const float* newIm[kMax];
    const float* oldRe[kMax];
    const float* oldIm[kMax];
    float* dRe;
    float* dIm;
};

struct VectorKernels {
    // Twiddle tables are laid out as FftTables describes.
    //
    // Radix-2 decimation-in-frequency butterflies j in [from, to): points j and
    // j + half.
    void (*radix2Forward)(float* re, float* im, int half, const float* w, int from, int to);
    // Its inverse (conjugate twiddles, decimation in time), unscaled.
    void (*radix2Inverse)(float* re, float* im, int half, const float* w, int from, int to);

    // Radix-4 butterflies u in [from, to) of the pass over sub-transforms of
    // 4q points (q >= 8): butterfly u works on points j, j+q, j+2q, j+3q of
    // sub-transform u / q, j = u % q, with twiddles w1, w2, w3 of j.
    void (*radix4Forward)(float* re, float* im, int q, const float* w, int from, int to);
    void (*radix4Inverse)(float* re, float* im, int q, const float* w, int from, int to);

    // The last two radix-4 passes (sub-transforms of 16 and of 4 points) on
    // the 16-point blocks 2*from .. 2*to-1, and their inverse.
    void (*leaf16Forward)(float* re, float* im, int from, int to);
    void (*leaf16Inverse)(float* re, float* im, int from, int to);

    // The real-input split after the forward transform and the join before the
    // inverse one, for pair indices t in [from, to), t >= 8 (see RealFft).
    void (*realSplit)(float* re, float* im, const float* w, int from, int to);
    void (*realJoin)(float* re, float* im, const float* w, int from, int to);

    // The `count` sums at positions k in [from, to), reading each x_j once for
    // all of them, and the term changes if any are given. An output may be one
    // of the inputs: every input at k is read before any output at k is written.
    void (*multiplySums)(const float* const* xRe, const float* const* xIm, const ProductSum* sums, int count,
                         const TermChanges* changes, int from, int to);

    // The raised-cosine blend of RealFft::blendSpectra on pairs of blocks of
    // eight positions: for b in [from, to) (0 < from, to < half), block b
    // holds the even bins m + jM/8 (m = order[b]) and block b + half the bins
    // one above; lane by lane, with d_i the block of bins i above or below,
    // s_0 = s_0 - d_0 / 2 + (d_-1 + d_1) / 4, s_1 = s_1 - d_1 / 2 + (d_0 + d_2) / 4,
    // in the real and in the imaginary parts alike.
    void (*blendSpectra)(float* sRe, float* sIm, const float* dRe, const float* dIm, const int* order, int half,
                         int from, int to);

    // Frames [0, count) of two channels, routed (l' = e l + f r, r' = e r + f l)
    // into the transform's layout: frame 2i at re[i], frame 2i+1 at im[i] of
    // each channel's destination. `left` and `right` need no alignment.
    void (*routeIntoPoints)(const float* left, const float* right, float e, float f, float* reL, float* imL,
                            float* reR, float* imR, int count);

    // The direct-form convolution of the live engine's head: for i < frames,
    // out[i] = sum over m < taps of kernel[m] * history[i + m], the kernel
    // time-reversed (`taps` a multiple of 32, `kernel` aligned, `history` not).
    // Each frame's sum is formed in the same order however many frames one
    // call computes, so that the output never depends on the host's call sizes.
    void (*directForm)(const float* history, const float* kernel, int taps, float* out, int frames);

    // Frames [0, count) of one channel into the transform's layout (frame 2i
    // at re[i], 2i+1 at im[i]); `frames` needs no alignment.
    void (*pointsFromFrames)(const float* frames, float* re, float* im, int count);

    // The other way, points [0, count / 2) into `count` frames, blended with
    // a second signal where one is given: frames[t] = b[t] + w[t] (a[t] - b[t]),
    // with a the signal in (aRe, aIm) and b the one in (bRe, bIm); without b
    // (null), frames[t] = w[t] a[t]; without w (null), frames[t] = a[t].
    void (*framesFromPoints)(const float* aRe, const float* aIm, const float* bRe, const float* bIm, const float* w,
                             float* frames, int count);
};

// The loops built for `path`, which must be available on this machine.
const VectorKernels& vectorKernels(VectorPath path);

} // namespace engine
