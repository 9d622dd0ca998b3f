#pragma once
// The effect's per-call audio path: the frame exchange with the convolution
// engine, then on the wet signal the pre-delay, the three tone-filter pairs, the
// channel gains and the width stage, mixed with the equally delayed dry signal.
// The edition chooses the convolution: the standard one with its fixed latency,
// or the live one at zero latency; everything after it is the same.
//
// process() is real-time safe: it never allocates, locks or waits. It works in
// chunks of at most kChunkFrames through buffers allocated here, so a host
// block of any length needs nothing new, and the output is the same as if the
// whole block had gone through in one piece (levels are taken once per chunk).
// Settings arrive from other threads as atomics or as designs and stores handed
// over through the ProcessEpoch.
#include "engine/ConvolutionEngine.h"
#include "engine/Convolver.h"
#include "engine/Edition.h"
#include "engine/FilterPair.h"
#include "engine/GrowableBufferPair.h"
#include "engine/Handover.h"
#include "engine/PreDelayLine.h"
#include "engine/WidthStage.h"

#include <atomic>
#include <memory>

namespace engine {

class ProcessingPath {
public:
    static constexpr int kChunkFrames = 2048;
    // The standard edition's latency; latencyFrames() gives the edition's own.
    static constexpr int kLatencyFrames = ConvolutionEngine::kLatencyFrames;

    // Inactive, wet and dry gains 1, balance 0, +12 dB off, width 0, pseudo-stereo
    // off, 44100 Hz, filters enabled at their construction designs. The effect
    // applies its parameter defaults on top of this.
    explicit ProcessingPath(ProcessEpoch& epoch, Edition edition = Edition::Standard);
    ProcessingPath(const ProcessingPath&) = delete;
    ProcessingPath& operator=(const ProcessingPath&) = delete;

    // Audio thread. Inputs and outputs may be the same arrays. frames <= 0 does nothing.
    void process(const float* inL, const float* inR, float* outL, float* outR, int frames);

    // Decibels to a linear level: 0 at -30 dB and below (and for NaN), else
    // 10^(dB/20) with the single-precision base.
    static float levelGain(float dB);

    // Parameter values in real units, from any non-audio thread.
    void setActive(float value);           // on while trunc(value) != 0
    void setWetLevel(float dB);
    void setDryLevel(float dB);
    void setWetBoost(float value);         // +12 dB on the wet path while value != 0
    void setBalance(double balance);       // -1 left only .. +1 right only
    void setInputRouting(double routing);  // -1 swapped .. 0 mono .. +1 straight
    bool setPreDelay(float ms);            // false if a longer store could not be allocated
    void setWidth(float width);            // 0..2, 1 leaves the image alone
    void setHighPassFrequency(float hz);
    void setLowPassFrequency(float hz);
    void setBalanceTilt(float dB);         // shelf of 2 dB per dB over a make-up cut of dB
    void setHighPassEnabled(float value);  // on while value != 0
    void setBalanceEnabled(float value);
    void setLowPassEnabled(float value);

    // From the IR pipeline: 1 for a one-channel IR. Restarts the width ring.
    void setPseudoStereo(int flag);
    // New host rate for the filters, the pre-delay and the width ring; signal
    // history other than the filters' and the width ring's is kept.
    bool setSampleRate(int sampleRate);
    // While processing is stopped (resume): clears every signal history but
    // keeps settings and kernel.
    void reset();

    int active() const { return active_.load(std::memory_order_relaxed); }
    float wetGain() const { return wetGain_.load(std::memory_order_relaxed); }
    float dryGain() const { return dryGain_.load(std::memory_order_relaxed); }
    int wetBoost() const { return wetBoost_.load(std::memory_order_relaxed); }
    double balance() const { return balance_.load(std::memory_order_relaxed); }

    Edition edition() const { return edition_; }
    // How late the output (wet and dry) is against the input, in frames: what
    // the host is told to compensate.
    int latencyFrames() const { return convolution_->latencyFrames(); }

    Convolver& convolution() { return *convolution_; }
    FilterPair& highPass() { return highPass_; }
    FilterPair& lowPass() { return lowPass_; }
    FilterPair& balanceFilter() { return balanceFilter_; }
    PreDelayLine& preDelay() { return preDelay_; }
    WidthStage& widthStage() { return width_; }

private:
    void processChunk(const float* inL, const float* inR, float* outL, float* outR, int frames);

    ProcessEpoch& epoch_;
    const Edition edition_;
    std::unique_ptr<Convolver> convolution_;
    FilterPair highPass_;
    FilterPair lowPass_;
    FilterPair balanceFilter_;
    GrowableBufferPair scratch_;
    PreDelayLine preDelay_;
    WidthStage width_;

    std::atomic<int> active_{0};
    std::atomic<float> wetGain_{1.0f};
    std::atomic<float> dryGain_{1.0f};
    std::atomic<int> wetBoost_{0};
    std::atomic<double> balance_{0.0};

    // Audio thread only: the chunk's dry and wet frames, kept apart from the
    // host's arrays so that in-place processing works.
    std::unique_ptr<float[]> dry_[2];
    std::unique_ptr<float[]> wet_[2];
};

} // namespace engine
