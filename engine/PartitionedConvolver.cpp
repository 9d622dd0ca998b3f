#include "engine/PartitionedConvolver.h"

#include <algorithm>

namespace engine {

namespace {
constexpr int kInputSlots = 3;
constexpr int kOutputBuffers = 2;
constexpr int kPoints = PartitionKernel::kPoints;
// Window frames (both channels) routed and loaded per unit of work.
constexpr int kLoadFrames = RealFft::kUnitPoints / 2;
constexpr int kStoreFrames = RealFft::kUnitPoints;
// Spectrum positions multiplied (with every kernel partition) per unit.
constexpr int kMultiplyPositions = 8;
} // namespace

PartitionedConvolver::PartitionedConvolver(ProcessEpoch& epoch)
    : kernel_(epoch),
      fft_(PartitionKernel::kLog2Size),
      input_(static_cast<std::size_t>(kInputSlots) * 2 * kPartitionFrames),
      output_(static_cast<std::size_t>(kOutputBuffers) * 2 * kPartitionFrames),
      delayLine_(static_cast<std::size_t>(kPartitions) * 2 * 2 * kPoints),
      sums_(2 * 2 * static_cast<std::size_t>(kPoints))
{
}

float* PartitionedConvolver::inputPartition(int slot, int channel)
{
    return input_.data() + static_cast<std::size_t>(2 * slot + channel) * kPartitionFrames;
}

float* PartitionedConvolver::outputPartition(int buffer, int channel)
{
    return output_.data() + static_cast<std::size_t>(2 * buffer + channel) * kPartitionFrames;
}

// Real parts, then imaginary parts.
float* PartitionedConvolver::spectrum(int slot, int channel)
{
    return delayLine_.data() + static_cast<std::size_t>(2 * slot + channel) * 2 * kPoints;
}

float* PartitionedConvolver::sum(int channel) { return sums_.data() + static_cast<std::size_t>(channel) * 2 * kPoints; }

void PartitionedConvolver::process(const float* inL, const float* inR, float* outL, float* outR, int frames)
{
    for (int done = 0; done < frames;) {
        if (!started_)
            beginPartition();
        const int n = std::min(frames - done, kPartitionFrames - phase_);
        float* storeL = inputPartition(filling_, 0) + phase_;
        float* storeR = inputPartition(filling_, 1) + phase_;
        const float* playL = outputPartition(playing_, 0) + phase_;
        const float* playR = outputPartition(playing_, 1) + phase_;
        for (int i = 0; i < n; ++i) {
            // Read before writing: the host may pass the same arrays.
            const float left = inL[done + i];
            const float right = inR[done + i];
            storeL[i] = left;
            storeR[i] = right;
            outL[done + i] = playL[i];
            outR[done + i] = playR[i];
        }
        phase_ += n;
        done += n;
        workUnits_ += schedule_.advance(phase_, kPartitionFrames,
                                        [this](int step, int index, int from, int to) { run(step, index, from, to); });
        if (phase_ == kPartitionFrames)
            endPeriod();
    }
}

void PartitionedConvolver::beginPartition()
{
    // The input partition completed at the end of the last period, and the one before it.
    const int newest = (filling_ + kInputSlots - 1) % kInputSlots;
    routingOf_[newest] = routing_.load(std::memory_order_relaxed);
    newestSpectrum_ = (newestSpectrum_ + 1) % kPartitions;
    kernelInUse_ = kernel_.hold();

    schedule_.clear();
    const int fftUnits = fft_.totalUnits();
    schedule_.add(Load, 0, 2 * kPartitionFrames / kLoadFrames, 1);
    for (int c = 0; c < 2; ++c)
        schedule_.add(Forward, c, fftUnits, 1);
    for (int c = 0; c < 2; ++c)
        schedule_.add(Multiply, c, kPoints / kMultiplyPositions, 1);
    for (int c = 0; c < 2; ++c)
        schedule_.add(Inverse, c, fftUnits, 1);
    schedule_.add(Store, 0, kPartitionFrames / kStoreFrames, 1);
    started_ = true;
}

void PartitionedConvolver::endPeriod()
{
    phase_ = 0;
    filling_ = (filling_ + 1) % kInputSlots;
    playing_ ^= 1;
    started_ = false;
}

// FFT units are counted across the transform's steps.
void PartitionedConvolver::run(int step, int index, int from, int to)
{
    switch (step) {
    case Load:
        loadWindow(from * kLoadFrames, to * kLoadFrames);
        break;
    case Forward:
    case Inverse: {
        float* re = step == Forward ? spectrum(newestSpectrum_, index) : sum(index);
        float* im = re + kPoints;
        int first = 0;
        for (std::size_t s = 0; s < fft_.steps().size(); ++s) {
            const int units = fft_.steps()[s].units;
            const int a = std::max(from, first) - first;
            const int b = std::min(to, first + units) - first;
            if (a < b) {
                if (step == Forward)
                    fft_.runForward(static_cast<int>(s), re, im, a, b);
                else
                    fft_.runInverse(static_cast<int>(s), re, im, a, b);
            }
            first += units;
        }
        break;
    }
    case Multiply:
        multiply(index, from * kMultiplyPositions, to * kMultiplyPositions);
        break;
    case Store:
        storeOutput(from * kStoreFrames, to * kStoreFrames);
        break;
    }
}

// Window frames [from, to): the older input partition first, then the newest,
// each routed with its own setting; frame 2i goes to re[i], 2i+1 to im[i].
void PartitionedConvolver::loadWindow(int from, int to)
{
    const int newest = (filling_ + kInputSlots - 1) % kInputSlots;
    const int older = (filling_ + kInputSlots - 2) % kInputSlots;
    float* spectra[2] = {spectrum(newestSpectrum_, 0), spectrum(newestSpectrum_, 1)};
    for (int i = from; i < to; ++i) {
        const int slot = i < kPartitionFrames ? older : newest;
        const int frame = i % kPartitionFrames;
        const double e = (routingOf_[slot] + 1.0) * 0.5;
        const double f = 1.0 - e;
        const double l = inputPartition(slot, 0)[frame];
        const double r = inputPartition(slot, 1)[frame];
        const std::size_t at = static_cast<std::size_t>(i / 2) + (i % 2 == 0 ? 0 : kPoints);
        spectra[0][at] = static_cast<float>(e * l + f * r);
        spectra[1][at] = static_cast<float>(e * r + f * l);
    }
}

// Positions [from, to) of one channel's sum over the delay line, the newest
// spectrum with kernel partition 0.
void PartitionedConvolver::multiply(int channel, int from, int to)
{
    float* outRe = sum(channel);
    float* outIm = outRe + kPoints;
    if (kernelInUse_ == nullptr) {
        // No kernel yet: the output is silent.
        std::fill(outRe + from, outRe + to, 0.0f);
        std::fill(outIm + from, outIm + to, 0.0f);
        return;
    }
    const float* xRe[kPartitions];
    const float* xIm[kPartitions];
    const float* hRe[kPartitions];
    const float* hIm[kPartitions];
    for (int j = 0; j < kPartitions; ++j) {
        const float* x = spectrum((newestSpectrum_ + kPartitions - j) % kPartitions, channel);
        xRe[j] = x;
        xIm[j] = x + kPoints;
        hRe[j] = kernelInUse_->re(j, channel);
        hIm[j] = kernelInUse_->im(j, channel);
    }
    fft_.multiplySum(outRe, outIm, xRe, xIm, hRe, hIm, kPartitions, from, to);
}

// Overlap-save: the first half of the circle mixes in wrapped-around products
// and is dropped; the second half is the exact result.
void PartitionedConvolver::storeOutput(int from, int to)
{
    for (int c = 0; c < 2; ++c) {
        const float* re = sum(c);
        const float* im = re + kPoints;
        float* out = outputPartition(playing_ ^ 1, c);
        for (int i = from; i < to; ++i) {
            const int t = kPartitionFrames + i;
            out[i] = t % 2 == 0 ? re[t / 2] : im[t / 2];
        }
    }
}

bool PartitionedConvolver::prepareKernel(const float* left, const float* right, int frames)
{
    std::unique_ptr<PartitionKernel> next = PartitionKernel::prepare(left, right, frames, fft_);
    if (!next)
        return false;
    kernel_.publish(std::move(next));
    return true;
}

void PartitionedConvolver::reset()
{
    input_.clear();
    output_.clear();
    delayLine_.clear();
    sums_.clear();
    phase_ = 0;
    filling_ = 0;
    playing_ = 0;
    newestSpectrum_ = kPartitions - 1;
    started_ = false;
    kernelInUse_ = nullptr;
    schedule_.clear();
}

} // namespace engine
