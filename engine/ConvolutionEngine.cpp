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
constexpr int kBuffers = 5;
// Frames per unit of the window load (both channels) and of the crossfade.
constexpr int kLoadFrames = 512;
constexpr int kBlendFrames = 256;
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
    int fadeStart;    // the same when a new kernel, made on another core, is taken up
    int load;
    int forward[kTransformSteps];
    int inverse[kTransformSteps];
    int sumPerTerm;      // reading a spectrum and a kernel partition
    int fadeSumPerTerm;  // a faded-from kernel's partition, summed alongside: the two
                         // kernels' 4 MiB stream from memory, not from cache
    int blend;
    int spectralBlend;   // blending two kernels' spectra, per transform unit
};
constexpr UnitCosts kSse2Costs{
    1200, 3600, 420, {152, 157, 167, 143, 148, 162, 350, 270}, {152, 167, 167, 155, 157, 166, 370, 345}, 120, 180, 263,
    320};
constexpr UnitCosts kAvx2Costs{
    1000, 3000, 350, {96, 92, 94, 77, 83, 97, 200, 145}, {92, 96, 94, 76, 83, 97, 205, 230}, 85, 140, 210, 200};

// The crossfade curve over one partition, for output frame f:
// sin^2(pi f / (2P)), rising from 0 to just below 1, so that the frames after
// the fade continue it. It is the curve that the blend of two kernels' spectra
// gives (RealFft::blendSpectra); a fade from or to silence weights the one
// output with it. Kept as the weights of even frames, then of odd frames, as
// the transform's layout holds the output.
const AlignedFloats& fadeWeights()
{
    static const AlignedFloats weights = [] {
        constexpr int p = ConvolutionEngine::kPartitionFrames;
        AlignedFloats w(p);
        const double step = 3.14159265358979323846 / (2.0 * p);
        for (int f = 0; f < p; ++f) {
            const double s = std::sin(step * f);
            w[static_cast<std::size_t>((f % 2) * (p / 2) + f / 2)] = static_cast<float>(s * s);
        }
        return w;
    }();
    return weights;
}

} // namespace

ConvolutionEngine::ConvolutionEngine(ProcessEpoch& epoch, VectorPath path)
    : kernel_(epoch),
      fft_(PartitionKernel::kLog2Size, vectorPathAvailable(path) ? path : VectorPath::Sse2),
      kernels_(vectorKernels(fft_.path())),
      ring_(2 * static_cast<std::size_t>(kRingStride)),
      buffers_(kBuffers * 2 * 2 * static_cast<std::size_t>(kImOffset))
{
    assert(fft_.steps().size() == kTransformSteps);
    fadeWeights();
}

float* ConvolutionEngine::ring(int channel) { return ring_.data() + static_cast<std::size_t>(channel) * kRingStride; }

// Real parts, then imaginary parts (kImOffset further): twenty arrays, each
// one cache line further from the next than a power of two.
float* ConvolutionEngine::buffer(int which, int channel)
{
    return buffers_.data() + static_cast<std::size_t>(2 * which + channel) * 2 * kImOffset;
}

void ConvolutionEngine::exchange(const float* inL, const float* inR, float* dryL, float* dryR, float* wetL,
                                 float* wetR, int frames)
{
    for (int done = 0; done < frames;) {
        if (!started_)
            beginPeriod();
        const int n = std::min(frames - done, kPartitionFrames - phase_);
        // The work first: it reads the window's older partition from the ring
        // half that these frames then overwrite. The load is the first work
        // of the period and its share runs far ahead of the frames; should
        // the share ever fall behind, the load is brought up to them here.
        auto work = [this](int kind, int index, int from, int to) { run(kind, index, from, to); };
        workUnits_ += schedule_.advance(phase_ + n, kPartitionFrames, work);
        const long long loaded = firstLoadCost_ + loadUnitCost_ * ((phase_ + n - 1) / kLoadFrames);
        if (schedule_.costDone() < loaded)
            workUnits_ += schedule_.advanceTo(loaded, work);

        float* ringL = ring(0) + half_ * kPartitionFrames;
        float* ringR = ring(1) + half_ * kPartitionFrames;
        const float* outL = buffer(playing_, 0) + kPoints / 2;
        const float* outR = buffer(playing_, 1) + kPoints / 2;
        for (int i = 0; i < n; ++i) {
            const int f = phase_ + i;
            // Read before writing: the host may pass the same arrays.
            const float left = inL[done + i];
            const float right = inR[done + i];
            dryL[done + i] = ringL[f];
            dryR[done + i] = ringR[f];
            ringL[f] = left;
            ringR[f] = right;
            // Output frame f is sample P + f of the transformed-back window:
            // even samples are real parts, odd ones imaginary parts.
            const int at = f / 2 + (f % 2) * kImOffset;
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
    // period and enters the convolution now.
    routingOf_[half_ ^ 1] = routing_.load(std::memory_order_relaxed);
    PartitionKernel* next = kernel_.hold();
    fading_ = next != current_;
    fadeFrom_ = fading_ && current_ != nullptr && current_->partitions() > 0 ? current_ : nullptr;
    fadeTo_ = next != nullptr && next->partitions() > 0 ? next : nullptr;
    current_ = next;
    nextSilent_ = fadeFrom_ == nullptr && fadeTo_ == nullptr;

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
    firstLoadCost_ = costs.load + (fading_ ? costs.fadeStart : costs.periodStart);
    loadUnitCost_ = costs.load;
    schedule_.add(Load, 0, 1, firstLoadCost_);
    schedule_.add(Load, 1, 2 * kPartitionFrames / kLoadFrames - 1, costs.load);
    for (int c = 0; c < 2; ++c)
        addTransform(Forward, c);
    // Both kernels' sums in one pass over the spectra.
    const int newTerms = fadeTo_ != nullptr ? fadeTo_->partitions() : 0;
    const int oldTerms = fadeFrom_ != nullptr ? fadeFrom_->partitions() : 0;
    if (newTerms + oldTerms > 0) {
        const int cost = costs.sumPerTerm * std::max(newTerms, oldTerms) + costs.fadeSumPerTerm * std::min(newTerms, oldTerms);
        for (int c = 0; c < 2; ++c)
            schedule_.add(Sums, c * kStepsPerChannel, kPoints / kSumPositions, cost);
    }
    if (fadeFrom_ != nullptr && fadeTo_ != nullptr) {
        // A fade between two kernels blends their spectra (the sums left the
        // new kernel's in the output buffer and the difference in the old
        // kernel's spent partition) and transforms back once.
        for (int c = 0; c < 2; ++c)
            schedule_.add(BlendSpectra, c * kStepsPerChannel, fft_.blendUnits(), costs.spectralBlend);
        for (int c = 0; c < 2; ++c)
            addTransform(InverseNew, c);
    } else {
        // One kernel, or a fade from or to silence: one output, weighted in time.
        for (int c = 0; c < 2; ++c) {
            if (fadeTo_ != nullptr)
                addTransform(InverseNew, c);
            else if (fadeFrom_ != nullptr)
                addTransform(InverseOld, c);
        }
        if (fading_ && !nextSilent_)
            schedule_.add(Blend, 0, kPartitionFrames / kBlendFrames, costs.blend);
    }
    started_ = true;
}

void ConvolutionEngine::endPeriod()
{
    // The newest window's spectrum joins the line; the oldest's buffer, which
    // took the sum, plays next.
    const int output = spectrum_[2];
    spectrum_[2] = spectrum_[1];
    spectrum_[1] = spectrum_[0];
    spectrum_[0] = free_;
    free_ = playing_;
    playing_ = output;
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
        // Step `index` starts at unit `index` of the window.
        loadWindow((index + from) * kLoadFrames, (index + to) * kLoadFrames);
        break;
    case Forward:
        fft_.runForward(step, buffer(free_, channel), buffer(free_, channel) + kImOffset, from, to);
        break;
    case Sums:
        sums(channel, from * kSumPositions, to * kSumPositions);
        break;
    case InverseOld:
        fft_.runInverse(step, fadeFrom_->spentRe(channel), fadeFrom_->spentIm(channel), from, to);
        break;
    case InverseNew:
        fft_.runInverse(step, buffer(spectrum_[2], channel), buffer(spectrum_[2], channel) + kImOffset, from, to);
        break;
    case BlendSpectra:
        fft_.blendSpectra(buffer(spectrum_[2], channel), buffer(spectrum_[2], channel) + kImOffset,
                          fadeFrom_->spentRe(channel), fadeFrom_->spentIm(channel), from, to);
        break;
    case Blend:
        blend(from * kBlendFrames, to * kBlendFrames);
        break;
    }
}

// Window frames [from, to) into the free buffer: the older partition (in this
// period's ring half) first, then the newer, each routed with its own setting.
// Frame 2i goes to the real part of point i, frame 2i+1 to its imaginary part.
void ConvolutionEngine::loadWindow(int from, int to)
{
    for (int first = from; first < to;) {
        const int half = first < kPartitionFrames ? half_ : half_ ^ 1;
        const int end = std::min(to, first < kPartitionFrames ? kPartitionFrames : 2 * kPartitionFrames);
        const int at = half * kPartitionFrames + first % kPartitionFrames;
        const float e = static_cast<float>((routingOf_[half] + 1.0) * 0.5);
        const float f = static_cast<float>(1.0 - (routingOf_[half] + 1.0) * 0.5);
        float* l = buffer(free_, 0) + first / 2;
        float* r = buffer(free_, 1) + first / 2;
        kernels_.routeIntoPoints(ring(0) + at, ring(1) + at, e, f, l, l + kImOffset, r, r + kImOffset, end - first);
        first = end;
    }
}

// Positions [from, to) of the sums over j of X_j * H_j, with X_0 the newest
// window's spectrum (in the free buffer) and X_j the one j windows older: the
// kernel's into the oldest spectrum's buffer (which it replaces). In a fade
// the faded-from kernel's goes into that kernel's partition 0 (spent): the
// new kernel's sum less it, when there is a new one.
void ConvolutionEngine::sums(int channel, int from, int to)
{
    const float* xRe[kMaxPartitions];
    const float* xIm[kMaxPartitions];
    for (int j = 0; j < kMaxPartitions; ++j) {
        const float* x = buffer(j == 0 ? free_ : spectrum_[j - 1], channel);
        xRe[j] = x;
        xIm[j] = x + kImOffset;
    }
    ProductSum sums[RealFft::kMaxSums];
    int count = 0;
    for (PartitionKernel* k : {fadeTo_, fadeFrom_}) {
        if (k == nullptr)
            continue;
        ProductSum& s = sums[count++];
        if (k == fadeTo_) {
            s.outRe = buffer(spectrum_[2], channel);
            s.outIm = s.outRe + kImOffset;
        } else {
            s.outRe = k->spentRe(channel);
            s.outIm = k->spentIm(channel);
            if (fadeTo_ != nullptr) {
                s.lessRe = sums[0].outRe;
                s.lessIm = sums[0].outIm;
            }
        }
        s.terms = k->partitions();
        for (int j = 0; j < s.terms; ++j) {
            s.hRe[j] = k->re(j, channel);
            s.hIm[j] = k->im(j, channel);
        }
    }
    fft_.multiplySums(xRe, xIm, sums, count, from, to);
}

// Output frames [from, to) of the fade, in both channels: the new kernel's
// output (or silence) weighted by the curve, the old one's (or silence) by its
// complement, into the buffer that plays next.
void ConvolutionEngine::blend(int from, int to)
{
    const float* weights = fadeWeights().data();
    const int first = from / 2;
    const int count = (to - from) / 2;
    for (int c = 0; c < 2; ++c) {
        for (int part = 0; part < 2; ++part) {
            // The real parts hold even frames, the imaginary parts odd ones.
            const std::size_t offset = static_cast<std::size_t>(part * kImOffset + kPoints / 2 + first);
            float* out = buffer(spectrum_[2], c) + offset;
            const float* old = fadeFrom_ != nullptr ? fadeFrom_->spentRe(c) + offset : nullptr;
            if (fadeTo_ == nullptr)
                std::memset(out, 0, static_cast<std::size_t>(count) * sizeof(float));
            kernels_.crossfade(out, old, weights + part * (kPartitionFrames / 2) + first, count);
        }
    }
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
    for (int i = 0; i < 3; ++i)
        spectrum_[i] = i;
    playing_ = 3;
    free_ = 4;
    playingSilent_ = true;
    nextSilent_ = true;
    half_ = 0;
    phase_ = 0;
    started_ = false;
    current_ = nullptr;
    fadeFrom_ = nullptr;
    fadeTo_ = nullptr;
    fading_ = false;
    schedule_.clear();
}

} // namespace engine
