#include "engine/PartitionLevel.h"

#include "engine/FadeCurve.h"

#include <algorithm>
#include <cassert>
#include <cmath>

namespace engine {

namespace {

// Frames per unit of the window load (both channels) and of the output store
// (one channel), and positions per unit of the sums: small enough that no
// unit is a large part of a short call, large enough to keep the loops long.
constexpr int kLoadFrames = 512;
constexpr int kStoreFrames = 512;
constexpr int kSumPoints = 64;
// Work items carry the channel, which of the two sums, and the transform's step.
constexpr int kChannelIndex = 64;
constexpr int kSumIndex = 32;
// Up to this block, each transform (both channels, all its passes) is one
// unit: the whole period's work is a few hundred nanoseconds, and cutting it
// finer would cost more in bookkeeping than it spreads.
constexpr int kWholeTransformBlock = 256;
// The spectral blend works on whole units of the transform.
constexpr int kSpectralFadeBlock = 256;

int log2Of(int n)
{
    int l = 0;
    while ((1 << l) < n)
        ++l;
    return l;
}

// What a unit of each kind of transform pass costs relative to the others,
// per point (measured in place for the standard engine's transforms): the
// 16-point leaf and the real split and join do the most per point.
int passWeight(RealFft::StepKind kind, bool inverse)
{
    switch (kind) {
    case RealFft::StepKind::Radix2:
    case RealFft::StepKind::Radix4:
        return 90;
    case RealFft::StepKind::Leaf:
        return 200;
    case RealFft::StepKind::RealSplit:
        return inverse ? 230 : 145;
    }
    return 90;
}

int hundredths(double ns) { return std::max(1, static_cast<int>(std::lround(ns * 100.0))); }

} // namespace

PartitionLevel::PartitionLevel(ProcessEpoch& epoch, const LiveLevel& level, VectorPath path,
                               const LiveCostModel& costs, int log2FadeFrames, const float* input,
                               std::size_t inputStride, int inputFrames)
    : level_(level),
      fft_(log2Of(2 * level.blockFrames), path),
      kernels_(vectorKernels(path)),
      points_(level.blockFrames),
      imOffset_(LevelKernel::imOffsetFor(level.blockFrames)),
      slots_(level.offsetFrames / level.blockFrames),
      input_(input),
      inputStride_(inputStride),
      inputFrames_(inputFrames),
      fadePeriods_(std::max(1, (1 << log2FadeFrames) / level.blockFrames)),
      spectralFade_(fadePeriods_ == 1 && level.blockFrames >= kSpectralFadeBlock),
      fade_(FadeCurve::forLength(std::max(log2FadeFrames, log2Of(level.blockFrames)))),
      kernel_(epoch),
      slotSilent_(new bool[static_cast<std::size_t>(level.offsetFrames / level.blockFrames)])
{
    assert(slots_ >= 2 && level.offsetFrames % level.blockFrames == 0);
    const int k = level_.partitions;
    // Per channel: k window spectra and (for fades over several periods) the
    // old kernel's sum, each of 2 * imOffset floats, then the output blocks.
    channelStride_ = static_cast<std::size_t>(k + (spectralFade_ ? 0 : 1)) * 2 * imOffset_ +
                     static_cast<std::size_t>(slots_) * points_ + 16;
    store_ = AlignedFloats(2 * channelStride_);
    std::fill(slotSilent_.get(), slotSilent_.get() + slots_, true);

    // The weights: the model's cost of the whole transform pair, spread over
    // the passes' units by what each kind costs per point.
    const int log2B = log2Of(level_.blockFrames);
    const std::vector<RealFft::Step>& steps = fft_.steps();
    long long relative = 0;
    for (bool inverse : {false, true})
        for (const RealFft::Step& s : steps)
            relative += static_cast<long long>(passWeight(s.kind, inverse)) * s.units;
    // Of a level's own cost, the transforms take about 85 %, the window's load
    // 10 % and the output's store 5 %.
    const double levelCost = costs.level[log2B] * level_.blockFrames;
    const double pairCost = 0.85 * levelCost;
    for (int inverse = 0; inverse < 2; ++inverse)
        for (std::size_t s = 0; s < steps.size() && s < 16; ++s)
            stepWeight_[inverse][s] = hundredths(pairCost * passWeight(steps[s].kind, inverse != 0) / relative);
    loadUnitFrames_ = std::min(kLoadFrames, 2 * level_.blockFrames);
    storeUnitFrames_ = std::min(kStoreFrames, level_.blockFrames);
    sumUnitPoints_ = std::min(kSumPoints, points_);
    loadWeight_ = hundredths(0.10 * levelCost * loadUnitFrames_ / level_.blockFrames);  // both channels
    storeWeight_ = hundredths(0.05 * levelCost * storeUnitFrames_ / level_.blockFrames);
    sumWeightPerTerm_ = hundredths(sumUnitPoints_ * costs.partition[log2B]);
    sumWeightBase_ = hundredths(sumUnitPoints_ * 0.05);
}

float* PartitionLevel::spectrum(int which, int channel)
{
    return store_.data() + channel * channelStride_ + static_cast<std::size_t>(which) * 2 * imOffset_;
}

// The new kernel's sum takes the place of the oldest window's spectrum, whose
// last product it is (every input at a position is read before the output
// there is written); the next period's window goes there once the sum has
// been transformed back and stored. The old kernel's sum has a place of its own.
float* PartitionLevel::sum(int which, int channel)
{
    return spectrum(which == 0 ? (newest_ + 1) % level_.partitions : level_.partitions, channel);
}

float* PartitionLevel::slot(int which, int channel)
{
    return store_.data() + channel * channelStride_ + static_cast<std::size_t>(level_.partitions + (spectralFade_ ? 0 : 1)) * 2 * imOffset_ +
           static_cast<std::size_t>(which) * points_;
}

const float* PartitionLevel::slot(int which, int channel) const
{
    return const_cast<PartitionLevel*>(this)->slot(which, channel);
}

void PartitionLevel::beginPeriod(std::int64_t period)
{
    period_ = period;
    if (fading_ && fadePeriod_ == fadePeriods_) {
        fading_ = false;
        fadingFrom_ = nullptr;
    }
    if (!fading_ && kernel_.get() != current_) {
        LevelKernel* taken = kernel_.hold();
        const bool sounded = current_ != nullptr && current_->partitions() > 0;
        if (!fresh_ && (sounded || (taken != nullptr && taken->partitions() > 0))) {
            fading_ = true;
            fadingFrom_ = sounded ? current_ : nullptr;
            fadePeriod_ = 0;
        }
        current_ = taken;
    }
    fresh_ = false;

    // The newest window takes the place of the oldest.
    newest_ = (newest_ + 1) % level_.partitions;
    termsNew_ = current_ != nullptr ? current_->partitions() : 0;
    termsOld_ = fading_ && fadingFrom_ != nullptr ? fadingFrom_->partitions() : 0;
    // A fade from a sounding kernel over one period is blended on the
    // spectrum: the change's difference goes where the old kernel kept its
    // first partition, which no period reads again.
    difference_ = spectralFade_ && termsOld_ > 0;
    sumsThisPeriod_ = termsNew_ == 0 && termsOld_ == 0 && !fading_ ? 0 : (termsOld_ > 0 && !difference_ ? 2 : 1);
    // The block computed now plays d/B - 1 periods on: in the slot that
    // played in the last period.
    writeSlot_ = static_cast<int>((period + slots_ - 1) % slots_);
    slotSilent_[writeSlot_] = sumsThisPeriod_ == 0;

    schedule_.clear();
    const std::vector<RealFft::Step>& steps = fft_.steps();
    const int stepCount = static_cast<int>(steps.size());
    const bool whole = level_.blockFrames <= kWholeTransformBlock;
    auto wholeWeight = [&](int inverse) {
        int w = 0;
        for (int s = 0; s < stepCount; ++s)
            w += stepWeight_[inverse][s] * steps[static_cast<std::size_t>(s)].units;
        return w;
    };
    schedule_.add(Load, 0, 2 * level_.blockFrames / loadUnitFrames_, loadWeight_);
    if (whole)
        schedule_.add(WholeForward, 0, 1, 2 * wholeWeight(0));
    for (int c = 0; c < 2 && !whole; ++c)
        for (int s = 0; s < stepCount; ++s)
            schedule_.add(Forward, c * kChannelIndex + s, steps[static_cast<std::size_t>(s)].units, stepWeight_[0][s]);
    if (sumsThisPeriod_ == 0)
        return;
    const int terms = termsNew_ + termsOld_;
    for (int c = 0; c < 2; ++c)
        schedule_.add(Sums, c * kChannelIndex, points_ / sumUnitPoints_, sumWeightBase_ + terms * sumWeightPerTerm_);
    for (int c = 0; c < 2 && difference_; ++c)
        schedule_.add(BlendSpectra, c * kChannelIndex, fft_.blendUnits(), stepWeight_[1][0]);
    if (whole)
        schedule_.add(WholeInverse, 0, 1, 2 * sumsThisPeriod_ * wholeWeight(1));
    for (int c = 0; c < 2 && !whole; ++c)
        for (int which = 0; which < sumsThisPeriod_; ++which)
            for (int s = 0; s < stepCount; ++s) {
                // The inverse runs the forward steps backward.
                const int forwardStep = stepCount - 1 - s;
                schedule_.add(Inverse, c * kChannelIndex + which * kSumIndex + s,
                              steps[static_cast<std::size_t>(forwardStep)].units, stepWeight_[1][forwardStep]);
            }
    for (int c = 0; c < 2; ++c)
        schedule_.add(Store, c * kChannelIndex, level_.blockFrames / storeUnitFrames_, storeWeight_);
}

void PartitionLevel::advance(int frames)
{
    schedule_.advance(frames, level_.blockFrames, [this](int work, int index, int from, int to) {
        run(work, index, from, to);
    });
}

void PartitionLevel::endPeriod()
{
    if (fading_)
        ++fadePeriod_;
}

const float* PartitionLevel::output(int channel, std::int64_t frame) const
{
    const int which = static_cast<int>((frame / level_.blockFrames) % slots_);
    if (slotSilent_[which])
        return nullptr;
    return slot(which, channel) + frame % level_.blockFrames;
}

void PartitionLevel::run(int work, int index, int from, int to)
{
    const int channel = index / kChannelIndex;
    const int which = (index % kChannelIndex) / kSumIndex;
    const int step = index % kSumIndex;
    switch (work) {
    case Load:
        load(from * loadUnitFrames_, to * loadUnitFrames_);
        break;
    case Forward:
        fft_.runForward(step, spectrum(newest_, channel), spectrum(newest_, channel) + imOffset_, from, to);
        break;
    case WholeForward:
        for (int c = 0; c < 2; ++c)
            fft_.forward(spectrum(newest_, c), spectrum(newest_, c) + imOffset_);
        break;
    case WholeInverse:
        for (int c = 0; c < 2; ++c)
            for (int w = 0; w < sumsThisPeriod_; ++w)
                fft_.inverse(sum(w, c), sum(w, c) + imOffset_);
        break;
    case Sums:
        sums(channel, from * sumUnitPoints_, to * sumUnitPoints_);
        break;
    case Inverse:
        fft_.runInverse(step, sum(which, channel), sum(which, channel) + imOffset_, from, to);
        break;
    case BlendSpectra:
        fft_.blendSpectra(sum(0, channel), sum(0, channel) + imOffset_, fadingFrom_->spentRe(0, channel),
                          fadingFrom_->spentIm(0, channel), from, to);
        break;
    case Store:
        store(channel, from * storeUnitFrames_, to * storeUnitFrames_);
        break;
    }
}

// Window frames [from, to) (frame 0 the first of block p - 2) into the newest
// spectrum's buffer, both channels.
void PartitionLevel::load(int from, int to)
{
    const std::int64_t first = (period_ - 2) * level_.blockFrames;
    for (int c = 0; c < 2; ++c) {
        float* re = spectrum(newest_, c);
        for (int f = from; f < to;) {
            // A run never crosses the end of the input ring.
            const int at = static_cast<int>(((first + f) % inputFrames_ + inputFrames_) % inputFrames_);
            const int n = std::min(to - f, inputFrames_ - at);
            kernels_.pointsFromFrames(input_ + c * inputStride_ + at, re + f / 2, re + imOffset_ + f / 2, n);
            f += n;
        }
    }
}

// Positions [from, to) of the sums over j of X_j * H_j, X_j the spectrum of
// the window j periods older than the newest: for the kernel taken, and while
// fading from a sounding one, for that one too.
void PartitionLevel::sums(int channel, int from, int to)
{
    const float* xRe[LivePartitionPlan::kMaxPartitions];
    const float* xIm[LivePartitionPlan::kMaxPartitions];
    const int k = level_.partitions;
    const int terms = std::max(termsNew_, termsOld_);
    for (int j = 0; j < terms; ++j) {
        const float* x = spectrum((newest_ - j + k) % k, channel);
        xRe[j] = x;
        xIm[j] = x + imOffset_;
    }
    ProductSum s[2];
    const LevelKernel* kernels[2] = {current_, fadingFrom_};
    const int counts[2] = {termsNew_, termsOld_};
    for (int which = 0; which < sumsThisPeriod_; ++which) {
        s[which].outRe = sum(which, channel);
        s[which].outIm = s[which].outRe + imOffset_;
        s[which].terms = counts[which];
        for (int j = 0; j < counts[which]; ++j) {
            s[which].hRe[j] = kernels[which]->re(j, channel);
            s[which].hIm[j] = kernels[which]->im(j, channel);
        }
    }
    TermChanges* changes = nullptr;
    if (difference_) {
        // Every term changes: d = the sum of X_j (new H_j - old H_j).
        changes_.count = std::max(termsNew_, termsOld_);
        for (int j = 0; j < changes_.count; ++j) {
            changes_.term[j] = j;
            changes_.newRe[j] = j < termsNew_ ? current_->re(j, channel) : nullptr;
            changes_.newIm[j] = j < termsNew_ ? current_->im(j, channel) : nullptr;
            changes_.oldRe[j] = j < termsOld_ ? fadingFrom_->re(j, channel) : nullptr;
            changes_.oldIm[j] = j < termsOld_ ? fadingFrom_->im(j, channel) : nullptr;
        }
        changes_.dRe = fadingFrom_->spentRe(0, channel);
        changes_.dIm = fadingFrom_->spentIm(0, channel);
        changes = &changes_;
    }
    fft_.multiplySums(xRe, xIm, s, sumsThisPeriod_, from, to, changes);

    // The next unit runs in a later call, after other work has passed
    // through the caches: ask for its lines now, while the memory is idle.
    const int next = std::min(to + (to - from), points_);
    for (int k = to; k < next; k += 16) {
        for (int j = 0; j < terms; ++j) {
            __builtin_prefetch(xRe[j] + k);
            __builtin_prefetch(xIm[j] + k);
        }
        for (int which = 0; which < sumsThisPeriod_; ++which)
            for (int j = 0; j < counts[which]; ++j) {
                __builtin_prefetch(s[which].hRe[j] + k);
                __builtin_prefetch(s[which].hIm[j] + k);
            }
    }
}

// Output frames [from, to) of the block: samples B + from .. B + to - 1 of the
// transformed-back window(s), blended while fading.
void PartitionLevel::store(int channel, int from, int to)
{
    const int half = points_ / 2;
    const float* aRe = sum(0, channel) + half + from / 2;
    const float* aIm = aRe + imOffset_;
    const float* bRe = sumsThisPeriod_ == 2 ? sum(1, channel) + half + from / 2 : nullptr;
    const float* bIm = bRe != nullptr ? bRe + imOffset_ : nullptr;
    const bool weigh = fading_ && !difference_;
    const float* w = weigh ? fade_ + static_cast<std::size_t>(fadePeriod_) * level_.blockFrames + from : nullptr;
    kernels_.framesFromPoints(aRe, aIm, bRe, bIm, w, slot(writeSlot_, channel) + from, to - from);
}

void PartitionLevel::reset()
{
    store_.clear();
    std::fill(slotSilent_.get(), slotSilent_.get() + slots_, true);
    newest_ = 0;
    period_ = 0;
    sumsThisPeriod_ = 0;
    difference_ = false;
    fading_ = false;
    fadingFrom_ = nullptr;
    fadePeriod_ = 0;
    fresh_ = true;
    schedule_.clear();
}

} // namespace engine
