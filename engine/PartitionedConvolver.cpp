#include "engine/PartitionedConvolver.h"

#include "engine/RealPairSplit.h"

#include <algorithm>
#include <cstdint>

namespace engine {

namespace {
constexpr int kInputSlots = 3;
constexpr int kOutputBuffers = 2;
} // namespace

// In the order the work runs. The stages of one partition only ever touch the
// transform buffer, the sums, the newest delay-line slot and the output buffer
// not playing, so any cut between units leaves consistent state behind.
const PartitionedConvolver::Stage PartitionedConvolver::kStages[7] = {
    {kLoadUnits, &PartitionedConvolver::loadWindow},
    {kTransformUnits, &PartitionedConvolver::forwardTransform},
    {kSplitUnits, &PartitionedConvolver::splitSpectrum},
    {kMultiplyUnits, &PartitionedConvolver::multiplyAccumulate},
    {kJoinUnits, &PartitionedConvolver::joinSpectrum},
    {kTransformUnits, &PartitionedConvolver::backwardTransform},
    {kStoreUnits, &PartitionedConvolver::storeOutput},
};

PartitionedConvolver::PartitionedConvolver(ProcessEpoch& epoch)
    : kernel_(epoch),
      fft_(kPoints),
      input_(static_cast<size_t>(kInputSlots) * 2 * kPartitionFrames, 0.0f),
      output_(static_cast<size_t>(kOutputBuffers) * 2 * kPartitionFrames, 0.0f),
      delayLine_(static_cast<size_t>(kPartitions) * 2 * 2 * kBins, 0.0f),
      transform_(kPoints, ComplexValue{0.0, 0.0})
{
    sum_[0].assign(kBins, ComplexValue{0.0, 0.0});
    sum_[1].assign(kBins, ComplexValue{0.0, 0.0});
}

float* PartitionedConvolver::inputPartition(int slot, int channel)
{
    return input_.data() + static_cast<size_t>(2 * slot + channel) * kPartitionFrames;
}

float* PartitionedConvolver::outputPartition(int buffer, int channel)
{
    return output_.data() + static_cast<size_t>(2 * buffer + channel) * kPartitionFrames;
}

float* PartitionedConvolver::delayLineBins(int slot, int channel)
{
    return delayLine_.data() + static_cast<size_t>(2 * slot + channel) * 2 * kBins;
}

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

        // The share of the partition's work due after `phase_` frames of the
        // period, rounded up so that the last frame finishes it.
        const std::int64_t due =
            (static_cast<std::int64_t>(kUnitsPerPartition) * phase_ + kPartitionFrames - 1) / kPartitionFrames;
        advance(static_cast<int>(due) - unitsDone_);
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
    stage_ = 0;
    stageUnit_ = 0;
    unitsDone_ = 0;
    started_ = true;
}

void PartitionedConvolver::endPeriod()
{
    phase_ = 0;
    filling_ = (filling_ + 1) % kInputSlots;
    playing_ ^= 1;
    started_ = false;
}

void PartitionedConvolver::advance(int units)
{
    unitsDone_ += units;
    workUnits_ += units;
    while (units > 0 && stage_ < static_cast<int>(sizeof kStages / sizeof kStages[0])) {
        const Stage& stage = kStages[stage_];
        const int to = std::min(stage.units, stageUnit_ + units);
        (this->*stage.run)(stageUnit_, to);
        units -= to - stageUnit_;
        stageUnit_ = to;
        if (stageUnit_ == stage.units) {
            ++stage_;
            stageUnit_ = 0;
        }
    }
}

// Point i of the window: the older input partition first, then the newest,
// each routed with its own setting, stored at its bit-reversed place.
void PartitionedConvolver::loadWindow(int from, int to)
{
    const int newest = (filling_ + kInputSlots - 1) % kInputSlots;
    const int older = (filling_ + kInputSlots - 2) % kInputSlots;
    for (int i = from; i < to; ++i) {
        const int slot = i < kPartitionFrames ? older : newest;
        const int frame = i % kPartitionFrames;
        const double e = (routingOf_[slot] + 1.0) * 0.5;
        const double f = 1.0 - e;
        const double l = inputPartition(slot, 0)[frame];
        const double r = inputPartition(slot, 1)[frame];
        transform_[static_cast<size_t>(fft_.reversed(i))] = {static_cast<float>(e * l + f * r),
                                                             static_cast<float>(e * r + f * l)};
    }
}

void PartitionedConvolver::forwardTransform(int from, int to)
{
    fft_.run(transform_.data(), SteppedFft::Direction::Forward, from, to);
}

void PartitionedConvolver::splitSpectrum(int from, int to)
{
    float* binsL = delayLineBins(newestSpectrum_, 0);
    float* binsR = delayLineBins(newestSpectrum_, 1);
    for (int k = from; k < to; ++k) {
        ComplexValue l;
        ComplexValue r;
        splitRealPair(transform_.data(), kPoints, k, l, r);
        binsL[2 * k] = static_cast<float>(l.re);
        binsL[2 * k + 1] = static_cast<float>(l.im);
        binsR[2 * k] = static_cast<float>(r.re);
        binsR[2 * k + 1] = static_cast<float>(r.im);
    }
}

// Unit u multiplies bin u % kBins of the spectrum u / kBins partitions old
// with the kernel partition of that index, in both channels.
void PartitionedConvolver::multiplyAccumulate(int from, int to)
{
    ComplexValue* sumL = sum_[0].data();
    ComplexValue* sumR = sum_[1].data();
    for (int u = from; u < to;) {
        const int part = u / kBins;
        const int first = u % kBins;
        const int last = std::min(kBins, first + (to - u));
        u += last - first;
        if (kernelInUse_ == nullptr) {
            // No kernel yet: the output is silent.
            if (part == 0) {
                std::fill(sumL + first, sumL + last, ComplexValue{0.0, 0.0});
                std::fill(sumR + first, sumR + last, ComplexValue{0.0, 0.0});
            }
            continue;
        }
        const int slot = (newestSpectrum_ + kPartitions - part) % kPartitions;
        const float* xl = delayLineBins(slot, 0);
        const float* xr = delayLineBins(slot, 1);
        const float* hl = kernelInUse_->bins(part, 0);
        const float* hr = kernelInUse_->bins(part, 1);
        if (part == 0) {
            for (int k = first; k < last; ++k) {
                sumL[k] = {0.0, 0.0};
                sumR[k] = {0.0, 0.0};
            }
        }
        for (int k = first; k < last; ++k) {
            const double ar = xl[2 * k], ai = xl[2 * k + 1], br = hl[2 * k], bi = hl[2 * k + 1];
            const double cr = xr[2 * k], ci = xr[2 * k + 1], dr = hr[2 * k], di = hr[2 * k + 1];
            sumL[k].re += ar * br - ai * bi;
            sumL[k].im += ar * bi + ai * br;
            sumR[k].re += cr * dr - ci * di;
            sumR[k].im += cr * di + ci * dr;
        }
    }
}

void PartitionedConvolver::joinSpectrum(int from, int to)
{
    for (int i = from; i < to; ++i)
        transform_[static_cast<size_t>(fft_.reversed(i))] = joinRealPair(sum_[0].data(), sum_[1].data(), kPoints, i);
}

void PartitionedConvolver::backwardTransform(int from, int to)
{
    fft_.run(transform_.data(), SteppedFft::Direction::Backward, from, to);
}

// Overlap-save: the first half of the circle mixes in wrapped-around products
// and is dropped; the second half is the exact result.
void PartitionedConvolver::storeOutput(int from, int to)
{
    float* outL = outputPartition(playing_ ^ 1, 0);
    float* outR = outputPartition(playing_ ^ 1, 1);
    for (int i = from; i < to; ++i) {
        const ComplexValue v = transform_[static_cast<size_t>(kPartitionFrames + i)];
        outL[i] = static_cast<float>(v.re);
        outR[i] = static_cast<float>(v.im);
    }
}

bool PartitionedConvolver::prepareKernel(const float* left, const float* right, int frames)
{
    std::unique_ptr<PartitionKernel> next = PartitionKernel::prepare(left, right, frames);
    if (!next)
        return false;
    kernel_.publish(std::move(next));
    return true;
}

void PartitionedConvolver::reset()
{
    std::fill(input_.begin(), input_.end(), 0.0f);
    std::fill(output_.begin(), output_.end(), 0.0f);
    std::fill(delayLine_.begin(), delayLine_.end(), 0.0f);
    std::fill(transform_.begin(), transform_.end(), ComplexValue{0.0, 0.0});
    for (std::vector<ComplexValue>& sum : sum_)
        std::fill(sum.begin(), sum.end(), ComplexValue{0.0, 0.0});
    phase_ = 0;
    filling_ = 0;
    playing_ = 0;
    newestSpectrum_ = kPartitions - 1;
    started_ = false;
    kernelInUse_ = nullptr;
    stage_ = 0;
    stageUnit_ = 0;
    unitsDone_ = 0;
}

} // namespace engine
