#include "engine/ConvolutionEngine.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstring>

namespace engine {

namespace {

constexpr int kPoints = PartitionKernel::kPoints;
constexpr int kImOffset = PartitionKernel::kImOffset;
// The ring's second channel starts one cache line further than a power of two.
constexpr int kRingStride = ConvolutionEngine::kLatencyFrames + 16;
constexpr int kBuffers = 4;
// The output playing: the second half of a transformed-back window, its even
// samples then its odd ones, each array one cache line longer than a power of two.
constexpr int kOutputStride = kPoints / 2 + 16;
// Frames of each partition per unit of the window load (both channels): a
// unit loads as many frames of the older partition as of the newer one.
constexpr int kLoadFrames = 256;
constexpr int kSumPositions = 64;
// Work items carry the channel and, for transforms, the transform's step.
constexpr int kStepsPerChannel = 32;

// What one unit of each kind of work costs on the audio thread, in
// nanoseconds, measured in place (thread processor time per call position,
// median over many periods; see bench/bench_realtime) on the machine the
// engine was tuned on, a Zen-class core. Only the ratios matter: they make
// equal shares of the schedule equal shares of processor time. The passes of
// the transform are listed in their forward order (radix 2, radix 4 from the
// widest stride down, the 16-point leaf, the real split); the leaf and the
// real split cost the most per unit. The window load and the sums stream
// megabytes that other programs push out of the caches between periods: they
// are given what they cost on a busy machine, which on a quiet one only makes
// their calls lighter than the rest. The transform weights are fitted so that,
// over repeated runs, the dearest call position stays within 1.5 times the
// median one for calls of both 64 and 512 frames; single runs on a virtual
// machine scatter by a few tenths around that.
constexpr int kTransformSteps = 8;
struct UnitCosts {
    int periodStart;  // taking up the period: its first calls touch buffers idle for a period or two
    int fadeStart;    // the same when kernels change, after one was made on another core
    int load;         // routing 256 frames of each partition in, and moving 256 frames of output out
    int forward[kTransformSteps];
    int inverse[kTransformSteps];
    int sumPerTerm;     // reading a spectrum and a kernel partition
    int changePerTerm;  // a changing term's old partition, read alongside
    int spectralBlend;  // blending the change into the spectrum, per transform unit
    int changeStart;    // the first unit of a channel's sums or blend while terms change,
                        // which meets that channel's arrays cold
};
constexpr UnitCosts kSse2Costs{1200, 3600, 550, {152, 157, 167, 143, 148, 162, 350, 270},
                               {152, 167, 167, 155, 157, 166, 370, 345}, 120, 300, 640, 1400};
constexpr UnitCosts kAvx2Costs{1000, 3000, 460, {96, 92, 94, 77, 83, 97, 200, 145},
                               {92, 96, 94, 76, 83, 97, 205, 230}, 85, 240, 400, 1000};

} // namespace

ConvolutionEngine::ConvolutionEngine(ProcessEpoch& epoch, VectorPath path)
    : kernel_(epoch),
      fft_(PartitionKernel::kLog2Size, vectorPathAvailable(path) ? path : VectorPath::Sse2),
      kernels_(vectorKernels(fft_.path())),
      ring_(2 * static_cast<std::size_t>(kRingStride)),
      buffers_(kBuffers * 2 * 2 * static_cast<std::size_t>(kImOffset)),
      output_(2 * 2 * static_cast<std::size_t>(kOutputStride))
{
    assert(fft_.steps().size() == kTransformSteps);
    // Input that enters before the first IR is prepared takes a silent kernel
    // (one with storage for a change's difference), so that the first real
    // kernel fades in over it rather than cutting in.
    if (std::unique_ptr<PartitionKernel> silent = PartitionKernel::prepare(nullptr, nullptr, 0, fft_))
        kernel_.publish(std::move(silent));
}

float* ConvolutionEngine::ring(int channel) { return ring_.data() + static_cast<std::size_t>(channel) * kRingStride; }

// Real parts, then imaginary parts (kImOffset further): sixteen arrays, each
// one cache line further from the next than a power of two.
float* ConvolutionEngine::buffer(int which, int channel)
{
    return buffers_.data() + static_cast<std::size_t>(2 * which + channel) * 2 * kImOffset;
}

// Even frames, then odd frames (kOutputStride further).
float* ConvolutionEngine::output(int channel)
{
    return output_.data() + static_cast<std::size_t>(channel) * 2 * kOutputStride;
}

void ConvolutionEngine::exchange(const float* inL, const float* inR, float* dryL, float* dryR, float* wetL,
                                 float* wetR, int frames)
{
    for (int done = 0; done < frames;) {
        if (!started_)
            beginPeriod();
        const int n = std::min(frames - done, kPartitionFrames - phase_);
        // The work first: it reads the window's older partition from the ring
        // half that these frames then overwrite, and moves these frames'
        // output out of the buffer the window is loaded into. The load is the
        // first work of the period and its share runs far ahead of the
        // frames; should the share ever fall behind, the load is brought up
        // to them here.
        auto work = [this](int kind, int index, int from, int to) { run(kind, index, from, to); };
        workUnits_ += schedule_.advance(phase_ + n, kPartitionFrames, work);
        const long long loaded = firstLoadCost_ + loadUnitCost_ * ((phase_ + n - 1) / kLoadFrames);
        if (schedule_.costDone() < loaded)
            workUnits_ += schedule_.advanceTo(loaded, work);

        float* ringL = ring(0) + half_ * kPartitionFrames;
        float* ringR = ring(1) + half_ * kPartitionFrames;
        const float* outL = output(0);
        const float* outR = output(1);
        for (int i = 0; i < n; ++i) {
            const int f = phase_ + i;
            // Read before writing: the host may pass the same arrays.
            const float left = inL[done + i];
            const float right = inR[done + i];
            dryL[done + i] = ringL[f];
            dryR[done + i] = ringR[f];
            ringL[f] = left;
            ringR[f] = right;
            const int at = f / 2 + (f % 2) * kOutputStride;
            wetL[done + i] = playingSilent_ ? 0.0f : outL[at];
            wetR[done + i] = playingSilent_ ? 0.0f : outR[at];
        }
        phase_ += n;
        done += n;
        if (phase_ == kPartitionFrames)
            endPeriod();
    }
}

void ConvolutionEngine::beginPeriod()
{
    // The partition in the other ring half completed at the end of the last
    // period and enters the convolution now, in a window with the kernel
    // newest at this frame.
    routingOf_[half_ ^ 1] = routing_.load(std::memory_order_relaxed);
    for (int i = kMaxPartitions; i > 0; --i)
        kernelOf_[i] = kernelOf_[i - 1];
    kernelOf_[0] = kernel_.hold();

    int terms = 0;
    changes_.count = 0;
    for (int j = 0; j < kMaxPartitions; ++j) {
        const PartitionKernel* now = kernelOf_[j];
        PartitionKernel* before = kernelOf_[j + 1];
        if (now != nullptr && j < now->partitions())
            ++terms;
        // No window before the first kernel (or a reset) holds any input: a
        // term changing from none needs no fade.
        const bool hadPartition = before != nullptr && j < before->partitions();
        if (now != before && before != nullptr && (hadPartition || (now != nullptr && j < now->partitions()))) {
            if (changes_.count == 0) {
                // The change goes where the first changing term's old kernel
                // kept that term's partition, now spent (or, when it had none,
                // its partition 0, spent a period or more ago).
                changeStore_ = before;
                changeStorePartition_ = hadPartition ? j : 0;
            }
            changes_.term[changes_.count++] = j;
        }
    }
    nextSilent_ = terms == 0 && changes_.count == 0;

    const UnitCosts& costs = fft_.path() == VectorPath::Avx2Fma ? kAvx2Costs : kSse2Costs;
    const std::vector<RealFft::Step>& steps = fft_.steps();
    auto addTransform = [&](Work work, int channel) {
        for (int s = 0; s < kTransformSteps; ++s) {
            // The inverse runs the forward steps backward.
            const int forwardStep = work == Forward ? s : kTransformSteps - 1 - s;
            const int cost = work == Forward ? costs.forward[forwardStep] : costs.inverse[forwardStep];
            schedule_.add(work, channel * kStepsPerChannel + s, steps[static_cast<std::size_t>(forwardStep)].units,
                          cost);
        }
    };

    // The window's load comes first: the older half is the ring half that
    // this period's input overwrites, frame by frame, after the work of each
    // call (see exchange()). Its first unit also carries what taking up the
    // period costs, so that the first calls do less of the rest.
    schedule_.clear();
    const bool changing = changes_.count > 0;
    firstLoadCost_ = costs.load + (changing ? costs.fadeStart : costs.periodStart);
    loadUnitCost_ = costs.load;
    schedule_.add(Load, 0, kPartitionFrames / kLoadFrames, costs.load, firstLoadCost_ - costs.load);
    for (int c = 0; c < 2; ++c)
        addTransform(Forward, c);
    if (!nextSilent_) {
        const int cost = costs.sumPerTerm * terms + costs.changePerTerm * changes_.count;
        const int start = changing ? costs.changeStart : 0;
        for (int c = 0; c < 2; ++c)
            schedule_.add(Sums, c * kStepsPerChannel, kPoints / kSumPositions, cost, start);
        // Changing terms crossfade, blended on the spectrum: one transform back.
        if (changing) {
            for (int c = 0; c < 2; ++c)
                schedule_.add(BlendSpectra, c * kStepsPerChannel, fft_.blendUnits(), costs.spectralBlend, start);
        }
        for (int c = 0; c < 2; ++c)
            addTransform(Inverse, c);
    }
    started_ = true;
}

void ConvolutionEngine::endPeriod()
{
    // The newest window's spectrum joins the line; the oldest's buffer, which
    // took the sum, plays next and takes the next window as it plays.
    const int summed = spectrum_[2];
    spectrum_[2] = spectrum_[1];
    spectrum_[1] = spectrum_[0];
    spectrum_[0] = free_;
    free_ = summed;
    playingSilent_ = nextSilent_;
    half_ ^= 1;
    phase_ = 0;
    started_ = false;
}

void ConvolutionEngine::run(int work, int index, int from, int to)
{
    const int channel = index / kStepsPerChannel;
    const int step = index % kStepsPerChannel;
    switch (work) {
    case Load:
        loadWindow(from * kLoadFrames, to * kLoadFrames);
        break;
    case Forward:
        fft_.runForward(step, buffer(free_, channel), buffer(free_, channel) + kImOffset, from, to);
        break;
    case Sums:
        sums(channel, from * kSumPositions, to * kSumPositions);
        break;
    case Inverse:
        fft_.runInverse(step, buffer(spectrum_[2], channel), buffer(spectrum_[2], channel) + kImOffset, from, to);
        break;
    case BlendSpectra:
        fft_.blendSpectra(buffer(spectrum_[2], channel), buffer(spectrum_[2], channel) + kImOffset,
                          changeStore_->spentRe(changeStorePartition_, channel),
                          changeStore_->spentIm(changeStorePartition_, channel), from, to);
        break;
    }
}

// Frames [from, to) of both partitions of the window into the free buffer,
// each routed with its own setting: the older partition (in this period's ring
// half) to window frames [from, to), the newer to [P + from, P + to). Window
// frame 2i goes to the real part of point i, frame 2i+1 to its imaginary part.
//
// The free buffer took the last sum, and window frames P + f hold output
// frame f, which plays in this period: those frames are moved out to the
// output first. The first half of the window was never played.
void ConvolutionEngine::loadWindow(int from, int to)
{
    for (int c = 0; c < 2; ++c) {
        const float* re = buffer(free_, c) + kPoints / 2 + from / 2;
        float* out = output(c) + from / 2;
        const std::size_t bytes = static_cast<std::size_t>(to - from) / 2 * sizeof(float);
        if (!playingSilent_) {
            std::memcpy(out, re, bytes);
            std::memcpy(out + kOutputStride, re + kImOffset, bytes);
        }
    }
    for (int partition = 0; partition < 2; ++partition) {
        const int half = partition == 0 ? half_ : half_ ^ 1;
        const int at = half * kPartitionFrames + from;
        const float e = static_cast<float>((routingOf_[half] + 1.0) * 0.5);
        const float f = static_cast<float>(1.0 - (routingOf_[half] + 1.0) * 0.5);
        float* l = buffer(free_, 0) + (partition * kPartitionFrames + from) / 2;
        float* r = buffer(free_, 1) + (partition * kPartitionFrames + from) / 2;
        kernels_.routeIntoPoints(ring(0) + at, ring(1) + at, e, f, l, l + kImOffset, r, r + kImOffset, to - from);
    }
}

// Positions [from, to) of the sums over j of X_j * H_j into the oldest
// spectrum's buffer (which it replaces), with X_0 the newest window's spectrum
// (in the free buffer), X_j the one j windows older, and H_j partition j of
// the kernel window j entered with. Where that kernel differs from the one
// the window before entered with, term j changes: the change it makes, X_j
// times the difference of the two partitions, goes to the change store for
// the blend.
void ConvolutionEngine::sums(int channel, int from, int to)
{
    const float* xRe[kMaxPartitions];
    const float* xIm[kMaxPartitions];
    for (int j = 0; j < kMaxPartitions; ++j) {
        const float* x = buffer(j == 0 ? free_ : spectrum_[j - 1], channel);
        xRe[j] = x;
        xIm[j] = x + kImOffset;
    }
    ProductSum s;
    s.outRe = buffer(spectrum_[2], channel);
    s.outIm = s.outRe + kImOffset;
    s.terms = kMaxPartitions;
    for (int j = 0; j < kMaxPartitions; ++j) {
        const PartitionKernel* k = kernelOf_[j];
        const bool present = k != nullptr && j < k->partitions();
        s.hRe[j] = present ? k->re(j, channel) : nullptr;
        s.hIm[j] = present ? k->im(j, channel) : nullptr;
    }
    for (int c = 0; c < changes_.count; ++c) {
        const int j = changes_.term[c];
        changes_.newRe[c] = s.hRe[j];
        changes_.newIm[c] = s.hIm[j];
        const PartitionKernel* old = kernelOf_[j + 1];
        const bool had = j < old->partitions();
        changes_.oldRe[c] = had ? old->re(j, channel) : nullptr;
        changes_.oldIm[c] = had ? old->im(j, channel) : nullptr;
    }
    if (changes_.count > 0) {
        changes_.dRe = changeStore_->spentRe(changeStorePartition_, channel);
        changes_.dIm = changeStore_->spentIm(changeStorePartition_, channel);
    }
    fft_.multiplySums(xRe, xIm, &s, 1, from, to, &changes_);
}

bool ConvolutionEngine::prepareKernel(const float* left, const float* right, int frames)
{
    std::unique_ptr<PartitionKernel> next = PartitionKernel::prepare(left, right, frames, fft_);
    if (!next)
        return false;
    kernel_.publish(std::move(next));
    return true;
}

void ConvolutionEngine::reset()
{
    ring_.clear();
    buffers_.clear();
    output_.clear();
    for (int i = 0; i < 3; ++i)
        spectrum_[i] = i;
    free_ = 3;
    playingSilent_ = true;
    nextSilent_ = true;
    half_ = 0;
    phase_ = 0;
    started_ = false;
    for (PartitionKernel*& k : kernelOf_)
        k = nullptr;
    changes_.count = 0;
    changeStore_ = nullptr;
    schedule_.clear();
}

} // namespace engine
