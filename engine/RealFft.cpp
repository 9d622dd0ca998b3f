#include "engine/RealFft.h"

#include <algorithm>
#include <cassert>

namespace engine {

namespace {

// Below 64 samples the real split's vector loop has no whole block to work on.
constexpr int kMinLog2Size = 6;
constexpr int kMaxLog2Size = 25;
// Pairs below this index sit in blocks narrower than a vector: done one by one.
constexpr int kVectorPairs = 8;

} // namespace

RealFft::RealFft(int log2Size, VectorPath path)
    : points_(1 << (std::clamp(log2Size, kMinLog2Size, kMaxLog2Size) - 1)),
      path_(path),
      tables_(&FftTables::forPoints(std::clamp(log2Size, kMinLog2Size, kMaxLog2Size) - 1)),
      kernels_(&vectorKernels(path)),
      unitPoints_(std::min(kUnitPoints, points_))
{
    const int units = points_ / unitPoints_;
    if (tables_->radix2.data() != nullptr)
        steps_.push_back({StepKind::Radix2, units});
    for (std::size_t i = 0; i < tables_->radix4.size(); ++i)
        steps_.push_back({StepKind::Radix4, units});
    steps_.push_back({StepKind::Leaf, units});
    steps_.push_back({StepKind::RealSplit, units});
    for (const Step& s : steps_)
        totalUnits_ += s.units;
}

void RealFft::forward(float* re, float* im) const
{
    for (int s = 0; s < static_cast<int>(steps_.size()); ++s)
        runForward(s, re, im, 0, steps_[static_cast<std::size_t>(s)].units);
}

void RealFft::inverse(float* re, float* im) const
{
    for (int s = 0; s < static_cast<int>(steps_.size()); ++s)
        runInverse(s, re, im, 0, steps_[steps_.size() - 1 - static_cast<std::size_t>(s)].units);
}

void RealFft::runForward(int step, float* re, float* im, int from, int to) const
{
    runStep(true, step, re, im, from, to);
}

void RealFft::runInverse(int step, float* re, float* im, int from, int to) const
{
    runStep(false, static_cast<int>(steps_.size()) - 1 - step, re, im, from, to);
}

// `step` counts in the forward order; the inverse of each step undoes it.
void RealFft::runStep(bool forward, int step, float* re, float* im, int from, int to) const
{
    if (from >= to)
        return;
    const VectorKernels& k = *kernels_;
    const int half = points_ / 2;
    switch (steps_[static_cast<std::size_t>(step)].kind) {
    case StepKind::Radix2: {
        const int a = from * (unitPoints_ / 2), b = to * (unitPoints_ / 2);
        (forward ? k.radix2Forward : k.radix2Inverse)(re, im, half, tables_->radix2.data(), a, b);
        break;
    }
    case StepKind::Radix4: {
        const int first = tables_->radix2.data() != nullptr ? 1 : 0;
        const FftTables::Radix4& pass = tables_->radix4[static_cast<std::size_t>(step - first)];
        const int a = from * (unitPoints_ / 4), b = to * (unitPoints_ / 4);
        (forward ? k.radix4Forward : k.radix4Inverse)(re, im, pass.q, pass.w.data(), a, b);
        break;
    }
    case StepKind::Leaf: {
        const int a = from * (unitPoints_ / 32), b = to * (unitPoints_ / 32);
        (forward ? k.leaf16Forward : k.leaf16Inverse)(re, im, a, b);
        break;
    }
    case StepKind::RealSplit: {
        int a = from * (unitPoints_ / 2);
        const int b = to * (unitPoints_ / 2);
        if (a < kVectorPairs) {
            if (forward)
                splitLowPairs(re, im, std::min(b, kVectorPairs));
            else
                joinLowPairs(re, im, std::min(b, kVectorPairs));
            a = kVectorPairs;
        }
        if (a < b)
            (forward ? k.realSplit : k.realJoin)(re, im, tables_->split.data(), a, b);
        break;
    }
    }
}

// Pairs 0 .. to-1 of the split (to <= 8): positions 0 .. 2*to - 1. Pair 0 is
// the two self-paired positions: 0 (bins 0 and M, both from the real point 0)
// and 1 (bin M/2).
void RealFft::splitLowPairs(float* re, float* im, int to) const
{
    const float* w = tables_->split.data();
    for (int t = 0; t < to; ++t) {
        if (t == 0) {
            const float r = re[0], i = im[0];
            re[0] = r + i;
            im[0] = r - i;
            im[1] = -im[1];
            continue;
        }
        const int h = pairBlockHalf(t);
        const int p = t + h;
        const int q = 5 * h - 1 - t;
        const float ar = re[p], ai = im[p], br = re[q], bi = im[q];
        const float er = 0.5f * (ar + br), ei = 0.5f * (ai - bi);
        const float orr = 0.5f * (ai + bi), oi = 0.5f * (br - ar);
        const float wr = w[twiddleAt(2, 0, t)], wi = w[twiddleAt(2, 1, t)];
        const float wor = wr * orr - wi * oi, woi = wr * oi + wi * orr;
        re[p] = er + wor;
        im[p] = ei + woi;
        re[q] = er - wor;
        im[q] = woi - ei;
    }
}

void RealFft::joinLowPairs(float* re, float* im, int to) const
{
    const float* w = tables_->split.data();
    for (int t = 0; t < to; ++t) {
        if (t == 0) {
            const float dc = re[0], nyquist = im[0];
            re[0] = dc + nyquist;
            im[0] = dc - nyquist;
            re[1] = 2.0f * re[1];
            im[1] = -2.0f * im[1];
            continue;
        }
        const int h = pairBlockHalf(t);
        const int p = t + h;
        const int q = 5 * h - 1 - t;
        const float xr = re[p], xi = im[p], yr = re[q], yi = im[q];
        const float er = xr + yr, ei = xi - yi;
        const float dr = xr - yr, di = xi + yi;
        const float wr = w[twiddleAt(2, 0, t)], wi = w[twiddleAt(2, 1, t)];
        const float orr = dr * wr + di * wi, oi = di * wr - dr * wi;
        re[p] = er - oi;
        im[p] = ei + orr;
        re[q] = er + oi;
        im[q] = orr - ei;
    }
}

void RealFft::blendSpectra(float* sRe, float* sIm, const float* dRe, const float* dIm, int from, int to) const
{
    // Work in pairs of blocks: block b (b < half) holds even bins and block
    // b + half the bins one above, so that the centres and one neighbour of
    // each are read in order. The first pair holds bins next to the real bins
    // 0 and M, the last bins whose neighbours lie in other lanes: one by one.
    constexpr int kPairsPerUnit = kUnitPoints / 16;
    const int half = points_ / 16;
    const int* order = tables_->blockOrder.data();
    const int first = from * kPairsPerUnit, end = to * kPairsPerUnit;
    auto oneByOne = [&](int b) {
        blendBlockOneByOne(sRe, sIm, dRe, dIm, order[b]);
        blendBlockOneByOne(sRe, sIm, dRe, dIm, order[b] + 1);
    };
    if (first == 0)
        oneByOne(0);
    const int vectorFrom = std::max(first, 1), vectorTo = std::min(end, half - 1);
    if (vectorFrom < vectorTo)
        kernels_->blendSpectra(sRe, sIm, dRe, dIm, order, half, vectorFrom, vectorTo);
    if (end == half)
        oneByOne(half - 1);
}

// The blend for the eight bins m + jM/8 of block order[m], taking the
// neighbours below bin 0 and above bin M from the symmetry of a real
// signal's spectrum: D[-1] = conj D[1], D[M+1] = conj D[M-1].
void RealFft::blendBlockOneByOne(float* sRe, float* sIm, const float* dRe, const float* dIm, int m) const
{
    const int blocks = points_ / 8;
    const int* order = tables_->blockOrder.data();
    auto d = [&](int bin, float& re, float& im) {
        if (bin == 0 || bin == points_) {
            re = bin == 0 ? dRe[0] : dIm[0];
            im = 0.0f;
            return;
        }
        const int p = 8 * order[bin % blocks] + bitReversed(bin / blocks, 3);
        re = dRe[p];
        im = dIm[p];
    };
    for (int lane = 0; lane < 8; ++lane) {
        const int bin = m + blocks * bitReversed(lane, 3);
        const int p = 8 * order[m] + lane;
        if (bin == 0) {
            // Position 0: the real bins 0 (real part) and M (imaginary part).
            float r1, i1, rm, im1;
            d(1, r1, i1);
            d(points_ - 1, rm, im1);
            sRe[0] = sRe[0] - 0.5f * dRe[0] + 0.5f * r1;
            sIm[0] = sIm[0] - 0.5f * dIm[0] + 0.5f * rm;
            continue;
        }
        float cr, ci, pr, pi, nr, ni;
        d(bin, cr, ci);
        d(bin - 1, pr, pi);
        d(bin + 1, nr, ni);
        sRe[p] = sRe[p] - 0.5f * cr + 0.25f * (pr + nr);
        sIm[p] = sIm[p] - 0.5f * ci + 0.25f * (pi + ni);
    }
}

void RealFft::multiplySums(const float* const* xRe, const float* const* xIm, const ProductSum* sums, int count,
                           int from, int to, const TermChanges* changes) const
{
    assert(count >= 0 && count <= kMaxSums);
    const int changed = changes != nullptr ? changes->count : 0;
    if (from >= to || (count <= 0 && changed == 0))
        return;
    // Position 0 holds two real bins; take their products before the vector
    // loop may overwrite an input that is also an output.
    float dc[kMaxSums] = {}, nyquist[kMaxSums] = {};
    float changeDc = 0.0f, changeNyquist = 0.0f;
    if (from == 0) {
        for (int s = 0; s < count; ++s) {
            for (int j = 0; j < sums[s].terms; ++j) {
                if (sums[s].hRe[j] == nullptr)
                    continue;
                dc[s] += xRe[j][0] * sums[s].hRe[j][0];
                nyquist[s] += xIm[j][0] * sums[s].hIm[j][0];
            }
        }
        for (int c = 0; c < changed; ++c) {
            const int t = changes->term[c];
            if (changes->newRe[c] != nullptr) {
                changeDc += xRe[t][0] * changes->newRe[c][0];
                changeNyquist += xIm[t][0] * changes->newIm[c][0];
            }
            if (changes->oldRe[c] != nullptr) {
                changeDc -= xRe[t][0] * changes->oldRe[c][0];
                changeNyquist -= xIm[t][0] * changes->oldIm[c][0];
            }
        }
    }
    kernels_->multiplySums(xRe, xIm, sums, count, changed > 0 ? changes : nullptr, from, to);
    if (from == 0) {
        for (int s = 0; s < count; ++s) {
            sums[s].outRe[0] = dc[s];
            sums[s].outIm[0] = nyquist[s];
        }
        if (changed > 0) {
            changes->dRe[0] = changeDc;
            changes->dIm[0] = changeNyquist;
        }
    }
}

} // namespace engine
