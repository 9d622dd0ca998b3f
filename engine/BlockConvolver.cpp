#include "engine/BlockConvolver.h"

#include "engine/Fft.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <new>

namespace engine {

namespace {

constexpr int kSpectrumFloats = 2 * BlockConvolver::kFftPoints;
// Floats of a spectrum array that hold the first block's frames (points
// 0 .. kBlockSlots-1); the rest of the circle is room for the convolution's tail.
constexpr int kHalfFloats = BlockConvolver::kFftPoints;

double firstBlockEnergy(const float* ir)
{
    double sum = 0.0;
    for (int i = 0; i < kHalfFloats; ++i)
        sum += static_cast<double>(ir[i]) * ir[i];
    return sum;
}

void scale(float* spectrum, double gain)
{
    for (int i = 0; i < kSpectrumFloats; ++i)
        spectrum[i] = static_cast<float>(spectrum[i] * gain);
}

} // namespace

// Spectra of the IR's two one-block partitions, each placed at the start of
// the full circle: head holds frames 0..65535, tail frames 65536..131071.
struct BlockConvolver::Kernel {
    std::vector<float> head[2];
    std::vector<float> tail[2];
};

BlockConvolver::BlockConvolver(ProcessEpoch& epoch) : kernel_(epoch)
{
    for (int c = 0; c < 2; ++c) {
        input_[c].assign(kBlockSlots, 0.0f);
        dry_[c].assign(kBlockSlots, 0.0f);
        wet_[c].assign(kBlockSlots, 0.0f);
        blockSpectrum_[c][0].assign(kSpectrumFloats, 0.0f);
        blockSpectrum_[c][1].assign(kSpectrumFloats, 0.0f);
        work_[c].assign(kSpectrumFloats, 0.0f);
    }
}

BlockConvolver::~BlockConvolver() = default;

void BlockConvolver::exchange(const float* inL, const float* inR, float* dryL, float* dryR, float* wetL,
                                 float* wetR, int frames)
{
    for (int i = 0; i < frames; ++i) {
        // Both inputs are read before any output is written: the host may
        // pass the same arrays for input and output.
        const float left = inL[i];
        const float right = inR[i];
        const int p = position_;
        input_[0][p] = left;
        input_[1][p] = right;
        dryL[i] = dry_[0][p];
        dryR[i] = dry_[1][p];
        wetL[i] = wet_[0][p];
        wetR[i] = wet_[1][p];
        position_ = p + 2;
        if (position_ >= kBlockSlots) {
            blockStep();
            position_ = 0;
        }
    }
}

void BlockConvolver::setInputRouting(double r) { routing_.store(r, std::memory_order_relaxed); }

void BlockConvolver::blockStep()
{
    for (int c = 0; c < 2; ++c)
        std::copy(input_[c].begin(), input_[c].end(), dry_[c].begin());

    const double r = routing_.load(std::memory_order_relaxed);
    const double e = (r + 1.0) * 0.5;
    const double f = 1.0 - e;

    // The older of the two block spectra is overwritten with the new block.
    newest_ ^= 1;
    float* xl = blockSpectrum_[0][newest_].data();
    float* xr = blockSpectrum_[1][newest_].data();
    std::fill(xl, xl + kSpectrumFloats, 0.0f);
    std::fill(xr, xr + kSpectrumFloats, 0.0f);
    const float* inL = input_[0].data();
    const float* inR = input_[1].data();
    for (int i = 0; i < kBlockSlots; ++i) {
        xl[2 * i] = static_cast<float>(e * inL[i] + f * inR[i]);
        xr[2 * i] = static_cast<float>(e * inR[i] + f * inL[i]);
    }
    fftForward(xl, kSpectrumFloats);
    fftForward(xr, kSpectrumFloats);

    // Read once: both channels of this block use the same kernel.
    const Kernel* kernel = kernel_.get();
    convolveChannel(0, kernel);
    convolveChannel(1, kernel);
}

void BlockConvolver::convolveChannel(int channel, const Kernel* kernel)
{
    const float outputScale = 1.0f / static_cast<float>(kFftPoints);
    float* work = work_[channel].data();
    float* wet = wet_[channel].data();

    // The tail of the previous result becomes the start of this period.
    for (int i = 0; i < kBlockSlots; ++i)
        wet[i] = outputScale * work[2 * (kBlockSlots + i)];

    if (kernel == nullptr) {
        std::fill(work, work + kSpectrumFloats, 0.0f);
        return;
    }

    const float* x = blockSpectrum_[channel][newest_].data();
    const float* xPrev = blockSpectrum_[channel][newest_ ^ 1].data();
    const float* h0 = kernel->head[channel].data();
    const float* h1 = kernel->tail[channel].data();
    for (int k = 0; k < kSpectrumFloats; k += 2) {
        const double xr = x[k], xi = x[k + 1];
        const double pr = xPrev[k], pi = xPrev[k + 1];
        const double ar = h0[k], ai = h0[k + 1];
        const double br = h1[k], bi = h1[k + 1];
        work[k] = static_cast<float>(xr * ar - xi * ai + pr * br - pi * bi);
        work[k + 1] = static_cast<float>(xr * ai + xi * ar + pr * bi + pi * br);
    }
    fftBackward(work, kSpectrumFloats);

    for (int i = 0; i < kBlockSlots; ++i)
        wet[i] += outputScale * work[2 * i];
}

bool BlockConvolver::prepareKernel(const float* left, const float* right)
{
    std::unique_ptr<Kernel> next;
    try {
        next = std::make_unique<Kernel>();
        for (int c = 0; c < 2; ++c) {
            next->head[c].assign(kSpectrumFloats, 0.0f);
            next->tail[c].assign(kSpectrumFloats, 0.0f);
        }
    } catch (const std::bad_alloc&) {
        return false;
    }

    const float* ir[2] = {left, right};
    double energy[2];
    for (int c = 0; c < 2; ++c) {
        energy[c] = firstBlockEnergy(ir[c]);
        std::copy(ir[c], ir[c] + kHalfFloats, next->head[c].begin());
        std::copy(ir[c] + kHalfFloats, ir[c] + kSpectrumFloats, next->tail[c].begin());
    }
    for (int c = 0; c < 2; ++c) {
        fftForward(next->head[c].data(), kSpectrumFloats);
        fftForward(next->tail[c].data(), kSpectrumFloats);
    }

    const float w = static_cast<float>(std::max(std::sqrt(energy[0]), std::sqrt(energy[1])));
    if (w != 0.0f) {
        const double gain = 1.0 / w;
        for (int c = 0; c < 2; ++c) {
            scale(next->head[c].data(), gain);
            scale(next->tail[c].data(), gain);
        }
    }

    kernel_.publish(std::move(next));
    return true;
}

void BlockConvolver::reset()
{
    for (int c = 0; c < 2; ++c) {
        std::fill(input_[c].begin(), input_[c].end(), 0.0f);
        std::fill(dry_[c].begin(), dry_[c].end(), 0.0f);
        std::fill(wet_[c].begin(), wet_[c].end(), 0.0f);
        std::fill(blockSpectrum_[c][0].begin(), blockSpectrum_[c][0].end(), 0.0f);
        std::fill(blockSpectrum_[c][1].begin(), blockSpectrum_[c][1].end(), 0.0f);
        std::fill(work_[c].begin(), work_[c].end(), 0.0f);
    }
    position_ = 0;
    newest_ = 0;
}

} // namespace engine
