#include "engine/FilterPair.h"

#include "params/EffectConstants.h"

#include <cmath>
#include <initializer_list>
#include <new>
#include <utility>

namespace engine {
namespace {

// 10^(1/20) as a 32-bit float: the plug-in's one decibel base.
constexpr double kDecibelBase = 1.1220184564590454;
constexpr float kPairQ = 0.6f;

FilterPair::Design initialDesign(FilterPair::Kind kind, int sampleRate, bool on)
{
    FilterPair::Design d;
    for (CIIR* f : {&d.left, &d.right}) {
        switch (kind) {
        case FilterPair::Kind::HighPass:
            f->design(CIIR::kHighPass, 10.0f, kPairQ, 0.0f);
            break;
        case FilterPair::Kind::LowPass:
            f->design(CIIR::kLowPass, 22050.0f, kPairQ, 0.0f);
            break;
        case FilterPair::Kind::Balance:
            f->design(CIIR::kHighShelf, FilterPair::kBalancePivotHz, FilterPair::kBalanceSlope, 0.0f);
            break;
        }
        f->setSampleRate(sampleRate > 0 ? sampleRate : effect::kDefaultSampleRate);
        f->setEnabled(on);
    }
    return d;
}

} // namespace

FilterPair::FilterPair(ProcessEpoch& epoch, Kind kind, int sampleRate, Switch initially)
    : master_(initialDesign(kind, sampleRate, initially == Switch::On)),
      live_(epoch, std::make_unique<Design>(master_))
{
    if (initially == Switch::On && !(audio_[0].prepareHistory() && audio_[1].prepareHistory()))
        throw std::bad_alloc();
}

float FilterPair::balanceMakeUpGain(float db)
{
    return static_cast<float>(std::pow(kDecibelBase, -static_cast<double>(db)));
}

template <class Change>
void FilterPair::change(Change&& apply)
{
    std::lock_guard<std::mutex> lock(controlMutex_);
    if (!apply(master_))
        return;
    // The histories first, so that the audio thread finds them with the first
    // design that is on. Without the memory for them the pair still works: a
    // new design then starts from silence, as after a switch.
    if (master_.left.enabled()) {
        audio_[0].prepareHistory();
        audio_[1].prepareHistory();
    }
    live_.publish(std::make_unique<Design>(master_));
}

bool FilterPair::setSampleRate(int sampleRate)
{
    if (sampleRate <= 0)
        return false;
    change([sampleRate](Design& d) {
        d.left.setSampleRate(sampleRate);
        d.right.setSampleRate(sampleRate);
        ++d.clearCount;
        return true;
    });
    return true;
}

void FilterPair::designLowPass(float frequency, float q)
{
    change([=](Design& d) {
        d.left.designLowPass(frequency, q);
        d.right.designLowPass(frequency, q);
        return true;
    });
}

void FilterPair::designHighPass(float frequency, float q)
{
    change([=](Design& d) {
        d.left.designHighPass(frequency, q);
        d.right.designHighPass(frequency, q);
        return true;
    });
}

void FilterPair::designHighShelf(float frequency, float gain, float slope)
{
    change([=](Design& d) {
        d.left.designHighShelf(frequency, gain, slope);
        d.right.designHighShelf(frequency, gain, slope);
        return true;
    });
}

void FilterPair::setFrequency(float frequency)
{
    change([=](Design& d) {
        for (CIIR* f : {&d.left, &d.right}) {
            switch (f->type()) {
            case CIIR::kLowPass:
                f->designLowPass(frequency, f->q());
                break;
            case CIIR::kHighPass:
                f->designHighPass(frequency, f->q());
                break;
            case CIIR::kHighShelf:
                f->designHighShelf(frequency, f->gain(), f->q());
                break;
            default:
                f->design(f->type(), frequency, f->q(), f->gain());
                break;
            }
        }
        return true;
    });
}

void FilterPair::setBalance(float db)
{
    const float makeUp = balanceMakeUpGain(db);
    change([=](Design& d) {
        d.left.designHighShelf(kBalancePivotHz, 2.0f * db, kBalanceSlope);
        d.right.designHighShelf(kBalancePivotHz, 2.0f * db, kBalanceSlope);
        d.makeUpGain = makeUp;
        return true;
    });
}

void FilterPair::setEnabled(bool on)
{
    change([on](Design& d) {
        if (d.left.enabled() == on && d.right.enabled() == on)
            return false;
        d.left.setEnabled(on);
        d.right.setEnabled(on);
        ++d.switchCount;
        return true;
    });
}

void FilterPair::reset()
{
    change([](Design& d) {
        ++d.clearCount;
        return true;
    });
}

FilterPair::Design FilterPair::design() const
{
    std::lock_guard<std::mutex> lock(controlMutex_);
    return master_;
}

void FilterPair::process(Channel channel, const float* in, float* out, int frames)
{
    if (frames <= 0)
        return;
    runChannel(*live_.get(), channel, in, out, frames);
}

void FilterPair::processStereo(const float* inLeft, const float* inRight, float* outLeft,
                               float* outRight, int frames)
{
    if (frames <= 0)
        return;
    const Design& design = *live_.get();
    runChannel(design, Channel::Left, inLeft, outLeft, frames);
    runChannel(design, Channel::Right, inRight, outRight, frames);
}

void FilterPair::runChannel(const Design& design, Channel channel, const float* in, float* out,
                            int frames)
{
    const CIIR& filter = channel == Channel::Left ? design.left : design.right;
    const float gain = design.left.enabled() ? design.makeUpGain : 1.0f;
    audio_[static_cast<int>(channel)].process({&filter, gain, design.clearCount, design.switchCount}, in, out,
                                              frames);
}

} // namespace engine
