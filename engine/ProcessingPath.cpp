#include "engine/ProcessingPath.h"

#include "params/ParameterRanges.h"

#include "params/EffectConstants.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace engine {

namespace {
constexpr double kDecibelBase = 1.1220184564590454; // 10^(1/20) as a float
constexpr std::memory_order kRelaxed = std::memory_order_relaxed;

// The tone filters use the scratch pair as their second buffer: it holds one
// chunk, never grows, and so the audio thread never touches its growth lock.
// The pre-delay store starts empty (no delay) and grows, off the audio
// thread, to what the delay in force needs at the rate in force. Both hold
// only what the path uses, not the larger stores a whole-block path would need.
constexpr int kPreDelayStartFrames = 1;
} // namespace

ProcessingPath::ProcessingPath(ProcessEpoch& epoch, Edition edition)
    : epoch_(epoch),
      edition_(edition),
      convolution_(makeConvolver(edition, epoch)),
      // Off, as the parameters start them: a filter never switched on holds no history.
      highPass_(epoch, FilterPair::Kind::HighPass, effect::kDefaultSampleRate, FilterPair::Switch::Off),
      lowPass_(epoch, FilterPair::Kind::LowPass, effect::kDefaultSampleRate, FilterPair::Switch::Off),
      balanceFilter_(epoch, FilterPair::Kind::Balance, effect::kDefaultSampleRate, FilterPair::Switch::Off),
      scratch_(kChunkFrames),
      preDelay_(epoch, effect::kDefaultSampleRate, kPreDelayStartFrames)
{
    for (int c = 0; c < 2; ++c) {
        dry_[c].reset(new float[kChunkFrames]());
        wet_[c].reset(new float[kChunkFrames]());
    }
}

float ProcessingPath::levelGain(float dB)
{
    if (!(dB > param::kSilentLevelDb))
        return 0.0f;
    return static_cast<float>(std::min(std::pow(kDecibelBase, static_cast<double>(dB)), double(FLT_MAX)));
}

void ProcessingPath::setActive(float value)
{
    // Truncation toward zero: only values of 1 or more (or -1 or less) process.
    active_.store(std::fabs(value) >= 1.0f ? 1 : 0, kRelaxed);
}

void ProcessingPath::setWetLevel(float dB) { wetGain_.store(levelGain(dB), kRelaxed); }
void ProcessingPath::setDryLevel(float dB) { dryGain_.store(levelGain(dB), kRelaxed); }
void ProcessingPath::setWetBoost(float value) { wetBoost_.store(value != 0.0f ? 1 : 0, kRelaxed); }
void ProcessingPath::setBalance(double balance) { balance_.store(balance, kRelaxed); }
void ProcessingPath::setInputRouting(double routing) { convolution_->setInputRouting(routing); }
bool ProcessingPath::setPreDelay(float ms) { return preDelay_.setDelay(ms); }
void ProcessingPath::setWidth(float width) { width_.setWidth(width); }
void ProcessingPath::setHighPassFrequency(float hz) { highPass_.setFrequency(hz); }
void ProcessingPath::setLowPassFrequency(float hz) { lowPass_.setFrequency(hz); }
void ProcessingPath::setBalanceTilt(float dB) { balanceFilter_.setBalance(dB); }
void ProcessingPath::setHighPassEnabled(float value) { highPass_.setEnabled(value != 0.0f); }
void ProcessingPath::setBalanceEnabled(float value) { balanceFilter_.setEnabled(value != 0.0f); }
void ProcessingPath::setLowPassEnabled(float value) { lowPass_.setEnabled(value != 0.0f); }
void ProcessingPath::setPseudoStereo(int flag) { width_.setPseudoStereo(flag); }

bool ProcessingPath::setSampleRate(int sampleRate)
{
    highPass_.setSampleRate(sampleRate);
    lowPass_.setSampleRate(sampleRate);
    balanceFilter_.setSampleRate(sampleRate);
    const bool stored = preDelay_.setSampleRate(sampleRate);
    width_.setSampleRate(sampleRate);
    return stored;
}

void ProcessingPath::reset()
{
    highPass_.reset();
    lowPass_.reset();
    balanceFilter_.reset();
    convolution_->reset();
    scratch_.clear();
    preDelay_.clear();
    width_.reset();
}

void ProcessingPath::process(const float* inL, const float* inR, float* outL, float* outR, int frames)
{
    if (frames <= 0)
        return;
    ProcessEpoch::Scope scope(epoch_);
    for (int done = 0; done < frames;) {
        const int n = std::min(kChunkFrames, frames - done);
        processChunk(inL + done, inR + done, outL + done, outR + done, n);
        done += n;
    }
}

void ProcessingPath::processChunk(const float* inL, const float* inR, float* outL, float* outR, int frames)
{
    float* dryL = dry_[0].get();
    float* dryR = dry_[1].get();
    float* wetL = wet_[0].get();
    float* wetR = wet_[1].get();
    float* scratchL = scratch_.left();
    float* scratchR = scratch_.right();

    // The whole chunk of input is read here, before any output is written.
    convolution_->exchange(inL, inR, dryL, dryR, wetL, wetR, frames);
    preDelay_.process(wetL, wetR, frames);

    // The filters ping-pong between the wet and scratch arrays; the balance
    // pair (with its make-up gain) leaves the finished wet signal in scratch.
    // Each pair reads its design once, so both channels take up a change together.
    highPass_.processStereo(wetL, wetR, scratchL, scratchR, frames);
    lowPass_.processStereo(scratchL, scratchR, wetL, wetR, frames);
    balanceFilter_.processStereo(wetL, wetR, scratchL, scratchR, frames);

    if (active_.load(kRelaxed) == 0) {
        // The wet path has moved on; only the dry signal is heard, unscaled.
        std::copy(dryL, dryL + frames, outL);
        std::copy(dryR, dryR + frames, outR);
        return;
    }

    const double wet = wetGain_.load(kRelaxed);
    const double balance = balance_.load(kRelaxed);
    const double boost = wetBoost_.load(kRelaxed) != 0 ? 4.0 : 1.0;
    const double gainL = (1.0 - balance) * wet * boost;
    const double gainR = (1.0 + balance) * wet * boost;
    const double dry = dryGain_.load(kRelaxed);

    width_.process(scratchL, scratchR, frames);
    for (int i = 0; i < frames; ++i) {
        outL[i] = static_cast<float>(dryL[i] * dry + scratchL[i] * gainL);
        outR[i] = static_cast<float>(dryR[i] * dry + scratchR[i] * gainR);
    }
}

} // namespace engine
