#pragma once
// The engine's one discrete Fourier transform: real input of N = 2^n samples
// (64 <= N <= 2^25), single precision, split-complex, in place.
//
// Layout. A signal of N samples is held as M = N/2 complex points in two float
// arrays of M values (64-byte aligned): sample 2i in re[i], sample 2i+1 in
// im[i]. Its spectrum X[k] = sum over t of x[t] exp(-2 pi i k t / N) takes the
// same two arrays: bin k (0 < k < M) at position(k), a bit reversal; the real
// bins 0 and M share position 0, X[0] in re[0] and X[M] in im[0]. Bins above M
// are the conjugates of those below.
//
// forward() computes X from x; inverse() computes N x from X (unscaled, so
// inverse(forward(x)) = N x). Spectra of the same size can be multiplied
// position by position (multiplySum); the bit-reversed order is why no
// transform ever reorders its data.
//
// The transform is a radix-4 decimation in frequency (one radix-2 pass first
// when log2 M is odd) of M complex points, followed by the split that turns it
// into the spectrum of the real signal; the inverse runs the same steps
// backward. Every step is cut into units of 256 points (a transform of fewer
// points is one unit per step), so that the work can be spread over many
// process calls: runForward/runInverse do any range of units of any step, in
// order, and never allocate. Twiddles come from tables
// shared by all transforms of a size (FftTables).
#include "engine/FftTables.h"
#include "engine/VectorKernels.h"
#include "engine/VectorPath.h"

#include <vector>

namespace engine {

class RealFft {
public:
    static constexpr int kUnitPoints = 256;

    enum class StepKind { Radix2, Radix4, Leaf, RealSplit };

    struct Step {
        StepKind kind;
        int units;
    };

    // Non-audio thread (the twiddle tables may be built on first use).
    explicit RealFft(int log2Size, VectorPath path = bestVectorPath());

    int size() const { return 2 * points_; }
    int points() const { return points_; }
    VectorPath path() const { return path_; }

    // Where bin k (0 < k < M) of a spectrum is kept.
    int position(int bin) const { return bitReversed(bin, tables_->log2Points); }

    void forward(float* re, float* im) const;
    void inverse(float* re, float* im) const;

    // The steps of each direction, in the order they run; the inverse runs the
    // same kinds backward (the real join first).
    const std::vector<Step>& steps() const { return steps_; }
    int totalUnits() const { return totalUnits_; }
    // Units [from, to) of forward step `step`, or of inverse step `step`.
    void runForward(int step, float* re, float* im, int from, int to) const;
    void runInverse(int step, float* re, float* im, int from, int to) const;

    // Sums of spectrum products over positions [from, to) (multiples of 8),
    // up to two sums sharing the spectra x_j (each given as its real and
    // imaginary arrays): see ProductSum. With TermChanges, also what changing
    // their terms' kernels changes. An output may be one of the inputs. The
    // real bins 0 and M multiply as reals.
    static constexpr int kMaxSums = 2;
    void multiplySums(const float* const* xRe, const float* const* xIm, const ProductSum* sums, int count, int from,
                      int to, const TermChanges* changes = nullptr) const;

    // The crossfade of two signals a and b over the transform's length,
    // a + w (b - a) with w(t) = (1 + cos(2 pi t / N)) / 2, done on their
    // spectra: from the spectrum S of b and D of b - a, computes into S the
    // spectrum of the blend. w has three bins (1/2 at 0, 1/4 at +1 and -1), so
    // the product in time is a three-tap sum over neighbouring bins, and one
    // inverse transform gives the blended signal. Over the window's second
    // half, t = N/2 + f, w rises from 0 as sin^2(pi f / N). Units [from, to)
    // of blendUnits(); D is only read and may not be S. Needs N >= 512.
    int blendUnits() const { return points_ / kUnitPoints; }
    void blendSpectra(float* sRe, float* sIm, const float* dRe, const float* dIm, int from, int to) const;

private:
    void blendBlockOneByOne(float* sRe, float* sIm, const float* dRe, const float* dIm, int m) const;
    void runStep(bool forward, int step, float* re, float* im, int from, int to) const;
    void splitLowPairs(float* re, float* im, int to) const;
    void joinLowPairs(float* re, float* im, int to) const;

    int points_;
    VectorPath path_;
    const FftTables* tables_;
    const VectorKernels* kernels_;
    int unitPoints_;
    std::vector<Step> steps_;
    int totalUnits_ = 0;
};

} // namespace engine
